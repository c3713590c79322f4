#include "game/talk/talk_page.h"

#include <stdexcept>

namespace Main {

namespace {

constexpr std::string_view ChoiceTag = "<CHOICE>", EndChoiceTag = "<ENDCHOICE>";

bool IsSpeakerTag(std::string_view text) {
  return text.size() >= 3 && text[0] == '<' && text[1] >= '0' && text[1] <= '2' && text[2] == '>';
}

}  // namespace

i32 TTalkPage::ChoiceCount() const {
  i32 n = 0;
  for (const TPagePiece& piece : Pieces) n += piece.Choice;
  return n;
}

TTalkPage ParseTalkPage(std::string_view text) {
  if (!IsSpeakerTag(text)) throw std::runtime_error("TTalkDialog: talker missing!");
  TTalkPage page;
  page.Talker = static_cast<TTalker>(text[1] - '0');
  text.remove_prefix(3);
  while (!text.empty()) {
    const size_t p = text.find(ChoiceTag);
    if (p != 0) page.Pieces.push_back({std::string(text.substr(0, p)), false});
    // A "<CHOICE>" that ends the page opens nothing.
    if (p == std::string_view::npos || p + ChoiceTag.size() >= text.size()) break;
    text.remove_prefix(p + ChoiceTag.size());
    const size_t q = text.find(EndChoiceTag);
    if (q == std::string_view::npos) throw std::runtime_error("TTalkDialog: <EndChoice> not found!");
    page.Pieces.push_back({std::string(text.substr(0, q)), true});
    text.remove_prefix(q + EndChoiceTag.size());
  }
  return page;
}

bool IsBlankPage(std::string_view text) { return text.empty() || (text.size() == 3 && IsSpeakerTag(text)); }

std::string ConversationLogLine(std::string_view text, i32 answer) {
  std::string line;
  i32 choices = 0;
  for (;;) {
    const size_t open = text.find('<');
    line.append(text.substr(0, open));
    if (open == std::string_view::npos) break;
    text.remove_prefix(open);
    if (IsSpeakerTag(text)) {
      text.remove_prefix(3);
    } else if (text.substr(0, ChoiceTag.size()) == ChoiceTag) {
      ++choices;
      text.remove_prefix(ChoiceTag.size());
      const size_t end = text.find(EndChoiceTag);
      if (end == std::string_view::npos) throw std::runtime_error("AddTextToNotes: <ENDCHOIE> not found!");
      if (choices == answer) line.append(text.substr(0, end));
      text.remove_prefix(end + EndChoiceTag.size());
    } else {
      throw std::runtime_error("AddTextToNotes: Unknown command!");
    }
  }
  return line;
}

}  // namespace Main
