// A conversation's text run as mark-up: block tags decide what reaches the
// page, every other tag is a command of the 86-row table.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "script/conversation_script.h"

namespace GameData {
class TArea;
class TCity;
class TGroup;
class TUnit;
struct TUnitProperties;
class TOpponent;
}  // namespace GameData

namespace Script {

class TConversationCommands;

// One row of the command table. Min and Max are recorded, not enforced.
struct TScriptCommandInfo {
  using THandler = bool (TConversationCommands::*)(std::string_view params, std::string& output);
  std::string_view Name;
  i32 MinParams = 0;
  i32 MaxParams = 0;
  THandler Handler = nullptr;
};

class TConversationCommands : public TConversationScript {
 public:
  static constexpr int CommandCount = 86;
  // Rounds of LOOP and WHILE one page may take, and how deep blocks may nest;
  // beyond them the run ends with an error instead of hanging or overflowing.
  static constexpr i32 LoopBudget = 100000;
  static constexpr i32 MaxNesting = 64;
  // After-effects a unit may carry before a script's copy is refused: each
  // copy recalculates all of them, and a loop must not make that endless.
  static constexpr i32 MaxAfterEffects = 64;
  // Conversations CALL may queue before the queue runs empty again; a ring
  // of conversations calling each other ends with an error there.
  static constexpr i32 MaxCalledConversations = 1000;
  // Doodles and animations one page may add: each addition costs a pass
  // over the map, so a loop of them would otherwise stall the game.
  static constexpr i32 MaxAddedMapObjects = 1000;

  explicit TConversationCommands(GameData::TConversation& conversation);

  // The page the talk window reads.
  std::string ProcessText(std::string_view text);
  // One tag with its brackets; the handler's result.
  bool ExecuteCommand(std::string_view tag, std::string& output);
  // The row of that name, or null; in table order.
  static const TScriptCommandInfo* FindCommand(std::string_view name);
  static const TScriptCommandInfo* Table() { return Commands; }

  // Positions in the text after an opening tag: the "<" of the matching end.
  i32 FindEndIf(std::string_view text);
  static i32 FindElse(std::string_view text);
  i32 FindEndLoop(std::string_view text);
  i32 FindEndWhile(std::string_view text);

  // What a TEXT, CHOICE or NOTE block raises for each tag it forbids, its
  // end tag and the message for a missing end.
  struct TBlockRules {
    const char* InText;
    const char* InChoice;
    const char* InNote;
    const char* InIf;
    std::string_view End;
    const char* Missing;
  };

 private:
  static const TScriptCommandInfo Commands[CommandCount];

  void Process(std::string_view text, std::string& output);
  i32 FindEnd(std::string_view text, std::string_view endTag, std::string_view openPrefix, const char* message);
  void RunBlock(std::string_view& rest, std::string& output, const TBlockRules& rules);
  void SetCommandText(std::string_view tag);
  void SpendLoopRound();

  void SetLocal0(i32 value) { Locals[0] = value; }
  GameData::TScenario& World();
  // -1 (or any negative where allowed) is the owner of the group spoken to.
  i32 GroupOwner();
  void CheckPlayerIndex(i32 player);
  GameData::TCity* FindCity(i32 id);

  bool Speaker0(std::string_view params, std::string& output);
  bool Speaker1(std::string_view params, std::string& output);
  bool Speaker2(std::string_view params, std::string& output);
  bool Crlf(std::string_view params, std::string& output);
  bool Delete(std::string_view params, std::string& output);
  bool Set(std::string_view params, std::string& output);
  bool SetAlias(std::string_view params, std::string& output);
  bool WriteLog(std::string_view params, std::string& output);
  bool WriteExpressionLog(std::string_view params, std::string& output);
  bool IfEqual(std::string_view params, std::string& output);
  bool IfGreater(std::string_view params, std::string& output);
  bool IfUnequal(std::string_view params, std::string& output);
  bool IfTrue(std::string_view params, std::string& output);
  bool IfFalse(std::string_view params, std::string& output);
  bool GetRandom(std::string_view params, std::string& output);
  bool GiveQuest(std::string_view params, std::string& output);
  bool GiveObjective(std::string_view params, std::string& output);
  bool GetHeroID(std::string_view params, std::string& output);
  bool ShowName(std::string_view params, std::string& output);
  bool ShowExpression(std::string_view params, std::string& output);
  bool GiveMoney(std::string_view params, std::string& output);
  bool PlaySound(std::string_view params, std::string& output);
  bool GiveArmy(std::string_view params, std::string& output);

  bool ChangeRelation(std::string_view params, std::string& output);
  bool SetFogArea(std::string_view params, std::string& output);
  bool SetCityOwner(std::string_view params, std::string& output);
  bool GetController(std::string_view params, std::string& output);
  bool GetMoney(std::string_view params, std::string& output);

  bool GetChosen(std::string_view params, std::string& output);

  bool GetQuestState(std::string_view params, std::string& output);
  bool GetObjectiveState(std::string_view params, std::string& output);
  bool ResetQuest(std::string_view params, std::string& output);
  bool ShowQuestHeroName(std::string_view params, std::string& output);

