// What the application object asks of the display device: the answers and
// effects its frame loop and display set-ups rely on. The 3D framework
// provides them; without one every query answers ready, not lost, not
// windowed and 0, and every command does nothing.
#pragma once

#include "engine/platform/window/wintypes.h"

namespace DXApp {

enum class TCooperativeStatus { Ready, HeldByOther, Failed };

class TDisplayLink {
 public:
  virtual ~TDisplayLink() = default;
  virtual TCooperativeStatus CooperativeLevelStatus() = 0;
  virtual bool SurfacesLost() = 0;
  virtual bool RestoreAllSurfaces() = 0;
  virtual void ReleaseAll() = 0;
  virtual void InitFullscreen(Plat::HWND hWnd, int modeIndex) = 0;
  virtual void InitWindowed(Plat::HWND hWnd, const Plat::TRect& clientScreenRect) = 0;
  virtual void ChangeMode(int modeIndex) = 0;
  virtual void ResizeWindowed(const Plat::TRect& clientScreenRect) = 0;
  virtual void SetWindowOrigin(int x, int y) = 0;
  virtual bool IsWindowed() = 0;
  virtual int ModeIndex() = 0;
  virtual int ModeWidth() = 0;
  virtual int ModeHeight() = 0;
  // The back buffer's pixels while locked; false when there is none.
  virtual bool LockBackBuffer(void*& pixels, int& pitch, int& width, int& height) = 0;
  virtual void UnlockBackBuffer() = 0;
};

}  // namespace DXApp
