// The one image type: a sequence of equally sized frames kept in their stored
// encoding, read and written as the "GFX " record.
#pragma once

#include <vector>

#include "engine/base/rect.h"
#include "engine/data/data_object.h"
#include "engine/data/dynamic_array.h"

namespace Plat {
class TSurface;
struct TSurfaceDesc;
}  // namespace Plat

namespace Gfx {

class TBitmap;

// One frame. The sprite owns both buffers and frees them in ClearFrame.
struct TFrame {
  u32 PixelBytes;
  u8* Pixels;
  u32 ShadowBytes;
  u8* Shadow;
};

// Flags of sprites and sprite lists.
constexpr u32 sfConvert = 0x01;        // convert to the display format after Load
constexpr u32 sfDeviceObjects = 0x02;  // device objects exist
constexpr u32 sfNoCpuCopy = 0x04;      // pixels were dropped after upload
constexpr u32 sfIndexMode = 0x10;      // sprite lists only

// Colour key and shadow colour value for "none".
constexpr u32 NoColor = 0xFFFFFFFF;

// Frame modes: the high byte of the encoding word.
constexpr u16 fmSingle = 0x0000;
constexpr u16 fmDelta = 0x0100;
constexpr u16 fmLastIsBackground = 0x0200;
constexpr u16 fmFirstIsBackground = 0x0300;

// Frame encodings: the low byte of the encoding word; 4 to 8 are device
// surface images.
constexpr u8 feRaw = 0;
constexpr u8 feRunLength = 1;
constexpr u8 feRunLength2 = 2;
constexpr u8 feLZRW1KH = 3;
constexpr u8 feLastDevice = 8;

class TSprite : public Data::TDataObject {
 public:
  explicit TSprite(u32 flags = 0);
  ~TSprite() override;
  TSprite(const TSprite&) = delete;
  TSprite& operator=(const TSprite&) = delete;

  // Deep copy of the image; ID, flags and scales stay.
  void Assign(const Data::TDataObject* source) override;
  void Load(Data::TStream& stream) override;
  void Save(Data::TStream& stream) const override;
  void Clear() override;

  // One zeroed raw frame of the given size and format word.
  void Create(int width, int height, u16 format);
  // Converts the frames to the display's layout when sfConvert is set and a
  // display device exists.
  void ConvertToScreenFormat();

  void LoadFrame(Data::TStream& stream, i32 index);
  void SaveFrame(Data::TStream& stream, i32 index) const;
  void ClearFrame(i32 index);
  void AssignFrame(i32 index, const TFrame& source);
  void ConvertFrame(i32 index, int displayBits);

  // Drawing. A null clip means no clip beyond the target; frames out of
  // range and empty sprites draw nothing.
  // The frame's top-left corner at x, y; in software without device objects.
  void Draw(Plat::TSurface* target, i32 frame, i32 x, i32 y, const Base::TRect* clip);
  // As Draw, mirrored left to right; only with device objects.
  void DrawMirrored(Plat::TSurface* target, i32 frame, i32 x, i32 y, const Base::TRect* clip);
  // Stretched along the line on the 3D device's render target; alpha
  // sprites with device objects only; orientation 0..3 turns the picture.
  void DrawAlongLine(i32 frame, i32 x1, i32 y1, i32 x2, i32 y2, i32 orientation);
  // Scaled and turned by angle radians; alpha sprites about the hot spot,
  // opaque ones about their centre; only with device objects, no clipping.
  void DrawRotated(Plat::TSurface* target, i32 frame, i32 x, i32 y, f32 angle, f32 scaleX, f32 scaleY);
  // The whole frame stretched into dest, only when dest lies inside the
  // clip; only with device objects.
  void DrawStretched(Plat::TSurface* target, i32 frame, const Base::TRect& dest, const Base::TRect* clip,
                     bool useColorKey);
  // Software draws into a 16- or 32-bit bitmap and into locked surface
  // memory, with the background frames of the frame mode composed in.
  void DrawToBitmap(TBitmap* bitmap, i32 frame, i32 x, i32 y, const Base::TRect* clip);
  void DrawLocked(const Plat::TSurfaceDesc& desc, i32 frame, i32 x, i32 y, const Base::TRect* clip);

