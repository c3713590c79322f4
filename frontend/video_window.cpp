#include "frontend/video_window.h"

#include <algorithm>
#include <cstring>

#include "engine/d3dframe/d3dframe.h"
#include "engine/dxapp/dxapp.h"
#include "engine/platform/display/surface.h"
#include "engine/platform/video/video_player.h"

Main::TVideoWindow* VideoWindow = nullptr;

namespace Main {

namespace {

constexpr i32 ScreenW = 800, ScreenH = 600;

bool HaveScreen() { return D3DFramework && D3DFramework->BackBuffer && !D3DFramework->SurfacesLost(); }

}  // namespace

TVideoWindow::TVideoWindow(DXWin::TDXWindowSystem* windowSystem) : DXWin::TDXWindow(windowSystem, 0, 0) {
  SetBounds({0, 0, ScreenW, ScreenH});
  OnKeyDown = DXWin::TKeyEvent::Of<&TVideoWindow::SkipKey>(this);
  OnMouseDown = DXWin::TMouseEvent::Of<&TVideoWindow::SkipClick>(this);
}

TVideoWindow::~TVideoWindow() { ReleaseGraph(); }

Base::TRect TVideoWindow::VideoRectangle(int width, int height) {
  const double r = width > 0 ? static_cast<double>(height) / width : 0.75;
  const double top = (ScreenH - ScreenW * r) * 0.5;
  return {0, static_cast<i32>(top), ScreenW, static_cast<i32>(top + ScreenW * r)};
}

void TVideoWindow::Play(const std::string& path) {
  if (DeleteSoundSystem) DeleteSoundSystem();
  Playing = 1;
  FileName = path;
  SavedPosition = 0;
  EndedBy = 0;
  if (OpenGraph()) {
    if (OnOpened) OnOpened(path);
    if (DXApplication) {
      // Unless the film's end says otherwise.
      EndedBy = 2;
      Flags |= DXWin::wfModal;
      ShowModal(false);
      Flags &= ~DXWin::wfModal;
    }
    ReleaseGraph();
  }
  Playing = 0;
  if (RestartSoundSystem) RestartSoundSystem();
}

bool TVideoWindow::OpenGraph() {
  try {
    Player = std::make_unique<Plat::TVideoPlayer>(FileName);
    VideoRect = VideoRectangle(Player->Width(), Player->Height());
    Player->SetNotifyWindow(DXApplication ? DXApplication->hWnd : nullptr, VideoMessage);
    // Rows beyond the screen of a very tall film are not converted.
    const i32 height = std::min(VideoRect.Bottom - VideoRect.Top, Plat::TVideoFile::MaxSide);
    Player->Run(VideoRect.Right - VideoRect.Left, height, SavedPosition, WithSound);
  } catch (const std::exception&) {
    ReleaseGraph();
    return false;
  }
  ClearScreen();
  return true;
}

void TVideoWindow::ReleaseGraph() { Player.reset(); }

void TVideoWindow::HandleMessage(Plat::UINT& msg, Plat::WPARAM& wParam, Plat::LPARAM& lParam, bool& handled) {
  DXWin::TDXWindow::HandleMessage(msg, wParam, lParam, handled);
  if (msg == VideoMessage) TakeEvents();
}

void TVideoWindow::TakeEvents() {
  long code = 0;
  bool end = false;
  while (Player && Player->GetEvent(code))
    if (code == Plat::VideoComplete || code == Plat::VideoUserAbort) end = true;
  if (end) {
    EndedBy = 1;
    EndVideo();
  }
}

void TVideoWindow::Update() {
  DXWin::TDXWindow::Update();
  if (!Playing || !Player) return;
  if (const Plat::TVideoPicture* picture = Player->TakePicture()) ShowPicture(*picture);
  // Without a window no message brings the end: it is taken here.
  if (!DXApplication || !DXApplication->hWnd) TakeEvents();
}

void TVideoWindow::EndVideo() {
  if (HaveScreen()) {
    D3DFramework->ClearBackBuffer();
    D3DFramework->PresentFrame();
  }
  Close();
}

void TVideoWindow::SkipKey(Plat::WPARAM& key, DXWin::TShiftState) {
  if (key != Plat::VK_ESCAPE && key != Plat::VK_RETURN && key != Plat::VK_SPACE) return;
  key = 0;
  EndVideo();
}

void TVideoWindow::SkipClick(int, DXWin::TShiftState, int, int) { EndVideo(); }

void TVideoWindow::Suspend() {
  if (!Playing || !Player) return;
  SavedPosition = Player->Position();
  ReleaseGraph();
}

void TVideoWindow::Resume() {
  if (!Playing || Player || (D3DFramework && D3DFramework->SurfacesLost())) return;
  // A film that cannot be opened again must not hold the player in its loop.
  if (!OpenGraph()) EndVideo();
}

void TVideoWindow::RestoreSurfaces() {
  if (Playing && !Player && !OpenGraph()) {
    EndVideo();
    return;
  }
  ClearScreen();
}

void TVideoWindow::ClearScreen() {
  if (!HaveScreen()) return;
  D3DFramework->ClearBackBuffer();
  Base::TRect key = VideoRect;
  if (Base::IntersectRect(key, VideoRect, Base::TRect{0, 0, ScreenW, ScreenH})) {
    Plat::TBltFx fx;
    fx.FillColor = ColorKey;
    D3DFramework->BackBuffer->Blt(&key, nullptr, nullptr, Plat::bltColorFill | Plat::bltWait, &fx);
  }
  D3DFramework->PresentFrame();
}

void TVideoWindow::ShowPicture(const Plat::TVideoPicture& picture) {
  if (!HaveScreen()) return;
  D3DFramework->ClearBackBuffer();
  Plat::TSurface* back = D3DFramework->BackBuffer;
  Plat::TSurfaceDesc desc;
  if (Plat::Failed(back->Lock(nullptr, desc))) return;
  if (desc.PixelFormat.BitCount == 16) {
    auto* bits = static_cast<u8*>(desc.Surface);
    const i32 width = std::min(picture.Width, static_cast<i32>(desc.Width) - VideoRect.Left);
    for (i32 y = 0; y < picture.Height; ++y) {
      const i32 row = VideoRect.Top + y;
      if (row < 0 || row >= static_cast<i32>(desc.Height) || width <= 0) continue;
      std::memcpy(bits + static_cast<std::ptrdiff_t>(row) * desc.Pitch + VideoRect.Left * 2,
                  picture.Pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.Width),
                  static_cast<std::size_t>(width) * 2);
    }
  }
  back->Unlock();
  D3DFramework->PresentFrame();
}

}  // namespace Main
