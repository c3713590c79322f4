#include "engine/data/crypto_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "engine/platform/system/files.h"
#include "tests/support/temp_dir.h"
#include "tools/databuilder/archive_builder.h"

namespace {

std::string Pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 31 + 7) & 0xFF);
  return s;
}

TEST(Cipher, HashOfKeyNames) {
  EXPECT_EQ(Data::HashKeyName("abc"), 887u);
  Data::TCipherKey upper("C:\\Data\\Globals.DAT"), lower("globals.dat"), slash("/x/y/globals.dat");
  EXPECT_EQ(upper.KeyName, "globals.dat");
  EXPECT_EQ(upper.KeyHash, lower.KeyHash);
  EXPECT_EQ(slash.KeyName, "globals.dat");
}

TEST(Cipher, TransformMatchesTheByteFormulaAtEveryOffset) {
  // The fast path walks two indices; compare it with the formula byte by byte
  // across table and key wrap-arounds.
  Data::TCipherKey key("unit.txt");
  std::string plain = Pattern(3000);
  std::vector<u8> stored(plain.size());
  const i64 start = 960;
  key.Encipher(reinterpret_cast<const u8*>(plain.data()), stored.data(), static_cast<i64>(plain.size()), start);
  for (std::size_t i = 0; i < plain.size(); ++i) {
    i64 p = start + static_cast<i64>(i);
    u8 c = static_cast<u8>(key.KeyName[static_cast<std::size_t>(p) % key.KeyName.size()]);
    u8 t = Data::CipherTable[(p + key.KeyHash) % 971];
    ASSERT_EQ(static_cast<u8>(((stored[i] + c + 1) & 0xFF) ^ t), static_cast<u8>(plain[i])) << i;
  }
  key.Decipher(stored.data(), static_cast<i64>(stored.size()), start);
  EXPECT_EQ(std::string(stored.begin(), stored.end()), plain);
}

TEST(CryptoStream, RoundTripInPiecesAndAfterSeeking) {
  TestSupport::TTempDir dir;
  std::string plain = Pattern(5000);
  Builder::WriteEnciphered(dir.File("save01.sav"), plain);
  EXPECT_NE(dir.Read("save01.sav"), plain);

  Data::TCryptoStream in(dir.File("save01.sav"), Data::fmOpenRead);
  std::string got;
  char buf[333];
  i32 n;
  while ((n = in.Read(buf, sizeof buf)) > 0) got.append(buf, static_cast<std::size_t>(n));
  EXPECT_EQ(got, plain);
  in.Seek(4321, Data::soBeginning);
  in.ReadBuffer(buf, 10);
  EXPECT_EQ(std::string(buf, 10), plain.substr(4321, 10));

  // A window reads the same plain bytes as the whole-file stream.
  std::unique_ptr<Data::TSubStream> window(in.CreateSubStream(1000, 50));
  window->ReadBuffer(buf, 50);
  EXPECT_EQ(std::string(buf, 50), plain.substr(1000, 50));
}

// Writes are enciphered in large pieces: writes of every size, across the
// pieces' ends and after a seek back, store what a byte-by-byte cipher would;
// a write the disk cuts short reports the bytes that got there.
TEST(CryptoStream, WritesOfEverySizeStoreThePlainBytes) {
  TestSupport::TTempDir dir;
  const std::string plain = Pattern(700000);
  {
    Data::TCryptoStream out(dir.File("write.sav"), Data::fmCreate);
    std::size_t at = 0;
    for (std::size_t piece : {1u, 3u, 300u, 262149u, 70000u, 2u, 600000u}) {
      piece = std::min(piece, plain.size() - at);
      out.WriteBuffer(plain.data() + at, static_cast<i32>(piece));
      at += piece;
    }
    ASSERT_EQ(at, plain.size());
    // Over again from within the first piece.
    out.Seek(250000, Data::soBeginning);
    out.WriteBuffer(plain.data() + 250000, 300000);
  }
  EXPECT_EQ(Builder::ReadEnciphered(dir.File("write.sav")), plain);
  std::string stored(plain.size(), '\0');
  Data::TCipherKey("write.sav").Encipher(reinterpret_cast<const u8*>(plain.data()), reinterpret_cast<u8*>(stored.data()),
                                         static_cast<i64>(plain.size()), 0);
  EXPECT_TRUE(dir.Read("write.sav") == stored);

  Data::TCryptoStream cut(dir.File("cut.sav"), Data::fmCreate);
  Plat::SetWriteFaultAfter(300001);
  const i32 n = cut.Write(plain.data(), 600000);
  Plat::SetWriteFaultAfter(-1);
  EXPECT_EQ(n, 300001);
  EXPECT_EQ(cut.GetPosition(), 300001);
}

