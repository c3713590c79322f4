// The computer opponent's state of one player: its tasks, its view of its
// units, its armies, the script queue and the hostile-reach map. Every
// player has one and stores it in its stream; only a computer player's turn
// runs it. The world keeps it in step with the player's units through the
// hooks AddUnit and RemoveUnit.
//
// Threads: the computer's turn reads and changes these lists on the player's
// thread; the hooks change them on the main thread while that turn waits for
// a posted action. A hook may therefore delete an AI unit (and, for another
// player's handler, a task) in the middle of a pass: RemoveAIUnit takes the
// unit out of every list of the pass too (the free pool, the multi-tasks and
// the sub-tasks), and DeleteTask takes the task out of the multi-tasks, so a
// pass that re-reads its lists after each posted action never meets a freed
// object. A loop that walks a list across a posted action must re-check its
// index against the list, not keep an iterator. Between BeginPass and EndPass
// the removed units and deleted tasks are kept (units marked dead) and freed
// only at EndPass, so a pointer held on the turn's stack stays readable.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ai/ai_army.h"
#include "ai/ai_cost_map.h"
#include "ai/ai_script_stack.h"
#include "ai/ai_task.h"
#include "world/scenario/action.h"
#include "world/scenario/opponent.h"

namespace GameData {
class TGroup;
class TLocation;
struct TNotification;
class TPlayer;
class TScenario;
}  // namespace GameData

namespace AIHandler {

// The limit of every path cost the computer asks for.
constexpr i32 PathCostLimit = 10000;
constexpr u32 FirstID = 10000;

using TAIUnitList = Data::TDataList<TAIUnit>;

class TAIHandler : public GameData::TOpponent {
 public:
  explicit TAIHandler(GameData::TPlayer* owner);
  ~TAIHandler() override;
  TAIHandler(const TAIHandler&) = delete;
  TAIHandler& operator=(const TAIHandler&) = delete;

  // Keeps the next ID.
  void Clear() override;
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  u32 NextID() { return NextIDValue++; }

  // Hooks of groups and cities. AddUnit is always true; RemoveUnit false
  // when no AI unit stands for the unit.
  bool AddUnit(GameData::TUnit* unit) override;
  bool RemoveUnit(GameData::TUnit* unit, bool dropTargetingTasks) override;
  void RemoveAIUnit(TAIUnit* unit, bool dropTargetingTasks);
  // Tasks aimed at the unit are deleted when the flag is set; every other
  // task lets go of it.
  void DropUnitFromTasks(const TAIUnit* unit, bool dropTargetingTasks);
  void RemoveFromArmies(TAIUnit* unit);
  void DeleteTask(TAITask* task);

  // Finders: the first match in list order, null when none.
  TAIUnit* FindAIUnit(const GameData::TUnit* unit) const;
  TAIUnit* FindAIUnitByUnitID(u32 unitID) const;
  TAITask* FindTask(u32 taskID) const;
  TAITask* FindTaskOfUnit(const TAIUnit* unit) const;
  TAIArmy* FindArmy(u32 armyID) const;
  TAIArmy* FindArmyOfUnit(const TAIUnit* unit) const;

  // The hostile-reach map, sized from the scenario at its first use.
  void ComputeThreatMap();
  // 0 off the map or before the first computation.
  i32 GetThreat(i32 x, i32 y) const;

  // Action records: each is posted and waited for (the player thread).
  u32 PostEndTurn();
  void PostTurnStart();
  u32 PostSelect(const GameData::TMapObject* object);
  u32 PostSelectGroup(const GameData::TGroup* group);
  u32 PostMove(i32 x, i32 y, bool join, u32 approachMode, bool enterLocation,
               const GameData::TMapObject* target, i32 reserve, bool refresh);
  u32 PostCastSpell(i32 slot, u32 spellID, i32 x, i32 y);
  void PostMakeCamp(const GameData::TGroup* group);
  void PostBreakCamp(const GameData::TGroup* group);
  void PostMarkUnits(const u8 (&marks)[3]);
  void PostEnterCity(const GameData::TCity* city);
  void PostLeaveCity();
  void PostMoveCityUnit(u32 fromList, u32 unitID, u32 toList, u32 slot);
  void MarkUnit(const GameData::TGroup* group, const GameData::TUnit* unit, u8 mark);
  void MarkListedUnits(const GameData::TGroup* group, const TAIVirtualUnitList& units, u8 mark);
  void MarkOnlyUnit(const GameData::TGroup* group, const GameData::TUnit* unit, u8 mark);

