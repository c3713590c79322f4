#include "engine/gfx/bitmap.h"

#include <algorithm>

#include "engine/base/errors.h"

namespace Gfx {

TBitmap::TBitmap(int width, int height, int bitsPerPixel)
    : W(std::max(width, 0)), H(std::max(height, 0)), Bits(bitsPerPixel == 16 ? 16 : 32), RowBytes(W * Bits / 8) {
  if (W > 0x7FFF || H > 0x7FFF) throw EGraphicsError("Bitmap too large.");
  Pixels.assign(static_cast<std::size_t>(RowBytes) * static_cast<std::size_t>(H), 0);
}

}  // namespace Gfx
