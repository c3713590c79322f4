// Text made of pieces that differ in font and colour, laid out word by word:
// lines end where the text holds CR (a wrap) or LF (a hard break), and lines
// that end in a wrap are justified to the full width.
#pragma once

#include <string>

#include "engine/base/rect.h"
#include "engine/data/dynamic_array.h"

namespace Plat {
class TSurface;
}

namespace Gfx {

class TFont;

// What follows a word after layout; pieces added before layout carry
// ckLastWord.
enum TColorTextKind : u32 { ckLastWord = 0, ckLineFeed = 1, ckWrap = 2, ckBlank = 4 };

struct TColorTextNode {
  TFont* Font = nullptr;  // not owned
  u32 Color = 0;          // 5-6-5
  i32 X = 0, Y = 0;       // from the text's origin
  std::string Text;
  u32 Kind = ckLastWord;  // ckBlank: Text ends in that one blank
};

// Owns its nodes.
class TColorText : public Data::TDynamicArray<TColorTextNode*> {
 public:
  TColorText() = default;
  ~TColorText() { Clear(); }
  TColorText(const TColorText&) = delete;
  TColorText& operator=(const TColorText&) = delete;

  using Data::TDynamicArray<TColorTextNode*>::Add;
  void Add(TFont* font, u32 colour, i32 x, i32 y, const std::string& text, u32 kind);
  // Splits the pieces into words placed one after another, then spreads the
  // spare pixels of every wrapped line over its gaps.
  void Justify(i32 width);
  void Draw(Plat::TSurface* surface, i32 x, i32 y, const Base::TRect* clip) const;
  // The lowest text bottom; 0 without nodes.
  i32 GetHeight() const;
  // Deletes every node.
  void Clear();

 private:
  void SplitIntoWords();
  void JustifyLine(i32 first, i32 last, i32 width);
};

}  // namespace Gfx
