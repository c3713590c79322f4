#include "engine/gfx/color_text.h"

#include <algorithm>

#include "engine/gfx/font.h"

namespace Gfx {

namespace {

bool IsBreak(char c) { return c == '\n' || c == '\r'; }

}  // namespace

void TColorText::Add(TFont* font, u32 colour, i32 x, i32 y, const std::string& text, u32 kind) {
  Add(new TColorTextNode{font, colour, x, y, text, kind});
}

void TColorText::Clear() {
  for (TColorTextNode* node : *this) delete node;
  Data::TDynamicArray<TColorTextNode*>::Clear();
}

void TColorText::Justify(i32 width) {
  SplitIntoWords();
  for (i32 first = 0; first < Count();) {
    i32 last = first;
    while (last + 1 < Count() && (*this)[last]->Kind != ckLineFeed && (*this)[last]->Kind != ckWrap) ++last;
    if ((*this)[last]->Kind == ckWrap) JustifyLine(first, last, width);
    first = last + 1;
  }
}

// One pen for the whole text, carried from piece to piece.
void TColorText::SplitIntoWords() {
  i32 penX = 0, penY = 0;
  for (i32 i = 0; i < Count();) {
    TColorTextNode* piece = (*this)[i];
    Delete(i);
    const std::string& t = piece->Text;
    const std::size_t n = t.size();
    const auto insert = [&](const std::string& text, u32 kind) {
      Insert(new TColorTextNode{piece->Font, piece->Color, penX, penY, text, kind}, i++);
    };
    const auto newLine = [&] {
      penX = 0;
      penY += piece->Font->Height;
    };
    std::string word;
    for (std::size_t p = 0; p < n;) {
      const char ch = t[p];
      if (ch != ' ' && !IsBreak(ch)) {
        word += ch;
        if (++p == n) {
          insert(word, ckLastWord);
          penX += piece->Font->TextWidth(word);
        }
        continue;
      }
      if (!word.empty()) {
        std::size_t next = p;
        while (next < n && t[next] == ' ') ++next;
        if (next < n && IsBreak(t[next])) {
          insert(word, t[next] == '\n' ? ckLineFeed : ckWrap);
          newLine();
          ++next;
        } else {
          word += ' ';
          insert(word, ckBlank);
          penX += piece->Font->TextWidth(word);
        }
        word.clear();
        p = next;
      } else if (IsBreak(ch)) {
        // A break right after a break, or at the start of a piece.
        newLine();
        if (i > 0) (*this)[i - 1]->Kind = ch == '\n' ? ckLineFeed : ckWrap;
        ++p;
      } else {
        // A blank no word precedes breaks the layout's rule: it is dropped.
        ++p;
      }
    }
    delete piece;
  }
}

void TColorText::JustifyLine(i32 first, i32 last, i32 width) {
  i32 lineWidth = 0, gaps = 0;
  for (i32 j = first; j <= last; ++j) {
    const TColorTextNode& node = *(*this)[j];
    lineWidth += node.Font->TextWidth(node.Text);
    gaps += node.Kind == ckBlank;
  }
  i32 pos = 0, k = 0;
  for (i32 j = first; j <= last; ++j) {
    TColorTextNode& node = *(*this)[j];
    node.X = pos + (gaps > 0 ? (width - lineWidth) * k / gaps : 0);
    pos += node.Font->MaxLineWidth(node.Text);
    k += node.Kind == ckBlank;
  }
}

void TColorText::Draw(Plat::TSurface* surface, i32 x, i32 y, const Base::TRect* clip) const {
  for (const TColorTextNode* node : *this)
    node->Font->DrawText(surface, x + node->X, y + node->Y, node->Text, node->Color, clip);
}

i32 TColorText::GetHeight() const {
  i32 height = 0;
  for (const TColorTextNode* node : *this) height = std::max(height, node->Y + node->Font->TextHeight(node->Text));
  return height;
}

}  // namespace Gfx
