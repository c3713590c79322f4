#include "game/talk/talk_dialog.h"

#include <algorithm>

#include "controls/labels.h"
#include "engine/gfx/font.h"
#include "engine/gfx/sprite.h"
#include "engine/gfx/sprite_list.h"
#include "game/control/game.h"
#include "game/talk/talk_page.h"
#include "game/panels/unit_panel.h"
#include "world/data2/global_data.h"
#include "world/scenario/action.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"

namespace Main {

namespace {

constexpr i32 PortraitFrameSlot = 1086;
// The portrait's column beside the text, and the least text height beside it.
constexpr i32 PortraitColumn = 100, PortraitBlock = 95;

Gfx::TSpriteList* UnitSprites() { return Data2::GlobalData ? &Data2::GlobalData->UnitSpriteList : nullptr; }

GameData::TPlayer* CurrentPlayer() { return Game ? Game->CurrentPlayer() : nullptr; }

}  // namespace

TTalkDialog::TTalkDialog(DXWin::TDXWindowSystem* system)
    : TVertScrollWindow(system, DXWin::wfModal | DXWin::wfCentered) {
  OnClick = DXWin::TNotifyEvent::Of<&TTalkDialog::ContinueClick>(this);
  OnKeyDown = DXWin::TKeyEvent::Of<&TTalkDialog::ContinueKey>(this);
}

TTalkDialog::~TTalkDialog() { ReleasePortrait(); }

void TTalkDialog::ReleasePortrait() {
  if (Portrait && UnitSprites()) UnitSprites()->ReleaseSprite(Portrait);
  Portrait = nullptr;
}

void TTalkDialog::SetPage(Gfx::TSprite* talker1, const std::string& name1, Gfx::TSprite* talker2,
                          const std::string& name2, const std::string& text) {
  const TTalkPage page = ParseTalkPage(text);
  ReleasePortrait();
  SpeakerName.clear();
  PortraitX = 0;
  if (page.Talker != tkNarrator) {
    Gfx::TSprite* talker = page.Talker == tkOwner ? talker1 : talker2;
    // The list's own copy by ID: the window holds a reference of its own.
    if (talker && UnitSprites()) Portrait = UnitSprites()->FindSprite(talker->ID);
    SpeakerName = page.Talker == tkOwner ? name1 : name2;
    PortraitX = 40;
  }

  const i32 w = FullWidth, m = SideMargin;
  const i32 x = Portrait ? m + PortraitColumn : m;
  const i32 column = std::max(PortraitX != 0 ? w - 2 * m - PortraitColumn : w - 2 * m, 1);
  i32 y = TopMargin;
  ChoiceCount = 0;
  Gfx::TFont* font = StandardFont(4);
  const auto clip = TGetClipRectEvent::Of<&TScrollWindow::GetVisibleRect>(static_cast<TScrollWindow*>(this));
  for (const TPagePiece& piece : page.Pieces) {
    const std::string wrapped = font ? font->WrapText(column, piece.Text) : piece.Text;
    const i32 h = font ? font->WrappedTextHeight(piece.Text, column) : 0;
    const Base::TRect bounds{x, y, x + column, y + h};
    if (piece.Choice) {
      auto* choice = new TOrvChoice(this, this);
      choice->SetBounds(bounds);
      choice->SetCaption(wrapped);
      choice->SetFont(font);
      choice->SetOnGetClipRect(clip);
      // The result rides in the tag, not in the button's modal result: the
      // page closes only when the answer's record comes back.
      choice->Tag = static_cast<u32>(TalkChoiceResult + ChoiceCount);
      choice->OnClick = DXWin::TNotifyEvent::Of<&TTalkDialog::ChoiceClick>(this);
      Choices.push_back(choice);
      ++ChoiceCount;
    } else {
      auto* label = new TOrvLabel(this, this, 0);
      label->SetBounds(bounds);
      label->SetCaption(wrapped);
      label->SetFont(font);
      label->SetOnGetClipRect(clip);
      // The text is part of the page: a click on it reads on as well.
      label->OnClick = DXWin::TNotifyEvent::Of<&TTalkDialog::ContinueClick>(this);
      Labels.push_back(label);
    }
    y += h;
  }
  const i32 least = 2 * RollHeight;
  const i32 height = std::max(y, Portrait ? TopMargin + PortraitBlock : 0) + TopMargin;
  SetSize(w, std::max(std::min(height, FullHeight), least));
}

bool TTalkDialog::IsAnswer(i32 result) const {
  if (ChoiceCount == 0) return result == TalkReadResult;
  return result >= TalkChoiceResult && result < TalkChoiceResult + ChoiceCount;
}

void TTalkDialog::EndWithResult(i32 result) {
  SetModalResult(result);
  Close();
}

void TTalkDialog::Answer(i32 result) {
  GameData::TPlayer* player = CurrentPlayer();
  if (Answered || ModalResult != 0 || !player || player->Kind != GameData::pkHuman || !IsAnswer(result)) return;
  Answered = 1;
  GameData::TActionRecord record;
  record.Words[0] = GameData::atConversationAnswer;
  record.Words[1] = static_cast<u32>(result);
  player->PostAction(true, record);
}

void TTalkDialog::ContinueClick(DXWin::TDXControl*) {
  if (ChoiceCount == 0) Answer(TalkReadResult);
}

void TTalkDialog::ContinueKey(Plat::WPARAM& key, DXWin::TShiftState shift) {
  if (shift & (DXWin::ssShift | DXWin::ssCtrl | DXWin::ssAlt)) return;
  if (key == 0x1B || key == 0x20) ContinueClick(this);
}

void TTalkDialog::ChoiceClick(DXWin::TDXControl* choice) { Answer(static_cast<i32>(choice->Tag)); }

void TTalkDialog::Update() {
  GameData::TPlayer* player = CurrentPlayer();
  if (!player) {
    Close();
  } else if (AutoDelay >= 0 && player->Kind == GameData::pkComputer) {
    if (AutoDelay > 0) {
      --AutoDelay;
    } else {
      // The answer changes the game: it comes from the game's own stream,
      // alike on every machine.
      const i32 result =
          ChoiceCount > 0 ? TalkChoiceResult + NextRandom(GameData::RandomMain) % ChoiceCount : TalkReadResult;
      SetModalResult(result);
      Close();
      AutoDelay = -1;
    }
  }
  TVertScrollWindow::Update();
}

void TTalkDialog::Draw(Plat::TSurface* surface, const Base::TRect& rc) {
  if (Hidden) return;
  TVertScrollWindow::Draw(surface, rc);
  if (!Portrait) return;
  Base::TRect clip;
  GetVisibleRect(clip);
  const i32 x = rc.Left + PortraitX, y = rc.Top + TopMargin;
  Portrait->Draw(surface, 0, x, y, &clip);
  if (Gfx::TSprite* frame = TableSprite(PortraitFrameSlot)) frame->Draw(surface, 0, x - frame->HotX, y - frame->HotY, &clip);
  DrawCentredText(StandardFont(3), surface, x + 40, y + 85, SpeakerName, 0, &clip);
}

}  // namespace Main
