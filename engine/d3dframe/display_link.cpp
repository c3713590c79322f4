#include "engine/d3dframe/display_link.h"

#include "engine/d3dframe/d3dframe.h"

namespace D3DFrame {

DXApp::TCooperativeStatus TFrameworkDisplayLink::CooperativeLevelStatus() {
  switch (D3DFramework ? D3DFramework->TestCooperativeLevel() : 0) {
    case 0: return DXApp::TCooperativeStatus::Ready;
    case 1: return DXApp::TCooperativeStatus::HeldByOther;
    default: return DXApp::TCooperativeStatus::Failed;
  }
}

bool TFrameworkDisplayLink::SurfacesLost() { return D3DFramework && D3DFramework->SurfacesLost(); }

bool TFrameworkDisplayLink::RestoreAllSurfaces() { return !D3DFramework || D3DFramework->RestoreAllSurfaces(); }

void TFrameworkDisplayLink::ReleaseAll() {
  if (D3DFramework) D3DFramework->ReleaseAll();
}

// The framework keeps the window it was made for.
void TFrameworkDisplayLink::InitFullscreen(Plat::HWND, int modeIndex) {
  if (D3DFramework) D3DFramework->InitializeFullscreen(-1, -1, modeIndex);
}

void TFrameworkDisplayLink::InitWindowed(Plat::HWND, const Plat::TRect& clientScreenRect) {
  if (D3DFramework) D3DFramework->InitializeWindowed(-1, -1, &clientScreenRect);
}

void TFrameworkDisplayLink::ChangeMode(int modeIndex) {
  if (D3DFramework) D3DFramework->ChangeMode(modeIndex);
}

void TFrameworkDisplayLink::ResizeWindowed(const Plat::TRect& clientScreenRect) {
  if (D3DFramework) D3DFramework->ChangeWindow(&clientScreenRect);
}

void TFrameworkDisplayLink::SetWindowOrigin(int x, int y) {
  if (D3DFramework) D3DFramework->SetWindowPosition(x, y);
}

bool TFrameworkDisplayLink::IsWindowed() { return D3DFramework && D3DFramework->Windowed; }

int TFrameworkDisplayLink::ModeIndex() { return D3DFramework ? D3DFramework->ModeIndex : 0; }

int TFrameworkDisplayLink::ModeWidth() { return D3DFramework ? static_cast<int>(D3DFramework->DisplayMode.Width) : 0; }

int TFrameworkDisplayLink::ModeHeight() {
  return D3DFramework ? static_cast<int>(D3DFramework->DisplayMode.Height) : 0;
}

bool TFrameworkDisplayLink::LockBackBuffer(void*& pixels, int& pitch, int& width, int& height) {
  if (!D3DFramework || !D3DFramework->LockBackBuffer()) return false;
  const Plat::TSurfaceDesc& d = D3DFramework->LockDesc;
  pixels = d.Surface;
  pitch = d.Pitch;
  width = static_cast<int>(d.Width);
  height = static_cast<int>(d.Height);
  return true;
}

void TFrameworkDisplayLink::UnlockBackBuffer() {
  if (D3DFramework) D3DFramework->UnlockBackBuffer();
}

}  // namespace D3DFrame
