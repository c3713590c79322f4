// A player's fog of war: per field unexplored, explored or visible, from the
// sight of the player's and its allies' groups, its sight areas and the
// cities it sees into; and the mini map's picture of it.
#pragma once

#include <memory>
#include <vector>

#include "engine/data/data_object.h"

namespace Gfx {
class TSprite;
}

namespace GameData {

class TPlayer;
class TScenario;
class TArea;
class TGroup;

enum TFogState : u8 { fsUnexplored = 0, fsExplored = 1, fsVisible = 2 };

class TFog : public Data::TDataObject {
 public:
  // Takes the map size of the player's scenario; raises "Cannot construct
  // TFog object!" when it cannot be made.
  explicit TFog(TPlayer* player);
  ~TFog() override;
  TFog(const TFog&) = delete;
  TFog& operator=(const TFog&) = delete;

  void Assign(const Data::TDataObject* source) override;
  // The states of the map's fields, row after row; the size is the map's.
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override { Reset(); }
  void Reset();

  u8 GetState(i32 x, i32 y, u8 defaultState) const;
  void SetState(i32 x, i32 y, u8 state);
  void RaiseArea(const TArea& area, u8 state);
  void HideArea(const TArea& area);
  bool IsAnyFieldVisible(const TArea& area) const;
  bool IsAreaExplored(const TArea& area) const;

  // One recomputation: the sources, the sight they give, with sightings
  // (the current player's, with notice) and the seen prototypes when asked,
  // and the overlay.
  void Recompute(bool sightings);
  void CollectSightSources();
  // Dims what was visible, then every source gives its sight.
  void Update();
  void SpreadSight(i32 source);
  void RevealArea(i32 area);
  // Visible fields become explored.
  void DimVisible();
  void ClearSightSources();

  // The two sprites that soften the fog's edges over a field (null: none).
  void GetEdgeSprites(i32 x, i32 y, Gfx::TSprite*& first, Gfx::TSprite*& second) const;
  // Redraws the mini map's picture from the states and the groups in sight.
  void UpdateOverlay();

  TPlayer* Player;
  TScenario* Scenario;
  i32 Width;
  i32 Height;
  std::vector<u8> States;
  // Width x Height pixels of 32-bit ARGB.
  std::unique_ptr<Gfx::TSprite> Overlay;
  std::vector<const TGroup*> SightGroups;
  std::vector<const TArea*> SightAreas;
  // Scratch of SpreadSight, out of reach and level between spreads.
  std::vector<u16> Reach;
  std::vector<i8> MaxAngle;

 private:
  // The 3 x 3 block around a field: a bit per field at least in the state.
  u32 EdgeMask(i32 x, i32 y, u8 state) const;
};

}  // namespace GameData
