// The full-screen view of the adventure map behind every other game window:
// it draws the scenario through a cached picture, scrolls (screen edges,
// arrow keys, middle-button drag, centring), shows what a click would do with
// cursors, path arrows and the range of an armed spell, and turns the local
// human's clicks and keys into action records. It never changes the world
// itself.
#pragma once

#include "engine/base/rect.h"
#include "engine/dxwin/window.h"

namespace GameData {
class TScenario;
class TPlayer;
class TGroup;
class TCity;
class TMapObject;
struct TActionRecord;
}  // namespace GameData
namespace Gfx {
class TSprite;
}

namespace Main {

enum class TClickOutcome : u8 {
  None = 0,
  Move = 1,
  Join = 2,
  Attack = 3,
  Meet = 4,
  Enter = 5,
  Blocked = 6,
  GroupFull = 7,
  TwoHeroes = 8,
  AttackCity = 9,
  EnterSelectedCity = 11,
};

// Interface cursor numbers the window shows.
enum TMapCursor : i32 {
  mcDrag = 0,
  mcNormal = 1,
  mcMove = 2,
  mcAttack = 3,
  mcSpellNotHere = 4,
  mcSpellHere = 5,
  mcMeet = 6,
  mcEnter = 7,
  mcRefused = 9,
  mcWaiting = 10,
  mcOwnLocation = 11,
  mcClickMarker = 12,
  mcScrollFirst = 13,  // 13..20: bottom, top, left, right, top-left, top-right, bottom-left, bottom-right
  mcDragAnchor = 21,
};

// The screen border that scrolls: none, or the scroll cursor's offset from 13.
enum TEdgeZone : i32 {
  ezNone = -1,
  ezBottom = 0,
  ezTop = 1,
  ezLeft = 2,
  ezRight = 3,
  ezTopLeft = 4,
  ezTopRight = 5,
  ezBottomLeft = 6,
  ezBottomRight = 7,
};
TEdgeZone EdgeZone(i32 x, i32 y);
// Pixels per update step that a middle-button drag moves the view by for the
// pointer's distance from the anchor on one axis.
i32 DragSpeed(i32 distance);

class TMapWindow : public DXWin::TDXWindow {
 public:
  explicit TMapWindow(DXWin::TDXWindowSystem* windowSystem);
  ~TMapWindow() override;

  // Binds the window (or unbinds it with null): full redraw, no drag, no marker.
  void SetScenario(GameData::TScenario* scenario);
  // The whole picture is drawn anew on the next paint.
  void Invalidate() { RedrawAll = 1; }
  // Scrolls so that the map pixel lies in the middle of the part left of the
  // right-hand panels, in steps update steps (0: at once); with acknowledge
  // the current player's result word becomes 1 once the view is there.
  void CentreOn(i32 x, i32 y, i32 steps, bool acknowledge);
  bool IsInView(i32 x, i32 y) const;
  void HideClickMarker() { MarkerShown = 0; }
  // The marker at the centre of the field under the screen point, frame 0.
  void ShowClickMarker(i32 x, i32 y);
  void ReleaseCacheSurface();
  void CreateCacheSurface();
  // The selection is a usable city whose departure group holds units.
  bool HasDepartingGroup() const;
  // Clamped to the map, with 230 pixels east of it for the panels.
  void ScrollTo(i32 x, i32 y);

  // What a left click at the window point would do; the target and field
  // the answer is about.
  TClickOutcome ClassifyClick(i32 x, i32 y);
  i32 ClassifySelectClick(i32 x, i32 y);

  // The event closures' work, public for the tests.
  void MapMouseDown(int button, DXWin::TShiftState shift, int x, int y);
  void MapMouseUp(int button, DXWin::TShiftState shift, int x, int y);
  void MapKeyDown(Plat::WPARAM& key, DXWin::TShiftState shift);
  void UpdateMap();
  void PaintMap(Plat::TSurface* surface, const Base::TRect& rect);

  GameData::TScenario* Scenario = nullptr;
  Base::TRect ViewRect{0, 0, 800, 600};
  Plat::TSurface* Cache = nullptr;
  u8 RedrawAll = 1;
  u8 Dragging = 0;
  i32 AnchorX = 0, AnchorY = 0;
  i32 MarkerX = 0, MarkerY = 0;
  u8 MarkerShown = 0;
  i32 MarkerFrame = 0;
  u8 Centring = 0;
  u8 Acknowledge = 0;
  // Steps of the path the last classification found, -1 for none.
  i32 PathLength = -1;

  // Of the last classification: the object clicked (or null) and the field.
  GameData::TMapObject* Target = nullptr;
  i32 TargetFieldX = 0, TargetFieldY = 0;

 private:
  void OnPaint(Plat::TSurface* surface, const Base::TRect& rect) { PaintMap(surface, rect); }
  void OnUpdateEvent(DXWin::TDXControl*) { UpdateMap(); }
  void OnKey(Plat::WPARAM& key, DXWin::TShiftState shift) { MapKeyDown(key, shift); }
  void OnDown(int button, DXWin::TShiftState shift, int x, int y) { MapMouseDown(button, shift, x, y); }
  void OnUp(int button, DXWin::TShiftState shift, int x, int y) { MapMouseUp(button, shift, x, y); }
  void DrawDragAnchor(Plat::TSurface* surface, int x, int y);

  GameData::TPlayer* CurrentPlayer() const;
  // The viewing player is the current one and a local human.
  bool LocalTurn() const;
  GameData::TCity* UsableSelectedCity() const;
  // The group that walks for the current player, or null.
  GameData::TGroup* MovingGroup() const;
  bool CanAct() const { return MovingGroup() != nullptr; }
  // A path from the moving group (or the selected city) to the field.
  i32 PathTo(i32 fx, i32 fy);
  void Post(const GameData::TActionRecord& record);
  void PostOutcome(TClickOutcome outcome, i32 x, i32 y);
  void BeginDrag(i32 x, i32 y);
  void ChooseCursor(i32 mx, i32 my);
  void PaintRange(Plat::TSurface* surface, const Base::TRect& rect);
  void PaintArrows(Plat::TSurface* surface, const Base::TRect& rect);
  Gfx::TSprite* Cursor(i32 number) const;
};

}  // namespace Main
