#include "game/standin_display.h"

#include "engine/platform/platform.h"

namespace Main {

void TStandInDisplay::InitFullscreen(Plat::HWND hWnd, int) {
  Window = hWnd;
  Windowed = false;
  Plat::Current().SetVideoMode(hWnd, true, Width, Height);
}

void TStandInDisplay::InitWindowed(Plat::HWND hWnd, const Plat::TRect&) {
  Window = hWnd;
  Windowed = true;
  Plat::Current().SetVideoMode(hWnd, false, Width, Height);
}

bool TStandInDisplay::LockBackBuffer(void*& pixels, int& pitch, int& width, int& height) {
  pixels = BackBuffer.data();
  pitch = Width * 2;
  width = Width;
  height = Height;
  return true;
}

void TStandInDisplay::Present() {
  if (Window) Plat::Current().Present(Window, BackBuffer.data(), Width * 2, Width, Height);
}

void DrawStandInPicture(u16* pixels, int width, int height, u32 gameTime) {
  // Diagonal colour bands drifting with game time, and a square that circles.
  u32 shift = gameTime / 20;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      u32 band = (static_cast<u32>(x + y) + shift) & 0xFF;
      u16 r = static_cast<u16>(band >> 3);
      u16 g = static_cast<u16>((255 - band) >> 2);
      u16 b = static_cast<u16>((static_cast<u32>(y) * 31) / static_cast<u32>(height));
      pixels[y * width + x] = static_cast<u16>((r << 11) | (g << 5) | b);
    }
  }
  int phase = static_cast<int>((gameTime / 10) % 400);
  int cx = phase < 200 ? 100 + phase * 3 : 700 - (phase - 200) * 3;
  int cy = height / 2;
  for (int y = cy - 30; y < cy + 30; ++y)
    for (int x = cx - 30; x < cx + 30; ++x)
      if (x >= 0 && x < width && y >= 0 && y < height) pixels[y * width + x] = 0xFFFF;
}

}  // namespace Main
