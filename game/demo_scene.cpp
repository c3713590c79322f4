#include "game/demo_scene.h"

#include <algorithm>
#include <cmath>

#include "engine/d3dframe/d3dframe.h"
#include "engine/gfx/colors.h"
#include "engine/gfx/sprite_list.h"

namespace Main {

TDemoScene* DemoScene = nullptr;

namespace {

constexpr int RingSize = 96;

// A premultiplied ring that glows from gold at its middle to nothing.
void PaintRing(Gfx::TSprite& ring) {
  ring.Create(RingSize, RingSize, 0xFF20);
  ring.HotX = ring.HotY = RingSize / 2;
  u8* p = ring.Frames[0].Pixels;
  for (int y = 0; y < RingSize; ++y)
    for (int x = 0; x < RingSize; ++x, p += 4) {
      const float dx = x + 0.5f - RingSize / 2.0f, dy = y + 0.5f - RingSize / 2.0f;
      const float d = std::fabs(std::sqrt(dx * dx + dy * dy) - RingSize * 0.35f);
      const float a = d > 10.0f ? 0.0f : 1.0f - d / 10.0f;
      // A notch shows the turning.
      const float notch = (dx > 0 && std::fabs(dy) < 5) ? 0.3f : 1.0f;
      const u32 alpha = static_cast<u32>(a * notch * 255.0f);
      p[0] = static_cast<u8>(alpha * 40 / 255);
      p[1] = static_cast<u8>(alpha * 200 / 255);
      p[2] = static_cast<u8>(alpha);
      p[3] = static_cast<u8>(alpha);
    }
}

}  // namespace

TDemoScene::TDemoScene(Gfx::TSpriteList* units) : Units(units) {
  // Five walkers taken from across the list, so that they differ.
  const i32 count = Units ? Units->IndexCount() : 0;
  for (i32 part = 0; part < 5 && count > 0; ++part)
    for (i32 i = part * count / 5; i < (part + 1) * count / 5; ++i) {
      Gfx::TSprite* s = Units->GetSprite(Units->Index[i].ID);
      if (s && s->Height >= 40 && s->FrameCount() > 1) {
        // Uploaded without the CPU copy: the list rebuilds them after a
        // display change.
        s->Upload(true);
        Walkers.push_back(s);
        break;
      }
      Units->ReleaseSprite(s);
    }
  PaintRing(Ring);
  Ring.Upload(false);
}

TDemoScene::~TDemoScene() {
  for (Gfx::TSprite*& s : Walkers) Units->ReleaseSprite(s);
}

void TDemoScene::DrawBands(u32 gameTime) {
  if (!D3DFramework->LockBackBuffer()) return;
  const Plat::TSurfaceDesc& d = D3DFramework->LockDesc;
  if (d.PixelFormat.BitCount == 16) {
    // Diagonal bands drifting with game time; one table of the band colours
    // per row, shifted along the row.
    const u32 shift = gameTime / 20;
    u16 colours[256];
    for (int y = 0; y < static_cast<int>(d.Height); ++y) {
      const u32 blue = static_cast<u32>(y) * 255 / d.Height;
      for (u32 band = 0; band < 256; ++band)
        colours[band] = static_cast<u16>(Gfx::RGBToScreenColor(band << 16 | (255 - band) << 8 | blue));
      u16* row = reinterpret_cast<u16*>(static_cast<u8*>(d.Surface) + static_cast<std::ptrdiff_t>(d.Pitch) * y);
      for (int x = 0; x < static_cast<int>(d.Width); ++x) row[x] = colours[(static_cast<u32>(x + y) + shift) & 0xFF];
    }
  }
  D3DFramework->UnlockBackBuffer();
}

void TDemoScene::Draw(u32 gameTime) {
  if (!D3DFramework || !D3DFramework->BackBuffer) return;
  DrawBands(gameTime);
  Plat::TSurface* back = D3DFramework->BackBuffer;
  const int width = back->Width(), height = back->Height();
  for (std::size_t i = 0; i < Walkers.size(); ++i) {
    Gfx::TSprite* s = Walkers[i];
    // Each walks across and back at its own pace, one row each.
    const int span = width + s->Width;
    const int period = 2 * span;
    const int step = static_cast<int>((gameTime / (8 + 3 * i)) % static_cast<u32>(period));
    const bool back2 = step >= span;
    const int x = (back2 ? period - step : step) - s->Width;
    const int y = 60 + static_cast<int>(i) * (height - 120) / 5;
    const i32 frame = static_cast<i32>((gameTime / 150) % static_cast<u32>(std::max(1, s->DrawableFrameCount())));
    if (back2)
      s->DrawMirrored(back, frame, x, y, nullptr);
    else
      s->Draw(back, frame, x, y, nullptr);
  }
  const float angle = static_cast<float>(gameTime % 6283u) / 1000.0f;
  const float scale = 1.0f + 0.25f * std::sin(static_cast<float>(gameTime) / 700.0f);
  Ring.DrawRotated(back, 0, width / 2, height / 2, angle, scale, scale);
}

}  // namespace Main
