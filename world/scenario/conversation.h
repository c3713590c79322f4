// A conversation as the scenario holds it: who speaks, the event that starts
// it, the players it is meant for and its texts. Its script and mark-up are
// run by the scripting module.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engine/data/data_object.h"
#include "world/units/unit.h"

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
  coMerchant = 8,
};

constexpr i32 ScriptLocalCount = 32;

class TConversation : public Data::TDataObject {
 public:
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;

  void SetScenario(TScenario* scenario) { Scenario = scenario; }
  // Bit (index mod 32) of the mask taken as a signed 16-bit value.
  bool IsTargetPlayer(i32 playerIndex) const {
    return (static_cast<i32>(static_cast<i16>(TargetPlayers)) >> (playerIndex & 31) & 1) != 0;
  }
  void SetGroup(TGroup* group) { Group = group; }
  // The LOCAL index of the first alias of that name, case ignored; -1 for none.
  i32 FindAlias(const std::string& name) const;
  // One page from the text with that index, empty outside the texts; clears
  // Refresh first.
  std::string GetText(i32 index);

  TScenario* Scenario = nullptr;
  std::string Name;
  std::vector<std::string> Texts;
  i32 Locals[ScriptLocalCount] = {};
  // Alias names of LOCAL variables with their index (0..31).
  std::vector<std::pair<std::string, i32>> Aliases;
  // The speaker's portrait: its ID is stored; the talk window finds the
  // picture.
  u32 OwnerFaceID = 0;
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
  // The tag being executed, for error messages.
  std::string CommandText;
  // The work record that the property commands fill through unit ID 0 and
  // the after-effect commands copy to units. Neither saved nor cleared with
  // the conversation.
  TAfterEffect AfterEffect{};
};

}  // namespace GameData
