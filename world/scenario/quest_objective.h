// Quests and objectives as the scenario holds them, with the condition script
// each embeds. The scripting library runs the scripts.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/data/data_object.h"

namespace GameData {

class TScenario;
class TQuestObjective;

// The condition script embedded in an objective; its ID is always the
// objective's, and its stream has none.
class TCheck : public Data::TDataObject {
 public:
  explicit TCheck(TQuestObjective* owner = nullptr) : Owner(owner) {}

  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  // Locals, script and result; the ID and the owner stay.
  void Clear() override;

  void SetScenario(TScenario* scenario) { Scenario = scenario; }
  // Result 0, the script run; above 0 solved, below 0 failed, 0 open.
  i32 Execute();
  // The script cut at each "<CRLF>"; a trailing marker adds no empty line.
  std::unique_ptr<std::vector<std::string>> GetLines() const;
  void SetLines(const std::vector<std::string>& lines);

  TScenario* Scenario = nullptr;
  std::string Script;  // lines joined by "<CRLF>"
  i32 Locals[32] = {};
  i32 Result = 0;
  // The tag being executed, for error messages.
  std::string CommandText;
  TQuestObjective* Owner = nullptr;
};

enum TQuestType : i32 { qtQuest = 1, qtObjective = 2 };
enum TQuestState : i32 { qsNotGiven = 0, qsActive = 1, qsSolved = 2, qsFailed = 3 };

class TQuestObjective : public Data::TDataObject {
 public:
  TQuestObjective() = default;
  TQuestObjective(const TQuestObjective&) = delete;
  TQuestObjective& operator=(const TQuestObjective&) = delete;

  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;

  void SetScenario(TScenario* scenario) {
    Scenario = scenario;
    Check.SetScenario(scenario);
  }
  // GIVEQUEST: active for the hero, the check's locals cleared.
  void GiveToHero(u32 heroID);
  // GIVEOBJECTIVE: active for the player; the locals stay.
  void GiveToPlayer(i32 playerIndex);
  // RESETQUEST: not given, and no player (0, not the 1 of Clear).
  void Reset();
  // A quest follows its hero to the hero's present owner (-1 for none). A
  // vanished hero changes nothing, or raises when it must exist.
  void UpdatePlayerFromHero(bool mustExist);
  // Only while active: a quest whose hero is gone fails; otherwise the check
  // decides.
  void UpdateState();

  TScenario* Scenario = nullptr;
  std::string Name;
  i32 Type = qtQuest;
  u32 HeroID = 0;
  i32 State = qsNotGiven;
  i32 PlayerIndex = 1;
  u8 Hidden = 0;
  std::string Text;
  u32 FinalConversationID = 0;
  TCheck Check{this};
  std::string HeroName;
  u32 GivenSerial = 0;
};

}  // namespace GameData
