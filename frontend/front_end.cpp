#include "frontend/front_end.h"

#include <cstring>
#include <stdexcept>

#include "engine/athread/action_thread.h"
#include "engine/d3dframe/d3dframe.h"
#include "engine/gfx/sprite.h"
#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/window_system.h"
#include "controls/orv_tooltip.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"
#include "world/scenario/settings.h"
#include "world/scenario/sound.h"

Main::TMainMenu* MainMenu = nullptr;
Main::TLoadingScreen* LoadingScreen = nullptr;
Main::TVideoWindow* VideoWindow = nullptr;

namespace Main {

std::array<std::string, 9> VideoNames;
static_assert(Data2::VideoNameCount == 9);

void CreateInterface() {
  WindowSystem = new DXWin::TDXWindowSystem;
  if (Data2::MainData) {
    WindowSystem->SetDefaultCursor(Data2::MainData->InterfaceSprites[Data2::isDefaultCursor]);
    for (std::size_t i = 0; i < VideoNames.size(); ++i) VideoNames[i] = Data2::MainData->VideoNames[i];
  }
  WindowSystem->SetTooltip(new TOrvTooltip);
  MainMenu = new TMainMenu(WindowSystem);
  LoadingScreen = new TLoadingScreen(WindowSystem);
  VideoWindow = new TVideoWindow(WindowSystem);
}

void DeleteInterface() {
  delete MainMenu;
  delete LoadingScreen;
  delete VideoWindow;
  MainMenu = nullptr;
  LoadingScreen = nullptr;
  VideoWindow = nullptr;
  // With every window still registered.
  delete WindowSystem;
  WindowSystem = nullptr;
}

TMainMenu::TMainMenu(DXWin::TDXWindowSystem*) {}

void TMainMenu::Open(i32 page) {
  Page = page;
  Visible = 1;
  if (Data2::GlobalData) GameData::PlayMusic(Data2::GlobalData->MenuMusicID, MusicVolume, 0, false);
  if (OnOpen) OnOpen(page);
}

void TMainMenu::CaptureThumbnail() {
  std::memset(Thumbnail, 0, sizeof Thumbnail);
  DXApp::TDisplayLink* display = DXApplication ? DXApplication->Display : nullptr;
  void* pixels = nullptr;
  int pitch = 0, width = 0, height = 0;
  if (!display || !display->LockBackBuffer(pixels, pitch, width, height)) return;
  if (width > 0 && height > 0) {
    const auto* source = static_cast<const u8*>(pixels);
    for (i32 y = 0; y < ThumbnailHeight; ++y) {
      const u8* row = source + static_cast<std::ptrdiff_t>(y * height / ThumbnailHeight) * pitch;
      for (i32 x = 0; x < ThumbnailWidth; ++x)
        std::memcpy(Thumbnail + (y * ThumbnailWidth + x) * 2, row + (x * width / ThumbnailWidth) * 2, 2);
    }
  }
  display->UnlockBackBuffer();
}

TLoadingScreen::TLoadingScreen(DXWin::TDXWindowSystem*) {}

namespace {

// The worker the loading screen's update step watches.
TActionThread* RunningWork = nullptr;
bool WorkDone = false;

void WatchWork() {
  if (!RunningWork->IsRunning()) WorkDone = true;
}

}  // namespace

void WaitForLoadingWork() {
  if (RunningWork) RunningWork->Stop();
}

namespace {

// The loading picture over the whole screen while the worker runs.
void DrawLoadingPicture() {
  if (!D3DFramework || !D3DFramework->Device3D || !D3DFramework->BackBuffer) return;
  D3DFramework->Device3D->BeginScene();
  D3DFramework->ClearBackBuffer();
  if (Data2::MainData)
    if (Gfx::TSprite* picture = Data2::MainData->InterfaceSprites[Data2::isLoadingPicture])
      picture->Draw(D3DFramework->BackBuffer, 0, 0, 0, nullptr);
  D3DFramework->Device3D->EndScene();
  D3DFramework->PresentFrame();
}

void RunOnWorker(TActionThread& thread) {
  thread.Start(0);
  if (DXApplication && DXApplication->hWnd) {
    DXApplication->SetUpdatesPerSecond(10);
    RunningWork = &thread;
    WorkDone = false;
    DXApplication->RunModalLoop(&WorkDone, WatchWork, DrawLoadingPicture);
    RunningWork = nullptr;
    DXApplication->SetUpdatesPerSecond(100);
  }
  thread.Stop();
  if (!thread.Succeeded) throw std::runtime_error(thread.ErrorMessage);
}

}  // namespace

void TLoadingScreen::Run(TWork work) {
  TActionThread thread;
  thread.SetFunction(work);
  RunOnWorker(thread);
}

void TLoadingScreen::RunMethod(const TMethod& work) {
  TActionThread thread;
  thread.SetMethod(work);
  RunOnWorker(thread);
}

TCreditsWindow::TCreditsWindow(DXWin::TDXWindowSystem*) {}

void TCreditsWindow::Run() {
  if (Data2::GlobalData) GameData::PlayMusic(Data2::GlobalData->CreditsMusicID, MusicVolume, 0, false);
  GameData::FadeOutMusic();
}

TVideoWindow::TVideoWindow(DXWin::TDXWindowSystem*) {}

// Until the video player exists every video is skipped, as one that cannot
// be opened is.
void TVideoWindow::Play(const std::string&) {}

}  // namespace Main
