// The main menu: one frame of its first page with the pointer on a button
// (background, buttons, beam, figure, marker, version line) beside a memcpy
// of one 800 x 600 16-bit frame, and the save list rebuilt from 100 saves
// in the save folder (each header deciphered) beside reading the same files
// plainly, in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_data.h"
#include "bench/bench_screen.h"
#include "engine/base/base.h"
#include "engine/data/safe_file.h"
#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/window_system.h"
#include "engine/platform/system/files.h"
#include "frontend/main_menu.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"

namespace {

using Bench::Width, Bench::Height;
constexpr int SaveCount = 100;

struct TScene {
  // The display comes first: the data loads its pictures onto it.
  Plat::TSurface* Back = Bench::Screen().Back;
  Bench::TDemoData Data{true};
  Main::TMainMenu* Menu = nullptr;
  TScene() {
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
  }
};

TScene& Scene() {
  static TScene scene;
  return scene;
}

void BM_MemcpyFrame(benchmark::State& state) { Bench::MemcpyFrame(state); }
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
