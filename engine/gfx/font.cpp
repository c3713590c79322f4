// The font's record, its conversion to the display and its cached glyph
// surface.
#include "engine/gfx/font.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "engine/d3dframe/d3dframe.h"
#include "engine/gfx/kernels.h"
#include "engine/gfx/screen.h"

namespace Gfx {

namespace {

bool KnownDepth(u32 bits) { return bits == 16 || bits == 24 || bits == 32; }

}  // namespace

TFont::TFont() = default;

TFont::~TFont() {
  Pixels.clear();
  Unload();
}

u64 TFont::PixelDataSize() const { return u64{CellWidth} * 256 * Height * (BitsPerPixel / 8); }

void TFont::Clear() {
  Pixels = {};
  Height = 0;
  std::fill(std::begin(Widths), std::end(Widths), 0);
  CellWidth = 0;
  BitsPerPixel = 0;
  KeyColor = 0;
  Spacing = 0;
  LineGap = 0;
  TDataObject::Clear();
}

void TFont::Assign(const Data::TDataObject* source) {
  const auto* font = dynamic_cast<const TFont*>(source);
  if (!font) {
    TDataObject::Assign(source);
    return;
  }
  Clear();
  Height = font->Height;
  std::copy(std::begin(font->Widths), std::end(font->Widths), std::begin(Widths));
  CellWidth = font->CellWidth;
  BitsPerPixel = font->BitsPerPixel;
  Pixels = font->Pixels;
}

void TFont::Load(Data::TStream& stream) {
  TDataObject::Load(stream);
  char signature[4];
  stream.ReadBuffer(signature, 4);
  Data::CheckData(std::memcmp(signature, "FONT", 4) == 0);
  const u16 bits = Data::ReadU16(stream);
  i16 widths[256];
  for (i16& w : widths) w = Data::ReadI16(stream);
  const u16 cellWidth = Data::ReadU16(stream);
  const u16 height = Data::ReadU16(stream);
  const u32 key = Data::ReadU32(stream);
  // Glyphs are drawn Widths[c] pixels wide from their cell: a wider one
  // would read the next cell's row, or past the block.
  Data::CheckData(KnownDepth(bits) && height > 0);
  for (i16 w : widths) Data::CheckData(w <= cellWidth);
  const u64 bytes = u64{cellWidth} * 256 * height * (bits / 8);
  Data::CheckAvailable(stream, static_cast<i64>(bytes), 1);
  std::vector<u8> pixels(bytes);
  if (bytes > 0) stream.ReadBuffer(pixels.data(), static_cast<i32>(bytes));
  BitsPerPixel = bits;
  std::copy(std::begin(widths), std::end(widths), std::begin(Widths));
  CellWidth = cellWidth;
  Height = height;
  KeyColor = key;
  Pixels = std::move(pixels);
  ConvertToScreenFormat();
}

void TFont::Save(Data::TStream& stream) const {
  TDataObject::Save(stream);
  stream.WriteBuffer("FONT", 4);
  Data::WriteU16(stream, BitsPerPixel);
  for (i16 w : Widths) Data::WriteI16(stream, w);
  Data::WriteU16(stream, CellWidth);
  Data::WriteU16(stream, Height);
  Data::WriteU32(stream, KeyColor);
  if (!Pixels.empty()) stream.WriteBuffer(Pixels.data(), static_cast<i32>(Pixels.size()));
}

void TFont::ConvertToScreenFormat() {
  const int display = DisplayBitsPerPixel();
  if (display == 0 || Pixels.empty()) return;
  const int width = CellWidth, rows = 256 * Height;
  if (BitsPerPixel == 16 && display == 16) {
    if (ScreenIs565) return;
    ConvertBlock565To555(Pixels.data(), Pixels.data(), width, rows, width * 2, width * 2);
    KeyColor = RGB565ToRGB555(KeyColor);
    return;
  }
  if (BitsPerPixel == display && (display == 24 || display == 32)) return;
  if (BitsPerPixel == 24 && display == 32) {
    std::vector<u8> wide(static_cast<std::size_t>(width) * rows * 4);
    ConvertBlock24To32(Pixels.data(), wide.data(), width, rows, width * 3, width * 4);
    Pixels = std::move(wide);
    BitsPerPixel = 32;
    return;
  }
  if (BitsPerPixel == 32 && display == 24) {
    std::vector<u8> narrow(static_cast<std::size_t>(width) * rows * 3);
    ConvertBlock32To24(Pixels.data(), narrow.data(), width, rows, width * 4, width * 3);
    Pixels = std::move(narrow);
    BitsPerPixel = 24;
    KeyColor &= 0xFFFFFF;
    return;
  }
  throw EGraphicsError("Unsupported pixel format conversion.");
}

void TFont::Upload(u32 textColour, u32 background) {
  if (!D3DFramework || OnDevice) return;
  SurfaceColor = textColour;
  SurfaceBackground = background;
  CreateDeviceObjects();
  std::lock_guard<std::recursive_mutex> guard(FontRegistryLock);
  if (FontRegistry.IndexOf(this) < 0) FontRegistry.Add(this);
}

// Releasing always leaves the registry: a font deleted while a display change
// had released its surface must not stay listed.
void TFont::Unload() {
  if (OnDevice || Surface) ReleaseDeviceObjects();
  std::lock_guard<std::recursive_mutex> guard(FontRegistryLock);
  FontRegistry.Remove(this);
}

u32 TFont::ChooseSurfaceKey(u32 colour, u32 background) const {
  const int bytes = BitsPerPixel / 8;
  const u32 mask = bytes == 2 ? 0xFFFFu : bytes == 3 ? 0xFFFFFFu : 0xFFFFFFFFu;
  if (bytes == 2 && !ScreenIs565) {
    colour = RGB565ToRGB555(colour);
    background = RGB565ToRGB555(background);
  }
  background &= mask;
  // Every value a glyph pixel takes in this colour.
  std::vector<u32> ink;
  for (int c = 0; c < 256; ++c)
    for (int row = 0; row < Height; ++row) {
      const u8* p = Pixels.data() + (static_cast<std::size_t>(c) * Height + row) * CellWidth * bytes;
      for (int x = 0; x < Widths[c]; ++x, p += bytes) {
        u32 v = 0;
        std::memcpy(&v, p, static_cast<std::size_t>(bytes));
        if (v != (KeyColor & mask)) ink.push_back((v + colour) & mask);
      }
    }
  std::sort(ink.begin(), ink.end());
  const auto used = [&](u32 v) { return std::binary_search(ink.begin(), ink.end(), v); };
  if (!used(background)) return background;
  // The ink meets the background, which would make those pixels vanish.
  u32 key = KeyColor & mask;
  while (used(key)) key = (key + 1) & mask;
  return key;
}

void TFont::CreateDeviceObjects() {
  ReleaseDeviceObjects();
  if (!D3DFramework || Pixels.empty()) return;
  Surface = D3DFramework->CreateOffscreenSurface(256 * CellWidth, Height, 0);
  SurfaceKey = ChooseSurfaceKey(SurfaceColor, SurfaceBackground);
  const Plat::TColorKey key{SurfaceKey, SurfaceKey};
  Surface->SetColorKey(&key);
  Plat::TBltFx fx;
  fx.FillColor = SurfaceKey;
  Surface->Blt(nullptr, nullptr, nullptr, Plat::bltColorFill | Plat::bltWait, &fx);
  // Drawn in software: the surface is not marked as made yet.
  for (int c = 0; c < 256; ++c) DrawChar(Surface, c * CellWidth, 0, static_cast<u8>(c), SurfaceColor, nullptr);
  OnDevice = 1;
}

void TFont::ReleaseDeviceObjects() {
  if (Surface) Surface->Release();
  Surface = nullptr;
  OnDevice = 0;
}

void TFont::RecreateDeviceObjects() {
  if (!OnDevice) return;
  ReleaseDeviceObjects();
  CreateDeviceObjects();
}

void TFont::RestoreDeviceObjects() {
  if (OnDevice) RecreateDeviceObjects();
}

}  // namespace Gfx