  // Script messages: queued by the scenario's scripts, applied by the turn.
  // A message onto a full queue is dropped (false).
  bool HasTask(u32 taskID) const override { return FindTask(taskID) != nullptr; }
  bool HasArmy(u32 armyID) const override { return FindArmy(armyID) != nullptr; }
  bool HasAIUnit(const GameData::TUnit* unit) const override { return FindAIUnit(unit) != nullptr; }
  bool PostDeleteTask(u32 taskID) override;
  bool PostAssignUnitTask(u32 unitID, u32 taskID) override;
  bool PostUnassignUnitTask(u32 unitID) override;
  bool PostAssignArmyTask(u32 armyID, u32 taskID) override;
  bool PostUnassignArmyTask(u32 armyID) override;
  bool PostAddUnitArmy(u32 unitID, u32 armyID) override;
  bool PostRemoveUnitArmy(u32 unitID) override;
  bool PostActivateTask(u32 taskID) override;
  bool PostDeactivateTask(u32 taskID) override;
  // True when the queue held a message on entry.
  bool ProcessScriptMessages();

  // The turn (player thread): announces it, runs the passes, ends it.
  void TakeTurn() override;
  void RunTurnPasses();
  // 4, or 1 for the player at index 0.
  i32 PassCount() const;
  bool IsFirstPlayer() const;
  void RefreshUnitPool();
  void RefreshTargets();
  void ApplyPlayerNotifications();
  // Brackets a pass of the turn (player thread): see the note above.
  void BeginPass();
  void EndPass();

  // Planning of a pass.
  bool UpdateTasks();
  void CreateAttackTasks();
  void CreateHoldTasks();
  void AssignUnitsToTasks();
  static i32 CompareTaskPriority(const TAITask* a, const TAITask* b);
  bool BuildMultiTasks();

  // Execution: each handler returns non-zero to have its multi-task
  // prepared and run again. The outer task is the guard, protect or follow
  // task a temporary task stands for.
  void ExecuteMultiTask(TAIMultiTask* multi);
  virtual i32 ExecuteAttackGroup(TAITask* task, TAITask* outer = nullptr);
  virtual i32 ExecuteGoToField(TAITask* task, TAITask* outer = nullptr);
  virtual i32 ExecuteGuardArea(TAITask* task);
  virtual i32 ExecuteProtectUnit(TAITask* task);
  virtual i32 ExecuteFollowUnit(TAITask* task);
  virtual i32 ExecuteCityTask(TAITask* task);

  // Guarding, protecting, following and the cities: the task's units are
  // handed to the attack, go-to-field or city handler through a temporary
  // task that stands for this one. A reference in the task's target keeps
  // the intruder attacked from pass to pass.
  void MoveIntoCity(TAITask* task, GameData::TCity* city);
  void DisbandDepartureGroup(const GameData::TCity* city);
  void RebuildCityDefence(const GameData::TCity* city);
  // The healing, defence and shield rules on the group of a protect task's
  // unit; false when no group is selected any more.
  bool LookAfterProtected(const TAITask* outer);
  // The temporary tasks alive now; a unit that leaves the game leaves them too.
  TAIVirtualTaskList TemporaryTasks;

  // Going to a field: the task's units leave their cities toward (x, y),
  // the acting group camps near a field, and a field along the path.
  void BringUnitsOutOfCities(const TAIVirtualUnitList& units, const GameData::TCity* except, i32 x, i32 y);
  bool MoveToCampField(i32 x, i32 y, i32 r);
  bool FindFieldAlongPath(const GameData::TGroup* group, i32& x, i32& y) const;
  // A draw of the thread stream in [0, 1), and one in [0, n) (0 for n < 1).
  static double Draw();
  static i32 RandomBelow(i32 n);

