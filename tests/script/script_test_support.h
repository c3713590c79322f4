// What the conversation tests compare: the message a run raised, and a
// message inside the conversation's error frame.
#pragma once

#include <exception>
#include <functional>
#include <string>

namespace ScriptTest {

inline std::string ErrorOf(const std::function<void()>& run) {
  try {
    run();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(no error)";
}

inline std::string Framed(const std::string& message, const std::string& command, int conversationID) {
  return "[TConversation]\n" + message + "\nCommand:" + command + " ConversationID=" + std::to_string(conversationID);
}

}  // namespace ScriptTest
