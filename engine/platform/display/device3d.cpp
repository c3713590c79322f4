#include "engine/platform/display/device3d.h"

#include <algorithm>
#include <bit>
#include <vector>

#include "engine/platform/display/rasterizer.h"

namespace Plat {

namespace {

// One channel of a texel widened to 8 bits.
std::uint32_t Channel(std::uint32_t p, std::uint32_t mask, std::uint32_t absent) {
  if (mask == 0) return absent;
  // A stored format may carry any mask: a channel of all 32 bits, or one
  // with gaps, must neither shift out of range nor spill into the next.
  const int shift = std::countr_zero(mask);
  const int bits = CountMaskBits(mask);
  const std::uint64_t v = (p & mask) >> shift;
  const std::uint64_t max = (std::uint64_t{1} << bits) - 1;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>((v * 255 + max / 2) / max, 255));
}

// Textures other than ARGB8888 are widened for the rasterizer.
void WidenTexels(const TSurface& texture, std::vector<std::uint32_t>& out) {
  const TPixelFormat& f = texture.PixelFormat();
  const int w = texture.Width(), h = texture.Height();
  out.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* row = texture.Bits() + static_cast<std::ptrdiff_t>(texture.Pitch()) * y;
    for (int x = 0; x < w; ++x) {
      std::uint32_t p = f.BitCount == 16 ? reinterpret_cast<const std::uint16_t*>(row)[x]
                                         : reinterpret_cast<const std::uint32_t*>(row)[x];
      out[static_cast<std::size_t>(y) * w + x] = Channel(p, f.AMask, 255) << 24 | Channel(p, f.RMask, 0) << 16 |
                                                  Channel(p, f.GMask, 0) << 8 | Channel(p, f.BMask, 0);
    }
  }
}

}  // namespace

TDevice3D::TDevice3D(const TMachineDevice& device, TSurface* target) : Info(device), Target(target) {
  Target->AddRef();
  Viewport = {0, 0, static_cast<std::uint32_t>(target->Width()), static_cast<std::uint32_t>(target->Height()), 0, 1};
  Render[static_cast<int>(TRenderState::SrcBlend)] = blendOne;
  Render[static_cast<int>(TRenderState::DestBlend)] = blendZero;
  Render[static_cast<int>(TRenderState::ShadeMode)] = shadeGouraud;
  for (auto& stage : Stages) {
    stage[static_cast<int>(TStageState::ColorArg1)] = argTexture;
    stage[static_cast<int>(TStageState::MagFilter)] = filterPoint;
    stage[static_cast<int>(TStageState::MinFilter)] = filterPoint;
    stage[static_cast<int>(TStageState::Address)] = addressWrap;
  }
}

TDevice3D::~TDevice3D() {
  for (TSurface* t : Textures)
    if (t) t->Release();
  Target->Release();
}

HRESULT TDevice3D::GetCaps(TDeviceDesc& desc) const {
  desc = Info.Desc;
  return Result::Ok;
}

HRESULT TDevice3D::EnumTextureFormats(TDirect3D::TFormatCallback callback, void* context) const {
  for (const TPixelFormat& f : Info.TextureFormats)
    if (!callback(f, context)) break;
  return Result::Ok;
}

HRESULT TDevice3D::BeginScene() {
  if (InScene) return Result::SceneInScene;
  InScene = true;
  return Result::Ok;
}

HRESULT TDevice3D::EndScene() {
  if (!InScene) return Result::SceneNotInScene;
  InScene = false;
  return Result::Ok;
}

HRESULT TDevice3D::SetViewport(const TViewport& viewport) {
  if (std::uint64_t{viewport.X} + viewport.Width > static_cast<std::uint64_t>(Target->Width()) ||
      std::uint64_t{viewport.Y} + viewport.Height > static_cast<std::uint64_t>(Target->Height()))
    return Result::InvalidParams;
  Viewport = viewport;
  return Result::Ok;
}

HRESULT TDevice3D::SetRenderTarget(TSurface* target) {
  if (!target || !(target->PixelFormat() == Target->PixelFormat())) return Result::InvalidParams;
  if (target == Target) return Result::Ok;
  target->AddRef();
  Target->Release();
  Target = target;
  Viewport = {0, 0, static_cast<std::uint32_t>(target->Width()), static_cast<std::uint32_t>(target->Height()), 0, 1};
  return Result::Ok;
}

