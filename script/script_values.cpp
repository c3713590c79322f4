#include "script/script_values.h"

#include <limits>
#include <stdexcept>

#include "engine/base/base.h"
#include "world/scenario/scenario.h"

namespace Script {

namespace {

constexpr i32 LocalCount = 32;

[[noreturn]] void RaiseConversionError(std::string_view text) {
  throw std::runtime_error(Base::Format("'%s' is not a valid integer value", std::string(text).c_str()));
}

}  // namespace

bool IsNumber(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string_view TrimText(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

i32 ToInteger(std::string_view text) {
  std::string_view digits = text;
  bool negative = false;
  if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  if (!IsNumber(digits)) RaiseConversionError(text);
  const i64 limit = negative ? -static_cast<i64>(std::numeric_limits<i32>::min()) : std::numeric_limits<i32>::max();
  i64 value = 0;
  for (char c : digits) {
    value = value * 10 + (c - '0');
    if (value > limit) RaiseConversionError(text);
  }
  return static_cast<i32>(negative ? -value : value);
}

i32& TScriptValues::ResolveVariable(std::string_view name) {
  if (name.substr(0, 5) == "LOCAL") {
    const i32 index = ToInteger(name.substr(5));
    if (index < 0 || index >= LocalCount)
      RaiseScriptError("Bad index of local variable!\nThere is 32 local variables with index starting at 0!");
    return Locals[index];
  }
  if (name.substr(0, 6) == "GLOBAL") {
    const i32 index = ToInteger(name.substr(6));
    if (index < 0 || index >= GameData::GlobalCount)
      RaiseScriptError("Bad index of global variable!\nThere is 1024 global variables with index starting at 0!");
    return Scenario->Globals[index];
  }
  const i32 own = FindOwnAlias(name);
  if (own >= 0) return Locals[own];
  const i32 global = Scenario ? Scenario->FindAlias(std::string(name)) : -1;
  // Aliases are made with indexes in range; a damaged file is not trusted.
  if (global >= 0 && global < GameData::GlobalCount) return Scenario->Globals[global];
  throw std::runtime_error(Base::Format("Unknown variable:%s!", std::string(name).c_str()));
}

i32 TScriptValues::GetOperandValue(std::string_view operand) {
  operand = TrimText(operand);
  if (operand.empty()) return 0;
  if (IsNumber(operand)) return ToInteger(operand);
  return ResolveVariable(operand);
}

i32 TScriptValues::EvaluateExpression(std::string_view expression) {
  // The last operator splits off the right operand; evaluating the left part
  // first is the same as going from left to right.
  size_t start = 0;
  size_t at = expression.find_first_of("+-*/");
  i32 value = GetOperandValue(expression.substr(0, at));
  while (at != std::string_view::npos) {
    const char op = expression[at];
    start = at + 1;
    at = expression.find_first_of("+-*/", start);
    const i32 right = GetOperandValue(expression.substr(start, at == std::string_view::npos ? at : at - start));
    const u32 a = static_cast<u32>(value), b = static_cast<u32>(right);
    switch (op) {
      case '+':
        value = static_cast<i32>(a + b);
        break;
      case '-':
        value = static_cast<i32>(a - b);
        break;
      case '*':
        value = static_cast<i32>(a * b);
        break;
      default:
        if (right == 0) throw std::runtime_error("Division by zero");
        // The one quotient outside int32 wraps like the others.
        value = right == -1 ? static_cast<i32>(0u - a) : value / right;
        break;
    }
  }
  return value;
}

std::string_view TScriptValues::TakeParameter(std::string_view& params) {
  if (TrimBeforeTest) params = TrimText(params);
  if (params.empty()) RaiseScriptError("Parameter expected!");
  return TrimText(TakeOptionalParameter(params));
}

i32 TScriptValues::TakeExpression(std::string_view& params) { return EvaluateExpression(TakeParameter(params)); }

std::string_view TScriptValues::TakeOptionalParameter(std::string_view& params) {
  const size_t comma = params.find(',');
  std::string_view taken = params.substr(0, comma);
  params.remove_prefix(comma == std::string_view::npos ? params.size() : comma + 1);
  return taken;
}

i32 TScriptValues::TakeOptionalExpression(std::string_view& params, i32 fallback) {
  const std::string_view taken = TakeOptionalParameter(params);
  return taken.empty() ? fallback : EvaluateExpression(taken);
}

void TScriptValues::RaiseScriptError(const std::string& message) { throw std::runtime_error(FrameMessage(message)); }

void TScriptValues::CheckNoMoreParameters(std::string_view params) {
  if (!params.empty()) RaiseScriptError(Base::Format("Parameter(s) %s NOT expected!", std::string(params).c_str()));
}

}  // namespace Script
