#include "engine/gfx/lzrw1kh.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/base/errors.h"
#include "tools/databuilder/lzrw1kh_compressor.h"

namespace {

using Bytes = std::vector<u8>;

Bytes Decode(const Bytes& block, int capacity = 8192) {
  Bytes out(static_cast<std::size_t>(capacity));
  int n = Gfx::DecompressLZRW1KH(block.data(), out.data(), static_cast<int>(block.size()), capacity);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

Bytes DecodeBlocks(const std::string& blocks, u32 capacity) {
  Bytes out(capacity);
  u32 n = Gfx::DecompressLZRW1KHBlocks(reinterpret_cast<const u8*>(blocks.data()), out.data(),
                                       static_cast<u32>(blocks.size()), capacity);
  out.resize(n);
  return out;
}

TEST(LZRW1KH, DecodesEveryItemKind) {
  const struct {
    const char* What;
    Bytes Block;
    Bytes Expected;
  } cases[] = {
      {"stored", {0x80, 0x61, 0x62, 0x63}, {0x61, 0x62, 0x63}},
      {"length 1", {0x00}, {}},
      {"length 0", {}, {}},
      {"literal, then an overlapping copy", {0x00, 0x40, 0x00, 0x41, 0x00, 0x13}, Bytes(7, 0x41)},
      {"run", {0x00, 0x80, 0x00, 0x00, 0x00, 0x04, 0x5A}, Bytes(20, 0x5A)},
      {"longest run", {0x00, 0x80, 0x00, 0x00, 0x0F, 0xFF, 0x01}, Bytes(4111, 0x01)},
      {"copy from 2 back, 4 long", {0x00, 0x20, 0x00, 0x61, 0x62, 0x00, 0x21}, {0x61, 0x62, 0x61, 0x62, 0x61, 0x62}},
      // Only the first bit of the control word is used; the rest are left over.
      {"spare control bits", {0x01, 0x7F, 0xFF, 0x7A}, {0x7A}},
  };
  for (const auto& c : cases) EXPECT_EQ(Decode(c.Block), c.Expected) << c.What;

  // A second control word after sixteen literals.
  Bytes block = {0x00, 0x00, 0x00};
  for (u8 i = 0; i < 16; ++i) block.push_back(i);
  block.insert(block.end(), {0x80, 0x00, 0x01, 0x02});  // copy from 16 back, 5 long
  Bytes expected;
  for (u8 i = 0; i < 16; ++i) expected.push_back(i);
  expected.insert(expected.end(), {0, 1, 2, 3, 4});
  EXPECT_EQ(Decode(block), expected);
}

TEST(LZRW1KH, BlockSequences) {
  const std::string two("\x04\x00\x80\x61\x62\x63\x04\x00\x80\x64\x65\x66", 12);
  EXPECT_EQ(DecodeBlocks(two, 6), (Bytes{0x61, 0x62, 0x63, 0x64, 0x65, 0x66}));
  // Each block's copies reach back only into its own output.
  const std::string reachesBack("\x02\x00\x80\x61\x05\x00\x00\x80\x00\x00\x13", 11);
  EXPECT_THROW(DecodeBlocks(reachesBack, 64), Data::EInvalidData);
  EXPECT_TRUE(DecodeBlocks("", 0).empty());
}

TEST(LZRW1KH, MalformedInputStopsAtEveryBound) {
  const struct {
    const char* What;
    Bytes Block;
    int Capacity;
  } blocks[] = {
      {"copy before the output's start", {0x00, 0x40, 0x00, 0x41, 0x00, 0x23}, 64},
      {"copy beyond the capacity", {0x00, 0x40, 0x00, 0x41, 0x00, 0x1F}, 8},
      {"run beyond the capacity", {0x00, 0x80, 0x00, 0x00, 0x00, 0x04, 0x5A}, 19},
      {"stored beyond the capacity", {0x80, 1, 2, 3}, 2},
      {"literal beyond the capacity", {0x00, 0x00, 0x00, 1, 2}, 1},
      {"control word cut off", {0x00, 0x40}, 64},
      {"copy cut off", {0x00, 0x40, 0x00, 0x41, 0x00}, 64},
      {"run cut off", {0x00, 0x80, 0x00, 0x00, 0x00, 0x04}, 64},
  };
  for (const auto& c : blocks) EXPECT_THROW(Decode(c.Block, c.Capacity), Data::EInvalidData) << c.What;

  const std::string sequences[] = {
      std::string("\x04", 1),                  // length cut off
      std::string("\x05\x00\x80\x61\x62", 5),  // block past the sequence's end
  };
  for (const auto& s : sequences) EXPECT_THROW(DecodeBlocks(s, 64), Data::EInvalidData);
}

TEST(LZRW1KH, CompressorRoundTrips) {
  std::mt19937 rng(7);
  auto randomBytes = [&](std::size_t n) {
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng());
    return s;
  };
  std::string patterned;
  for (int i = 0; i < 40000; ++i) patterned += static_cast<char>("ORVANDIA"[i % 8] + (i / 5000));
  const struct {
    const char* What;
    std::string Input;
    bool Compresses;
  } cases[] = {
      {"empty", "", false},
      {"one byte", "x", false},
      {"random", randomBytes(3000), false},
      {"long run", std::string(10000, '\x5A'), true},
      {"pattern over several blocks", patterned, true},
      {"runs and noise", std::string(300, 'a') + randomBytes(50) + std::string(5000, 'b') + "abcabcabc", true},
  };
  for (const auto& c : cases) {
    std::string blocks = Builder::CompressLZRW1KHBlocks(reinterpret_cast<const u8*>(c.Input.data()), c.Input.size());
    Bytes out = DecodeBlocks(blocks, static_cast<u32>(c.Input.size()));
    EXPECT_EQ(std::string(out.begin(), out.end()), c.Input) << c.What;
    EXPECT_EQ(blocks.size() < c.Input.size() / 2, c.Compresses) << c.What << ": " << blocks.size();
  }
  // Data that does not compress is stored, at one byte's cost.
  std::string noise = randomBytes(100);
  std::string block = Builder::CompressLZRW1KH(reinterpret_cast<const u8*>(noise.data()), noise.size());
  EXPECT_EQ(block, "\x80" + noise);
}

}  // namespace
