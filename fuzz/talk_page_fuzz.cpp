// Input: a conversation page as the mark-up hands it to the conversation
// window, split into its pieces and turned into the log line for no answer
// and for the first two choices.
#include <stdexcept>
#include <string>

#include "game/talk/talk_page.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    Main::ParseTalkPage(text);
  } catch (const std::runtime_error&) {
  }
  for (i32 answer = 0; answer <= 2; ++answer) {
    try {
      Main::ConversationLogLine(text, answer);
    } catch (const std::runtime_error&) {
    }
  }
  return 0;
}
