// Quests and objectives as the scenario holds them, with the condition script
// each embeds. The scripting module evaluates the scripts.
#pragma once

#include <string>

#include "engine/data/data_object.h"

namespace GameData {

class TScenario;

// The condition script embedded in an objective.
class TCheck {
 public:
  TScenario* Scenario = nullptr;
  std::string Script;
  i32 Locals[32] = {};
};

enum TQuestState : i32 { qsNotGiven = 0, qsActive = 1, qsSolved = 2, qsFailed = 3 };

class TQuestObjective : public Data::TDataObject {
 public:
  void SetScenario(TScenario* scenario) {
    Scenario = scenario;
    Check.Scenario = scenario;
  }

  TScenario* Scenario = nullptr;
  i32 ObjectiveType = 1;  // 1 quest, 2 objective
  std::string Text;
  i32 State = qsNotGiven;
  i32 PlayerIndex = 1;
  u8 Hidden = 0;
  std::string HeroName;
  u32 GivenSerial = 0;
  u32 FinalConversationID = 0;
  TCheck Check;
};

}  // namespace GameData
