#include "world/map/background.h"

#include <cstring>

#include "engine/gfx/sprite.h"

namespace GameData {

TBackground::~TBackground() = default;

void TBackground::Clear() {
  Tiles.clear();
  Width = Height = 0;
}

void TBackground::Load(Data::TStream& s) {
  try {
    TDataObject::Load(s);
    char signature[4];
    s.ReadBuffer(signature, 4);
    Data::CheckData(std::memcmp(signature, "BCKG", 4) == 0);
    i16 width = Data::ReadI16(s), height = Data::ReadI16(s);
    Data::CheckData(width >= 1 && height >= 1);
    u8 zero[8];
    s.ReadBuffer(zero, sizeof zero);
    // Every tile needs at least its ID and header.
    Data::CheckAvailable(s, static_cast<i64>(width) * height, 40);
    for (i32 i = 0; i < width * height; ++i) {
      auto tile = std::make_unique<Gfx::TSprite>(Gfx::sfConvert);
      tile->Load(s);
      Data::CheckData((tile->Format & 0xFF) == 16);
      Tiles.push_back(std::move(tile));
    }
    Width = width;
    Height = height;
  } catch (const std::runtime_error&) {
    Clear();
    throw Data::EInvalidData();
  }
}

void TBackground::Save(Data::TStream& s) const {
  TDataObject::Save(s);
  s.WriteBuffer("BCKG", 4);
  Data::WriteI16(s, Width);
  Data::WriteI16(s, Height);
  Data::WriteU64(s, 0);
  for (const auto& tile : Tiles) tile->Save(s);
}

// Tile drawing comes with the display device.
void TBackground::Draw(Gfx::TSurface*, i32, i32, const Base::TRect&) {}

}  // namespace GameData
