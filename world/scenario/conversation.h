// A conversation as the scenario holds it. Its script and mark-up are run by
// the scripting module.
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
  coGroupMet = 2,
  coLocationSighted = 3,
  coLocationEntered = 4,
  coArea = 5,
  coAreaEntered = 6,
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

}  // namespace GameData
