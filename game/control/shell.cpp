#include "game/control/shell.h"

#include "engine/d3dframe/d3dframe.h"
#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/window_system.h"
#include "engine/gfx/screen.h"
#include "engine/platform/window/platform.h"
#include "game/control/game.h"
#include "game/battle/fight_dialog.h"
#include "game/city/city_window.h"
#include "game/panels/group_panel.h"
#include "frontend/front_end.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"

namespace Main {

namespace {

// The interface data's sprite list and the four of the global data; their
// sprites dropped the CPU copy on upload.
template <class Op>
void ForEachList(Op op) {
  if (Data2::MainData) op(Data2::MainData->SpriteList);
  if (!Data2::GlobalData) return;
  Data2::TGlobalData& g = *Data2::GlobalData;
  for (Gfx::TSpriteList* list : {&g.CommonSpriteList, &g.WindowSpriteList, &g.UnitSpriteList, &g.SpellSpriteList})
    op(*list);
}

}  // namespace

bool ScreenshotSeries = false;

void UpdateFrame() {
  if (Game) Game->Update();
  if (WindowSystem) WindowSystem->Update();
  if (ScreenshotSeries && DXApplication->UpdateCount % 4 == 0) DXApplication->ScreenshotRequested = 1;
}

void RenderFrame() {
  if (!D3DFramework || !D3DFramework->Device3D) return;
  // A video draws itself.
  if (VideoWindow && VideoWindow->Playing) return;
  D3DFramework->Device3D->BeginScene();
  D3DFramework->ClearBackBuffer();
  if (WindowSystem) WindowSystem->Draw(D3DFramework->BackBuffer);
  if (Game) Game->DrawMessages();
  D3DFramework->Device3D->EndScene();
  D3DFramework->PresentFrame();
}

void RestoreSurfaces() {
  Gfx::RestoreDeviceObjects();
  ForEachList([](Gfx::TSpriteList& list) { list.RestoreDeviceObjects(); });
  if (MainMenu) MainMenu->RestoreSurfaces();
  if (Game) Game->RestoreSurfaces();
  if (VideoWindow) VideoWindow->RestoreSurfaces();
}

void BeforeModeChange() {
  Gfx::ReleaseDeviceObjects();
  ForEachList([](Gfx::TSpriteList& list) { list.ReleaseDeviceObjects(); });
  if (MainMenu) MainMenu->ReleaseSurfaces();
  if (Game) Game->ReleaseSurfaces();
}

void AfterModeChange() {
  Gfx::RecreateDeviceObjects();
  ForEachList([](Gfx::TSpriteList& list) { list.RecreateDeviceObjects(); });
  if (MainMenu) MainMenu->CreateSurfaces();
  if (Game) Game->CreateSurfaces();
}

void SetupScene() {
  if (!D3DFramework || !D3DFramework->Device3D) return;
  Plat::TDevice3D& d = *D3DFramework->Device3D;
  D3DFramework->SetViewport(0, 0, 800, 600);
  Plat::TMatrix identity;
  for (int i = 0; i < 4; ++i) identity.M[i][i] = 1.0f;
  for (Plat::TTransform t : {Plat::TTransform::View, Plat::TTransform::Projection, Plat::TTransform::World})
    d.SetTransform(t, identity);
  D3DFramework->SetAmbientLight(1.0f, 1.0f, 1.0f);
  d.SetTextureStageState(0, Plat::TStageState::ColorArg1, Plat::argTexture);
  d.SetTextureStageState(0, Plat::TStageState::MinFilter, Plat::filterPoint);
  d.SetTextureStageState(0, Plat::TStageState::MagFilter, Plat::filterPoint);
  d.SetTextureStageState(0, Plat::TStageState::Address, Plat::addressClamp);
  d.SetRenderState(Plat::TRenderState::ShadeMode, Plat::shadeFlat);
  d.SetRenderState(Plat::TRenderState::DitherEnable, 1);
}

void HandleAppMessage(Plat::UINT msg, Plat::WPARAM wParam, Plat::LPARAM lParam) {
  const bool keyDown = msg == Plat::WM_KEYDOWN || msg == Plat::WM_SYSKEYDOWN;
  if (keyDown && wParam == 'G' && Plat::Current().IsKeyDown(Plat::VK_CONTROL)) ScreenshotSeries = !ScreenshotSeries;
  if (!WindowSystem) return;
  // A command that fails (a menu button's, a key's) is shown, and the
  // program goes on where the command left it.
  try {
    WindowSystem->HandleMessage(msg, wParam, lParam);
  } catch (const std::exception& e) {
    DXApplication->ShowException(e);
  }
}

}  // namespace Main
