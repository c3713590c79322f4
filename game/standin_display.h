// Until the 3D framework exists, this presents a plain 800 by 600 16-bit back
// buffer through the platform so the program visibly runs.
#pragma once

#include <vector>

#include "engine/base/types.h"
#include "engine/dxapp/display_link.h"

namespace Main {

class TStandInDisplay final : public DXApp::TDisplayLink {
 public:
  static constexpr int Width = 800;
  static constexpr int Height = 600;

  DXApp::TCooperativeStatus CooperativeLevelStatus() override { return DXApp::TCooperativeStatus::Ready; }
  bool SurfacesLost() override { return false; }
  bool RestoreAllSurfaces() override { return true; }
  void ReleaseAll() override {}
  void InitFullscreen(Plat::HWND hWnd, int modeIndex) override;
  void InitWindowed(Plat::HWND hWnd, const Plat::TRect& clientScreenRect) override;
  void ChangeMode(int) override {}
  void ResizeWindowed(const Plat::TRect&) override {}
  void SetWindowOrigin(int, int) override {}
  bool IsWindowed() override { return Windowed; }
  int ModeIndex() override { return 0; }
  int ModeWidth() override { return Width; }
  int ModeHeight() override { return Height; }
  bool LockBackBuffer(void*& pixels, int& pitch, int& width, int& height) override;
  void UnlockBackBuffer() override {}

  void Present();
  u16* Pixels() { return BackBuffer.data(); }

 private:
  Plat::HWND Window = nullptr;
  bool Windowed = false;
  std::vector<u16> BackBuffer = std::vector<u16>(Width * Height);
};

// Draws the stand-in's moving picture for a game time.
void DrawStandInPicture(u16* pixels, int width, int height, u32 gameTime);

}  // namespace Main
