// The 3D device of the software display: scenes, viewport, the render and
// texture-stage states the system uses, textures on eight stages, and triangle
// fans of transformed vertices drawn by the rasterizer into the render target.
#pragma once

#include <cstdint>

#include "engine/platform/display/display.h"

namespace Plat {

// A transformed vertex: screen position (pixel centres on integers), depth,
// reciprocal w, colours and texture coordinates.
struct TTLVertex {
  float X = 0, Y = 0, Z = 0, Rhw = 1;
  std::uint32_t Diffuse = 0, Specular = 0;
  float U = 0, V = 0;
};
constexpr std::uint32_t fvfTLVertex = 0x01C4;

enum class TPrimitive { TriangleList, TriangleFan };

struct TViewport {
  std::uint32_t X = 0, Y = 0, Width = 0, Height = 0;
  float MinZ = 0, MaxZ = 1;
};

enum class TRenderState { AlphaBlendEnable, SrcBlend, DestBlend, Ambient, ShadeMode, DitherEnable, Count };
enum class TStageState { ColorArg1, MagFilter, MinFilter, Address, Count };
enum class TTransform { View, Projection, World, Count };

// Blend factors.
constexpr std::uint32_t blendZero = 1;
constexpr std::uint32_t blendOne = 2;
constexpr std::uint32_t blendSrcColor = 3;
constexpr std::uint32_t blendInvSrcColor = 4;
constexpr std::uint32_t blendSrcAlpha = 5;
constexpr std::uint32_t blendInvSrcAlpha = 6;
constexpr std::uint32_t blendDestColor = 9;
constexpr std::uint32_t blendInvDestColor = 10;
// Texture filters, addressing, stage arguments and shading.
constexpr std::uint32_t filterPoint = 1;
constexpr std::uint32_t filterLinear = 2;
constexpr std::uint32_t addressWrap = 1;
constexpr std::uint32_t addressClamp = 3;
constexpr std::uint32_t argDiffuse = 0;
constexpr std::uint32_t argTexture = 2;
constexpr std::uint32_t shadeFlat = 1;
constexpr std::uint32_t shadeGouraud = 2;

struct TMatrix {
  float M[4][4] = {};
};

constexpr std::uint32_t MaxTextureStages = 8;

class TDevice3D final : public TRefCounted {
 public:
  TDevice3D(const TMachineDevice& device, TSurface* target);

  HRESULT GetCaps(TDeviceDesc& desc) const;
  HRESULT EnumTextureFormats(TDirect3D::TFormatCallback callback, void* context) const;
  HRESULT BeginScene();
  HRESULT EndScene();
  HRESULT SetViewport(const TViewport& viewport);
  HRESULT GetViewport(TViewport& viewport) const;
  HRESULT SetRenderState(TRenderState state, std::uint32_t value);
  std::uint32_t RenderState(TRenderState state) const { return Render[static_cast<int>(state)]; }
  HRESULT SetTextureStageState(std::uint32_t stage, TStageState state, std::uint32_t value);
  std::uint32_t StageState(std::uint32_t stage, TStageState state) const {
    return Stages[stage][static_cast<int>(state)];
  }
  HRESULT SetTexture(std::uint32_t stage, TSurface* texture);
  TSurface* Texture(std::uint32_t stage) const { return stage < MaxTextureStages ? Textures[stage] : nullptr; }
  HRESULT SetTransform(TTransform kind, const TMatrix& matrix);
  HRESULT DrawPrimitive(TPrimitive type, std::uint32_t vertexFormat, const TTLVertex* vertices, std::uint32_t count,
                        std::uint32_t flags);

  TSurface* RenderTarget() const { return Target; }
  // Draws from now on into another surface of the target's pixel format;
  // the viewport becomes the whole new target.
  HRESULT SetRenderTarget(TSurface* target);
  // How often a texture was set on any stage (the framework's cache skips
  // setting the one already set).
  std::uint32_t TextureSetCount = 0;

 private:
  ~TDevice3D() override;

  TMachineDevice Info;
  TSurface* Target;
  TSurface* Textures[MaxTextureStages] = {};
  TViewport Viewport;
  bool InScene = false;
  std::uint32_t Render[static_cast<int>(TRenderState::Count)] = {};
  std::uint32_t Stages[MaxTextureStages][static_cast<int>(TStageState::Count)] = {};
  TMatrix Transforms[static_cast<int>(TTransform::Count)];
};

}  // namespace Plat
