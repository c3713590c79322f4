// Pretends a display device of the given depth and layout for one test.
#pragma once

#include "engine/gfx/screen.h"

namespace TestSupport {

class TDisplayGuard {
 public:
  TDisplayGuard(int bits, bool is565) : SavedBits(Gfx::DisplayBitsPerPixel()), Saved565(Gfx::ScreenIs565) {
    Gfx::SetDisplayBitsPerPixel(bits);
    Gfx::ScreenIs565 = is565;
  }
  ~TDisplayGuard() {
    Gfx::SetDisplayBitsPerPixel(SavedBits);
    Gfx::ScreenIs565 = Saved565;
  }
  TDisplayGuard(const TDisplayGuard&) = delete;
  TDisplayGuard& operator=(const TDisplayGuard&) = delete;

 private:
  int SavedBits;
  bool Saved565;
};

}  // namespace TestSupport
