// Connects the application object's frame loop and display set-ups to the
// framework in D3DFramework; without one every query answers ready, not
// lost, not windowed and 0, and every command does nothing.
#pragma once

#include "engine/dxapp/display_link.h"

namespace D3DFrame {

class TFrameworkDisplayLink final : public DXApp::TDisplayLink {
 public:
  DXApp::TCooperativeStatus CooperativeLevelStatus() override;
  bool SurfacesLost() override;
  bool RestoreAllSurfaces() override;
  void ReleaseAll() override;
  void InitFullscreen(Plat::HWND hWnd, int modeIndex) override;
  void InitWindowed(Plat::HWND hWnd, const Plat::TRect& clientScreenRect) override;
  void ChangeMode(int modeIndex) override;
  void ResizeWindowed(const Plat::TRect& clientScreenRect) override;
  void SetWindowOrigin(int x, int y) override;
  bool IsWindowed() override;
  int ModeIndex() override;
  int ModeWidth() override;
  int ModeHeight() override;
  bool LockBackBuffer(void*& pixels, int& pitch, int& width, int& height) override;
  void UnlockBackBuffer() override;
};

}  // namespace D3DFrame
