// Measuring text, breaking it into lines of a width and shortening it.
#include <algorithm>

#include "engine/gfx/font.h"

namespace Gfx {

namespace {

bool IsBreak(char c) { return c == '\n' || c == '\r'; }
bool IsWordEnd(char c) { return c == ' ' || IsBreak(c); }

enum class TLineEnd { Wrap, HardLF, HardCR, Last };

// Breaks text into lines of width pixels and calls emit(line, end, used)
// for each, used being the width taken on the line (startX included on the
// first). fromMode: the first line starts startX in, and a word that does
// not fit after it moves to the next line whole.
template <class Emit>
void BreakLines(const TFont& font, std::string_view text, i32 width, i32 startX, bool fromMode, Emit emit) {
  const i32 n = static_cast<i32>(text.size());
  i32 pos = 0;
  bool firstLine = true;
  while (true) {
    i32 used = firstLine ? startX : 0;
    i32 lineStart = pos, lineEnd = pos;
    bool hasWord = false;
    while (true) {
      const i32 wordStart = pos;
      pos += WordLength(text, pos);
      i32 start = wordStart;
      // A line never begins with blanks or control characters.
      if (!hasWord)
        while (start < pos && static_cast<u8>(text[start]) <= 32) ++start;
      const i32 w = font.TextWidth(text.substr(start, pos - start));
      if (start < pos && w + used > width) {
        if (hasWord || (fromMode && firstLine && startX > 0)) {
          // The word begins the next line.
          pos = wordStart;
          emit(text.substr(lineStart, hasWord ? lineEnd - lineStart : 0), TLineEnd::Wrap, used);
          break;
        }
        // Alone too wide: cut it after as many characters as stay below the width.
        i32 k = 1, sum = 0;
        for (i32 i = start; i < pos; ++i) {
          sum += font.Width(static_cast<u8>(text[i]));
          if (sum < width) k = i - start + 1;
        }
        pos = start + k;
        emit(text.substr(start, k), TLineEnd::Wrap, font.TextWidth(text.substr(start, k)));
        break;
      }
      if (!hasWord) lineStart = start;
      lineEnd = pos;
      hasWord = true;
      used += w;
      if (pos == n) {
        emit(text.substr(lineStart, lineEnd - lineStart), TLineEnd::Last, used);
        return;
      }
      if (IsBreak(text[pos])) {
        emit(text.substr(lineStart, lineEnd - lineStart), text[pos] == '\n' ? TLineEnd::HardLF : TLineEnd::HardCR,
             used);
        // A trailing break ends the last line.
        if (++pos == n) return;
        break;
      }
    }
    firstLine = false;
  }
}

void AppendLine(std::string& out, std::string_view line, TLineEnd end) {
  out.append(line);
  if (end == TLineEnd::Wrap || end == TLineEnd::HardCR) out.push_back('\r');
  if (end == TLineEnd::HardLF) out.push_back('\n');
}

}  // namespace

i32 WordLength(std::string_view text, i32 pos) {
  const i32 n = static_cast<i32>(text.size());
  i32 i = pos;
  while (i < n && text[i] == ' ') ++i;
  while (i < n && !IsWordEnd(text[i])) ++i;
  return i - pos;
}

i32 TFont::TextWidth(std::string_view text) const {
  i32 w = 0;
  for (char c : text) w += Widths[static_cast<u8>(c)];
  return w + static_cast<i32>(text.size()) * Spacing;
}

i32 TFont::MaxLineWidth(std::string_view text) const {
  i32 widest = 0, line = 0;
  for (char c : text) {
    line += Widths[static_cast<u8>(c)] + Spacing;
    if (IsBreak(c)) {
      widest = std::max(widest, line);
      line = 0;
    }
  }
  return std::max(widest, line);
}

i32 TFont::TextHeight(std::string_view text) const {
  const i32 breaks = static_cast<i32>(std::count_if(text.begin(), text.end(), IsBreak));
  return Height + breaks * (Height + LineGap);
}

i32 TFont::WrappedTextHeight(std::string_view text, i32 width) const {
  if (text.empty()) return 0;
  i32 lines = 0;
  BreakLines(*this, text, width, 0, false, [&](std::string_view, TLineEnd, i32) { ++lines; });
  return lines * Height;
}

std::string TFont::WrapText(i32 width, std::string_view text) const {
  std::string out;
  if (text.empty()) return out;
  BreakLines(*this, text, width, 0, false,
             [&](std::string_view line, TLineEnd end, i32) { AppendLine(out, line, end); });
  return out;
}

void TFont::WrapTextFrom(i32 width, std::string_view text, std::string& result, i32& height, i32& x) const {
  result.clear();
  if (text.empty()) return;
  BreakLines(*this, text, width, x, true, [&](std::string_view line, TLineEnd end, i32 used) {
    AppendLine(result, line, end);
    if (end == TLineEnd::Last) {
      x = used;
    } else {
      height += Height;
      x = 0;
    }
  });
}

void TFont::DrawWrapped(Plat::TSurface* surface, const Base::TRect& area, std::string_view text, u32 colour,
                        const Base::TRect* clip) {
  if (text.empty()) return;
  i32 y = area.Top;
  BreakLines(*this, text, area.Width(), 0, false, [&](std::string_view line, TLineEnd, i32) {
    DrawText(surface, area.Left, y, line, colour, clip ? clip : &area);
    y += Height;
  });
}

// Positions below count characters from 1, as the places the text is cut at:
// character p stands just before the "...".
void TFont::AbbreviateToWidth(std::string& text, i32 width, i32 position) const {
  if (MaxLineWidth(text) <= width) return;
  const i32 length = static_cast<i32>(text.size());
  const i32 p = position < 0 || position > length ? length : position;
  text.insert(static_cast<std::size_t>(p), "...");
  for (i32 i = p; i >= 1; --i) {
    if (MaxLineWidth(text) <= width) return;
    text.erase(static_cast<std::size_t>(i - 1), 1);
  }
}

void TFont::AbbreviateToBox(std::string& text, i32 width, i32 position, i32 height) const {
  if (TextHeight(text) <= height) return;
  const i32 length = static_cast<i32>(text.size());
  i32 p = position < 0 || position > length ? length : position;
  text.insert(static_cast<std::size_t>(p), "...");
  // The last character at or before p (1-based) that is one of what; 0 for none.
  const auto lastAtOrBefore = [&](i32 from, std::string_view what) {
    for (i32 i = from; i >= 1; --i)
      if (what.find(text[static_cast<std::size_t>(i - 1)]) != std::string_view::npos) return i;
    return 0;
  };
  // Whole lines before the "..." first.
  while (TextHeight(text) > height) {
    const i32 j = p >= 1 ? lastAtOrBefore(p, "\r\n") : 0;
    if (j == 0) {
      text.clear();
      return;
    }
    text.erase(static_cast<std::size_t>(j - 1), static_cast<std::size_t>(p - j + 1));
    p = j - 1;
  }
  // Then words, then characters, until the widest line fits.
  while (p > 0 && MaxLineWidth(text) > width) {
    const i32 j = lastAtOrBefore(p, "\r\n ");
    if (j > 0 && text[static_cast<std::size_t>(j - 1)] == ' ') {
      text.erase(static_cast<std::size_t>(j - 1), static_cast<std::size_t>(p - j + 1));
      p = j - 1;
    } else {
      text.erase(static_cast<std::size_t>(p - 1), 1);
      --p;
    }
  }
}

}  // namespace Gfx
