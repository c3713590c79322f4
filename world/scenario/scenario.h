// The whole state of one scenario: the map and its field arrays, every map
// object and unit, the players, areas, conversations and quest objectives,
// the script variables and the view.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "engine/data/data_list.h"
#include "engine/data/dynamic_array.h"
#include "world/map/area.h"
#include "world/map/doodle.h"
#include "world/map/map_object_index.h"
#include "world/units/unit.h"

namespace Gfx {
class TSpriteList;
}
namespace DPFrame {
class TDPFramework;
}

namespace GameData {

class TGroup;
class TCity;
class TBuilding;
class TPlayer;
class TSpell;
class TConversation;
class TQuestObjective;

constexpr i32 GlobalCount = 1024;
constexpr i32 PathLength = 256;

class TScenario : public Data::TDataObject {
 public:
  // Raises "Cannot construct TScenario object!" when construction fails.
  explicit TScenario(u8 constructionFlag = 0);
  ~TScenario() override;
  TScenario(const TScenario&) = delete;
  TScenario& operator=(const TScenario&) = delete;

  u32 NewID() { return NextID++; }
  i32 IndexOfPlayer(const TPlayer* player) const;
  TPlayer* PlayerAt(i32 index) const;
  i32 PlayerCount() const { return Players.Count(); }

  // Map size and field arrays, indexed y x Width + x.
  void SetSize(i32 width, i32 height);
  bool IsFieldOnMap(i32 fx, i32 fy) const { return fx >= 0 && fy >= 0 && fx < Width && fy < Height; }
  i32 FieldIndex(i32 fx, i32 fy) const { return fy * Width + fx; }
  // Outside the map: blocked (255), height 0, no group.
  u8 CostAt(i32 fx, i32 fy) const;
  i16 HeightAt(i32 fx, i32 fy) const;
  TGroup* OccupantAt(i32 fx, i32 fy) const;
  void RebuildFieldMaps();
  void UpdateOccupancy();

  // Registry of map objects, kept in draw order.
  TMapObject* FindMapObject(u32 id) const;
  TGroup* FindGroup(u32 id) const;
  TCity* FindCity(u32 id) const;
  TBuilding* FindBuilding(u32 id) const;
  i32 GetObjectIndexAt(i32 px, i32 py) const;
  i32 GetObjectIndexAtField(i32 fx, i32 fy) const;
  i32 GetVisibleObjectIndexAt(i32 px, i32 py) const;
  TGroup* GetGroupAt(i32 fx, i32 fy, const TGroup* excluded) const;
  TGroup* GetGroupCovering(i32 fx, i32 fy, const TGroup* excluded) const;
  bool IsFieldFree(i32 fx, i32 fy) const;
  // The objects whose largest possible rectangle covers the pixel, in no order.
  void ObjectsNear(i32 px, i32 py, std::vector<TMapObject*>& out) const { ObjectIndex.Candidates(px, py, out); }
  void AddMapObject(TMapObject* object);
  void QueueMapObject(TMapObject* object);
  // Adds the objects queued during the frame.
  void AddQueuedObjects();
  void RemoveMapObjectAt(i32 index, bool notifyAI);
  void RemoveMapObject(TMapObject* object, bool notifyAI);
  void MoveMapObject(i32 index, i32 px, i32 py);
  i32 IndexOfMapObject(const TMapObject* object) const;
  // A map object whose extent changed without moving (a new picture).
  void MapObjectChanged(TMapObject* object);
  // Adds an object at its draw-order place without a new ID or occupancy update
  // (the scenario reader).
  void InsertMapObject(TMapObject* object);

  // Unit registry: every unit stands in a group, a city or OffMapUnits.
  void AddUnit(TUnit* unit, bool newID);
  // Takes the unit out of the registry and deletes it.
  void RemoveUnit(TUnit* unit);
  void DeleteUnitAt(i32 index);
  TUnit* FindUnit(u32 id) const { return Units.LookupByID(id); }
  // Out of the registry without deleting it; the container is cleared.
  void ExtractUnit(TUnit* unit);
  // Out of OffMapUnits and the registry without deleting it.
  void ExtractOffMapUnit(TUnit* unit);
  TUnit* FindOffMapUnit(u32 id) const;

  // Placing units. The flags pass on to the group or city that takes the
  // unit: register it, tell the owner's computer opponent, give it a new ID.
  void PlaceUnit(TUnit* unit, i32 px, i32 py, u8 owner, bool registerUnit, bool notifyAI, bool newID);
  // On the free field nearest to (fx, fy); mayJoin lets it join a group of the owner.
  void PlaceNewUnit(u8 owner, i32 fx, i32 fy, TUnit* unit, bool registerUnit, bool notifyAI, bool newID,
                    bool mayJoin);
  // On the first field of the area that can take it, else as near as possible to its last.
  void PlaceUnitInArea(TUnit* unit, u8 owner, const TArea& area, bool registerUnit, bool notifyAI, bool newID,
                       bool mayJoin);
  bool CanPlaceUnitAt(const TUnit* unit, u8 owner, i32 fx, i32 fy, bool mayJoin) const;
  // Takes the unit out of wherever it stands; a group left empty leaves the map.
  void DetachUnit(TUnit* unit, bool unregister, bool notifyAI);
  bool IsInDepartureGroup(const TUnit* unit) const;
  // The dead leave the map; dead units of groups on the map leave corpses.
  void RemoveDeadUnits();
  // Puts every unit in exactly one place after loading; true when anything changed.
  bool CheckUnitLists();
  void ForgetUnlearnedSpells();

