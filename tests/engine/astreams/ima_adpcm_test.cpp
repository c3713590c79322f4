// IMA ADPCM bit for bit, against values worked out by hand from the step and
// index tables.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/astreams/ima_adpcm.h"

namespace {

// From predictor 0, step index 0 (step 7):
//   code 4: 7>>3 + 7 = 7                    -> 7,   index 0+2 = 2 (step 9)
//   code 7: 9>>3 + 9 + 9>>1 + 9>>2 = 16     -> 23,  index 2+8 = 10 (step 19)
//   code F: -(19>>3 + 19 + 9 + 4) = -34     -> -11, index 10+8 = 18 (step 41)
//   code 8: -(41>>3) = -5                   -> -16, index 18-1 = 17
//   code 3: 37>>3 + 37>>1 + 37>>2 = 31      -> 15,  index 17-1 = 16
const i16 HandDecoded[5] = {7, 23, -11, -16, 15};
constexpr i32 HandIndexAfter = 16;

TEST(ImaAdpcm, MonoDecodesLowNibbleFirst) {
  const u8 codes[3] = {0x74, 0x8F, 0x03};  // 4, 7, F, 8, 3 and an unused high nibble
  i16 out[5];
  i32 predictor = 0, index = 0;
  ImaDecodeMono(out, codes, 5, false, predictor, index);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(out[i], HandDecoded[i]) << i;
  EXPECT_EQ(predictor, 15);
  EXPECT_EQ(index, HandIndexAfter);

  // Starting on a high nibble: the same codes shifted by one.
  const u8 shifted[3] = {0x40, 0xF7, 0x38};
  predictor = index = 0;
  ImaDecodeMono(out, shifted, 5, true, predictor, index);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(out[i], HandDecoded[i]) << i;
}

TEST(ImaAdpcm, StereoTakesLeftFromTheLowNibble) {
  const u8 codes[2] = {0x74, 0x8F};  // left 4 then F, right 7 then 8
  i16 out[4];
  i32 pl = 0, il = 0, pr = 0, ir = 0;
  ImaDecodeStereo(out, codes, 2, pl, il, pr, ir);
  // Left 4: 7, index 2; then F at step 9: -(1 + 9 + 4 + 2) = -16 -> -9.
  // Right 7 at step 7: 0 + 7 + 3 + 1 = 11, index 8 (step 16); then 8:
  // -(16>>3) = -2 -> 9.
  const i16 expected[4] = {7, 11, -9, 9};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(out[i], expected[i]) << i;
  EXPECT_EQ(il, 10);
  EXPECT_EQ(ir, 7);
}

TEST(ImaAdpcm, SkippingLeavesTheDecoderWhereDecodingWould) {
  const u8 codes[3] = {0x74, 0x8F, 0x03};
  i32 predictor = 0, index = 0;
  ImaSkipMono(codes, 5, false, predictor, index);
  EXPECT_EQ(predictor, 15);
  EXPECT_EQ(index, HandIndexAfter);
  i32 pl = 0, il = 0, pr = 0, ir = 0;
  ImaSkipStereo(codes, 2, pl, il, pr, ir);
  EXPECT_EQ(pl, -9);
  EXPECT_EQ(pr, 9);
}

TEST(ImaAdpcm, ClampsPredictorAndIndex) {
  // Fifteen codes 7 climb to the top step; 0x7 at the top overshoots 32767.
  std::vector<u8> codes(40, 0x77);
  std::vector<i16> out(120);
  i32 predictor = 0, index = 0;
  ImaDecodeMono(out.data(), codes.data(), 80, false, predictor, index);
  EXPECT_EQ(predictor, 32767);
  EXPECT_EQ(index, 88);
  std::vector<u8> down(40, 0xFF);
  ImaDecodeMono(out.data(), down.data(), 80, false, predictor, index);
  EXPECT_EQ(predictor, -32768);
  std::vector<u8> quiet(60, 0x00);
  ImaDecodeMono(out.data(), quiet.data(), 120, false, predictor, index);
  EXPECT_EQ(index, 0);
}

TEST(ImaAdpcm, EncoderPicksTheHandComputedCodes) {
  // The samples the hand-worked codes decode to encode back to those codes.
  u8 packed[3] = {0xAA, 0xAA, 0xAA};
  i32 predictor = 0, index = 0;
  ImaEncodeMono(packed, HandDecoded, 5, false, predictor, index);
  EXPECT_EQ(packed[0], 0x74);
  EXPECT_EQ(packed[1], 0x8F);
  EXPECT_EQ(packed[2], 0x03);  // a low nibble writes the whole byte
  EXPECT_EQ(index, HandIndexAfter);

  // A high nibble keeps the low one.
  u8 half[1] = {0x05};
  predictor = index = 0;
  ImaEncodeMono(half, HandDecoded, 1, true, predictor, index);
  EXPECT_EQ(half[0], 0x45);

  const i16 stereo[4] = {7, 11, -9, 9};
  u8 frames[2];
  i32 pl = 0, il = 0, pr = 0, ir = 0;
  ImaEncodeStereo(frames, stereo, 2, pl, il, pr, ir);
  EXPECT_EQ(frames[0], 0x74);
  EXPECT_EQ(frames[1], 0x8F);
}

TEST(ImaAdpcm, EncodeThenDecodeStaysWithinTheCodecsError) {
  // Two tones and a little noise. Where the difference to the predictor is
  // within what one code reaches (below 1.75 steps), the decoded sample is
  // within an eighth of a step of the original; overall the tone comes
  // through clean.
  std::vector<i16> s(4000);
  u32 noise = 1;
  for (std::size_t i = 0; i < s.size(); ++i) {
    noise = noise * 1664525u + 1013904223u;
    const double t = i * 2 * 3.14159265 / 22050;
    s[i] = static_cast<i16>(9000 * std::sin(440 * t) + 3000 * std::sin(1320 * t) + static_cast<i16>(noise >> 16) / 64);
  }
  std::vector<u8> coded((s.size() + 1) / 2);
  i32 predictor = 0, index = 0;
  ImaEncodeMono(coded.data(), s.data(), static_cast<i32>(s.size()), false, predictor, index);
  predictor = index = 0;
  double signal = 0, error = 0;
  int reachable = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const i32 step = ImaStepTable[index];
    const i32 d = s[i] - predictor;
    i16 v;
    ImaDecodeMono(&v, coded.data() + i / 2, 1, i & 1, predictor, index);
    if (std::abs(d) < step + (step >> 1) + (step >> 2)) {
      ++reachable;
      EXPECT_LE(std::abs(v - s[i]), (step >> 3) + 1) << "sample " << i;
    }
    signal += static_cast<double>(s[i]) * s[i];
    error += static_cast<double>(v - s[i]) * (v - s[i]);
  }
  EXPECT_GT(reachable, 3000);
  EXPECT_GT(10 * std::log10(signal / error), 25.0);
}

TEST(ImaAdpcm, ByteAndFrameCounts) {
  const TAudioFormat mono{22050, 16, 1, 2}, stereo{44100, 16, 2, 4};
  EXPECT_EQ(AdpcmBytes(5, mono), 3);
  EXPECT_EQ(AdpcmBytes(4, mono), 2);
  EXPECT_EQ(AdpcmBytes(5, stereo), 5);
  EXPECT_EQ(AdpcmBytes(0, mono), 0);
  EXPECT_EQ(AdpcmFrames(4096, mono), 8192);
  EXPECT_EQ(AdpcmFrames(4096, stereo), 4096);
}

}  // namespace
