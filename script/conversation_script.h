// A conversation's side of the value language: its own aliases hide the
// scenario's, a parameter of blanks is a parameter, and errors carry the
// conversation's frame.
#pragma once

#include <string>

#include "script/script_values.h"

namespace GameData {
class TConversation;
}

namespace Script {

class TConversationScript : public TScriptValues {
 public:
  explicit TConversationScript(GameData::TConversation& conversation);

 protected:
  std::string FrameMessage(const std::string& message) const override;
  i32 FindOwnAlias(std::string_view name) const override;

  GameData::TConversation& Conversation;
};

}  // namespace Script
