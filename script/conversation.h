// Conversations and quest objectives as the scenario holds them. Their
// scripts, mark-up and streams come with the scripting module.
#pragma once

#include <string>
#include <vector>

#include "engine/data/data_object.h"

namespace Gfx {
class TSprite;
}

namespace GameData {

class TScenario;
class TGroup;

// The event that starts a conversation.
enum TConversationOwnerType : u32 {
  coRound = 0,
  coForeignGroup = 1,
  coLocationSighted = 3,
  coLocationEntered = 4,
  coArea = 5,
  coTurnStart = 7,
};

class TConversation : public Data::TDataObject {
 public:
  void SetScenario(TScenario* scenario) { Scenario = scenario; }
  bool IsTargetPlayer(i32 playerIndex) const { return (TargetPlayers >> (playerIndex & 31) & 1) != 0; }
  void SetGroup(TGroup* group) { Group = group; }

  TScenario* Scenario = nullptr;
  std::vector<std::string> Texts;
  Gfx::TSprite* OwnerFace = nullptr;
  std::string OwnerName;
  u32 OwnerType = 0;
  u32 OwnerID = 0;
  u16 TargetPlayers = 0;
  i32 ActivationRound = 0;
  u8 Active = 1;
  u8 Running = 0;
  TGroup* Group = nullptr;
  i32 ChosenAnswer = 0;
  u8 Refresh = 0;
  u8 Delete = 0;
};

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
