// The whole state of one scenario: the map and its field arrays, every map
// object and unit, the players, areas, conversations and quest objectives,
// the script variables, the weather and the view.
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
#include "world/map/weather.h"
#include "world/map/path_work.h"
#include "world/units/unit.h"

namespace Gfx {
class TSprite;
class TSpriteList;
}  // namespace Gfx
namespace DPFrame {
class TDPFramework;
}  // namespace DPFrame

namespace Plat {
class TSurface;
}

namespace GameData {

class TGroup;
class TCity;
class TBuilding;
class TLocation;
class TPlayer;
class TSpellCourse;
class TConversation;
class TQuestObjective;
class TBackground;

constexpr i32 GlobalCount = 1024;
constexpr i32 PathLength = 256;

enum TWeatherState : u32 { wsNone = 0, wsRain = 1, wsSnow = 2, wsSandStorm = 3, wsOverlay = 4 };
// The particle kinds, indexes of the scenario's particle counts.
enum TWeatherKind : i32 { wkRain = 0, wkSnow = 1, wkSand = 2 };
// Layers of the map drawing.
constexpr u32 dlBackground = 1;
constexpr u32 dlObjects = 2;
constexpr u32 RainDropCount = 300;
constexpr u32 SnowFlakeCount = 500;
constexpr u32 SandSeedCount = 800;

class TScenario : public Data::TDataObject {
 public:
  // Raises "Cannot construct TScenario object!" when construction fails.
  explicit TScenario(u8 constructionFlag = 0);
  ~TScenario() override;
  TScenario(const TScenario&) = delete;
  TScenario& operator=(const TScenario&) = delete;

  // The scenario's stream, also inside every save game. A failed Load leaves
  // the scenario partly filled: the caller deletes it.
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  // Back to the constructed state; the view rectangle and the particle
  // objects stay.
  void Clear() override;
  // The resources the header names, from the "scenario" archive.
  void LoadSpriteFiles();
  void LoadFaceSprites();
  void LoadBackground();
  // A save game calls these right after the scenario's stream. They keep
  // what the stream lacks and later turns read: each player's selection,
  // the selection it remembers over the other players' turns (its next turn
  // selects it and turns the view to it) and the notifications its computer
  // opponent has not read yet. A save without them loads with none.
  void SaveGameState(Data::TStream& s) const;
  void LoadGameState(Data::TStream& s);
  // The two lists as list streams: a loaded save game takes its texts from
  // the mission file through them.
  void SaveConversations(Data::TStream& s) const;
  void SaveQuestObjectives(Data::TStream& s) const;

  // One update step: objects, the current spell, dead units, queued objects,
  // weather, background sounds and view scrolling.
  void Tick();
  void SetViewPosition(i32 x, i32 y);
  void ScrollViewTo(i32 x, i32 y, i32 steps);
  void ScrollViewStep();
  // May the unit in that slot of the current player's acting group cast the
  // spell on that field now.
  bool CanCastSpellAt(i32 slot, i32 spellNumber, i32 fx, i32 fy) const;
  void SetWeather(u32 state);
  void PlayAmbience();
  // The scenario owns the spell from now on.
  void SetCurrentSpell(TSpellCourse* spell);
  // The effect of a map spell, through the spell module.
  void ApplySpellEffect(i32 casterSlot, i32 spellNumber, i32 fx, i32 fy);
  // For the computer opponent, through the spell module: would the spell
  // change anything (no random draw); its immediate effect on copied units.
  bool SpellHasEffect(i32 casterSlot, i32 spellNumber, i32 fx, i32 fy) const;
  void SimulateSpellEffect(TUnit* caster, i32 spellNumber, TGroup* target) const;

  // Weather particles: one step of each kind, and the texture painted anew.
  void UpdateRain();
  void UpdateSnow();
  void UpdateSand();
  void PaintWeather();

