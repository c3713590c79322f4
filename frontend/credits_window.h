// The credits: lines of "credits.txt" scroll up over a sequence of pictures
// while the credits music plays, until the last line has left the text
// area, a click or Esc.
#pragma once

#include <string>
#include <vector>

#include "controls/orv_window.h"
#include "engine/base/types.h"
#include "engine/data/stream.h"

namespace Gfx {
class TFont;
class TSprite;
}  // namespace Gfx

namespace Main {

// What "credits.txt" holds: the pictures' sprite IDs in display order and
// the text lines (each at most 127 characters).
struct TCreditsText {
  static constexpr i32 MaxLines = 1024;
  static constexpr i32 MaxLineLength = 127;
  // Larger files are refused: a thousand short lines fit many times over.
  static constexpr i64 MaxFileSize = 1 << 20;

  std::vector<u32> Pictures;
  std::vector<std::string> Lines;

  // Lines until "<end>" (any case), 1024 lines or the end of the file;
  // "Invalid data." for a file without its picture list.
  void Read(Data::TStream& s);
};

class TCreditsWindow : public TOrvWindow {
 public:
  struct TBckgInfo {
    u32 SpriteID = 0;
    Gfx::TSprite* Sprite = nullptr;
  };

  // Reads "credits.txt" of the "globals" archive and takes its fonts and
  // pictures; a missing file, font or picture raises.
  explicit TCreditsWindow(DXWin::TDXWindowSystem* windowSystem);
  // The same from text already read (tools and tests).
  TCreditsWindow(DXWin::TDXWindowSystem* windowSystem, const TCreditsText& text);
  ~TCreditsWindow() override;

  // The credits modally with their music; where there is no screen to show
  // them on, only the music starts and fades.
  void Run();
  void Finish();

  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;
  void Update() override;

  std::vector<std::string> Lines;
  i32 Scroll = 0;
  u8 Finished = 0;
  Gfx::TFont* Fonts[2] = {};  // 28 for plain lines and "<1>", 29 for "<2>"
  std::vector<TBckgInfo> Backgrounds;
  Gfx::TSprite* Background = nullptr;

  static constexpr i32 LineHeight = 31;
  static constexpr i32 TextCentreX = 200;
  static constexpr i32 TextTop = 38, TextBottom = 567;

 private:
  void Init(const TCreditsText& text);
  void ReleaseAll();
  void FinishClick(DXWin::TDXControl*) { Finish(); }
  void KeyDown(Plat::WPARAM& key, DXWin::TShiftState shift) override;
};

}  // namespace Main