  // Device objects: one surface (opaque) or texture (alpha) per drawable
  // frame. Upload makes them when the sprite may have them; without
  // dropCpuCopy the sprite joins SpriteRegistry, with it the frames' pixels
  // are freed and only the sprite's source can rebuild it.
  void Upload(bool dropCpuCopy);
  void Unload();
  void CreateDeviceObjects();
  void ReleaseDeviceObjects();
  void RecreateDeviceObjects();
  void RestoreDeviceObjects();
  // Frames with a device object of their own: all but a background last frame.
  i32 DrawableFrameCount() const;

  i32 FrameCount() const { return Frames.Count(); }
  u16 FrameMode() const { return Encoding & 0xFF00; }
  u8 FrameEncoding() const { return static_cast<u8>(Encoding); }
  int BitsPerPixel() const { return Format & 0xFF; }
  u8 AlphaMode() const { return static_cast<u8>(Format >> 8); }
  bool IsEmpty() const { return Width == 0 || Height == 0; }
  // Frames that are plain rows of pixels (alpha sprites are ARGB rows unless
  // compressed whole).
  bool HasRawFrames() const;
  u64 RawFrameBytes() const;

  u32 Flags;
  u16 Encoding = 0;
  u16 Format = 0;
  i16 Width = 0;
  i16 Height = 0;
  i16 HotX = 0;
  i16 HotY = 0;
  u32 ColorKey = NoColor;
  u32 ShadowColor = NoColor;
  f32 ScaleX = 1.0f;
  f32 ScaleY = 1.0f;
  Data::TDynamicArray<TFrame> Frames;
  // DeviceObjectCount surfaces or textures, owned; null when there are none.
  Plat::TSurface** DeviceObjects = nullptr;
  i32 DeviceObjectCount = 0;

 private:
  // One frame without composition; dst is the pixel at the frame's visible
  // top-left corner, rows pitch bytes apart.
  void DrawFrame(i32 frame, u8* dst, int pitch, int bytesPerPixel, const Base::TRect& frameRect,
                 const Base::TRect& visible, bool locked);
  void DrawFrameLocked(i32 frame, const Plat::TSurfaceDesc& desc, const Base::TRect& frameRect,
                       const Base::TRect& visible);
  void DrawFrameToBitmap(i32 frame, TBitmap* bitmap, const Base::TRect& frameRect, const Base::TRect& visible);
  // Rows: each returns the next row, or null when drawing the frame stops.
  const u8* DrawRow(const u8* row, const u8* end, u8* dst, int bytesPerPixel) const;
  const u8* SkipRow(const u8* row, const u8* end) const;
  const u8* DrawRowClipped(const u8* row, const u8* end, u8* dst, int bytesPerPixel, int skip, int count) const;
  const u8* DrawShadowRow(const u8* row, const u8* end, u8* dst, int bytesPerPixel) const;
  const u8* SkipShadowRow(const u8* row, const u8* end) const;
  const u8* DrawShadowRowClipped(const u8* row, const u8* end, u8* dst, int bytesPerPixel, int skip,
                                 int count) const;
  // Device draws.
  void DrawOnDevice(Plat::TSurface* target, i32 frame, i32 x, i32 y, const Base::TRect& visible, bool mirrored) const;
  void SetBlendState() const;
  void DrawQuad(Plat::TSurface* texture, const float (&xy)[4][2], const float (&uv)[4][2]) const;
  void DrawLinearQuad(Plat::TSurface* texture, const float (&xy)[4][2], int turn) const;
  void LoadDeviceFrames(Data::TStream& stream, u16 frameCount);
  void SaveDeviceFrames(Data::TStream& stream) const;
  // The frame's ARGB pixels, decompressing a frame compressed whole into buffer.
  const u32* AlphaPixels(i32 frame, std::vector<u32>& buffer) const;
};

}  // namespace Gfx
