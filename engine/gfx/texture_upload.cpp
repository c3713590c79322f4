// Writing ARGB pixels into a texture of any RGB layout.
#include <algorithm>
#include <bit>
#include <stdexcept>

#include "engine/d3dframe/d3dframe.h"
#include "engine/gfx/kernels.h"

namespace Gfx {

namespace {

struct TChannel {
  u32 Mask;
  int Shift;  // zero bits below the mask
  int Bits;   // width of the mask
};

TChannel Channel(u32 mask) {
  return {mask, mask ? std::countr_zero(mask) : 0, std::popcount(mask)};
}

// Rotation that moves the source's 8-bit channel at bit offset 8 * place
// (blue 0, green 1, red 2, alpha 3) onto the mask.
int Rotation(const TChannel& c, int place) {
  int r = 8 * place - 8 + c.Bits - c.Shift;
  return r < 0 ? r + 32 : r % 32;
}

u32 Pack16(u32 s, const TChannel (&c)[4]) {
  u32 v = 0;
  for (int place = 0; place < 4; ++place) {
    const u32 channel = s >> (8 * place) & 0xFF;
    const int loss = 8 - c[place].Bits;
    v += ((loss >= 8 ? 0 : channel >> loss) << c[place].Shift) & c[place].Mask;
  }
  return v;
}

// Fills the locked target: the pixels in its top-left corner, zero elsewhere.
void WritePixels(const Plat::TSurfaceDesc& d, const u32* pixels, int width, int height) {
  const TChannel c[4] = {Channel(d.PixelFormat.BMask), Channel(d.PixelFormat.GMask), Channel(d.PixelFormat.RMask),
                         Channel(d.PixelFormat.AMask)};
  const int bytes = static_cast<int>(d.PixelFormat.BitCount / 8);
  const int w = std::min<int>(width, static_cast<int>(d.Width)), h = std::min<int>(height, static_cast<int>(d.Height));
  int rotate[4];
  for (int place = 0; place < 4; ++place) rotate[place] = Rotation(c[place], place);
  for (int y = 0; y < static_cast<int>(d.Height); ++y) {
    u8* row = static_cast<u8*>(d.Surface) + static_cast<std::ptrdiff_t>(d.Pitch) * y;
    std::fill_n(row, static_cast<std::size_t>(d.Width) * bytes, u8{0});
    if (y >= h) continue;
    const u32* s = pixels + static_cast<std::ptrdiff_t>(y) * width;
    if (bytes == 4) {
      auto* out = reinterpret_cast<u32*>(row);
      for (int x = 0; x < w; ++x) {
        u32 v = 0;
        for (int place = 0; place < 4; ++place) v |= std::rotr(s[x], rotate[place]) & c[place].Mask;
        out[x] = v;
      }
    } else if (bytes == 2) {
      auto* out = reinterpret_cast<u16*>(row);
      for (int x = 0; x < w; ++x) out[x] = static_cast<u16>(Pack16(s[x], c));
    }
  }
}

}  // namespace

void UploadARGB(Plat::TSurface* texture, const u32* pixels, int width, int height) {
  Plat::TSurfaceDesc desc;
  texture->GetSurfaceDesc(desc);
  Plat::TSurface* target = texture;
  if (desc.PixelFormat.Flags & Plat::pfFourCC) {
    // A compressed texture is written through an uncompressed copy.
    const std::vector<Plat::TPixelFormat>& formats =
        D3DFramework ? D3DFramework->TextureFormats() : std::vector<Plat::TPixelFormat>{};
    auto it = std::find_if(formats.begin(), formats.end(), [](const Plat::TPixelFormat& f) {
      return f.BitCount == 32 && (f.Flags & Plat::pfAlphaPixels);
    });
    if (it == formats.end()) throw EGraphicsError("32 ARGB format not found!");
    Plat::TSurfaceDesc temp = D3DFrame::InitSurfaceDesc(0x1007, 0x840);
    temp.PixelFormat = *it;
    temp.Width = desc.Width;
    temp.Height = desc.Height;
    target = D3DFramework->CreateSurface(&temp);
  }
  struct TRelease {
    Plat::TSurface* Temp;
    ~TRelease() {
      if (Temp) Temp->Release();
    }
  } release{target != texture ? target : nullptr};
  Plat::TSurfaceDesc locked;
  if (Plat::Failed(target->Lock(nullptr, locked))) throw std::runtime_error("Surface lock failed.");
  WritePixels(locked, pixels, width, height);
  target->Unlock();
  if (target != texture) texture->Blt(nullptr, target, nullptr, Plat::bltWait, nullptr);
}

}  // namespace Gfx
