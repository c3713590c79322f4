// The one list of all windows with their z-order (index 0 is the front),
// the active window, modality, the mouse cursor and the tooltip. It receives
// every keyboard and mouse message, one update per step and draws each frame.
#pragma once

#include "engine/data/object_list.h"
#include "engine/dxwin/window.h"

namespace DXWin {

class TDXTooltip;

using TDrawCursorEvent = TClosure<Plat::TSurface*, int, int>;

class TDXWindowSystem {
 public:
  TDXWindowSystem();
  // Deletes every window still registered and the tooltip.
  ~TDXWindowSystem();
  TDXWindowSystem(const TDXWindowSystem&) = delete;
  TDXWindowSystem& operator=(const TDXWindowSystem&) = delete;

  // A new window lies behind all normal windows until it is activated.
  void AddWindow(TDXWindow* window);
  void RemoveWindow(TDXWindow* window);
  void SetDefaultCursor(Gfx::TSprite* cursor) { DefaultCursor = cursor; }
  void SetOverrideCursor(Gfx::TSprite* cursor) { OverrideCursor = cursor; }
  // Owned from now on; the previous one is deleted.
  void SetTooltip(TDXTooltip* tooltip);

  TDXWindow* WindowAt(int x, int y) const;
  TDXControl* ControlAt(int x, int y) const;

  void HandleMessage(Plat::UINT msg, Plat::WPARAM wParam, Plat::LPARAM lParam);
  // Carries out the windows' requests; the list never changes while walked.
  void ProcessRequests();
  void ActivateWindow(TDXWindow* window);
  void DeactivateWindow(TDXWindow* window);
  // Hover states follow a change of z-order or modality without a mouse move.
  void RefreshMouse();
  void Draw(Plat::TSurface* surface);
  void Update();

  Data::TObjectList<TDXWindow> Windows{true};
  TDXWindow* ActiveWindow = nullptr;
  i32 MouseX = 0, MouseY = 0;  // of the last WM_MOUSEMOVE
  Gfx::TSprite* DefaultCursor = nullptr;
  Gfx::TSprite* OverrideCursor = nullptr;
  Gfx::TSprite* CurrentCursor = nullptr;
  TDXTooltip* Tooltip = nullptr;
  TDrawCursorEvent OnDrawCursor;

 private:
  // The active window when it is visible and modal, else null.
  TDXWindow* ModalWindow() const;
  void DrawCursor(Plat::TSurface* surface);
};

}  // namespace DXWin

// The process-wide window system, made by the program's start-up.
extern DXWin::TDXWindowSystem* WindowSystem;
