// Input: a sprite stream, loaded on a small software display (so frames
// stored as surface images are read too), then drawn every way: in software
// into the back buffer and a bitmap, whole and clipped, uploaded to the
// device and drawn as blits and textured quads, and saved again.
#include <memory>
#include <string>

#include "engine/d3dframe/d3dframe.h"
#include "engine/data/stream.h"
#include "engine/gfx/bitmap.h"
#include "engine/gfx/screen.h"
#include "engine/gfx/sprite.h"
#include "engine/platform/display/display.h"

namespace {

D3DFrame::TD3DFramework* Display() {
  static D3DFrame::TD3DFramework* framework = [] {
    // Little video memory, so that huge frames fail to upload quickly.
    Plat::DisplayMachine().VideoMemory = 32u << 20;
    auto* f = new D3DFrame::TD3DFramework(nullptr, "Fuzz", 3, 800, 600, 16, nullptr);
    D3DFramework = f;
    const Plat::TRect client{0, 0, 48, 40};
    f->InitializeWindowed(-1, -1, &client);
    Gfx::Startup();
    f->Device3D->SetTextureStageState(0, Plat::TStageState::Address, Plat::addressClamp);
    return f;
  }();
  return framework;
}

void DrawEveryWay(Gfx::TSprite& sprite, Plat::TSurface* back, Gfx::TBitmap& bitmap) {
  const Base::TRect clip{3, 2, 40, 33};
  const i32 frames = sprite.FrameCount() < 4 ? sprite.FrameCount() : 4;
  for (i32 f = 0; f < frames; ++f) {
    sprite.Draw(back, f, 1, 2, nullptr);
    sprite.Draw(back, f, -5, -7, &clip);
    sprite.DrawToBitmap(&bitmap, f, 30, 20, nullptr);
    sprite.DrawToBitmap(&bitmap, f, -3, 1, &clip);
    sprite.DrawMirrored(back, f, 20, -4, nullptr);
    sprite.DrawRotated(back, f, 24, 20, 0.7f, 1.5f, 0.5f);
    sprite.DrawStretched(back, f, {4, 4, 30, 20}, nullptr, true);
    sprite.DrawAlongLine(f, 2, 3, 40, 30, f);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  D3DFrame::TD3DFramework* display = Display();
  Plat::TSurface* back = display->BackBuffer;
  Gfx::TBitmap bitmap(40, 30, size % 2 ? 16 : 32);
  std::string bytes(reinterpret_cast<const char*>(data), size);
  display->Device3D->BeginScene();
  try {
    Data::TMemoryStream s(bytes);
    Gfx::TSprite sprite(Gfx::sfConvert);
    sprite.Load(s);
    DrawEveryWay(sprite, back, bitmap);
    try {
      sprite.Upload(false);
    } catch (const std::runtime_error&) {
    }
    DrawEveryWay(sprite, back, bitmap);
    Data::TMemoryStream out;
    sprite.Save(out);
  } catch (const std::runtime_error&) {
  }
  display->Device3D->EndScene();
  return 0;
}
