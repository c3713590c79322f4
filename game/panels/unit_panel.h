// The panel of one unit (portrait, name, four gauges, the other abilities
// as numbers, a spell-book button and hints) in the map's layout and the
// battle screen's two, and the free drawing of unit tiles and gauges that
// the city, transfer and merchant windows share.
#pragma once

#include <string>

#include "controls/standard_font.h"
#include "engine/dxwin/button.h"
#include "engine/dxwin/group.h"

namespace GameData {
class TUnit;
}
namespace Gfx {
class TFont;
class TSprite;
}  // namespace Gfx

namespace Main {

enum TPanelLayout : i32 { plGroupPanel = 0, plBattleLeft = 1, plBattleRight = 2 };

// The hot rectangles in the order hints look them up.
enum TPanelHot : i32 {
  phActionPoints = 0,
  phHitPoints,
  phMana,
  phExperience,
  phMorale,
  phSight,
  phAttack,
  phCounterAttack,
  phDefence,
  phLevel,
  PanelHotCount
};

// Sizes and positions of one layout, relative to the panel.
struct TPanelLayoutInfo {
  i32 Width, Height;
  i32 PortraitX, PortraitY;
  i32 SpellX, SpellY;
  const char* PortraitHint;
  Base::TRect Hot[PanelHotCount];
  i32 GaugeX;  // left of the gauge column
  // Centres and tops of MORALE, SIGHT, ATTACK, COUNTERATTACK, DEFENCE, LEVEL; y < 0: not shown.
  i32 NumberX[6], NumberY[6];
};
const TPanelLayoutInfo& PanelLayout(i32 layout);

// Sprite-table slots of the panels.
constexpr i32 SlotGaugeEmpty = 1103, SlotGaugeHitPoints = 1104, SlotGaugeActionPoints = 1105,
              SlotGaugeExperience = 1106, SlotGaugeMana = 1107;
constexpr i32 SlotMarkOverlay = 1058, SlotNeutralRing = 1059, SlotHoverFrame = 1060, SlotPlayerRing = 1136,
              SlotDeadOverlay = 1141;

// Pixels of a gauge's 46 that are filled; base < 0 measures from 0.
i32 GaugeFillHeight(i32 max, i32 value, i32 base);
// A gauge's number: "%dK" in thousands when the maximum is 1000 or more.
std::string GaugeNumber(i32 number, i32 max);
// The hint of a hot rectangle for the unit, from its effective record.
std::string PanelHint(const GameData::TUnit& unit, i32 hot);

// The global sprite of a sprite-table slot; null without the global data.
Gfx::TSprite* TableSprite(i32 slot);
// Text centred on x with its top at y.
void DrawCentredText(Gfx::TFont* font, Plat::TSurface* surface, i32 x, i32 y, const std::string& text, u32 colour,
                     const Base::TRect* clip);
// A player colour (0x00RRGGBB) pulsing with a counter, packed 5-6-5.
u32 PulsingColour(u32 rgb, u32 counter);

void DrawGauge(Plat::TSurface* target, Gfx::TSprite* fill, i32 x, i32 y, i32 max, i32 value, i32 base);
void DrawUnitTile(Gfx::TSprite* frame, Gfx::TSprite* ring, GameData::TUnit* unit, Plat::TSurface* target,
                  const Base::TRect& tile, bool selected, bool highlight, bool portrait, bool own,
                  const std::string& label, Gfx::TFont* labelFont);

class TUnitInfoControl : public DXWin::TDXGroup {
 public:
  TUnitInfoControl(DXWin::TDXGroup* owner, DXWin::TDXWindow* window, u32 flags, i32 layout);
  ~TUnitInfoControl() override;

  void SetUnit(GameData::TUnit* unit);
  void SetDetailWindowPos(i32 x, i32 y) {
    DetailX = x;
    DetailY = y;
  }
  void SetPortraitPaintHandler(DXWin::TDrawEvent handler) { PortraitPaintHandler = handler; }
  // A slide under way is never redirected.
  void SlideTo(i32 x, i32 y, i32 duration);

  GameData::TUnit* Unit = nullptr;
  u32 SlideStart = 0;
  i32 SlideDuration = 0;
  i32 SlideFromX = 0, SlideFromY = 0;
  i32 SlideToX = 0, SlideToY = 0;
  i32 Sliding = 0;
  u8 Active = 0;
  u8 Marked = 0;
  u8 Hoverable = 1;
  i32 MouseX = 0, MouseY = 0;
  i32 DetailX = 0, DetailY = 0;
  i32 Layout;
  Base::TRect HotRects[PanelHotCount];
  DXWin::TDrawEvent PortraitPaintHandler;
  DXWin::TDXButton* SpellButton = nullptr;
  DXWin::TDXButton* PortraitButton = nullptr;

 private:
  void UpdateControl(DXWin::TDXControl*);
  void PaintPanel(Plat::TSurface* surface, const Base::TRect& rect);
  void TrackMouse(DXWin::TShiftState, int x, int y);
  void PaintPortrait(Plat::TSurface* surface, const Base::TRect& rect);
  void PortraitMouseDown(int button, DXWin::TShiftState, int x, int y);
  void PaintSpellButton(Plat::TSurface* surface, const Base::TRect& rect);
};

// Game time in ms as the panels slide by it.
u32 PanelTime();

}  // namespace Main
