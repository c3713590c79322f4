#include "world/map/background.h"

#include <algorithm>
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

namespace {

i32 FloorDiv(i32 a, i32 b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

// Only the tiles that meet the clip are visited: the others would be cut away.
void TBackground::Draw(Plat::TSurface* target, i32 viewX, i32 viewY, const Base::TRect& clip) {
  if (Width == 0 || Height == 0 || Base::IsRectEmpty(clip)) return;
  const i32 c0 = std::max(0, FloorDiv(viewX, BackgroundTileSize));
  const i32 c1 = std::min<i32>(Width - 1, FloorDiv(viewX + clip.Width() - 1, BackgroundTileSize));
  const i32 r0 = std::max(0, FloorDiv(viewY, BackgroundTileSize));
  const i32 r1 = std::min<i32>(Height - 1, FloorDiv(viewY + clip.Height() - 1, BackgroundTileSize));
  for (i32 r = r0; r <= r1; ++r)
    for (i32 c = c0; c <= c1; ++c)
      Tile(c, r)->Draw(target, 0, clip.Left - viewX + c * BackgroundTileSize, clip.Top - viewY + r * BackgroundTileSize,
                       &clip);
}

}  // namespace GameData
