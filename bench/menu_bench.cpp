// The main menu: one frame of its first page with the pointer on a button
// (background, buttons, beam, figure, marker, version line) beside a memcpy
// of one 800 x 600 16-bit frame, and the save list rebuilt from 100 saves
// in the save folder (each header deciphered) beside reading the same files
// plainly, in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/base/base.h"
#include "engine/d3dframe/d3dframe.h"
#include "engine/data/archive.h"
#include "engine/data/safe_file.h"
#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/window_system.h"
#include "engine/gfx/screen.h"
#include "engine/platform/system/files.h"
#include "engine/platform/window/platform.h"
#include "engine/platform/window/sdl_platform.h"
#include "frontend/main_menu.h"
#include "tools/demodata/demo_data.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"

namespace {

constexpr int Width = 800, Height = 600;
constexpr int SaveCount = 100;

struct TScene {
  std::string Dir;
  Plat::TSurface* Back = nullptr;
  Main::TMainMenu* Menu = nullptr;
  TScene() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    Plat::Install(std::make_unique<Plat::TSdlPlatform>());
    Plat::TWndClass wc;
    wc.WndProc = [](Plat::HWND h, Plat::UINT m, Plat::WPARAM w, Plat::LPARAM l) {
      return Plat::Current().DefWindowProc(h, m, w, l);
    };
    wc.ClassName = "Bench";
    Plat::Current().RegisterClass(wc);
    Plat::HWND window = Plat::Current().CreateWindow("Bench", "Bench", Plat::WS_POPUP, 0, 0, 0, Width, Height);
    Plat::Current().ShowWindow(window, Plat::SW_SHOWNORMAL);
    D3DFramework = new D3DFrame::TD3DFramework(window, "Bench", 3, Width, Height, 16, nullptr);
    D3DFramework->InitializeFullscreen(-1, -1, -1);
    Gfx::Startup();
    Back = D3DFramework->BackBuffer;
    char pattern[] = "/tmp/orvbench-XXXXXX";
    Dir = std::string(mkdtemp(pattern)) + "/";
    Builder::WriteDemoData(Dir, Builder::TArchiveForm::Packed);
    Data::DataPath = Dir;
    Data2::CreateArchives();
    Data2::CreateMainData();
    Data2::CreateGlobalData();
    WindowSystem = new DXWin::TDXWindowSystem;
    Menu = new Main::TMainMenu(WindowSystem);
    MainMenu = Menu;
    // 100 saves as the game writes their heads, with a body behind.
    auto header = std::make_unique<Main::TSaveGameHeader>();
    header->SetTitle("Das Grenzland");
    const std::string body(20000, 'x');
    for (int i = 0; i < SaveCount; ++i) {
      header->Round = i;
      Data::TSafeFileWriter out(Data2::SaveDirectory + Base::Format("%02d.sav", i), true);
      header->Write(out.Stream());
      out.Stream().WriteBuffer(body.data(), static_cast<i32>(body.size()));
      out.Commit();
    }
    Menu->Open(Main::mpMain);
    // The pointer on "Laden": the beam, the figure and the marker are drawn.
    WindowSystem->HandleMessage(Plat::WM_MOUSEMOVE, 0, Plat::MakeLParam(620, 290));
    for (int i = 0; i < 30; ++i) WindowSystem->Update();
  }
  ~TScene() {
    delete WindowSystem;
    WindowSystem = nullptr;
    MainMenu = nullptr;
    Data2::FreeGlobalData();
    Data2::FreeMainData();
    Data2::FreeArchives();
    std::filesystem::remove_all(Dir);
  }
};

TScene& Scene() {
  static TScene scene;
  return scene;
}

void BM_MemcpyFrame(benchmark::State& state) {
  std::vector<u8> from(Width * Height * 2, 1), to(Width * Height * 2);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MemcpyFrame)->Unit(benchmark::kMicrosecond);

void BM_MenuFrame(benchmark::State& state) {
  TScene& s = Scene();
  D3DFramework->Device3D->BeginScene();
  for (auto _ : state) {
    WindowSystem->Draw(s.Back);
    benchmark::ClobberMemory();
  }
  D3DFramework->Device3D->EndScene();
}
BENCHMARK(BM_MenuFrame)->Unit(benchmark::kMicrosecond);

void BM_ReadSaveHeadersPlainly(benchmark::State& state) {
  Scene();
  std::vector<char> buffer(Main::TSaveGameHeader::StreamSize);
  for (auto _ : state) {
    size_t total = 0;
    for (const Plat::TFindData& f : Plat::FindFiles(Data2::SaveDirectory + "*.sav")) {
      std::FILE* file = std::fopen(Plat::NativePath(Data2::SaveDirectory + f.Name).c_str(), "rb");
      if (!file) continue;
      total += std::fread(buffer.data(), 1, buffer.size(), file);
      std::fclose(file);
    }
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_ReadSaveHeadersPlainly)->Unit(benchmark::kMillisecond);

void BM_RefreshSaveList(benchmark::State& state) {
  TScene& s = Scene();
  for (auto _ : state) {
    s.Menu->RefreshSaveList();
    if (s.Menu->SaveList.Count() != SaveCount) state.SkipWithError("not every save was listed");
  }
}
BENCHMARK(BM_RefreshSaveList)->Unit(benchmark::kMillisecond);

}  // namespace
