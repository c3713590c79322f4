#include "frontend/loading_screen.h"

#include <stdexcept>

#include "engine/athread/action_thread.h"
#include "engine/d3dframe/d3dframe.h"
#include "engine/dxapp/dxapp.h"
#include "engine/gfx/sprite.h"
#include "world/data2/main_data.h"

Main::TLoadingScreen* LoadingScreen = nullptr;

namespace Main {

namespace {

// The screen whose job runs: the nested loop's callbacks reach it here.
TLoadingScreen* Running = nullptr;

// While the job loads, nothing but the loading screen may run or draw: the
// game's own update and windows read the scenario that the worker replaces.
void StepLoadingScreen() {
  if (Running) Running->UpdateControl();
}

void RenderLoadingScreen() {
  if (!Running || !D3DFramework || !D3DFramework->Device3D || !D3DFramework->BackBuffer) return;
  D3DFramework->Device3D->BeginScene();
  D3DFramework->ClearBackBuffer();
  Running->DrawControl(D3DFramework->BackBuffer);
  D3DFramework->Device3D->EndScene();
  D3DFramework->PresentFrame();
}

// The job's picture in the interface data.
Gfx::TSprite* LoadingPicture() {
  return Data2::MainData ? Data2::MainData->InterfaceSprites[Data2::isLoadingPicture] : nullptr;
}

}  // namespace

TLoadingScreen::TLoadingScreen(DXWin::TDXWindowSystem* windowSystem)
    : DXWin::TDXWindow(windowSystem, DXWin::wfModal, 0) {
  SetBounds({0, 0, 800, 600});
  OnDraw = DXWin::TDrawEvent::Of<&TLoadingScreen::DrawPicture>(this);
  OnUpdate = DXWin::TNotifyEvent::Of<&TLoadingScreen::Poll>(this);
  if (Data2::MainData) SetCursor(Data2::MainData->InterfaceSprites[Data2::isDefaultCursor]);
}

TLoadingScreen::~TLoadingScreen() {
  // Stops (waits for) the job first: it may still use what is freed next.
  delete Worker;
  Worker = nullptr;
  if (Running == this) Running = nullptr;
}

void TLoadingScreen::DrawPicture(Plat::TSurface* surface, const Base::TRect& rect) {
  if (Gfx::TSprite* picture = LoadingPicture()) picture->Draw(surface, 0, rect.Left, rect.Top, nullptr);
}

void TLoadingScreen::Poll(DXWin::TDXControl*) {
  if (Worker && !Worker->IsRunning()) Close();
}

void TLoadingScreen::Run(TWork work) {
  Worker = new TActionThread;
  Worker->SetFunction(work);
  RunWorker();
}

void TLoadingScreen::RunMethod(const TMethod& work) {
  Worker = new TActionThread;
  Worker->SetMethod(work);
  RunWorker();
}

void TLoadingScreen::RunWorker() {
  Worker->Start(0);
  if (DXApplication && DXApplication->hWnd) {
    struct TRestore {
      TLoadingScreen* Screen;
      TLoadingScreen* Outer;
      ~TRestore() {
        Running = Outer;
        DXApplication->SetUpdatesPerSecond(100);
        Screen->InModalLoop = false;
        Screen->Hide();
      }
    } restore{this, Running};
    DXApplication->SetUpdatesPerSecond(10);
    Running = this;
    ModalDone = false;
    ModalResult = 0;
    Show();
    InModalLoop = true;
    DXApplication->RunModalLoop(&ModalDone, StepLoadingScreen, RenderLoadingScreen);
  }
  // Ended early (the program is asked to end): the job still finishes.
  Worker->Stop();
  const bool failed = !Worker->Succeeded;
  const std::string message = failed ? Worker->ErrorMessage : std::string();
  delete Worker;
  Worker = nullptr;
  if (failed) throw std::runtime_error(message);
}

void WaitForLoadingWork() {
  if (LoadingScreen && LoadingScreen->Worker) LoadingScreen->Worker->Stop();
}

}  // namespace Main
