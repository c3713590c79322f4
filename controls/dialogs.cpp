#include "controls/dialogs.h"

#include <algorithm>

#include "controls/click_sound.h"
#include "controls/labels.h"
#include "controls/standard_font.h"
#include "controls/text_buttons.h"
#include "engine/gfx/font.h"
#include "world/data2/global_data.h"

namespace Main {

namespace {

constexpr u32 DialogFlags = DXWin::wfModal | DXWin::wfCentered;

TTextButton* AnswerButton(THorizYesNoDialog* owner, const char* text, int result) {
  auto* b = new TTextButton(owner, owner);
  b->ModalResult = result;
  b->SetFont(StandardFont(4));
  b->Text = b->Hint = text;
  b->AutoSize();
  return b;
}

}  // namespace

THorizYesNoDialog::THorizYesNoDialog(DXWin::TDXWindowSystem* system) : THorizScrollWindow(system, DialogFlags) {
  OnDraw = DXWin::TDrawEvent::Of<&THorizYesNoDialog::DrawQuestion>(this);
  YesButton = AnswerButton(this, "Ja", 6);
  YesButton->SetDefault(true);
  NoButton = AnswerButton(this, "Nein", 7);
  NoButton->SetCancel(true);
  for (TTextButton* b : {YesButton, NoButton}) b->OnClick = DXWin::TNotifyEvent::Of<&THorizYesNoDialog::ButtonClick>(this);
  Layout(Width);
}

void THorizYesNoDialog::ButtonClick(DXWin::TDXControl*) { PlayClickSound(); }

void THorizYesNoDialog::SetText(const std::string& text) {
  Question = text;
  Gfx::TFont* font = StandardFont(3);
  Layout((font ? font->TextWidth(text) : 0) + 100);
}

void THorizYesNoDialog::Layout(int width) {
  const int w = std::max(std::min(width, 572), 2 * RollWidth);
  SetSize(w, FullHeight);
  YesButton->SetPosition(Width / 2 - YesButton->Width - Width / 6, Height - YesButton->Height - 30);
  NoButton->SetPosition(Width / 2 + Width / 6, Height - NoButton->Height - 30);
}

void THorizYesNoDialog::Update() {
  THorizScrollWindow::Update();
  Base::TRect visible;
  GetVisibleRect(visible);
  for (TTextButton* b : {YesButton, NoButton}) {
    b->ClipRect = visible;
    b->UseClipRect = true;
  }
}

void THorizYesNoDialog::DrawQuestion(Plat::TSurface* surface, const Base::TRect& rc) {
  Gfx::TFont* measure = StandardFont(3);
  Gfx::TFont* font = StandardFont(4);
  if (!measure || !font || measure->TextWidth(Question) >= Width) return;
  Base::TRect clip;
  GetVisibleRect(clip);
  font->DrawText(surface, rc.Left + Width / 2 - font->TextWidth(Question) / 2, rc.Top + Height / 2 - font->Height / 2,
                 Question, 0, &clip);
}

THorizInfoDialog::THorizInfoDialog(DXWin::TDXWindowSystem* system) : THorizScrollWindow(system, DialogFlags) {
  Label = new TOrvLabel(this, this, 0);
  Label->SetFont(StandardFont(4));
  OnClick = DXWin::TNotifyEvent::Of<&THorizInfoDialog::WindowClick>(this);
}

void THorizInfoDialog::WindowClick(DXWin::TDXControl*) {
  SetModalResult(1);
  Close();
}

void THorizInfoDialog::SetText(const std::string& text) {
  Gfx::TFont* font = StandardFont(4);
  const std::string wrapped = font ? font->WrapText(FullWidth, text) : text;
  const int w = font ? font->MaxLineWidth(wrapped) : 0, h = font ? font->TextHeight(wrapped) : 0;
  // The next update step limits the width to the parchment's.
  SetSize(w + 200, FullHeight);
  Label->SetBounds({Width / 2 - w / 2, Height / 2 - h / 2, Width / 2 - w / 2 + w, Height / 2 - h / 2 + h});
  Label->SetFont(font);
  Label->SetOnGetClipRect(TGetClipRectEvent::Of<&TScrollWindow::GetVisibleRect>(static_cast<TScrollWindow*>(this)));
  Label->SetCaption(wrapped);
}

}  // namespace Main
