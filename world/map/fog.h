// A player's fog of war: per field unexplored, explored or visible.
#pragma once

#include <vector>

#include "engine/data/data_object.h"

namespace Gfx {
class TSprite;
}

namespace GameData {

class TPlayer;
class TScenario;
class TArea;

enum TFogState : u8 { fsUnexplored = 0, fsExplored = 1, fsVisible = 2 };

class TFog : public Data::TDataObject {
 public:
  // Takes the map size of the player's scenario.
  explicit TFog(TPlayer* player);

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
  // Visible fields become explored.
  void DimVisible();
  // The mini-map picture is made with the display device.
  void UpdateOverlay() {}
  // The two sprites that soften the fog's edges over a field (null: none).
  void GetEdgeSprites(i32 x, i32 y, Gfx::TSprite*& first, Gfx::TSprite*& second) const;

  TPlayer* Player;
  TScenario* Scenario;
  i32 Width;
  i32 Height;
  std::vector<u8> States;

 private:
  // The 3 x 3 block around a field: a bit per field at least in the state.
  u32 EdgeMask(i32 x, i32 y, u8 state) const;
};

}  // namespace GameData
