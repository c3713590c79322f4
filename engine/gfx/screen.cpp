#include "engine/gfx/screen.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "engine/d3dframe/d3dframe.h"
#include "engine/gfx/bitmap.h"
#include "engine/gfx/font.h"
#include "engine/gfx/kernels.h"
#include "engine/gfx/sprite.h"

namespace Gfx {

bool ScreenIs565 = true;
float TexelOffset = 0.01f;
TTextureFormatChooser ChooseTextureFormat = ChooseCompressedTextureFormat;
Data::TObjectList<TSprite> SpriteRegistry;
std::recursive_mutex SpriteRegistryLock;
Data::TObjectList<TFont> FontRegistry;
std::recursive_mutex FontRegistryLock;

namespace {

int DisplayBits = 0;

using TCriterion = bool (*)(const Plat::TPixelFormat&);

bool IsDXT5(const Plat::TPixelFormat& f) {
  return (f.Flags & Plat::pfFourCC) && f.FourCC == Plat::MakeFourCC('D', 'X', 'T', '5');
}
bool IsDXT3(const Plat::TPixelFormat& f) {
  return (f.Flags & Plat::pfFourCC) && f.FourCC == Plat::MakeFourCC('D', 'X', 'T', '3');
}
bool IsARGB32(const Plat::TPixelFormat& f) { return f.BitCount == 32 && (f.Flags & Plat::pfAlphaPixels); }
bool IsARGB16With4BitAlpha(const Plat::TPixelFormat& f) {
  return f.BitCount == 16 && (f.Flags & Plat::pfAlphaPixels) && D3DFrame::CountBits(f.AMask) == 4;
}

// Each criterion over the whole list before the next one.
Plat::TPixelFormat Choose(std::initializer_list<TCriterion> criteria) {
  const std::vector<Plat::TPixelFormat> none;
  const std::vector<Plat::TPixelFormat>& formats = D3DFramework ? D3DFramework->TextureFormats() : none;
  for (TCriterion matches : criteria)
    for (const Plat::TPixelFormat& f : formats)
      if (matches(f)) return f;
  throw std::runtime_error("No valid textures enumerated.");
}

// Calls spriteOp on every registered sprite, then fontOp on every registered font.
template <class SpriteOp, class FontOp>
void ForEachRegistered(SpriteOp spriteOp, FontOp fontOp) {
  {
    std::lock_guard<std::recursive_mutex> guard(SpriteRegistryLock);
    for (TSprite* sprite : SpriteRegistry) spriteOp(*sprite);
  }
  std::lock_guard<std::recursive_mutex> guard(FontRegistryLock);
  for (TFont* font : FontRegistry) fontOp(*font);
}

}  // namespace

Plat::TPixelFormat ChooseCompressedTextureFormat() {
  return Choose({IsDXT5, IsDXT3, IsARGB32, IsARGB16With4BitAlpha});
}

Plat::TPixelFormat ChooseUncompressedTextureFormat() { return Choose({IsARGB32, IsARGB16With4BitAlpha}); }

int DisplayBitsPerPixel() {
  return D3DFramework ? static_cast<int>(D3DFramework->DisplayMode.PixelFormat.BitCount) : DisplayBits;
}

void SetDisplayBitsPerPixel(int bits) { DisplayBits = bits; }

void Startup() {
  ScreenIs565 = !D3DFramework || D3DFrame::IsRGB565(&D3DFramework->DisplayMode);
  if (!D3DFramework || !D3DFramework->Device3D || !D3DFramework->BackBuffer) return;
  // Does the device cover a pixel whose centre lies on the quad's top-left
  // corner? Draw an opaque black texture over white and look.
  const u32 white = ScreenIs565 ? 0xFFFF : RGB565ToRGB555(0xFFFF);
  const Plat::TPixelFormat format = ChooseTextureFormat();
  Plat::TSurface* texture = D3DFramework->CreateTexture(40, 40, 0, &format);
  struct TRelease {
    Plat::TSurface* Texture;
    ~TRelease() {
      if (D3DFramework) D3DFramework->SetTexture(nullptr, 0);
      Texture->Release();
    }
  } release{texture};
  const std::vector<u32> black(1600, 0xFF000000u);
  UploadARGB(texture, black.data(), 40, 40);
  Plat::TDevice3D* device = D3DFramework->Device3D;
  device->BeginScene();
  D3DFramework->ClearBackBuffer();
  const Base::TRect square{0, 0, 40, 40};
  Plat::TBltFx fx;
  fx.FillColor = white;
  D3DFramework->BackBuffer->Blt(&square, nullptr, nullptr, Plat::bltColorFill | Plat::bltWait, &fx);
  const float u = 40.0f / static_cast<float>(texture->Width()), v = 40.0f / static_cast<float>(texture->Height());
  Plat::TTLVertex quad[4];
  const float corners[4][4] = {{0, 0, 0, 0}, {40, 0, u, 0}, {40, 40, u, v}, {0, 40, 0, v}};
  for (int i = 0; i < 4; ++i) {
    quad[i].X = corners[i][0];
    quad[i].Y = corners[i][1];
    quad[i].U = corners[i][2];
    quad[i].V = corners[i][3];
    quad[i].Diffuse = quad[i].Specular = 0x00FFFFFF;
  }
  device->SetRenderState(Plat::TRenderState::AlphaBlendEnable, 1);
  device->SetRenderState(Plat::TRenderState::SrcBlend, Plat::blendSrcAlpha);
  device->SetRenderState(Plat::TRenderState::DestBlend, Plat::blendInvSrcAlpha);
  D3DFramework->SetTexture(texture, 0);
  device->DrawPrimitive(Plat::TPrimitive::TriangleFan, Plat::fvfTLVertex, quad, 4, 0);
  device->EndScene();
  TexelOffset = -0.01f;
  Plat::TSurfaceDesc locked;
  HRESULT r = D3DFramework->BackBuffer->Lock(nullptr, locked);
  if (Plat::Failed(r)) throw EDirectXError("Surface lock failed.", r);
  u16 first;
  std::memcpy(&first, locked.Surface, 2);
  if (first != 0) TexelOffset = -0.51f;
  D3DFramework->BackBuffer->Unlock();
  D3DFramework->ClearBackBuffer();
}

void Shutdown() {}

void ReleaseDeviceObjects() {
  ForEachRegistered([](TSprite& s) { s.ReleaseDeviceObjects(); }, [](TFont& f) { f.ReleaseDeviceObjects(); });
}

void RecreateDeviceObjects() {
  ForEachRegistered([](TSprite& s) { s.CreateDeviceObjects(); }, [](TFont& f) { f.CreateDeviceObjects(); });
}

void RestoreDeviceObjects() {
  ForEachRegistered([](TSprite& s) { s.RestoreDeviceObjects(); }, [](TFont& f) { f.RestoreDeviceObjects(); });
}

void FillRect(Plat::TSurface* surface, int x, int y, int width, int height, u32 color, const Base::TRect* clip) {
  if (!surface || width < 1 || height < 1) return;
  Base::TRect r{x, y, x + width, y + height};
  if (!Base::IntersectRect(r, r, {0, 0, surface->Width(), surface->Height()})) return;
  if (clip && !Base::IntersectRect(r, r, *clip)) return;
  Plat::TBltFx fx;
  fx.FillColor = ScreenColor565(color);
  surface->Blt(&r, nullptr, nullptr, Plat::bltColorFill, &fx);
}

void FrameRect(Plat::TSurface* surface, int x, int y, int width, int height, u32 color, const Base::TRect* clip) {
  FillRect(surface, x, y, width, 1, color, clip);
  FillRect(surface, x, y + height - 1, width, 1, color, clip);
  FillRect(surface, x, y, 1, height, color, clip);
  FillRect(surface, x + width - 1, y, 1, height, color, clip);
}

void FillBitmapRect(TBitmap* bitmap, const Base::TRect& rect, u16 color, const Base::TRect* clip) {
  if (!bitmap) return;
  Base::TRect r;
  if (!Base::IntersectRect(r, rect, {0, 0, bitmap->Width(), bitmap->Height()})) return;
  if (clip && !Base::IntersectRect(r, r, *clip)) return;
  for (int y = r.Top; y < r.Bottom; ++y) {
    u8* row = bitmap->ScanLine(y);
    if (bitmap->BitsPerPixel() == 16)
      std::fill_n(reinterpret_cast<u16*>(row) + r.Left, r.Width(), color);
    else
      std::fill_n(reinterpret_cast<u32*>(row) + r.Left, r.Width(), u32{color});
  }
}

}  // namespace Gfx
