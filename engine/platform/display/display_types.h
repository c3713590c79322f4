// Vocabulary of the software display: result codes, pixel formats, surface
// descriptions and the flags of surfaces, blits and the 3D device. Flags that
// travel inside stored surface images (description flags, surface caps, pixel
// format flags) keep their classic values; the rest are our own.
#pragma once

#include "engine/platform/system/guid.h"

#include <cstdint>
#include <cstring>

namespace Plat {

using HRESULT = std::int32_t;

// Result codes; their values are the ones the error-name table names.
namespace Result {
constexpr HRESULT Ok = 0;
constexpr HRESULT Generic = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT Unsupported = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT OutOfMemory = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT InvalidParams = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT InvalidMode = static_cast<HRESULT>(0x88760078u);
constexpr HRESULT InvalidObject = static_cast<HRESULT>(0x88760082u);
constexpr HRESULT InvalidPixelFormat = static_cast<HRESULT>(0x88760091u);
constexpr HRESULT InvalidRect = static_cast<HRESULT>(0x88760096u);
constexpr HRESULT NoExclusiveMode = static_cast<HRESULT>(0x887600E1u);
constexpr HRESULT NotFound = static_cast<HRESULT>(0x887600FFu);
constexpr HRESULT OutOfVideoMemory = static_cast<HRESULT>(0x8876017Cu);
constexpr HRESULT SurfaceBusy = static_cast<HRESULT>(0x887601AEu);
constexpr HRESULT CantLockSurface = static_cast<HRESULT>(0x887601B3u);
constexpr HRESULT SurfaceLost = static_cast<HRESULT>(0x887601C2u);
constexpr HRESULT NoHwnd = static_cast<HRESULT>(0x88760239u);
constexpr HRESULT ExclusiveModeAlreadySet = static_cast<HRESULT>(0x88760245u);
constexpr HRESULT NotLocked = static_cast<HRESULT>(0x88760248u);
constexpr HRESULT WrongMode = static_cast<HRESULT>(0x8876024Bu);
constexpr HRESULT DCAlreadyCreated = static_cast<HRESULT>(0x8876026Cu);
constexpr HRESULT InvalidDevice = static_cast<HRESULT>(0x887602C1u);
constexpr HRESULT TextureCreateFailed = static_cast<HRESULT>(0x887602D1u);
constexpr HRESULT InvalidPrimitiveType = static_cast<HRESULT>(0x887602E0u);
constexpr HRESULT SceneInScene = static_cast<HRESULT>(0x887602F8u);
constexpr HRESULT SceneNotInScene = static_cast<HRESULT>(0x887602F9u);
constexpr HRESULT InvalidVertexFormat = static_cast<HRESULT>(0x88760800u);
}  // namespace Result

inline bool Failed(HRESULT r) { return r < 0; }


// Pixel format flags.
constexpr std::uint32_t pfAlphaPixels = 0x00000001;
constexpr std::uint32_t pfFourCC = 0x00000004;
constexpr std::uint32_t pfRGB = 0x00000040;
constexpr std::uint32_t pfZBuffer = 0x00000400;
constexpr std::uint32_t pfLuminance = 0x00020000;
constexpr std::uint32_t pfBumpLuminance = 0x00040000;
constexpr std::uint32_t pfBumpDuDv = 0x00080000;

constexpr std::uint32_t MakeFourCC(char a, char b, char c, char d) {
  return static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b) << 8 | static_cast<std::uint8_t>(c) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(d)) << 24;
}

struct TPixelFormat {
  std::uint32_t Flags = 0;
  std::uint32_t FourCC = 0;
  std::uint32_t BitCount = 0;
  std::uint32_t RMask = 0, GMask = 0, BMask = 0, AMask = 0;
  bool operator==(const TPixelFormat&) const = default;
};

