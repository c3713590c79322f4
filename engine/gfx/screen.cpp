#include "engine/gfx/screen.h"

namespace Gfx {

bool ScreenIs565 = true;

namespace {
int DisplayBits = 0;
}  // namespace

int DisplayBitsPerPixel() { return DisplayBits; }

void SetDisplayBitsPerPixel(int bits) { DisplayBits = bits; }

}  // namespace Gfx
