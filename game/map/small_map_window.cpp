#include "game/map/small_map_window.h"

#include <algorithm>
#include <vector>

#include "engine/base/base.h"
#include "engine/dxapp/dxapp.h"
#include "engine/gfx/colors.h"
#include "engine/gfx/font.h"
#include "engine/gfx/screen.h"
#include "engine/gfx/sprite.h"
#include "engine/platform/display/surface.h"
#include "game/control/game.h"
#include "game/map/map_window.h"
#include "game/panels/unit_panel.h"
#include "world/map/fog.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"

namespace Main {

namespace {

constexpr i32 AreaWidth = 137, AreaHeight = 110;
constexpr i32 SlotFrame = 1053;
constexpr u32 Grey = 0x606060, LightGrey = 0xA0A0A0;

struct THintRect {
  Base::TRect Rect;
  const char* Label;
};
constexpr THintRect HintRects[3] = {
    {{39, 130, 81, 148}, "Gold"}, {{91, 130, 133, 148}, "Runde"}, {{142, 130, 184, 148}, "Spieler"}};

GameData::TPlayer* CurrentOf(const GameData::TScenario* s) { return s ? s->PlayerAt(s->CurrentPlayerIndex) : nullptr; }

// One channel of a 5- or 6-bit value blended towards an 8-bit one.
inline u32 Mix(u32 dst, u32 src8, u32 bits, u32 a) {
  const u32 src = src8 >> (8 - bits);
  return (dst * (256 - a) + src * a) >> 8;
}

}  // namespace

Base::TRect SmallMapPictureRect(i32 mapWidth, i32 mapHeight) {
  if (mapWidth <= 0 || mapHeight <= 0) return {};
  i32 w = AreaWidth, h = mapHeight * AreaWidth / mapWidth;
  if (h > AreaHeight) {
    h = AreaHeight;
    w = mapWidth * AreaHeight / mapHeight;
  }
  const i32 left = TSmallMapWindow::PictureArea.Left + (AreaWidth - w) / 2;
  const i32 top = TSmallMapWindow::PictureArea.Top + (AreaHeight - h) / 2;
  return {left, top, left + w, top + h};
}

Base::TRect SmallMapViewRect(i32 viewX, i32 viewY, i32 viewWidth, i32 viewHeight, i32 mapWidth, i32 mapHeight,
                             i32 pictureWidth, i32 pictureHeight) {
  const i32 mapW = std::max(mapWidth, 1) * GameData::FieldSize, mapH = std::max(mapHeight, 1) * GameData::FieldSize;
  i32 x = viewX * pictureWidth / mapW, y = viewY * pictureHeight / mapH;
  i32 w = viewWidth * pictureWidth / mapW + 1, h = viewHeight * pictureHeight / mapH + 1;
  x = std::min(x, pictureWidth - w);
  y = std::min(y, pictureHeight - h);
  if (x < 0) {
    x = 0;
    w = pictureWidth;
  }
  if (y < 0) {
    y = 0;
    h = pictureHeight;
  }
  return {x, y, x + w, y + h};
}

void BlendOverlayStretched(Plat::TSurface* surface, const Gfx::TSprite& overlay, const Base::TRect& dest) {
  if (!surface || overlay.IsEmpty() || overlay.FrameCount() == 0 || overlay.BitsPerPixel() != 32) return;
  const Gfx::TFrame& frame = overlay.Frames[0];
  const i32 sw = overlay.Width, sh = overlay.Height;
  if (!frame.Pixels || frame.PixelBytes < static_cast<u64>(sw) * sh * 4 || dest.Width() <= 0 || dest.Height() <= 0)
    return;
  Plat::TSurfaceDesc desc;
  if (surface->Lock(nullptr, desc) != 0 || !desc.Surface) return;
  Base::TRect area;
  if (desc.PixelFormat.BitCount == 16 &&
      Base::IntersectRect(area, dest, {0, 0, static_cast<i32>(desc.Width), static_cast<i32>(desc.Height)})) {
    const bool is565 = Gfx::ScreenIs565;
    const u32 greenBits = is565 ? 6 : 5, redShift = is565 ? 11 : 10;
    // The source column of every destination column, worked out once.
    std::vector<i32> column(static_cast<std::size_t>(area.Width()));
    for (i32 x = area.Left; x < area.Right; ++x)
      column[static_cast<std::size_t>(x - area.Left)] = (x - dest.Left) * sw / dest.Width();
    const auto* pixels = reinterpret_cast<const u8*>(frame.Pixels);
    for (i32 y = area.Top; y < area.Bottom; ++y) {
      const u8* row = pixels + static_cast<std::ptrdiff_t>((y - dest.Top) * sh / dest.Height()) * sw * 4;
      auto* out = reinterpret_cast<u16*>(static_cast<u8*>(desc.Surface) + static_cast<std::ptrdiff_t>(y) * desc.Pitch) +
                  area.Left;
      for (std::size_t i = 0; i < column.size(); ++i) {
        const u8* p = row + column[i] * 4;
        const u32 a8 = p[3];
        if (a8 == 0) continue;
        const u32 a = a8 + (a8 >> 7);  // 255 becomes 256
        const u32 d = out[i];
        const u32 r = Mix(d >> redShift, p[2], 5, a);
        const u32 g = Mix(d >> 5 & ((1u << greenBits) - 1), p[1], greenBits, a);
        const u32 b = Mix(d & 0x1F, p[0], 5, a);
        out[i] = static_cast<u16>(r << redShift | g << 5 | b);
      }
    }
  }
  surface->Unlock();
}

TSmallMapWindow::TSmallMapWindow(DXWin::TDXWindowSystem* windowSystem) : TOrvWindow(windowSystem, 0, 0) {
  SetBounds(Bounds);
  OnDraw = DXWin::TDrawEvent::Of<&TSmallMapWindow::PaintFrame>(this);
  Picture = new DXWin::TDXControl(this, this, DXWin::cfEnabled);
  Picture->Hint = "Landkarte";
  Picture->OnDraw = DXWin::TDrawEvent::Of<&TSmallMapWindow::PaintPicture>(this);
  Picture->OnMouseDown = DXWin::TMouseEvent::Of<&TSmallMapWindow::PictureMouseDown>(this);
  Picture->OnMouseUp = DXWin::TMouseEvent::Of<&TSmallMapWindow::PictureMouseUp>(this);
  Picture->OnMouseMove = DXWin::TMouseMoveEvent::Of<&TSmallMapWindow::PictureMouseMove>(this);
  Picture->OnUpdate = DXWin::TNotifyEvent::Of<&TSmallMapWindow::UpdateHints>(this);
}

TSmallMapWindow::~TSmallMapWindow() = default;

void TSmallMapWindow::SetScenario(GameData::TScenario* scenario) {
  Scenario = scenario;
  Dragging = 0;
  if (!scenario) {
    Picture->Hide();
    return;
  }
  Picture->SetBounds(SmallMapPictureRect(scenario->Width, scenario->Height));
  Picture->Show();
}

bool TSmallMapWindow::ViewerIsHuman() const {
  return Scenario && Scenario->ViewingPlayer && Scenario->ViewingPlayer->Kind == GameData::pkHuman;
}

void TSmallMapWindow::PaintFrame(Plat::TSurface* surface, const Base::TRect& rect) {
  const GameData::TPlayer* current = CurrentOf(Scenario);
  if (!current) return;
  const Base::TRect clip = GetScreenRect();
  if (Gfx::TSprite* frame = TableSprite(SlotFrame)) frame->Draw(surface, 0, rect.Left, rect.Top, &clip);
  Gfx::TFont* font = StandardFont(3);
  if (!font) return;
  const i32 numbers[3] = {static_cast<i32>(current->Gold), Scenario->Round, Scenario->CurrentPlayerIndex};
  const i32 centres[3] = {70, 122, 173};
  for (i32 i = 0; i < 3; ++i) {
    const std::string text = std::to_string(numbers[i]);
    font->DrawText(surface, rect.Left + centres[i] - font->TextWidth(text) / 2, rect.Top + 139 - font->Height / 2, text,
                   0, &clip);
  }
}

void TSmallMapWindow::PaintPicture(Plat::TSurface* surface, const Base::TRect& rect) {
  if (!Scenario) return;
  const i32 W = rect.Width(), H = rect.Height();
  const u32 grey = Gfx::PackRGB565(Grey);
  if (H < AreaHeight) {
    Gfx::FillRect(surface, rect.Left - 1, rect.Top - 1, W + 2, 1, grey, nullptr);
    Gfx::FillRect(surface, rect.Left - 1, rect.Bottom, W + 2, 1, grey, nullptr);
  }
  if (W < AreaWidth) {
    Gfx::FillRect(surface, rect.Left - 1, rect.Top, 1, H, grey, nullptr);
    Gfx::FillRect(surface, rect.Right, rect.Top, 1, H, grey, nullptr);
  }
  const GameData::TPlayer* viewer = Scenario->ViewingPlayer;
  if (!viewer) {
    Gfx::FillRect(surface, rect.Left, rect.Top, W, H, 0, nullptr);
    return;
  }
  if (Scenario->Thumbnail) Scenario->Thumbnail->Draw(surface, 0, rect.Left, rect.Top, nullptr);
  if (viewer->Fog && viewer->Fog->Overlay) BlendOverlayStretched(surface, *viewer->Fog->Overlay, rect);
  const Base::TRect v = SmallMapViewRect(Scenario->ViewX, Scenario->ViewY, Scenario->ViewWidth, Scenario->ViewHeight,
                                         Scenario->Width, Scenario->Height, W, H);
  const u32 light = Gfx::PackRGB565(LightGrey);
  const i32 x = rect.Left + v.Left, y = rect.Top + v.Top, w = v.Width(), h = v.Height();
  Gfx::FillRect(surface, x, y, w, 1, light, &rect);
  Gfx::FillRect(surface, x, y + h - 1, w, 1, light, &rect);
  Gfx::FillRect(surface, x, y, 1, h, light, &rect);
  Gfx::FillRect(surface, x + w - 1, y, 1, h, light, &rect);
}

void TSmallMapWindow::PictureMouseDown(int button, DXWin::TShiftState, int x, int y) {
  const GameData::TPlayer* current = CurrentOf(Scenario);
  if (!ViewerIsHuman() || !current || current->Kind != GameData::pkHuman || Scenario->IsBusy() ||
      button != DXWin::mbLeft)
    return;
  Dragging = 1;
  TMapWindow* map = Game ? Game->MapWindow.get() : nullptr;
  const i32 W = Picture->Width, H = Picture->Height;
  if (!map || W <= 0 || H <= 0) return;
  const i32 field = GameData::FieldSize;
  map->ScrollTo(Scenario->Width * field * x / W - map->ViewRect.Width() / 2,
                Scenario->Height * field * y / H - map->ViewRect.Height() / 2);
}

void TSmallMapWindow::PictureMouseMove(DXWin::TShiftState shift, int x, int y) {
  if (ViewerIsHuman() && Dragging) PictureMouseDown(DXWin::mbLeft, shift, x, y);
}

void TSmallMapWindow::PictureMouseUp(int button, DXWin::TShiftState, int, int) {
  if (ViewerIsHuman() && button == DXWin::mbLeft) Dragging = 0;
}

std::string TSmallMapWindow::HintAt(i32 x, i32 y) const {
  const GameData::TPlayer* current = CurrentOf(Scenario);
  if (!current) return {};
  const i32 values[3] = {static_cast<i32>(current->Gold), Scenario->Round, Scenario->CurrentPlayerIndex};
  for (i32 i = 0; i < 3; ++i)
    if (Base::PointInRect(HintRects[i].Rect, x, y)) return Base::Format("%s: %d", HintRects[i].Label, values[i]);
  return {};
}

void TSmallMapWindow::UpdateHints(DXWin::TDXControl*) {
  if (!CurrentOf(Scenario) || !DXApplication) return;
  const Plat::TPoint p = ScreenToClient({DXApplication->MouseX, DXApplication->MouseY});
  std::string hint = HintAt(p.X, p.Y);
  if (hint != Hint) Hint = std::move(hint);
}

}  // namespace Main