  // Unit properties, after-effects, spells and skills. Unit ID 0 of the
  // property commands is the conversation's after-effect work record.
  GameData::TUnit& UnitForCommand(i32 id);
  GameData::TUnitProperties& PropertyRecord(i32 id);
  // Owned by a player whose bit is in the player mask, and every kind bit
  // inside the sign-extended kind mask.
  bool UnitMatchesMasks(const GameData::TUnit& unit, i32 playerMask, i32 kindMask);
  void WriteProperty(GameData::TUnitProperties& record, GameData::TUnit* unit, i32 word, i32 value, bool change);
  bool WritePropertyOfOne(std::string_view params, bool change);
  bool WritePropertyOfAll(std::string_view params, bool change);
  void GiveAfterEffect(GameData::TUnit& unit, i32 turns, i32 effectID);
  // The unit and mask bit of the parameters (unit ID, index 1..64).
  std::pair<GameData::TUnit*, u64> MaskTarget(std::string_view params, bool spell);
  // Sets the allowed bit (and the known one when learning) in the base record.
  bool TeachMaskBit(std::string_view params, bool spell, bool learn);
  // LOCAL0 := the known or allowed bit of the effective record.
  bool TestMaskBit(std::string_view params, bool spell, bool known);
  bool GetProperty(std::string_view params, std::string& output);
  bool SetProperty(std::string_view params, std::string& output);
  bool SetPropertyToAll(std::string_view params, std::string& output);
  bool ChangeProperty(std::string_view params, std::string& output);
  bool ChangePropertyToAll(std::string_view params, std::string& output);
  bool ClearAfterEffect(std::string_view params, std::string& output);
  bool AddAfterEffect(std::string_view params, std::string& output);
  bool AddAfterEffects(std::string_view params, std::string& output);
  bool AddAfterEffectToAll(std::string_view params, std::string& output);
  bool DeleteAllAfterEffectsOfType(std::string_view params, std::string& output);
  bool LearnSpell(std::string_view params, std::string& output);
  bool AllowSpell(std::string_view params, std::string& output);
  bool KnowsSpell(std::string_view params, std::string& output);
  bool HasAllowedSpell(std::string_view params, std::string& output);
  bool LearnSkill(std::string_view params, std::string& output);
  bool AllowSkill(std::string_view params, std::string& output);
  bool KnowsSkill(std::string_view params, std::string& output);
  bool HasAllowedSkill(std::string_view params, std::string& output);
  // Units, groups and cities: placing, removing, killing, moving, and
  // where units stand.
  bool PlaceUnitOfPrototype(std::string_view params, std::string& output);
  bool DeleteUnit(std::string_view params, std::string& output);
  bool KillUnit(std::string_view params, std::string& output);
  bool PlaceUnitsToCity(std::string_view params, std::string& output);
  bool MoveGroup(std::string_view params, std::string& output);
  bool LivesUnit(std::string_view params, std::string& output);
  bool GetUnitPosition(std::string_view params, std::string& output);
  bool GetUnitsInGroup(std::string_view params, std::string& output);
  bool GetUnitID(std::string_view params, std::string& output);
  bool SquareEmpty(std::string_view params, std::string& output);
  bool UnitInArea(std::string_view params, std::string& output);
  bool UnitsInCity(std::string_view params, std::string& output);
  bool GetUnitsInArea(std::string_view params, std::string& output);
  // The unit of that ID, or the script error "Unit not found: %d.".
  GameData::TUnit* UnitOrError(i32 id);
  // The area of that ID, or the script error "Area not found: %d.".
  const GameData::TArea* AreaOrError(i32 id);
  // The map's dressing, the view, merchants and other conversations; the
  // computer opponents' tasks and armies through their queued messages.
  void RefreshMoveCosts();
  void CountAddedMapObject();
  // Raises "Conversation not found! ID=%d" for an ID that names none.
  GameData::TConversation& ConversationByID(i32 id);
  // The first opponent in player order that holds the task; raises missing
  // when none does.
  GameData::TOpponent& OpponentWithTask(i32 task, const std::string& missing);
  // IDs up to the first 0 or the end of the parameters.
  std::vector<i32> TakeIDList(std::string_view& params);
  bool SetWeatherState(std::string_view params, std::string& output);
  bool AddDoodle(std::string_view params, std::string& output);
  bool ChangeDoodle(std::string_view params, std::string& output);
  bool DeleteDoodle(std::string_view params, std::string& output);
  bool PlayAnimation(std::string_view params, std::string& output);
  bool CenterViewTo(std::string_view params, std::string& output);
  bool CenterViewToUnit(std::string_view params, std::string& output);
  bool EnableMerchant(std::string_view params, std::string& output);
  bool MerchantEnabled(std::string_view params, std::string& output);
  bool Call(std::string_view params, std::string& output);
  bool SetActive(std::string_view params, std::string& output);
  bool Active(std::string_view params, std::string& output);
  bool GetTurn(std::string_view params, std::string& output);
  bool ActivateTask(std::string_view params, std::string& output);
  bool DeactivateTask(std::string_view params, std::string& output);
  bool AssignUnits(std::string_view params, std::string& output);
  bool UnassignUnits(std::string_view params, std::string& output);
  bool AssignArmy(std::string_view params, std::string& output);
  bool UnassignArmy(std::string_view params, std::string& output);
  bool DeleteTask(std::string_view params, std::string& output);
  bool AssignUnitsArmy(std::string_view params, std::string& output);
  bool UnassignUnitsArmy(std::string_view params, std::string& output);

  // Rows whose commands come later: they raise that they are not available.
  bool NotAvailable(std::string_view params, std::string& output);

  i32 LoopRounds = 0;
  i32 Nesting = 0;
  i32 AddedMapObjects = 0;
};

}  // namespace Script