// Reads are served from deciphered blocks: pieces of every size, across block
// ends, after seeks forwards, backwards and outside the window, give the
// plain bytes, and typed reads agree with them.
TEST(CryptoStream, BlockReadsAgreeWithThePlainBytes) {
  TestSupport::TTempDir dir;
  const i32 block = Data::TSubStream::BlockSize;
  std::string plain = Pattern(static_cast<std::size_t>(3 * block + 123));
  Builder::WriteEnciphered(dir.File("big.dat"), plain);
  Data::TCryptoStream whole(dir.File("big.dat"), Data::fmOpenRead);
  std::unique_ptr<Data::TSubStream> window(whole.CreateSubStream(5, 3 * block));
  const std::string inner = plain.substr(5, static_cast<std::size_t>(3 * block));
  struct {
    i64 Seek;  // -1: read on from where the last read ended
    i32 Count;
  } steps[] = {{0, 1},          {-1, 3},          {block - 2, 4},      {-1, block},     {10, 2 * block + 7},
               {block - 1, 2},  {block + 1, 1},   {0, 3 * block},      {3 * block - 1, 5}, {-9, 4},
               {2 * block, 1},  {block / 2, 17}};
  std::vector<char> buf(static_cast<std::size_t>(4 * block));
  i64 at = 0;
  for (const auto& step : steps) {
    if (step.Seek != -1) at = window->Seek(step.Seek, Data::soBeginning);
    i32 n = window->Read(buf.data(), step.Count);
    i64 expected = at < 0 ? 0 : std::max<i64>(0, std::min<i64>(step.Count, static_cast<i64>(inner.size()) - at));
    ASSERT_EQ(n, expected) << step.Seek << " " << step.Count;
    if (n > 0) {
      EXPECT_EQ(std::string(buf.data(), static_cast<std::size_t>(n)),
                inner.substr(static_cast<std::size_t>(at), static_cast<std::size_t>(n)));
    }
    at += n;
    EXPECT_EQ(window->GetPosition(), at);
  }
  window->Seek(block - 3, Data::soBeginning);
  u32 expected = 0;
  for (int i = 0; i < 4; ++i)
    expected |= static_cast<u32>(static_cast<u8>(inner[static_cast<std::size_t>(block - 3 + i)])) << (8 * i);
  EXPECT_EQ(Data::ReadU32(*window), expected) << "a value split by a block end";
  EXPECT_EQ(window->Remaining(), 2 * block - 1);
}

TEST(CryptoStream, NameIsTheKey) {
  TestSupport::TTempDir dir;
  std::string plain = Pattern(100);
  Builder::WriteEnciphered(dir.File("a.sav"), plain);
  Builder::WriteEnciphered(dir.File("b.sav"), plain);
  EXPECT_NE(dir.Read("a.sav"), dir.Read("b.sav"));
  // The same file under another name no longer reads back.
  dir.Write("renamed.sav", dir.Read("a.sav"));
  EXPECT_NE(Builder::ReadEnciphered(dir.File("renamed.sav")), plain);
  dir.Write("A.SAV", dir.Read("a.sav"));
  EXPECT_EQ(Builder::ReadEnciphered(dir.File("A.SAV")), plain) << "case does not change the key";
}

}  // namespace
