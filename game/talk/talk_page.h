// A conversation page as the mark-up hands it over: a speaker tag ("<0>" the
// narrator, "<1>" the conversation's owner, "<2>" the group spoken to), then
// plain text and answer choices "<CHOICE>" text "<ENDCHOICE>"; and the line
// that the player's conversation log keeps of a page and its answer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/base/types.h"

namespace Main {

enum TTalker : u8 { tkNarrator = 0, tkOwner = 1, tkGroup = 2 };

struct TPagePiece {
  std::string Text;
  bool Choice = false;
};

struct TTalkPage {
  TTalker Talker = tkNarrator;
  // Plain texts and choices in page order; choices are numbered from 0.
  std::vector<TPagePiece> Pieces;

  i32 ChoiceCount() const;
};

// Raises "TTalkDialog: talker missing!" without a speaker tag and
// "TTalkDialog: <EndChoice> not found!" for an unended choice.
TTalkPage ParseTalkPage(std::string_view text);

// A text that shows no page: empty, or a speaker tag alone.
bool IsBlankPage(std::string_view text);

// The log line: the text without its speaker tags and with only the chosen
// answer's text (answer 0 none, i + 1 for choice i). Raises
// "AddTextToNotes: <ENDCHOIE> not found!" and "AddTextToNotes: Unknown command!".
std::string ConversationLogLine(std::string_view text, i32 answer);

}  // namespace Main
