#include "script/script_connection.h"

#include "script/check_script.h"
#include "script/conversation_commands.h"
#include "world/scenario/quest_objective.h"
#include "world/scenario/script_interpreter.h"

namespace Script {

namespace {

class TInterpreter : public GameData::TScriptInterpreter {
 public:
  void RunCheck(GameData::TCheck& check) override { TCheckScript(check).RunScript(check.Script); }
  std::string ProcessText(GameData::TConversation& conversation, const std::string& text) override {
    return TConversationCommands(conversation).ProcessText(text);
  }
};

TInterpreter Interpreter;

}  // namespace

void ConnectToWorld() { GameData::ConnectScripts(&Interpreter); }

}  // namespace Script