constexpr TPixelFormat FormatRGB565{pfRGB, 0, 16, 0xF800, 0x07E0, 0x001F, 0};
constexpr TPixelFormat FormatRGB555{pfRGB, 0, 16, 0x7C00, 0x03E0, 0x001F, 0};
constexpr TPixelFormat FormatXRGB8888{pfRGB, 0, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0};
constexpr TPixelFormat FormatARGB8888{pfRGB | pfAlphaPixels, 0, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
constexpr TPixelFormat FormatARGB4444{pfRGB | pfAlphaPixels, 0, 16, 0x0F00, 0x00F0, 0x000F, 0xF000};
constexpr TPixelFormat FormatRGB332{pfRGB, 0, 8, 0xE0, 0x1C, 0x03, 0};

// Surface description flags.
constexpr std::uint32_t sdCaps = 0x00000001;
constexpr std::uint32_t sdHeight = 0x00000002;
constexpr std::uint32_t sdWidth = 0x00000004;
constexpr std::uint32_t sdPitch = 0x00000008;
constexpr std::uint32_t sdBackBufferCount = 0x00000020;
constexpr std::uint32_t sdSurface = 0x00000800;
constexpr std::uint32_t sdPixelFormat = 0x00001000;
constexpr std::uint32_t sdCKSrcBlt = 0x00010000;
constexpr std::uint32_t sdRefreshRate = 0x00040000;
constexpr std::uint32_t sdLinearSize = 0x00080000;
constexpr std::uint32_t sdTextureStage = 0x00100000;

// Surface capabilities.
constexpr std::uint32_t scBackBuffer = 0x00000004;
constexpr std::uint32_t scComplex = 0x00000008;
constexpr std::uint32_t scFlip = 0x00000010;
constexpr std::uint32_t scFrontBuffer = 0x00000020;
constexpr std::uint32_t scOffscreenPlain = 0x00000040;
constexpr std::uint32_t scPrimarySurface = 0x00000200;
constexpr std::uint32_t scSystemMemory = 0x00000800;
constexpr std::uint32_t scTexture = 0x00001000;
constexpr std::uint32_t sc3DDevice = 0x00002000;
constexpr std::uint32_t scVideoMemory = 0x00004000;
constexpr std::uint32_t scZBuffer = 0x00020000;
constexpr std::uint32_t sc2TextureManage = 0x00000010;

struct TColorKey {
  std::uint32_t Low = 0, High = 0;
};

// What a surface is made from and what Lock and GetSurfaceDesc report. Pitch
// and LinearSize are both filled for a locked surface (the whole image is
// LinearSize bytes, rows Pitch apart).
struct TSurfaceDesc {
  std::uint32_t Flags = 0;
  std::uint32_t Height = 0;
  std::uint32_t Width = 0;
  std::int32_t Pitch = 0;
  std::uint32_t LinearSize = 0;
  std::uint32_t BackBufferCount = 0;
  std::uint32_t RefreshRate = 0;
  void* Surface = nullptr;
  TColorKey SrcBltKey;
  TPixelFormat PixelFormat;
  std::uint32_t Caps = 0;
  std::uint32_t Caps2 = 0;
  std::uint32_t TextureStage = 0;
};

// Blit flags.
constexpr std::uint32_t bltColorFill = 0x0001;
constexpr std::uint32_t bltKeySrc = 0x0002;
constexpr std::uint32_t bltRotationAngle = 0x0004;
constexpr std::uint32_t bltWait = 0x0008;

struct TBltFx {
  std::uint32_t FillColor = 0;
  // Hundredths of a degree; positive turns clockwise on the screen.
  std::int32_t RotationAngle = 0;
};

// Capabilities of a display driver.
constexpr std::uint32_t dcCanRenderWindowed = 0x0001;
struct TDisplayCaps {
  std::uint32_t Flags = 0;
  std::uint32_t SurfaceCaps = 0;  // sc* kinds of surface the driver makes (scZBuffer)
};

// Render depths of a 3D device.
constexpr std::uint32_t rd8 = 0x0800;
constexpr std::uint32_t rd16 = 0x0400;
constexpr std::uint32_t rd24 = 0x0200;
constexpr std::uint32_t rd32 = 0x0100;

// Device capability bits.
constexpr std::uint32_t dvHardwareRasterization = 0x0001;
constexpr std::uint32_t rcZBufferlessHSR = 0x0001;
constexpr std::uint32_t tcPow2 = 0x0001;
constexpr std::uint32_t tcSquareOnly = 0x0002;

// A 3D device as its enumeration describes it.
struct TDeviceDesc {
  TGuid DeviceGuid;
  std::uint32_t DevCaps = 0;
  std::uint32_t RasterCaps = 0;
  std::uint32_t TextureCaps = 0;
  std::uint32_t RenderBitDepths = 0;
  std::uint32_t MinTextureWidth = 0, MinTextureHeight = 0;
  std::uint32_t MaxTextureWidth = 0, MaxTextureHeight = 0;
};

// The kinds of 3D device the framework tells apart by GUID.
constexpr TGuid DeviceSoftware = MakeGuid(0x4F525631, 0x0001, 0x0001);
constexpr TGuid DeviceHardware = MakeGuid(0x4F525631, 0x0002, 0x0001);
constexpr TGuid DeviceTnLHardware = MakeGuid(0x4F525631, 0x0003, 0x0001);
constexpr TGuid DeviceReference = MakeGuid(0x4F525631, 0x0004, 0x0001);

}  // namespace Plat
