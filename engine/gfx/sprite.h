// The one image type: a sequence of equally sized frames kept in their stored
// encoding, read and written as the "GFX " record.
#pragma once

#include "engine/data/data_object.h"
#include "engine/data/dynamic_array.h"

namespace Gfx {

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
  // Filled in with the display device; always null until then.
  void* DeviceObjects = nullptr;
};

}  // namespace Gfx