  // Group combat, the neighbourhood searches and the casting rules. The
  // caster is always the acting group; a target group is followed by its ID,
  // so a rule notices a target that died or merged under its spells.
  virtual bool GroupCombat(TAIVirtualUnitList& units, GameData::TGroup* target, TAITask* task);
  bool CanReachGroup(const GameData::TGroup* group);
  virtual GameData::TUnit* FindWeakestHostileNear(i32 x, i32 y, i32 r);
  GameData::TUnit* FindBestTargetNear(const TAIUnit* unit, i32 r);
  virtual bool IsHostileNear(i32 x, i32 y, i32 r);
  bool HasNoFriendsNear(i32 x, i32 y, i32 r) const;
  bool CountLoneHostiles(i32 x, i32 y, i32& count, i32 r) const;
  bool FindHostileCluster(i32& x, i32& y, i32 r) const;
  GameData::TGroup* FindMostWoundedGroupNear(const TAIVirtualUnitList& units, i32 x, i32 y, i32 r);
  GameData::TGroup* FindWeakestAttackerNear(const TAIVirtualUnitList& units, i32 x, i32 y, i32 r);
  GameData::TGroup* FindWeakestDefenderNear(const TAIVirtualUnitList& units, i32 x, i32 y, i32 r);

  // What a basic rule does after a cast: end with true, drop the spell from
  // its list and go on, or keep it and go on.
  enum class TAfterCast { Done, Drop, Keep };
  using TSpellFilter = std::function<bool(i32 spell)>;
  using TAfterCastStep = std::function<TAfterCast(i32 spell)>;
  // The target field now; false when the target is gone.
  using TTargetField = std::function<bool(i32& x, i32& y)>;
  // A probability that leaves a list unshuffled and draws nothing.
  static constexpr double NoShuffle = -1.0;
  // A swap of neighbours i and i + 1 with probability p, one draw per i.
  static void ShuffleSpellList(i32* list, i32 count, double p);
  // The common body of the basic rules.
  bool CastFromList(std::vector<i32> list, double p, const TTargetField& field, const TSpellFilter& filter,
                    const TAfterCastStep& after);
  // The field of the group of that ID wherever it stands now, or a fixed one.
  TTargetField FieldOfGroup(u32 id) const;
  static TTargetField FixedField(i32 x, i32 y);
  bool CastStrengthSpells(GameData::TGroup* caster, GameData::TGroup* target);
  virtual bool CastShieldSpells(GameData::TGroup* caster, GameData::TGroup* target);
  virtual bool CastDefenceSpells(GameData::TGroup* caster, GameData::TGroup* target);
  virtual bool CastActionPointSpell(GameData::TGroup* caster, GameData::TGroup* target);
  bool CastMoraleSpells(GameData::TGroup* caster, GameData::TGroup* target);
  virtual bool CastHealingSpells(GameData::TGroup* caster, GameData::TGroup* target);
  virtual bool CastMovementSpells(GameData::TGroup* caster, GameData::TGroup* target);
  bool CastHeavyAttackSpells(GameData::TGroup* caster, GameData::TGroup* target);
  bool CastAttackSpells(GameData::TGroup* caster, GameData::TGroup* target);
  bool CastMixedAttackSpells(GameData::TGroup* caster, GameData::TGroup* target);
  bool CastDrainSpell(GameData::TGroup* caster, GameData::TGroup* target);
  bool CastClusterSpells(GameData::TGroup* caster, i32 x, i32 y);
  virtual bool CastSightSpells(GameData::TGroup* caster, GameData::TGroup* target);
  virtual bool CastSummoningSpells(GameData::TGroup* caster, i32& x, i32& y);
  virtual bool CastScoutSpell(GameData::TGroup* caster, i32 x, i32 y);
  // The damage of the best candidate on copies of both groups (0 and slot
  // and index -1 when none may be cast); neither the world nor the main
  // stream is touched.
  i32 FindBestSpellBySimulation(GameData::TGroup* caster, GameData::TGroup* target, i32& slot, i32& index, i32 count,
                                const i32* list);
  bool CastSimulatedSpells(GameData::TGroup* caster, GameData::TGroup* target);
  bool TryCastSpell36(GameData::TGroup* caster, GameData::TGroup* target);
  bool SupportGroup(GameData::TGroup* caster, GameData::TGroup* friendly, GameData::TGroup* target);
  bool SupportGroupRandomOrder(GameData::TGroup* caster, GameData::TGroup* friendly);
  bool CastDirectAttack(GameData::TGroup* caster, GameData::TGroup* target, bool withHeavy);
  bool CastOffensive(GameData::TGroup* caster, GameData::TGroup* friendly, GameData::TGroup* target);
  bool SupportWeakestAttacker(GameData::TGroup* caster, GameData::TGroup* target, const TAIVirtualUnitList& units);
  bool SupportNeighbour(GameData::TGroup* caster, GameData::TGroup* target, const TAIVirtualUnitList& units);
  // The group of that ID: the acting group (which may stand in a city's
  // departure) or one on the map; null when gone.
  GameData::TGroup* ResolveGroup(u32 id) const;

