#include "script/conversation_script.h"

#include <stdexcept>

#include "engine/base/base.h"
#include "world/scenario/conversation.h"

namespace Script {

TConversationScript::TConversationScript(GameData::TConversation& conversation)
    : TScriptValues(conversation.Scenario, conversation.Locals, false), Conversation(conversation) {}

std::string TConversationScript::FrameMessage(const std::string& message) const {
  return Base::Format("[TConversation]\n%s\nCommand:%s ConversationID=%d", message.c_str(),
                      Conversation.CommandText.c_str(), static_cast<int>(Conversation.ID));
}

i32 TConversationScript::FindOwnAlias(std::string_view name) const {
  return Conversation.FindAlias(std::string(name));
}

}  // namespace Script
