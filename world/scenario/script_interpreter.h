// What the world asks of the script language: running a quest's condition
// script and turning a conversation text into a page. The scripting library
// implements it and connects it at start-up, so the world never depends on
// the interpreters.
#pragma once

#include <string>

namespace GameData {

class TCheck;
class TConversation;

class TScriptInterpreter {
 public:
  virtual ~TScriptInterpreter() = default;
  // Runs the check's script; SETRESULT writes the check's Result.
  virtual void RunCheck(TCheck& check) = 0;
  // One page from one of the conversation's texts.
  virtual std::string ProcessText(TConversation& conversation, const std::string& text) = 0;
};

// Null disconnects. The interpreter is not owned and must outlive its use.
void ConnectScripts(TScriptInterpreter* interpreter);
bool AreScriptsConnected();
// Raises std::logic_error while none is connected.
TScriptInterpreter& ConnectedScripts();

}  // namespace GameData
