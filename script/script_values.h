// The value language that condition scripts and conversations share: int32
// values, LOCAL and GLOBAL variables, aliases, expressions evaluated strictly
// from left to right, the parameter readers of the command handlers and the
// error frame.
#pragma once

#include <string>
#include <string_view>

#include "engine/base/types.h"

namespace GameData {
class TScenario;
}

namespace Script {

// Made only of the digits 0 to 9 (and not empty).
bool IsNumber(std::string_view text);
// Characters up to and including the blank cut at both ends.
std::string_view TrimText(std::string_view text);
// An optional sign and decimal digits within int32; anything else raises
// "'%s' is not a valid integer value".
i32 ToInteger(std::string_view text);

class TScriptValues {
 public:
  virtual ~TScriptValues() = default;

  i32& ResolveVariable(std::string_view name);
  i32 GetOperandValue(std::string_view operand);
  i32 EvaluateExpression(std::string_view expression);
  // The readers take from the front of the parameter text.
  std::string_view TakeParameter(std::string_view& params);
  i32 TakeExpression(std::string_view& params);
  std::string_view TakeOptionalParameter(std::string_view& params);
  i32 TakeOptionalExpression(std::string_view& params, i32 fallback);
  void CheckNoMoreParameters(std::string_view params);
  // Raises the message inside the object's frame.
  [[noreturn]] void RaiseScriptError(const std::string& message);

 protected:
  TScriptValues(GameData::TScenario* scenario, i32* locals, bool trimBeforeTest)
      : Scenario(scenario), Locals(locals), TrimBeforeTest(trimBeforeTest) {}
  // The object's own alias of a LOCAL index, -1 for none.
  virtual i32 FindOwnAlias(std::string_view) const { return -1; }
  // The message with the object's command text and ID.
  virtual std::string FrameMessage(const std::string& message) const = 0;

  GameData::TScenario* Scenario;
  i32* Locals;

 private:
  // A check tests the trimmed parameter text for emptiness, a conversation
  // the text as it stands.
  bool TrimBeforeTest;
};

}  // namespace Script
