// The graphics module's global state: the display's colour layout, the
// texel offset of textured draws, the choice of texture format, the start-up
// probe, rectangle fills and the registry through which sprites make their
// device objects again after a display change or lost surfaces.
#pragma once

#include <mutex>

#include "engine/base/rect.h"
#include "engine/data/object_list.h"
#include "engine/gfx/colors.h"
#include "engine/platform/display/display_types.h"

namespace Plat {
class TSurface;
}

namespace Gfx {

class TSprite;
class TFont;
class TBitmap;

// Added to texture coordinates or quad positions by every textured draw;
// Startup measures it (-0.01 or -0.51).
extern float TexelOffset;

using TTextureFormatChooser = Plat::TPixelFormat (*)();
// Picks the pixel format of sprite textures; callers may switch it between
// the two choosers below.
extern TTextureFormatChooser ChooseTextureFormat;
// "DXT5", "DXT3", 32-bit with alpha, 16-bit with a 4-bit alpha, in that order.
Plat::TPixelFormat ChooseCompressedTextureFormat();
// 32-bit with alpha, 16-bit with a 4-bit alpha.
Plat::TPixelFormat ChooseUncompressedTextureFormat();

// Sprites that have device objects and kept their CPU copy; not owning.
// Membership and the device-loss calls hold SpriteRegistryLock (the loading
// worker uploads while the main thread runs).
extern Data::TObjectList<TSprite> SpriteRegistry;
extern std::recursive_mutex SpriteRegistryLock;
// Fonts that have a cached glyph surface; not owning, guarded the same way.
extern Data::TObjectList<TFont> FontRegistry;
extern std::recursive_mutex FontRegistryLock;

// Bits per pixel of the display: the framework's mode, or what a test set
// with SetDisplayBitsPerPixel while there is no framework; 0 for none, and
// then no sprite is converted to a display format.
int DisplayBitsPerPixel();
void SetDisplayBitsPerPixel(int bits);

// Learns the display's 16-bit layout and measures the texel offset; once,
// after the framework's display is built.
void Startup();
void Shutdown();

// Before a display-mode change, after it, and after lost surfaces were
// restored: every registered sprite and font releases, makes again or
// restores its device objects.
void ReleaseDeviceObjects();
void RecreateDeviceObjects();
void RestoreDeviceObjects();

// Fills in a 5-6-5 colour (converted on a 5-5-5 display), clipped to the
// surface and the clip; nothing below 1 x 1.
void FillRect(Plat::TSurface* surface, int x, int y, int width, int height, u32 color, const Base::TRect* clip);
// A one-pixel outline of four fills.
void FrameRect(Plat::TSurface* surface, int x, int y, int width, int height, u32 color, const Base::TRect* clip);
// Sets every pixel of the rectangle of a 16-bit bitmap, clipped.
void FillBitmapRect(TBitmap* bitmap, const Base::TRect& rect, u16 color, const Base::TRect* clip);

}  // namespace Gfx