  // Map drawing; the view position is the map pixel drawn at the clip's
  // top-left corner. DrawMap brings a cache surface that keeps its content
  // between frames up to date: a scrolled view moves the still valid part
  // and draws the uncovered strips, changed objects are drawn again in
  // merged rectangles. The rest is drawn every frame over the cache's copy.
  void DrawMap(Plat::TSurface* cache, i32 x, i32 y, const Base::TRect& clip, u32 layers, bool force);
  void DrawLayers(Plat::TSurface* surface, i32 x, i32 y, const Base::TRect& clip, u32 layers);
  void DrawGroundPass(Plat::TSurface* surface, i32 x, i32 y, const Base::TRect& clip);
  void DrawOverlays(Plat::TSurface* surface, i32 x, i32 y, const Base::TRect& clip);
  void DrawFog(Plat::TSurface* surface, i32 x, i32 y, const Base::TRect& clip);
  void DrawSpell(Plat::TSurface* surface, i32 x, i32 y);
  // Rain, snow and sand laid tile by tile over the whole target; the
  // overlay picture of the fourth state stretched over the view.
  void DrawWeather(Plat::TSurface* target, i32 viewX, i32 viewY, const Base::TRect& view);
  // The device objects of the scenario's sprite lists, around display
  // changes and after lost surfaces; each forces a full redraw.
  void CreateGraphics();
  void ReleaseGraphics();
  void RestoreGraphics();
  // Shown to the viewing player, or every object without one.
  bool IsObjectDrawn(const TMapObject* object) const;

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
  // The occupancy of the fields a group covered at (oldFx, oldFy) and covers
  // now, as UpdateOccupancy would leave them: a walking group's pixel step
  // costs the same on any map size.
  void UpdateOccupancyAround(const TGroup* group, i32 oldFx, i32 oldFy);

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
  // Every group on the map holding a dead unit starts dying; the tick then
  // removes the dead and leaves their corpses.
  void BeginDeathAnimations();
  // Puts every unit in exactly one place after loading; true when anything changed.
  bool CheckUnitLists();
  void ForgetUnlearnedSpells();

  // Conversations.
  TConversation* FindConversation(i32 playerIndex, u32 ownerType, u32 ownerID, i32 filter) const;
  bool TriggerConversations(i32 playerIndex, u32 ownerType, u32 ownerID);
  void QueueConversation(TConversation* conversation);
  TConversation* PopConversation();
  // The quest pass: the current player's active entries evaluated; an entry
  // whose state changed queues its final conversation.
  void UpdateQuestObjectives();

  // Script variables: the index an alias names, -1 for no alias.
  i32 FindAlias(const std::string& name) const;
  void AddAlias(const std::string& name, i32 index);

  void NewRound();

  // The fog of a player and of the players it is allied to.
  void UpdateFog(TPlayer* player);
  void UpdateFogOf(i32 playerIndex);
  // After a battle between the two groups (either may be null).
  void ClearBattleFlags(TGroup* attacker, TGroup* defender);

  // Path finding. Every search overwrites MoveCosts, CostMap or Path; peers
  // of a network game must find the same paths, so the search order is fixed.
  // The cost of one step for the player's groups: 255 and more is blocked.
  i32 StepCost(i32 fromX, i32 fromY, i32 toX, i32 toY, const TPlayer* player) const;
  i32 TerrainStepCost(i32 fromX, i32 fromY, i32 toX, i32 toY) const;
  bool IsHeightStepPassable(i32 fromX, i32 fromY, i32 toX, i32 toY) const;
  // MoveCosts from one field, or from the fields of an area, for the group's owner.
  void ComputeMoveCosts(i32 fx, i32 fy, const TGroup* group);
  void ComputeMoveCostsFromArea(const TArea& area, const TLocation* location, const TGroup* group);
  // Steps into Path[0..n-1] (the target last, the start left out); 0 when the
  // target is the start, -1 when unreachable or more than 255 steps.
  i32 FindPath(i32 fromX, i32 fromY, i32 toX, i32 toY, const TGroup* group);
  // As FindPath from the cheapest start field, which stays in Path[0].
  i32 FindPathFromSources(i32 toX, i32 toY, const TGroup* group);
  bool IsFieldReachable(i32 fx, i32 fy) const;
  bool IsObjectReachable(const TMapObject* object) const;
  bool FindFieldNextToGroup(const TGroup* target, const TGroup* moving, i32& fx, i32& fy) const;
  bool HasFieldNextToGroup(const TGroup* target, const TGroup* moving) const;
  bool FindFieldInLocation(const TLocation* location, const TGroup* group, i32& fx, i32& fy) const;
  bool HasFieldInLocation(const TLocation* location, const TGroup* group) const;
  // The first field back from the target that the group's action points reach.
  bool FindReachableAlongPath(i32 toX, i32 toY, const TGroup* group, i32& fx, i32& fy) const;
  bool IsFieldInCity(i32 fx, i32 fy) const;
  bool FindNearestFreeField(i32& fx, i32& fy) const;
  bool FindNearestFreeFieldNoCity(i32& fx, i32& fy) const;
  // CostMap from one field up to the limit; groups never block.
  void ComputeCostMap(i32 fx, i32 fy, i32 limit, const TPlayer* player);
  i32 GetCost(i32 fx, i32 fy) const;
  i32 GetCostTo(i32 fromX, i32 fromY, i32 limit, const TPlayer* player, i32 toX, i32 toY);
  // For the current player's selected group: a free field on the way to (fx, fy).
  bool FindReachableFieldTowards(i32& fx, i32& fy);

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

