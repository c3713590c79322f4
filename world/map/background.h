// The ground picture of a map: square tiles of 160 by 160 pixels.
#pragma once

#include <memory>
#include <vector>

#include "engine/base/rect.h"
#include "engine/data/data_object.h"

namespace Gfx {
class TSprite;
}

namespace Plat {
class TSurface;
}

namespace GameData {

constexpr i32 BackgroundTileSize = 160;

class TBackground : public Data::TDataObject {
 public:
  explicit TBackground(u8 constructionFlag = 0) : ConstructionFlag(constructionFlag) {}
  ~TBackground() override;

  // Any fault, in the header or in a tile, raises "Invalid data.".
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;
  // Tile (column c, row r) goes to (clip left - view x + 160 c, clip top - view y + 160 r).
  void Draw(Plat::TSurface* target, i32 viewX, i32 viewY, const Base::TRect& clip);
  Gfx::TSprite* Tile(i32 column, i32 row) const { return Tiles[static_cast<std::size_t>(row) * Width + column].get(); }

  u8 ConstructionFlag;
  std::vector<std::unique_ptr<Gfx::TSprite>> Tiles;
  i16 Width = 0;
  i16 Height = 0;
};

}  // namespace GameData