HRESULT TDevice3D::GetViewport(TViewport& viewport) const {
  viewport = Viewport;
  return Result::Ok;
}

HRESULT TDevice3D::SetRenderState(TRenderState state, std::uint32_t value) {
  if (state >= TRenderState::Count) return Result::InvalidParams;
  Render[static_cast<int>(state)] = value;
  return Result::Ok;
}

HRESULT TDevice3D::SetTextureStageState(std::uint32_t stage, TStageState state, std::uint32_t value) {
  if (stage >= MaxTextureStages || state >= TStageState::Count) return Result::InvalidParams;
  Stages[stage][static_cast<int>(state)] = value;
  return Result::Ok;
}

HRESULT TDevice3D::SetTexture(std::uint32_t stage, TSurface* texture) {
  if (stage >= MaxTextureStages) return Result::InvalidParams;
  ++TextureSetCount;
  if (texture) texture->AddRef();
  if (Textures[stage]) Textures[stage]->Release();
  Textures[stage] = texture;
  return Result::Ok;
}

HRESULT TDevice3D::SetTransform(TTransform kind, const TMatrix& matrix) {
  if (kind >= TTransform::Count) return Result::InvalidParams;
  Transforms[static_cast<int>(kind)] = matrix;
  return Result::Ok;
}

HRESULT TDevice3D::DrawPrimitive(TPrimitive type, std::uint32_t vertexFormat, const TTLVertex* vertices,
                                 std::uint32_t count, std::uint32_t) {
  if (!InScene) return Result::SceneNotInScene;
  if (vertexFormat != fvfTLVertex) return Result::InvalidVertexFormat;
  if (!vertices) return Result::InvalidParams;
  if (Target->Lost()) return Result::SurfaceLost;
  if (Target->Locked()) return Result::SurfaceBusy;
  TRasterTarget target;
  target.Pixels = {Target->Bits(), Target->Pitch(), Target->Width(), Target->Height(), Target->BytesPerPixel()};
  target.Format = Target->PixelFormat();
  target.Clip = {static_cast<std::int32_t>(Viewport.X), static_cast<std::int32_t>(Viewport.Y),
                 static_cast<std::int32_t>(Viewport.X + Viewport.Width),
                 static_cast<std::int32_t>(Viewport.Y + Viewport.Height)};

  TRasterState state;
  state.Blend = Render[static_cast<int>(TRenderState::AlphaBlendEnable)] != 0;
  state.SrcBlend = Render[static_cast<int>(TRenderState::SrcBlend)];
  state.DestBlend = Render[static_cast<int>(TRenderState::DestBlend)];
  state.MagFilter = Stages[0][static_cast<int>(TStageState::MagFilter)];
  state.MinFilter = Stages[0][static_cast<int>(TStageState::MinFilter)];
  state.Clamp = Stages[0][static_cast<int>(TStageState::Address)] == addressClamp;
  state.FlatColor = vertices[0].Diffuse;

  TRasterTexture texture;
  std::vector<std::uint32_t> widened;
  TSurface* t = Textures[0];
  if (t && Stages[0][static_cast<int>(TStageState::ColorArg1)] == argTexture) {
    if (t->Lost()) return Result::SurfaceLost;
    state.Textured = true;
    if (t->PixelFormat() == FormatARGB8888) {
      texture = {reinterpret_cast<const std::uint32_t*>(t->Bits()), t->Width(), t->Height(), t->Pitch() / 4};
    } else {
      WidenTexels(*t, widened);
      texture = {widened.data(), t->Width(), t->Height(), t->Width()};
    }
  }
  switch (type) {
    case TPrimitive::TriangleFan: DrawTriangleFan(target, texture, state, vertices, static_cast<int>(count)); break;
    case TPrimitive::TriangleList: DrawTriangleList(target, texture, state, vertices, static_cast<int>(count)); break;
    default: return Result::InvalidPrimitiveType;
  }
  return Result::Ok;
}

}  // namespace Plat
