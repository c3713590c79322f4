// Quests and objectives as the scenario holds them, with the condition script
// each embeds. The scripting module evaluates the scripts.
#pragma once

#include <string>

#include "engine/data/data_object.h"

namespace GameData {

class TScenario;

// The condition script embedded in an objective; its ID is always the
// objective's, and its stream has none.
class TCheck : public Data::TDataObject {
 public:
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;

  TScenario* Scenario = nullptr;
  std::string Script;  // lines joined by "<CRLF>"
  i32 Locals[32] = {};
  i32 Result = 0;
};

enum TQuestType : i32 { qtQuest = 1, qtObjective = 2 };
enum TQuestState : i32 { qsNotGiven = 0, qsActive = 1, qsSolved = 2, qsFailed = 3 };

class TQuestObjective : public Data::TDataObject {
 public:
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;

  void SetScenario(TScenario* scenario) {
    Scenario = scenario;
    Check.Scenario = scenario;
  }

  TScenario* Scenario = nullptr;
  std::string Name;
  i32 Type = qtQuest;
  u32 HeroID = 0;
  i32 State = qsNotGiven;
  i32 PlayerIndex = 1;
  u8 Hidden = 0;
  std::string Text;
  u32 FinalConversationID = 0;
  TCheck Check;
  std::string HeroName;
  u32 GivenSerial = 0;
};

}  // namespace GameData
