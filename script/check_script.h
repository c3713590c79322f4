// The interpreter of a quest's condition script: tags with commands that
// inspect the world, IF blocks with ELSE, SETRESULT for the verdict.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "script/script_values.h"

namespace GameData {
class TCheck;
}

namespace Script {

class TCheckScript : public TScriptValues {
 public:
  explicit TCheckScript(GameData::TCheck& check);

  // Runs a script text against the check (its own script for Execute).
  void RunScript(std::string_view text);
  // One tag with its brackets, upper-cased; the command's bool result.
  bool ExecuteCommand(std::string_view tag);
  // Positions in the text after an IF tag: the "<" of the matching
  // "<ENDIF>" (raises when there is none), and of the "<ELSE>" of the same
  // block (npos for none).
  size_t FindEndIf(std::string_view text);
  static size_t FindElse(std::string_view text);


 private:
  std::string FrameMessage(const std::string& message) const override;

  using THandler = bool (TCheckScript::*)(std::string_view);
  struct TCommand {
    std::string_view Name;
    THandler Handler;
  };
  static constexpr int CommandCount = 20;
  static const TCommand Commands[CommandCount];

  void SetLocal0(i32 value) { Locals[0] = value; }
  // Every player parameter of these commands lies in -1 to 4.
  void CheckPlayer(i32 player, const char* message);
  GameData::TScenario& World();

  bool Crlf(std::string_view params);
  bool Set(std::string_view params);
  bool IfEqual(std::string_view params);
  bool IfGreater(std::string_view params);
  bool IfUnequal(std::string_view params);
  bool IfTrue(std::string_view params);
  bool IfFalse(std::string_view params);
  bool GetRandom(std::string_view params);
  bool SetResult(std::string_view params);
  bool LivesUnit(std::string_view params);
  bool LiveUnitsAnd(std::string_view params);
  bool LiveUnitsOr(std::string_view params);
  bool GetPrototypeCount(std::string_view params);
  bool GetUnitsInArea(std::string_view params);
  bool UnitInArea(std::string_view params);
  bool GetTurn(std::string_view params);
  bool GetUnits(std::string_view params);
  bool GetController(std::string_view params);
  bool GetHeroID(std::string_view params);
  bool UnitsInCity(std::string_view params);

  GameData::TCheck& Check;
  std::string Tag;
  std::vector<std::string_view> Pending;
};

}  // namespace Script
