#include "world/scenario/script_interpreter.h"

#include <stdexcept>

namespace GameData {

namespace {
TScriptInterpreter* Connected = nullptr;
}

void ConnectScripts(TScriptInterpreter* interpreter) { Connected = interpreter; }
bool AreScriptsConnected() { return Connected != nullptr; }

TScriptInterpreter& ConnectedScripts() {
  if (!Connected) throw std::logic_error("No script interpreter connected.");
  return *Connected;
}

}  // namespace GameData
