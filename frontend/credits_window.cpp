#include "frontend/credits_window.h"

#include <memory>

#include "engine/base/base.h"
#include "engine/data/archive.h"
#include "engine/data/text_data.h"
#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/window_system.h"
#include "engine/gfx/font.h"
#include "engine/gfx/sprite.h"
#include "engine/platform/system/text.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"
#include "world/scenario/settings.h"
#include "world/scenario/sound.h"

namespace Main {

void TCreditsText::Read(Data::TStream& s) {
  Pictures.clear();
  Lines.clear();
  const i64 size = s.GetSize() - s.GetPosition();
  Data::CheckData(size <= MaxFileSize);
  // The token reader needs a byte after the last token: a file may end
  // right after it.
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (size > 0) s.ReadBuffer(bytes.data(), static_cast<i32>(size));
  bytes += "\r\n";
  Data::TMemoryStream text(bytes);
  const i32 count = Data::ReadTextInt(text);
  Data::CheckData(count >= 0);
  for (i32 i = 0; i < count; ++i) Pictures.push_back(static_cast<u32>(Data::ReadTextInt(text)));
  std::string token;
  while (static_cast<i32>(Lines.size()) < MaxLines && text.GetPosition() < text.GetSize()) {
    try {
      Data::ReadTextToken(text, token, 0);
    } catch (const std::exception&) {
      // Only blanks and comments were left.
      break;
    }
    if (Plat::EqualNoCase(token, "<end>")) break;
    Lines.push_back(token.substr(0, MaxLineLength));
  }
}

namespace {

TCreditsText ReadCreditsFile() {
  if (!Data2::GlobalsArchive) throw std::runtime_error("The globals archive is not open.");
  std::unique_ptr<Data::TStream> file(Data2::GlobalsArchive->OpenFile("credits.txt"));
  TCreditsText text;
  text.Read(*file);
  return text;
}

// The mark of a line ("<1>", "<2>") and its font slot; 0 for a plain line.
i32 MarkOf(const std::string& line) {
  if (line.size() >= 3 && line[0] == '<' && line[2] == '>' && (line[1] == '1' || line[1] == '2')) return line[1] - '0';
  return 0;
}

}  // namespace

TCreditsWindow::TCreditsWindow(DXWin::TDXWindowSystem* windowSystem)
    : TCreditsWindow(windowSystem, ReadCreditsFile()) {}

TCreditsWindow::TCreditsWindow(DXWin::TDXWindowSystem* windowSystem, const TCreditsText& text)
    : TOrvWindow(windowSystem, DXWin::wfModal | DXWin::wfCentered, 0) {
  SetSize(800, 600);
  OnClick = DXWin::TNotifyEvent::Of<&TCreditsWindow::FinishClick>(this);
  try {
    Init(text);
  } catch (...) {
    ReleaseAll();
    throw;
  }
}

TCreditsWindow::~TCreditsWindow() { ReleaseAll(); }

void TCreditsWindow::Init(const TCreditsText& text) {
  Lines = text.Lines;
  Data2::TGlobalData* global = Data2::GlobalData;
  if (!global) return;
  Fonts[0] = global->AcquireFont(28);
  Fonts[1] = global->AcquireFont(29);
  for (u32 id : text.Pictures) {
    Backgrounds.push_back({id, nullptr});
    if (id != 0) Backgrounds.back().Sprite = global->WindowSpriteList.GetSprite(id);
  }
  if (!Backgrounds.empty()) Background = Backgrounds.front().Sprite;
}

void TCreditsWindow::ReleaseAll() {
  Data2::TGlobalData* global = Data2::GlobalData;
  if (!global) return;
  for (Gfx::TFont*& font : Fonts)
    if (font) global->ReleaseFont(font);
  for (TBckgInfo& b : Backgrounds) global->WindowSpriteList.ReleaseSprite(b.Sprite);
  Backgrounds.clear();
  Background = nullptr;
}

void TCreditsWindow::Run() {
  if (Data2::GlobalData) GameData::PlayMusic(Data2::GlobalData->CreditsMusicID, MusicVolume, 0, false);
  if (DXApplication && DXApplication->hWnd) {
    if (WindowSystem && Data2::MainData)
      WindowSystem->SetOverrideCursor(Data2::MainData->InterfaceSprites[Data2::isDefaultCursor]);
    Scroll = 0;
    Finished = 0;
    ShowModal(false);
    if (WindowSystem) WindowSystem->SetOverrideCursor(nullptr);
  }
  GameData::FadeOutMusic();
}

void TCreditsWindow::Finish() {
  SetModalResult(1);
  Close();
}

void TCreditsWindow::KeyDown(Plat::WPARAM& key, DXWin::TShiftState shift) {
  TOrvWindow::KeyDown(key, shift);
  if (key == Plat::VK_ESCAPE) Finish();
}

void TCreditsWindow::Update() {
  TOrvWindow::Update();
  if (DXApplication && DXApplication->UpdateCount % 5 == 0) ++Scroll;
  if (!Backgrounds.empty())
    Background = Backgrounds[static_cast<std::size_t>(Scroll / 240) % Backgrounds.size()].Sprite;
  if (Finished) Finish();
}

void TCreditsWindow::Draw(Plat::TSurface* surface, const Base::TRect& rect) {
  if (Background) Background->Draw(surface, 0, rect.Left, rect.Top, nullptr);
  const Base::TRect clip{rect.Left, rect.Top + TextTop, rect.Left + 800, rect.Top + TextBottom};
  i32 y = 600 - Scroll;
  for (const std::string& line : Lines) {
    if (line != "-") {
      const i32 mark = MarkOf(line);
      const std::string_view text = mark ? std::string_view(line).substr(3) : std::string_view(line);
      if (Gfx::TFont* font = Fonts[mark == 2 ? 1 : 0])
        font->DrawText(surface, rect.Left + TextCentreX - font->TextWidth(text) / 2, rect.Top + y, text, 0, &clip);
    }
    y += LineHeight;
  }
  if (y < 14) Finished = 1;
  TOrvWindow::Draw(surface, rect);
}

}  // namespace Main
