#include "script/check_script.h"

#include <stdexcept>

#include "engine/base/base.h"
#include "world/scenario/quest_objective.h"

namespace Script {

namespace {

// The characters from the "<" at the front, upper-cased, equal the word.
bool StartsWithTag(std::string_view text, std::string_view word) {
  if (text.size() < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (c != word[i]) return false;
  }
  return true;
}

}  // namespace

TCheckScript::TCheckScript(GameData::TCheck& check)
    : TScriptValues(check.Scenario, check.Locals, true), Check(check) {}

// A check always bears the ID of its quest.
std::string TCheckScript::FrameMessage(const std::string& message) const {
  return Base::Format("[TCheck]\n%s\nCommand:%s CheckID=%d", message.c_str(), Check.CommandText.c_str(),
                      static_cast<int>(Check.Owner ? Check.Owner->ID : Check.ID));
}

GameData::TScenario& TCheckScript::World() {
  if (!Scenario) throw std::logic_error("A condition script runs without its scenario.");
  return *Scenario;
}

// The branch of an IF runs as a script of its own, then the text after its
// "<ENDIF>" goes on; the texts still to go on with are kept on a stack, so
// that deep nesting in a scenario file cannot exhaust the call stack.
void TCheckScript::RunScript(std::string_view text) {
  const size_t base = Pending.size();
  for (;;) {
    const size_t open = text.find('<');
    if (open == std::string_view::npos) {
      if (Pending.size() == base) return;
      text = Pending.back();
      Pending.pop_back();
      continue;
    }
    text.remove_prefix(open);
    const size_t close = text.find('>');
    const size_t length = close == std::string_view::npos ? text.size() : close + 1;
    Tag.assign(text.substr(0, length));
    for (char& c : Tag)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    text.remove_prefix(length);
    if (Tag.starts_with("<IF")) {
      const size_t end = FindEndIf(text);
      const size_t otherwise = FindElse(text);
      const bool holds = ExecuteCommand(Tag);
      Pending.push_back(text.substr(end + 7));
      if (holds)
        text = text.substr(0, otherwise == std::string_view::npos ? end : otherwise);
      else if (otherwise != std::string_view::npos)
        text = text.substr(otherwise + 6, end - otherwise - 6);
      else
        text = {};
    } else if (Tag != "<CRLF>") {
      ExecuteCommand(Tag);
    }
  }
}

size_t TCheckScript::FindEndIf(std::string_view text) {
  i32 level = 1;
  for (size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1)) {
    const std::string_view rest = text.substr(at);
    if (StartsWithTag(rest, "<ENDIF>")) {
      if (--level == 0) return at;
    } else if (StartsWithTag(rest, "<IF")) {
      ++level;
    }
  }
  RaiseScriptError("Could not find <EndIf>!");
}

size_t TCheckScript::FindElse(std::string_view text) {
  i32 level = 1;
  for (size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1)) {
    const std::string_view rest = text.substr(at);
    if (level == 1 && StartsWithTag(rest, "<ELSE>")) return at;
    if (StartsWithTag(rest, "<ENDIF>")) {
      if (--level == 0) return std::string_view::npos;
    } else if (StartsWithTag(rest, "<IF")) {
      ++level;
    }
  }
  return std::string_view::npos;
}

bool TCheckScript::ExecuteCommand(std::string_view tag) {
  // The brackets, or whatever stands in their places.
  Check.CommandText.assign(tag.size() < 2 ? std::string_view() : tag.substr(1, tag.size() - 2));
  const std::string_view text = Check.CommandText;
  const size_t open = text.find('(');
  const size_t close = text.find(')');
  // A "(" in the first place opens no parameters: the whole text is the name.
  const bool hasOpen = open != std::string_view::npos && open >= 1;
  std::string_view params;
  if (hasOpen && close != std::string_view::npos && open < close) params = text.substr(open + 1, close - open - 1);
  const std::string_view name = hasOpen ? text.substr(0, open) : text;
  for (const TCommand& command : Commands)
    if (command.Name == name) return (this->*command.Handler)(params);
  RaiseScriptError(Base::Format("Unknown command: %s.", std::string(name).c_str()));
}

}  // namespace Script