  // Movement orders for the acting group; they return an action result.
  u32 MoveToField(i32 x, i32 y, bool refreshCosts, i32 reserve, bool substituteIsFailure);
  u32 MoveToJoin(const GameData::TGroup* group, bool substituteIsFailure, bool refreshCosts, i32 reserve);
  u32 ApproachGroup(const GameData::TGroup* group, u32 mode, bool refreshCosts, i32 reserve);
  u32 ApproachLocation(const GameData::TLocation* location, i32 reserve, bool refreshCosts);
  // A free field on the way to (x, y) for the selected group, on the
  // handler's own cost map.
  bool FindFieldTowards(i32& x, i32& y);
  static bool AllInSameGroup(const TAIVirtualUnitList& units);
  static bool InSquare(i32 cx, i32 cy, i32 r, i32 x, i32 y);
  static i32 CompareFitness(const TAIUnit* a, const TAIUnit* b);
  // Repeats an order while it reports a sighting; a world that does not
  // change would otherwise keep it asking for ever.
  static constexpr i32 MaxOrderRepeats = 64;
  template <class Order>
  u32 RepeatWhileSighted(Order order) {
    u32 r = order();
    for (i32 i = 1; r == GameData::arSighted && i < MaxOrderRepeats; ++i) r = order();
    return r;
  }

  // Acting groups: up to three units brought into one group.
  bool ChooseActingUnits(TAIVirtualUnitList& pool, TAIVirtualUnitList& result);
  GameData::TGroup* GatherUnits(TAIVirtualUnitList& units);
  GameData::TGroup* BringUnitsToGroup(GameData::TGroup* target, TAIVirtualUnitList& units);

  // Path cost with the common limit on the handler's own cost maps.
  i32 CostBetween(i32 fromX, i32 fromY, i32 toX, i32 toY);

  GameData::TPlayer* Player;
  GameData::TScenario* Scenario;
  u32 PassFlag = 0;
  TAITaskList Tasks{false};
  TAIMultiTaskList MultiTasks{false};
  // Sorted by ID, IDs unique.
  TAIUnitList Units{false};
  // The units usable in the running pass.
  TAIVirtualUnitList FreePool;
  // Sorted by ID.
  TAIArmyList Armies{false};
  TAIScriptStack ScriptStack;
  u32 NextIDValue = FirstID;
  TAICostMap CostMap;
  // Passes run by the last turn, and records posted and time spent waiting
  // for them over all turns, for the measurements.
  i32 PassesRun = 0;
  u64 PostedRecords = 0;
  i64 WaitedNanoseconds = 0;
  u64 ThreatMapComputations = 0;
  i64 ThreatMapNanoseconds = 0;

 private:
  u32 Post(const GameData::TActionRecord& record);
  bool PushMessage(const char* word, u32 first);
  bool PushMessage(const char* word, u32 first, u32 second);
  void ApplyMessage(std::string text);
  // Sizes the map when the scenario's dimensions differ from it.
  void SizeThreatMap();
  void ComputeThreatValues();
  // Deletes now, or at EndPass while a pass runs.
  void Discard(TAIUnit* unit);
  void Discard(TAITask* task);

  bool PassRunning = false;
  // Gathering two units may bring them together first; never deeper.
  i32 BringDepth = 0;
  std::vector<std::unique_ptr<TAIUnit>> RemovedUnits;
  std::vector<std::unique_ptr<TAITask>> RemovedTasks;

  // Row by row, as the scenario's cost map.
  std::vector<i32> ThreatMap;
  i32 ThreatWidth = 0;
  i32 ThreatHeight = 0;
};

// Makes every new player's opponent a TAIHandler; called once at start-up.
void ConnectToWorld();

}  // namespace AIHandler
