// The mark-up processor: TEXT, CHOICE and NOTE blocks, IF with ELSE, LOOP
// and WHILE, every other tag dispatched to the command table.
#include <stdexcept>

#include "engine/base/base.h"
#include "engine/platform/system/text.h"
#include "script/conversation_commands.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"

namespace Script {

namespace {

// A page beyond this ends the run: loops could otherwise fill the memory.
constexpr size_t MaxPageLength = 1 << 20;

std::string Upper(std::string_view text) {
  std::string result(text);
  for (char& c : result)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return result;
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// Splits the next tag off the rest; false when the rest holds no "<".
bool ReadTag(std::string_view& rest, std::string_view& before, std::string& tag) {
  const size_t open = rest.find('<');
  if (open == std::string_view::npos) return false;
  before = rest.substr(0, open);
  size_t close = rest.find('>', open);
  close = close == std::string_view::npos ? rest.size() : close + 1;
  tag = Upper(rest.substr(open, close - open));
  rest.remove_prefix(close);
  return true;
}

// The text between the first "(" and the first ")" of a tag.
std::string_view ParamsOf(std::string_view tag) {
  const size_t p = tag.find('(');
  const size_t q = tag.find(')');
  if (p == std::string_view::npos || q == std::string_view::npos || q <= p) return {};
  return tag.substr(p + 1, q - p - 1);
}

void CheckPageLength(const std::string& output) {
  if (output.size() > MaxPageLength) throw std::runtime_error("Page too long: more than 1048576 characters.");
}

}  // namespace

TConversationCommands::TConversationCommands(GameData::TConversation& conversation)
    : TConversationScript(conversation) {}

// LOOP, WHILE and NOTE name themselves in error frames by their whole tag,
// brackets included, unlike the commands of the table.
void TConversationCommands::SetCommandText(std::string_view tag) { Conversation.CommandText = std::string(tag); }

void TConversationCommands::SpendLoopRound() {
  if (++LoopRounds > LoopBudget)
    RaiseScriptError(Base::Format("Loop budget exhausted: more than %d rounds of LOOP or WHILE!", LoopBudget));
}

std::string TConversationCommands::ProcessText(std::string_view text) {
  LoopRounds = 0;
  Nesting = 0;
  // Errors before the first command of the page name no command of an earlier one.
  Conversation.CommandText.clear();
  std::string output;
  Process(text, output);
  return output;
}

i32 TConversationCommands::FindEnd(std::string_view text, std::string_view endTag, std::string_view openPrefix,
                                   const char* message) {
  i32 level = 1;
  size_t position = 0;
  std::string_view rest = text;
  size_t examined = 0;
  for (;;) {
    const size_t open = rest.find('<');
    if (open == std::string_view::npos)
      RaiseScriptError(Base::Format(message, std::string(text.substr(examined)).c_str()));
    const std::string head = Upper(rest.substr(open, endTag.size()));
    if (head == endTag)
      --level;
    else if (StartsWith(head, openPrefix))
      ++level;
    if (level == 0) return static_cast<i32>(position + open);
    position += open + 1;
    examined = position;
    rest.remove_prefix(open + 1);
  }
}

i32 TConversationCommands::FindEndIf(std::string_view text) {
  return FindEnd(text, "<ENDIF>", "<IF", "Could not find <EndIf> in text: %s");
}

i32 TConversationCommands::FindEndLoop(std::string_view text) {
  return FindEnd(text, "<ENDLOOP>", "<LOOP", "Could not find <EndLoop> in text: %s");
}

i32 TConversationCommands::FindEndWhile(std::string_view text) {
  return FindEnd(text, "<ENDWHILE>", "<WHILE", "Could not find <EndWhile> in text: %s");
}

i32 TConversationCommands::FindElse(std::string_view text) {
  i32 level = 1;
  size_t position = 0;
  for (;;) {
    const size_t open = text.find('<', position);
    if (open == std::string_view::npos) return -1;
    const std::string head = Upper(text.substr(open, 7));
    if (StartsWith(head, "<ENDIF>")) {
      if (--level == 0) return -1;
    } else if (level == 1 && StartsWith(head, "<ELSE>")) {
      return static_cast<i32>(open);
    } else if (StartsWith(head, "<IF")) {
      ++level;
    }
    position = open + 1;
  }
}

void TConversationCommands::RunBlock(std::string_view& rest, std::string& output, const TBlockRules& rules) {
  std::string_view before;
  std::string tag;
  bool ended = false;
  while (ReadTag(rest, before, tag)) {
    output.append(before);
    // The forbidden tags exclude each other, so the order of the tests is free.
    if (tag == "<TEXT>") throw std::runtime_error(rules.InText);
    if (tag == "<CHOICE>") throw std::runtime_error(rules.InChoice);
    if (StartsWith(tag, "<NOTE(")) throw std::runtime_error(rules.InNote);
    if (StartsWith(tag, "<IF")) throw std::runtime_error(rules.InIf);
    if (tag == rules.End) {
      ended = true;
      break;
    }
    ExecuteCommand(tag, output);
    CheckPageLength(output);
  }
  if (!ended) {
    output.append(rest);
    rest = {};
    throw std::runtime_error(rules.Missing);
  }
}

namespace {

const TConversationCommands::TBlockRules TextRules{
    "No nested <Text> commands supported!", "No <Choice> command supported in <Text> command!",
    "No <Note()> command supported in <Text> command!", "No <If..> commands supported in <Text> command!",
    "<ENDTEXT>", "Could not find <EndText>!"};
const TConversationCommands::TBlockRules ChoiceRules{
    "No <Text> command supported in <Choice> command!", "No nested <Choice> commands supported!",
    "No <Note()> command supported in <Choice> command!", "No <If..> commands supported in <Choice> command!",
    "<ENDCHOICE>", "Could not find <EndChoice>!"};
const TConversationCommands::TBlockRules NoteRules{
    "No <Text> command supported in <Note()> command!", "No <Choice> command supported in <Note()> command!",
    "No nested <Note()> commands supported!", "No <If..> commands supported in <Note> command!", "<ENDNOTE>",
    "Could not find <EndNote>!"};

}  // namespace

void TConversationCommands::Process(std::string_view text, std::string& output) {
  if (++Nesting > MaxNesting)
    RaiseScriptError(Base::Format("Blocks nested deeper than %d levels!", MaxNesting));
  std::string_view rest = text;
  std::string_view before;
  std::string tag;
  while (!rest.empty() && ReadTag(rest, before, tag)) {
    if (StartsWith(tag, "<IF")) {
      const i32 e = FindEndIf(rest);
      const i32 l = FindElse(rest);
      const bool condition = ExecuteCommand(tag, output);
      if (condition)
        Process(rest.substr(0, static_cast<size_t>(l >= 0 ? l : e)), output);
      else if (l >= 0)
        Process(rest.substr(static_cast<size_t>(l) + 6, static_cast<size_t>(e - l - 6)), output);
      rest.remove_prefix(static_cast<size_t>(e) + 7);
    } else if (tag == "<CRLF>") {
    } else if (tag == "<TEXT>") {
      RunBlock(rest, output, TextRules);
    } else if (tag == "<CHOICE>") {
      output += "<CHOICE>";
      RunBlock(rest, output, ChoiceRules);
      output += "<ENDCHOICE>";
    } else if (StartsWith(tag, "<NOTE")) {
      SetCommandText(tag);
      std::string_view params = ParamsOf(tag);
      i32 player = TakeOptionalExpression(params, -1);
      CheckNoMoreParameters(params);
      if (player < 0) player = World().CurrentPlayerIndex;
      if (player < 0 || player > 4 || player >= World().PlayerCount())
        RaiseScriptError(Base::Format("Invalid player index: %d.", static_cast<int>(player)));
      std::string note;
      RunBlock(rest, note, NoteRules);
      World().Players[player]->Notes.push_back(note);
    } else if (StartsWith(tag, "<LOOP")) {
      SetCommandText(tag);
      std::string_view params = ParamsOf(tag);
      const i32 count = TakeExpression(params);
      CheckNoMoreParameters(params);
      const i32 e = FindEndLoop(rest);
      const std::string_view body = rest.substr(0, static_cast<size_t>(e));
      for (i32 i = 0; i < count; ++i) {
        SpendLoopRound();
        Process(body, output);
      }
      rest.remove_prefix(static_cast<size_t>(e) + 9);
    } else if (StartsWith(tag, "<WHILE")) {
      SetCommandText(tag);
      std::string_view params = ParamsOf(tag);
      const std::string condition(TakeParameter(params));
      CheckNoMoreParameters(params);
      const i32 e = FindEndWhile(rest);
      const std::string_view body = rest.substr(0, static_cast<size_t>(e));
      while (EvaluateExpression(condition) != 0) {
        SpendLoopRound();
        Process(body, output);
      }
      rest.remove_prefix(static_cast<size_t>(e) + 10);
    } else {
      ExecuteCommand(tag, output);
    }
    CheckPageLength(output);
  }
  --Nesting;
}

}  // namespace Script
