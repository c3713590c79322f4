// The diary's objective texts: a piece enclosed in "<n>" and "<n>" takes its
// colour from the sign of LOCALn of the objective's condition script, so a
// text can show which of its parts are done. Also the order in which the
// diary lists objectives and quests.
#pragma once

#include <string>
#include <string_view>

#include "engine/base/types.h"

namespace GameData {
class TQuestObjective;
}
namespace Gfx {
class TColorText;
class TFont;
}  // namespace Gfx

namespace Main {

constexpr i32 DiaryPageWidth = 196;
constexpr i32 DiaryLocalCount = 32;

// 0 plain text, above 0 a part that is met, below 0 one that failed.
struct TDiaryPiece {
  i32 Kind = 0;
  std::string Text;
};

// Takes the next piece off the front of text: plain text up to the next '<',
// or a part enclosed in two equal tags. Raises "TDiaryDialog: Could not find
// '>'!", "TDiaryDialog: Index out of range!", "TDiaryDialog: Could not find
// '<'!", "TDiaryDialog: Variables don't match!", or the conversion error for
// a tag that holds no number.
TDiaryPiece TakeDiaryPiece(std::string_view& text, const i32 (&locals)[DiaryLocalCount]);

// The text with everything from each '<' through the next '>' (or the end)
// dropped.
std::string RemoveDiaryTags(std::string_view text);

// Type, then (for two quests) the hero's name byte by byte, state and the
// order of giving.
bool DiaryListsBefore(const GameData::TQuestObjective& a, const GameData::TQuestObjective& b);

// Appends "-", the objective's text and a line break at the text's current
// height, wrapped to the page width: a solved or failed one without its tags
// in one colour, an open one piece by piece. The pieces before an error stay.
void AddObjectiveText(Gfx::TColorText& target, Gfx::TFont& font, const GameData::TQuestObjective& objective);

}  // namespace Main