  // Conversations.
  TConversation* FindConversation(i32 playerIndex, u32 ownerType, u32 ownerID, i32 filter) const;
  bool TriggerConversations(i32 playerIndex, u32 ownerType, u32 ownerID);
  void QueueConversation(TConversation* conversation);
  TConversation* PopConversation();

  // Script variables: the index an alias names, -1 for no alias.
  i32 FindAlias(const std::string& name) const;
  void AddAlias(const std::string& name, i32 index);

  void NewRound();

  // The fog of a player and of the players it is allied to.
  void UpdateFog(TPlayer* player);
  void UpdateFogOf(i32 playerIndex);
  void UpdateFogAll();
  // Every fog unexplored, then recomputed (a game starts).
  void ResetFogAll();
  void ResetFog() { ResetFogAll(); }

  // The current player's last action has not finished, or the dead are
  // still dying: input waits.
  bool IsBusy() const;
  // The transport the players' actions travel on: the game's one (the
  // global DPFramework), or Network where a test plays two machines in one
  // process. Null outside a network game.
  DPFrame::TDPFramework* Transport() const;
  // Ends the network game at the next dispatch; the first reason is kept.
  void LoseSession(const std::string& reason);

  // Move costs of the path finder; filled in with the path finder.
  void ComputeMoveCosts(TGroup* group);
  void ComputeMoveCostsFromArea(const TArea& area, TMapObject* target, TGroup* group);

  u8 ConstructionFlag;
  u32 NextID = 1000;
  i16 Width = 0;
  i16 Height = 0;
  std::string Title;
  std::string SpriteFile, DoodleFile, FaceFile, BackgroundFile;
  std::vector<u16> BaseHeights;
  std::vector<u8> BaseCosts;
  std::vector<i16> Heights;
  std::vector<u8> Costs;
  std::vector<TGroup*> Occupancy;
  Data::TObjectList<TMapObject> MapObjects{true};
  Data::TObjectList<TMapObject> QueuedObjects{false};
  Data::TDataList<TUnit> Units{true};
  std::unique_ptr<Data::TDataList<TConversation>> Conversations;
  std::unique_ptr<Data::TDataList<TQuestObjective>> QuestObjectives;
  std::vector<u8> MoveCosts;
  std::vector<i32> CostMap;
  TField Path[PathLength] = {};
  TPlayer* ViewingPlayer = nullptr;
  i16 CurrentPlayerIndex = -1;
  i16 Round = 0;
  Data::TObjectList<TPlayer> Players{true};
  u32 LastDrawFlags = 0;
  u32 Weather = 0;
  TSpell* CurrentSpell = nullptr;
  i32 Globals[GlobalCount] = {};
  std::vector<std::pair<std::string, i32>> Aliases;
  Data::TDataList<TArea> Areas{true};
  Data::TObjectList<TUnit> OffMapUnits{false};
  u8 BattleRunning = 0;
  std::atomic<u8> WaitingForDeaths{0};  // read by the player thread
  u8 CityScreenOpen = 0;
  u8 MaxLevel = 0;
  u8 DefeatVideo = 0;
  u32 MusicTracks[4] = {};
  Data::TDynamicArray<u32> BattleBackgrounds;
  i32 ViewX = 0, ViewY = 0, ViewWidth = 800, ViewHeight = 600;
  i32 ScrollTargetX = 0, ScrollTargetY = 0, ScrollSteps = 0;
  std::string IntroText;
  u32 NetworkPlayerID = 0;
  std::atomic<u32> ActionCounter{0};  // read by the player thread
  Data::TDynamicArray<u32> RequiredUnitIDs, WaitingUnitIDs;
  u32 TransferLimit = 0;
  u32 NotCampaign = 0;
  u32 HeaderValue = 0;
  u32 FrameCounter = 0;
  std::atomic<u8> SessionLost{0};  // read by the player thread
  std::string SessionLostReason;    // written before SessionLost is set
  DPFrame::TDPFramework* Network = nullptr;
  Data::TDynamicArray<TConversation*> PendingConversations;
  Data::TDynamicArray<TDoodlePrototype> DoodlePrototypes;
  std::unique_ptr<Gfx::TSpriteList> Sprites;
  std::unique_ptr<Gfx::TSpriteList> FaceSprites;
  u8 NoAnimationRunning = 0;

 private:
  // Draw order: layer, then y ascending, then x descending.
  static int CompareDrawOrder(const TMapObject* a, const TMapObject* b);
  void Renumber(i32 from);
  i32 HitTestPass(i32 px, i32 py, int pass, bool visibleOnly) const;

  TMapObjectIndex ObjectIndex;
  // Taken by the first LoseSession, so one thread alone writes the reason.
  std::atomic<u8> SessionLossClaimed{0};
};

}  // namespace GameData
