#include "engine/gfx/sprite_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/data/archive.h"
#include "tests/support/temp_dir.h"
#include "tools/databuilder/archive_builder.h"
#include "tools/databuilder/sprite_builder.h"

namespace {

using Builder::TSpriteShape;

// Counts every read and seek, so tests can tell whether the list touched it.
class TCountingStream : public Data::TMemoryStream {
 public:
  TCountingStream(const std::string& bytes, int* calls) : TMemoryStream(bytes), Calls(calls) {}
  i32 Read(void* buffer, i32 count) override {
    ++*Calls;
    return TMemoryStream::Read(buffer, count);
  }
  i64 Seek(i64 offset, int origin) override {
    ++*Calls;
    return TMemoryStream::Seek(offset, origin);
  }
  int* Calls;
};

std::unique_ptr<Gfx::TSprite> Tile(u32 id, i16 width = 4) {
  TSpriteShape shape;
  shape.ID = id;
  shape.Width = width;
  shape.Height = 2;
  return Builder::MakeSprite16(shape, Builder::SolidPixels(id));
}

// Sprites 30, 10, 20, given out of order; the file holds them sorted.
std::string ThreeSprites() {
  std::vector<std::unique_ptr<Gfx::TSprite>> sprites;
  sprites.push_back(Tile(30, 3));
  sprites.push_back(Tile(10, 1));
  sprites.push_back(Tile(20, 2));
  return Builder::SpriteListBytes(77, std::move(sprites));
}

u32 U32At(const std::string& bytes, std::size_t at) {
  u32 v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<u8>(bytes[at + static_cast<std::size_t>(i)]);
  return v;
}

std::string WithU32(std::string bytes, std::size_t at, u32 value) {
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
  return bytes;
}

class SpriteIndex : public ::testing::Test {
 protected:
  void Open(const std::string& bytes, u32 flags = Gfx::sfIndexMode) {
    List = std::make_unique<Gfx::TSpriteList>(flags);
    List->OpenIndex(new TCountingStream(bytes, &Calls));
  }
  int Calls = 0;
  std::unique_ptr<Gfx::TSpriteList> List;
};

TEST(SpriteList, FileLayoutAndBothReadingModes) {
  const std::string bytes = ThreeSprites();
  EXPECT_EQ(U32At(bytes, 0), 77u);
  EXPECT_EQ(bytes.substr(4, 4), "GFXL");
  EXPECT_EQ(U32At(bytes, 8), 3u);
  const u32 ids[] = {10, 20, 30};
  std::size_t next = 12 + 20 * 3;
  for (int i = 0; i < 3; ++i) {
    const std::size_t entry = 12 + 20 * static_cast<std::size_t>(i);
    EXPECT_EQ(U32At(bytes, entry), ids[i]);
    EXPECT_EQ(bytes.substr(entry + 4, 8), std::string(8, '\0'));
    EXPECT_EQ(U32At(bytes, entry + 12), next) << "records follow one another";
    EXPECT_EQ(bytes.substr(entry + 16, 4), std::string(4, '\0'));
    EXPECT_EQ(U32At(bytes, next), ids[i]) << "the offset points at the record";
    next += Builder::SpriteBytes(*Tile(ids[i], static_cast<i16>(i + 1))).size();
  }
  EXPECT_EQ(next, bytes.size());

  Gfx::TSpriteList plain(Gfx::sfConvert);
  Data::TMemoryStream s(bytes);
  plain.Load(s);
  EXPECT_EQ(plain.ID, 77u);
  ASSERT_EQ(plain.Sprites.Count(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(plain.Sprites[i]->ID, ids[i]);
    EXPECT_EQ(plain.Sprites[i]->Width, i + 1);
    EXPECT_EQ(plain.Sprites[i]->Flags, Gfx::sfConvert);
  }
  Data::TMemoryStream again;
  plain.Save(again);
  EXPECT_EQ(again.AsString(), bytes);

  Gfx::TSpriteList index(Gfx::sfIndexMode | Gfx::sfConvert);
  index.OpenIndex(new Data::TMemoryStream(bytes));
  ASSERT_EQ(index.IndexCount(), 3);
  EXPECT_EQ(index.IndexOfID(20), 1);
  Gfx::TSprite* sprite = index.GetSprite(30);
  EXPECT_EQ(sprite->Width, 3);
  EXPECT_EQ(sprite->Flags, Gfx::sfConvert) << "index mode is the list's own flag";
  index.ReleaseSprite(sprite);
}

TEST(SpriteList, PlainLoadSortsAndKeepsDuplicates) {
  // Written unsorted by hand: the plain list sorts on loading.
  Gfx::TSpriteList list(0);
  for (u32 id : {5u, 3u, 5u, 1u}) list.Sprites.Items.Add(Tile(id).release());
  Data::TMemoryStream s;
  list.Save(s);
  s.SetPosition(0);
  Gfx::TSpriteList loaded(0);
  loaded.Load(s);
  std::vector<u32> ids;
  for (Gfx::TSprite* sprite : loaded.Sprites.Items) ids.push_back(sprite->ID);
  EXPECT_EQ(ids, (std::vector<u32>{1, 3, 5, 5}));

  Gfx::TSpriteList index(Gfx::sfIndexMode);
  index.OpenIndex(new Data::TMemoryStream(s.AsString()));
  EXPECT_EQ(index.IndexOfID(5), 0) << "the first entry in file order";
}

TEST(SpriteList, RefusesBadHeadersInBothModes) {
  const std::string good = ThreeSprites();
  const std::string cases[] = {
      WithU32(good, 4, 0x4C584647 ^ 1),
      WithU32(good, 8, 65537),
      WithU32(good, 8, 0xFFFFFFFF),
      WithU32(good, 8, 4000),  // more entries than the file holds
      good.substr(0, 10),
  };
  for (const std::string& bytes : cases) {
    Gfx::TSpriteList plain(0);
    Data::TMemoryStream s(bytes);
    EXPECT_THROW(plain.Load(s), Base::EStreamError);

    Gfx::TSpriteList index(Gfx::sfIndexMode);
    index.OpenIndex(new Data::TMemoryStream(good));
    // The failed stream is deleted; leak checking sees to that.
    EXPECT_THROW(index.OpenIndex(new Data::TMemoryStream(bytes)), Base::EStreamError);
    EXPECT_EQ(index.IndexCount(), 0);
    EXPECT_EQ(index.Stream, nullptr);
    EXPECT_EQ(index.FindSprite(10), nullptr);
  }
}

TEST_F(SpriteIndex, UnknownAndZeroIDs) {
  Open(Builder::SpriteListBytes(1, {}));
  EXPECT_EQ(List->IndexCount(), 0);
  try {
    List->GetSprite(5);
    FAIL() << "no sprite 5";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Sprite with given ID not found (5).");
  }

  Open(ThreeSprites());
  const int before = Calls;
  EXPECT_EQ(List->GetSprite(0), nullptr);
  EXPECT_EQ(List->FindSprite(0), nullptr);
  EXPECT_EQ(List->FindSprite(11), nullptr);
  EXPECT_EQ(List->FindLoadedSprite(11), nullptr);
  EXPECT_EQ(List->GetLoadedSprite(0), nullptr);
  List->TryLockSprite(11);
  List->LockSprite(0);
  EXPECT_EQ(Calls, before) << "nothing loaded";
  EXPECT_THROW(List->LockSprite(11), std::runtime_error);
  EXPECT_THROW(List->GetLoadedSprite(11), std::runtime_error);
}

TEST_F(SpriteIndex, SpritesLiveWhileReferenced) {
  Open(ThreeSprites());
  Gfx::TSprite* a = List->GetSprite(20);
  Gfx::TSprite* b = List->FindSprite(20);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(List->FindLoadedSprite(20), a);
  EXPECT_EQ(List->Index[1].RefCount, 2);
  EXPECT_EQ(List->IndexOfSprite(a), 1);

  List->ReleaseSprite(a);
  EXPECT_EQ(a, nullptr);
  EXPECT_EQ(List->GetLoadedSprite(20), b);
  List->ReleaseSprite(b);
  EXPECT_EQ(List->FindLoadedSprite(20), nullptr) << "deleted with the last reference";

  Gfx::TSprite* none = nullptr;
  List->ReleaseSprite(none);
  Gfx::TSprite stranger(0);
  Gfx::TSprite* foreign = &stranger;
  List->ReleaseSprite(foreign);
  EXPECT_EQ(foreign, nullptr);

  Gfx::TSprite* c = List->GetSprite(20);
  EXPECT_EQ(c->Width, 2) << "loaded again";
  List->ReleaseSprite(c);
}

TEST_F(SpriteIndex, LockedSpritesStay) {
  Open(ThreeSprites());
  List->LockSprite(10);
  List->LockSprite(10);
  EXPECT_EQ(List->Index[0].RefCount, 1) << "locked once";
  Gfx::TSprite* locked = List->FindLoadedSprite(10);
  ASSERT_NE(locked, nullptr);
  for (int i = 0; i < 3; ++i) {
    Gfx::TSprite* s = List->GetSprite(10);
    List->ReleaseSprite(s);
  }
  EXPECT_EQ(List->FindLoadedSprite(10), locked);

  List->TryLockSprite(30);
  EXPECT_NE(List->FindLoadedSprite(30), nullptr);
  EXPECT_EQ(List->FindLoadedSprite(20), nullptr);
  List->LockAll();
  for (const Gfx::TSpriteEntry& entry : List->Index) {
    EXPECT_TRUE(entry.Locked);
    EXPECT_EQ(entry.RefCount, 1);
  }
  // Still-held references die with the index; leak checking sees to that.
  List->GetSprite(20);
  List->Clear();
  EXPECT_EQ(List->IndexCount(), 0);
  EXPECT_EQ(List->Stream, nullptr);
}

TEST_F(SpriteIndex, ABrokenRecordFailsOnFirstUseOnly) {
  std::string bytes = ThreeSprites();
  const u32 offset20 = U32At(bytes, 12 + 20 + 12);
  bytes = WithU32(bytes, offset20 + 4, 0x21212121);  // its "GFX " signature
  Open(bytes);
  EXPECT_THROW(List->GetSprite(20), Data::EInvalidData);
  EXPECT_THROW(List->FindSprite(20), Data::EInvalidData);
  EXPECT_THROW(List->LockSprite(20), Data::EInvalidData);
  EXPECT_EQ(List->FindLoadedSprite(20), nullptr);
  EXPECT_FALSE(List->Index[1].Locked);
  EXPECT_EQ(List->Index[1].RefCount, 0);
  Gfx::TSprite* fine = List->GetSprite(30);
  EXPECT_EQ(fine->ID, 30u);
  List->ReleaseSprite(fine);
}

TEST(SpriteList, OffsetsArePositionsInTheStream) {
  // A list written after other data: its offsets count from the stream's start.
  Data::TMemoryStream s;
  s.WriteBuffer("prefix", 6);
  Gfx::TSpriteList list(0);
  list.Sprites.Items.Add(Tile(4).release());
  list.Save(s);
  EXPECT_EQ(U32At(s.AsString(), 6 + 12 + 12), 6u + 12 + 20);

  auto* stream = new Data::TMemoryStream(s.AsString());
  stream->SetPosition(6);
  Gfx::TSpriteList index(Gfx::sfIndexMode);
  index.OpenIndex(stream);
  Gfx::TSprite* sprite = index.GetSprite(4);
  EXPECT_EQ(sprite->Width, 4);
  index.ReleaseSprite(sprite);
}

TEST(SpriteList, OpensFromAnArchive) {
  TestSupport::TTempDir dir;
  const std::string saved = Data::DataPath;
  Data::DataPath = dir.Path();
  Builder::TArchiveBuilder graphics;
  graphics.Add("tiles.gfl", ThreeSprites());
  graphics.WritePacked(dir.Path(), "graphics");
  {
    Data::TArchive archive("graphics", Data::TArchive::Packed);
    Gfx::TSpriteList list(Gfx::sfIndexMode | Gfx::sfConvert);
    list.OpenIndexFromArchive(&archive, "tiles.gfl");
    Gfx::TSprite* sprite = list.GetSprite(10);
    EXPECT_EQ(sprite->Width, 1);
    list.ReleaseSprite(sprite);
    EXPECT_THROW(list.OpenIndexFromArchive(&archive, "none.gfl"), Base::EFOpenError);
    EXPECT_EQ(list.IndexCount(), 3) << "a missing file leaves the open index";
  }
  Data::DataPath = saved;
}

TEST(SpriteList, CopiesAreAppended) {
  Gfx::TSpriteList source(0);
  Data::TMemoryStream s(ThreeSprites());
  source.Load(s);
  Gfx::TSpriteList copy(Gfx::sfConvert);
  copy.ID = 5;
  copy.Sprites.Items.Add(Tile(15).release());
  copy.Assign(&source);
  std::vector<u32> ids;
  for (Gfx::TSprite* sprite : copy.Sprites.Items) {
    ids.push_back(sprite->ID);
    if (sprite->ID != 15) {
      EXPECT_EQ(sprite->Flags, Gfx::sfConvert) << "made with the list's flags";
    }
  }
  EXPECT_EQ(ids, (std::vector<u32>{15, 10, 20, 30}));
  EXPECT_EQ(copy.ID, 5u) << "the list keeps its own ID";
  EXPECT_NE(copy.Sprites[1], source.Sprites[0]);
  EXPECT_EQ(Builder::SpriteBytes(*copy.Sprites[1]), Builder::SpriteBytes(*source.Sprites[0]));

  copy.CopyFrom(&source);
  EXPECT_EQ(copy.Sprites.Count(), 3);
}

}  // namespace
