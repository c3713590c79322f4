#include "engine/gfx/sprite.h"

#include <cstring>
#include <memory>

#include "engine/base/base.h"
#include "engine/d3dframe/d3dframe.h"
#include "engine/gfx/lzrw1kh.h"

namespace Gfx {

namespace {

constexpr u32 Signature = 0x20584647;  // "GFX "
constexpr i32 MaxFrames = 1024;
constexpr i32 FrameHeaderBytes = 12;

bool IsDeviceEncoding(u8 encoding) { return encoding > feLZRW1KH; }

std::unique_ptr<u8[]> CopyBuffer(const u8* source, u32 bytes) {
  if (!source || bytes == 0) return nullptr;
  std::unique_ptr<u8[]> copy(new u8[bytes]);
  std::memcpy(copy.get(), source, bytes);
  return copy;
}

std::unique_ptr<u8[]> ReadBuffer(Data::TStream& stream, u32 bytes) {
  if (bytes == 0) return nullptr;
  Data::CheckAvailable(stream, bytes, 1);
  Data::CheckData(bytes <= 0x7FFFFFFF);
  std::unique_ptr<u8[]> buffer(new u8[bytes]);
  stream.ReadBuffer(buffer.get(), static_cast<i32>(bytes));
  return buffer;
}

void WriteBuffer(Data::TStream& stream, const u8* buffer, u32 bytes) {
  if (bytes == 0) return;
  // Frames whose pixels were dropped after upload cannot be written.
  if (!buffer) throw EGraphicsError("Sprite frame has no pixel data to save.");
  stream.WriteBuffer(buffer, static_cast<i32>(bytes));
}

}  // namespace

TSprite::TSprite(u32 flags) : Flags(flags) {}

TSprite::~TSprite() { TSprite::Clear(); }

bool TSprite::HasRawFrames() const {
  if (AlphaMode() != 0) return Encoding != feLZRW1KH;
  return FrameEncoding() == feRaw;
}

u64 TSprite::RawFrameBytes() const {
  u64 pixelBytes = AlphaMode() != 0 ? 4 : static_cast<u64>(BitsPerPixel() / 8);
  return static_cast<u64>(Width) * static_cast<u64>(Height) * pixelBytes;
}

void TSprite::Assign(const Data::TDataObject* source) {
  const auto* sprite = dynamic_cast<const TSprite*>(source);
  if (!sprite) {
    TDataObject::Assign(source);
    return;
  }
  if (sprite == this) return;
  for (i32 i = 0; i < Frames.Count(); ++i) ClearFrame(i);
  Encoding = sprite->Encoding;
  Format = sprite->Format;
  Width = sprite->Width;
  Height = sprite->Height;
  HotX = sprite->HotX;
  HotY = sprite->HotY;
  ColorKey = sprite->ColorKey;
  ShadowColor = sprite->ShadowColor;
  Frames.SetCount(sprite->Frames.Count());
  for (i32 i = 0; i < Frames.Count(); ++i) AssignFrame(i, sprite->Frames[i]);
}

void TSprite::Clear() {
  Encoding = 0;
  Format = 0;
  Width = Height = HotX = HotY = 0;
  ColorKey = ShadowColor = NoColor;
  Unload();
  for (i32 i = 0; i < Frames.Count(); ++i) ClearFrame(i);
  Frames.Clear();
}

void TSprite::Load(Data::TStream& stream) {
  TDataObject::Load(stream);
  u32 signature = Data::ReadU32(stream);
  u16 encoding = Data::ReadU16(stream);
  u16 reserved = Data::ReadU16(stream);
  u16 format = Data::ReadU16(stream);
  u16 frameCount = Data::ReadU16(stream);
  i16 width = Data::ReadI16(stream);
  i16 height = Data::ReadI16(stream);
  i16 hotX = Data::ReadI16(stream);
  i16 hotY = Data::ReadI16(stream);
  u32 colorKey = Data::ReadU32(stream);
  u32 shadowColor = Data::ReadU32(stream);
  Data::ReadU32(stream);
  Data::ReadU32(stream);
  u8 bits = static_cast<u8>(format);
  Data::CheckData(signature == Signature && static_cast<u8>(encoding) <= feLastDevice && (encoding >> 8) <= 3 &&
                  reserved == 0 && (bits == 16 || bits == 24 || bits == 32) && frameCount >= 1 &&
                  frameCount <= MaxFrames && width >= 0 && height >= 0);
  if (IsDeviceEncoding(static_cast<u8>(encoding)) && !D3DFramework)
    throw EGraphicsError("Sprites of surface images need a display device.");
  Data::CheckAvailable(stream, frameCount, FrameHeaderBytes);

  Encoding = encoding;
  Format = format;
  Width = width;
  Height = height;
  HotX = hotX;
  HotY = hotY;
  ColorKey = colorKey;
  ShadowColor = shadowColor;
  Frames.SetCount(frameCount);
  if (IsDeviceEncoding(FrameEncoding())) {
    LoadDeviceFrames(stream, frameCount);
    return;
  }
  // Raw rows are copied whole when drawn, so a short frame is refused here;
  // a frame compressed whole is decoded into a buffer of the full image, so
  // it must be able to fill it.
  const bool raw = HasRawFrames();
  const bool compressedWhole = AlphaMode() != 0 && !raw;
  const u64 rawBytes = RawFrameBytes();
  for (i32 i = 0; i < frameCount; ++i) {
    LoadFrame(stream, i);
    const u64 bytes = Frames[i].PixelBytes;
    if (raw) Data::CheckData(bytes >= rawBytes);
    if (compressedWhole) Data::CheckData(bytes * LZRW1KHMaxExpansion >= rawBytes);
  }
  ConvertToScreenFormat();
}

void TSprite::Save(Data::TStream& stream) const {
  // Surface images are written from the device objects they live in.
  if (IsDeviceEncoding(FrameEncoding()) && (DeviceObjectCount < Frames.Count() || !(Flags & sfDeviceObjects)))
    throw EGraphicsError("Sprite frame has no pixel data to save.");
  TDataObject::Save(stream);
  Data::WriteU32(stream, Signature);
  Data::WriteU16(stream, Encoding);
  Data::WriteU16(stream, 0);
  Data::WriteU16(stream, Format);
  Data::WriteU16(stream, static_cast<u16>(Frames.Count()));
  Data::WriteI16(stream, Width);
  Data::WriteI16(stream, Height);
  Data::WriteI16(stream, HotX);
  Data::WriteI16(stream, HotY);
  Data::WriteU32(stream, ColorKey);
  Data::WriteU32(stream, ShadowColor);
  Data::WriteU32(stream, 0);
  Data::WriteU32(stream, 0);
  if (IsDeviceEncoding(FrameEncoding())) {
    SaveDeviceFrames(stream);
    return;
  }
  for (i32 i = 0; i < Frames.Count(); ++i) SaveFrame(stream, i);
}

void TSprite::Create(int width, int height, u16 format) {
  int bits = format & 0xFF;
  if (width < 0 || width > 0x7FFF || height < 0 || height > 0x7FFF || (bits != 16 && bits != 24 && bits != 32))
    throw EGraphicsError(Base::Format("Invalid sprite size or format (%d x %d, 0x%04X).", width, height, format));
  Clear();
  Encoding = static_cast<u16>(fmSingle | feRaw);
  Format = format;
  Width = static_cast<i16>(width);
  Height = static_cast<i16>(height);
  u64 bytes = static_cast<u64>(width) * static_cast<u64>(height) * static_cast<u64>(bits / 8);
  if (bytes > 0xFFFFFFFF) throw EGraphicsError("Sprite too large.");
  Frames.SetCount(1);
  if (bytes > 0) {
    Frames[0].Pixels = new u8[bytes]();
    Frames[0].PixelBytes = static_cast<u32>(bytes);
  }
}

void TSprite::LoadFrame(Data::TStream& stream, i32 index) {
  ClearFrame(index);
  u32 pixelBytes = Data::ReadU32(stream);
  u32 shadowBytes = Data::ReadU32(stream);
  Data::ReadU32(stream);
  std::unique_ptr<u8[]> pixels = ReadBuffer(stream, pixelBytes);
  std::unique_ptr<u8[]> shadow = ReadBuffer(stream, shadowBytes);
  TFrame& frame = Frames[index];
  frame.PixelBytes = pixelBytes;
  frame.Pixels = pixels.release();
  frame.ShadowBytes = shadowBytes;
  frame.Shadow = shadow.release();
}

void TSprite::SaveFrame(Data::TStream& stream, i32 index) const {
  const TFrame& frame = Frames[index];
  Data::WriteU32(stream, frame.PixelBytes);
  Data::WriteU32(stream, frame.ShadowBytes);
  Data::WriteU32(stream, 0);
  WriteBuffer(stream, frame.Pixels, frame.PixelBytes);
  WriteBuffer(stream, frame.Shadow, frame.ShadowBytes);
}

void TSprite::ClearFrame(i32 index) {
  TFrame& frame = Frames[index];
  delete[] frame.Pixels;
  delete[] frame.Shadow;
  frame = TFrame{};
}

void TSprite::AssignFrame(i32 index, const TFrame& source) {
  std::unique_ptr<u8[]> pixels = CopyBuffer(source.Pixels, source.PixelBytes);
  std::unique_ptr<u8[]> shadow = CopyBuffer(source.Shadow, source.ShadowBytes);
  ClearFrame(index);
  TFrame& frame = Frames[index];
  frame.PixelBytes = source.PixelBytes;
  frame.Pixels = pixels.release();
  frame.ShadowBytes = source.ShadowBytes;
  frame.Shadow = shadow.release();
}

}  // namespace Gfx