  u8 ConstructionFlag;
  u32 NextID = 1000;
  i16 Width = 0;
  i16 Height = 0;
  std::string Title;
  std::string SpriteFile, DoodleFile, FaceFile, BackgroundFile;
  std::unique_ptr<TBackground> Background;
  std::unique_ptr<Gfx::TSprite> Thumbnail;
  std::vector<u16> BaseHeights;
  std::vector<u8> BaseCosts;
  std::vector<i16> Heights;
  std::vector<u8> Costs;
  std::vector<TGroup*> Occupancy;
  // The current player Occupancy was last built for whole.
  const TPlayer* OccupancyPlayer = nullptr;
  Data::TObjectList<TMapObject> MapObjects{true};
  Data::TObjectList<TMapObject> QueuedObjects{false};
  Data::TDataList<TUnit> Units{true};
  std::unique_ptr<Data::TDataList<TConversation>> Conversations;
  std::unique_ptr<Data::TDataList<TQuestObjective>> QuestObjectives;
  std::vector<u8> MoveCosts;
  std::vector<i32> CostMap;
  TField Path[PathLength] = {};
  // The limit of the last cost map: the cost of a field off the map.
  i32 CostLimit = 0;
  TPlayer* ViewingPlayer = nullptr;
  i16 CurrentPlayerIndex = -1;
  i16 Round = 0;
  Data::TObjectList<TPlayer> Players{true};
  u32 LastDrawFlags = 0;
  i32 LastViewX = 0, LastViewY = 0;
  Base::TRect LastClip{};
  std::unique_ptr<TWeatherTexture> WeatherTexture;
  Data::TDataList<TRainDrop> RainDrops;
  Data::TDataList<TSnowFlake> SnowFlakes;
  Data::TDataList<TSandSeed> SandSeeds;
  // Per kind: the count the weather is heading for, and the live particles.
  u32 ParticleTargets[3] = {};
  u32 LiveParticles[3] = {};
  u32 Weather = wsNone;
  TSpellCourse* CurrentSpell = nullptr;
  i32 Globals[GlobalCount] = {};
  std::vector<std::pair<std::string, i32>> Aliases;
  Data::TDataList<TArea> Areas{true};
  Data::TObjectList<TUnit> OffMapUnits{false};
  u8 BattleRunning = 0;
  std::atomic<u8> WaitingForDeaths{0};  // read by the player thread
  u8 CityScreenOpen = 0;
  u8 MaxLevel = 0;
  u8 DefeatVideo = 0;
  // The upper half of the stored level word: no meaning, written back as read.
  u16 LevelWordRest = 0;
  Data::TDynamicArray<u32> BackSounds;
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
  // Conversations queued by scripts since the queue last ran empty: a ring
  // of conversations that call each other is stopped by this count.
  i32 CalledConversations = 0;
  Data::TDynamicArray<TDoodlePrototype> DoodlePrototypes;
  std::unique_ptr<Gfx::TSpriteList> Sprites;
  std::unique_ptr<Gfx::TSpriteList> FaceSprites;
  u8 NoAnimationRunning = 0;

 private:
  // Draw order: layer, then y ascending, then x descending.
  static int CompareDrawOrder(const TMapObject* a, const TMapObject* b);
  void Renumber(i32 from);
  // Stops the player thread, then deletes objects, players and units.
  void ReleaseObjects();
  void ResetWeather();
  // Load's checks of what the objects' own streams cannot see.
  void CheckLoadedObjects();
  i32 HitTestPass(i32 px, i32 py, int pass, bool visibleOnly) const;

  TMapObjectIndex ObjectIndex;
  TPathWork PathWork;
  // Taken by the first LoseSession, so one thread alone writes the reason.
  std::atomic<u8> SessionLossClaimed{0};

  // What one DrawMap draws from: every drawn object with the rectangle it
  // can draw into, in list order; made once per call when something is drawn.
  struct TDrawEntry {
    TMapObject* Object;
    Base::TRect Extent;
  };
  const std::vector<TDrawEntry>& DrawEntries();
  void LayersFromEntries(Plat::TSurface* surface, i32 x, i32 y, const Base::TRect& clip, u32 layers);
  void AddDirtyRect(Base::TRect r);
  std::vector<TDrawEntry> Entries;
  bool EntriesFresh = false;
  std::vector<Base::TRect> DirtyRects;
};

}  // namespace GameData
