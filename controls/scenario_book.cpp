#include "controls/scenario_book.h"

#include "controls/color_text_parser.h"
#include "controls/dialogs.h"
#include "controls/standard_font.h"
#include "engine/gfx/font.h"
#include "engine/gfx/screen.h"
#include "engine/gfx/sprite.h"
#include "world/data2/global_data.h"

namespace Main {

namespace {

constexpr Base::TRect IntroTextRect{150, 55, 480, 510};

Gfx::TSprite* PageSprite(int entry) {
  Data2::TGlobalData& g = *Data2::GlobalData;
  return g.WindowSpriteList.FindSprite(g.WindowSpriteIDs[entry]);
}

}  // namespace

TScenarioBookWindow::TScenarioBookWindow(DXWin::TDXWindowSystem* system, u32 flags) : TOrvWindow(system, flags, 0) {
  if (Data2::GlobalData) {
    Background = PageSprite(8);
    // The edges lie over the text with soft alpha: uncompressed textures keep it.
    Gfx::ChooseTextureFormat = Gfx::ChooseUncompressedTextureFormat;
    BottomEdge = PageSprite(9);
    TopEdge = PageSprite(10);
    for (Gfx::TSprite* edge : {BottomEdge, TopEdge})
      if (edge && edge->AlphaMode() != 0) edge->Upload(true);
    Gfx::ChooseTextureFormat = Gfx::ChooseCompressedTextureFormat;
  }
  SetSize(800, 600);
  OnClick = DXWin::TNotifyEvent::Of<&TScenarioBookWindow::WindowClick>(this);
  OnKeyDown = DXWin::TKeyEvent::Of<&TScenarioBookWindow::WindowKey>(this);
}

TScenarioBookWindow::~TScenarioBookWindow() {
  if (Data2::GlobalData) {
    Gfx::TSpriteList& list = Data2::GlobalData->WindowSpriteList;
    list.ReleaseSprite(Background);
    list.ReleaseSprite(BottomEdge);
    list.ReleaseSprite(TopEdge);
  }
  Body.Clear();
}

void TScenarioBookWindow::Finish() {
  SetModalResult(1);
  Close();
}

void TScenarioBookWindow::WindowClick(DXWin::TDXControl*) { Finish(); }

void TScenarioBookWindow::WindowKey(Plat::WPARAM& key, DXWin::TShiftState shift) {
  if (shift & (DXWin::ssShift | DXWin::ssCtrl | DXWin::ssAlt)) return;
  if (key == 27 || key == 13 || key == 32) Finish();
}

void TScenarioBookWindow::SetText(const std::string& title, const std::string& body) {
  TextRect = IntroTextRect;
  ScrollY = TextRect.Height();
  const i32 width = TextRect.Width();
  ParseColorText(body, Body, width, StandardFont(6), StandardFont(7), StandardFont(8));
  Body.Justify(width);
  BodyHeight = Body.GetHeight();
  TickCount = 0;
  Gfx::TFont* titleFont = StandardFont(7);
  Title = titleFont ? titleFont->WrapText(width, title) : title;
  BodyOffset = titleFont ? titleFont->TextHeight(Title) + titleFont->Height : 0;
}

void TScenarioBookWindow::Update() {
  TOrvWindow::Update();
  TickCount += 1;
  if (TickCount % 10 == 0) ScrollY -= 1;
  if (ScrollY + BodyOffset <= -BodyHeight) Finish();
}

void TScenarioBookWindow::Draw(Plat::TSurface* surface, const Base::TRect& rc) {
  TOrvWindow::Draw(surface, rc);
  if (Background) Background->Draw(surface, 0, rc.Left, rc.Top, &rc);
  if (Gfx::TFont* titleFont = StandardFont(7))
    titleFont->DrawText(surface, TextRect.Left, TextRect.Top + ScrollY, Title, 0, &TextRect);
  Body.Draw(surface, TextRect.Left, TextRect.Top + ScrollY + BodyOffset, &TextRect);
  if (TopEdge) TopEdge->Draw(surface, 0, rc.Left + 140, rc.Top + 44, &rc);
  if (BottomEdge) BottomEdge->Draw(surface, 0, rc.Left + 140, rc.Top + 461, &rc);
}

}  // namespace Main
