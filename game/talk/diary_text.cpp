#include "game/talk/diary_text.h"

#include <algorithm>
#include <stdexcept>

#include "engine/data/text_data.h"
#include "engine/gfx/color_text.h"
#include "engine/gfx/colors.h"
#include "engine/gfx/font.h"
#include "world/scenario/quest_objective.h"

namespace Main {

namespace {

constexpr u32 SolvedRGB = 0x000080, FailedRGB = 0x800000;

// The number of the tag at the front of text, which is taken off.
i32 TakeTag(std::string_view& text) {
  const std::size_t close = text.find('>');
  if (close == std::string_view::npos) throw std::runtime_error("TDiaryDialog: Could not find '>'!");
  const i32 n = Data::StrToInt(std::string(text.substr(1, close - 1)));
  text.remove_prefix(close + 1);
  return n;
}

u32 PieceColour(i32 kind) {
  return Gfx::PackRGB565(kind > 0 ? SolvedRGB : kind < 0 ? FailedRGB : 0);
}

}  // namespace

TDiaryPiece TakeDiaryPiece(std::string_view& text, const i32 (&locals)[DiaryLocalCount]) {
  TDiaryPiece piece;
  if (!text.starts_with('<')) {
    const std::size_t end = std::min(text.find('<'), text.size());
    piece.Text = text.substr(0, end);
    text.remove_prefix(end);
    return piece;
  }
  const i32 n = TakeTag(text);
  if (n < 0 || n >= DiaryLocalCount) throw std::runtime_error("TDiaryDialog: Index out of range!");
  const std::size_t end = text.find('<');
  if (end == std::string_view::npos) throw std::runtime_error("TDiaryDialog: Could not find '<'!");
  piece.Text = text.substr(0, end);
  text.remove_prefix(end);
  if (TakeTag(text) != n) throw std::runtime_error("TDiaryDialog: Variables don't match!");
  piece.Kind = locals[n] > 0 ? 1 : locals[n] < 0 ? -1 : 0;
  return piece;
}

std::string RemoveDiaryTags(std::string_view text) {
  std::string kept;
  for (std::size_t open; (open = text.find('<')) != std::string_view::npos;) {
    kept += text.substr(0, open);
    const std::size_t close = text.find('>', open);
    text.remove_prefix(close == std::string_view::npos ? text.size() : close + 1);
  }
  return kept += text;
}

bool DiaryListsBefore(const GameData::TQuestObjective& a, const GameData::TQuestObjective& b) {
  if (a.Type != b.Type) return a.Type < b.Type;
  // std::string compares its bytes unsigned.
  if (a.Type == GameData::qtQuest && a.HeroName != b.HeroName) return a.HeroName < b.HeroName;
  if (a.State != b.State) return a.State < b.State;
  return a.GivenSerial < b.GivenSerial;
}

void AddObjectiveText(Gfx::TColorText& target, Gfx::TFont& font, const GameData::TQuestObjective& objective) {
  const std::string text = "-" + objective.Text + "\n";
  const i32 top = target.GetHeight();
  if (objective.State == GameData::qsSolved || objective.State == GameData::qsFailed) {
    const i32 kind = objective.State == GameData::qsSolved ? 1 : -1;
    target.Add(&font, PieceColour(kind), 0, top, font.WrapText(DiaryPageWidth, RemoveDiaryTags(text)), Gfx::ckLastWord);
    return;
  }
  i32 penX = 0, penY = top;
  Gfx::TColorTextNode* before = nullptr;
  for (std::string_view rest = text; !rest.empty();) {
    TDiaryPiece piece = TakeDiaryPiece(rest, objective.Check.Locals);
    // The layout joins a piece that starts with blanks to the word before
    // it ("Hand.Das"); the gap goes to the end of the piece before instead.
    const std::size_t words = piece.Text.find_first_not_of(' ');
    if (words != 0 && !piece.Text.empty()) {
      piece.Text.erase(0, std::min(words, piece.Text.size()));
      if (before && penX > 0 && before->Text.back() != ' ') {
        before->Text += ' ';
        penX += font.TextWidth(" ");
      }
    }
    const i32 x = penX, y = penY;
    std::string wrapped;
    font.WrapTextFrom(DiaryPageWidth, piece.Text, wrapped, penY, penX);
    const bool empty = wrapped.empty();
    target.Add(&font, PieceColour(piece.Kind), x, y, wrapped, Gfx::ckLastWord);
    if (!empty) before = target[target.Count() - 1];
  }
}

}  // namespace Main
