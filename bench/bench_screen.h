// The display framework in full screen on the SDL platform (its dummy driver
// when there is no display), as the program runs, for the drawing benchmarks.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/d3dframe/d3dframe.h"
#include "engine/gfx/screen.h"
#include "engine/platform/window/platform.h"
#include "engine/platform/window/sdl_platform.h"

namespace Bench {

constexpr int Width = 800, Height = 600;

class TScreen {
 public:
  TScreen() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    Plat::Install(std::make_unique<Plat::TSdlPlatform>());
    Plat::TWndClass wc;
    wc.WndProc = [](Plat::HWND h, Plat::UINT m, Plat::WPARAM w, Plat::LPARAM l) {
      return Plat::Current().DefWindowProc(h, m, w, l);
    };
    wc.ClassName = "Bench";
    Plat::Current().RegisterClass(wc);
    Window = Plat::Current().CreateWindow("Bench", "Bench", Plat::WS_POPUP, 0, 0, 0, Width, Height);
    Plat::Current().ShowWindow(Window, Plat::SW_SHOWNORMAL);
    D3DFramework = new D3DFrame::TD3DFramework(Window, "Bench", 3, Width, Height, 16, nullptr);
    D3DFramework->InitializeFullscreen(-1, -1, -1);
    Gfx::Startup();
    Plat::TDevice3D* d = D3DFramework->Device3D;
    d->SetTextureStageState(0, Plat::TStageState::Address, Plat::addressClamp);
    Back = D3DFramework->BackBuffer;
  }
  Plat::HWND Window = nullptr;
  Plat::TSurface* Back = nullptr;
};

inline TScreen& Screen() {
  static TScreen screen;
  return screen;
}

// The baseline of every frame: a memcpy of one 800 x 600 16-bit frame.
inline void MemcpyFrame(benchmark::State& state) {
  std::vector<u8> from(Width * Height * 2, 1), to(Width * Height * 2);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * Width * Height * 2);
}

}  // namespace Bench
