#include "engine/astreams/ima_adpcm.h"

#include <array>

const i16 ImaStepTable[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

const i8 ImaIndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

namespace {

// The signed difference of every code at every step index.
using TDifferenceTable = std::array<std::array<i32, 16>, 89>;

TDifferenceTable MakeDifferences() {
  TDifferenceTable t{};
  for (int i = 0; i < 89; ++i) {
    const i32 step = ImaStepTable[i];
    for (int c = 0; c < 16; ++c) {
      i32 d = step >> 3;
      if (c & 4) d += step;
      if (c & 2) d += step >> 1;
      if (c & 1) d += step >> 2;
      t[i][c] = (c & 8) ? -d : d;
    }
  }
  return t;
}

const TDifferenceTable Differences = MakeDifferences();

inline i32 Clamp(i32 v, i32 lo, i32 hi) { return v < lo ? lo : (v > hi ? hi : v); }

inline i16 DecodeCode(u32 code, i32& predictor, i32& index) {
  predictor = Clamp(predictor + Differences[index][code], -32768, 32767);
  index = Clamp(index + ImaIndexTable[code], 0, 88);
  return static_cast<i16>(predictor);
}

inline u32 EncodeSample(i32 sample, i32& predictor, i32& index) {
  const i32 step = ImaStepTable[index];
  i32 d = sample - predictor;
  u32 code = 0;
  if (d < 0) {
    code = 8;
    d = -d;
  }
  if (d >= step) {
    code |= 4;
    d -= step;
  }
  if (d >= step >> 1) {
    code |= 2;
    d -= step >> 1;
  }
  if (d >= step >> 2) code |= 1;
  DecodeCode(code, predictor, index);
  return code;
}

// The nibble of frame k counted from a byte boundary: low for even k.
inline u32 NibbleAt(const u8* src, i64 k) { return (src[k >> 1] >> ((k & 1) * 4)) & 15; }

template <bool Output>
void DecodeMono(i16* dest, const u8* src, i32 frames, bool highNibbleFirst, i32& predictor, i32& index) {
  i32 p = predictor, i = index;
  const i64 first = highNibbleFirst ? 1 : 0;
  for (i64 k = 0; k < frames; ++k) {
    const i16 v = DecodeCode(NibbleAt(src, first + k), p, i);
    if constexpr (Output) dest[k] = v;
  }
  predictor = p;
  index = i;
}

template <bool Output>
void DecodeStereo(i16* dest, const u8* src, i32 frames, i32& predictorL, i32& indexL, i32& predictorR, i32& indexR) {
  i32 pl = predictorL, il = indexL, pr = predictorR, ir = indexR;
  for (i32 k = 0; k < frames; ++k) {
    const u32 b = src[k];
    const i16 l = DecodeCode(b & 15, pl, il);
    const i16 r = DecodeCode(b >> 4, pr, ir);
    if constexpr (Output) {
      dest[2 * k] = l;
      dest[2 * k + 1] = r;
    }
  }
  predictorL = pl;
  indexL = il;
  predictorR = pr;
  indexR = ir;
}

}  // namespace

void ImaDecodeMono(i16* dest, const u8* src, i32 frames, bool highNibbleFirst, i32& predictor, i32& index) {
  DecodeMono<true>(dest, src, frames, highNibbleFirst, predictor, index);
}

void ImaSkipMono(const u8* src, i32 frames, bool highNibbleFirst, i32& predictor, i32& index) {
  DecodeMono<false>(nullptr, src, frames, highNibbleFirst, predictor, index);
}

void ImaDecodeStereo(i16* dest, const u8* src, i32 frames, i32& predictorL, i32& indexL, i32& predictorR,
                     i32& indexR) {
  DecodeStereo<true>(dest, src, frames, predictorL, indexL, predictorR, indexR);
}

void ImaSkipStereo(const u8* src, i32 frames, i32& predictorL, i32& indexL, i32& predictorR, i32& indexR) {
  DecodeStereo<false>(nullptr, src, frames, predictorL, indexL, predictorR, indexR);
}

void ImaEncodeMono(u8* dest, const i16* src, i32 frames, bool highNibbleFirst, i32& predictor, i32& index) {
  i32 p = predictor, i = index;
  for (i64 k = highNibbleFirst ? 1 : 0, n = 0; n < frames; ++k, ++n) {
    const u32 code = EncodeSample(src[n], p, i);
    u8& b = dest[k >> 1];
    b = (k & 1) ? static_cast<u8>((b & 0x0F) | code << 4) : static_cast<u8>(code);
  }
  predictor = p;
  index = i;
}

void ImaEncodeStereo(u8* dest, const i16* src, i32 frames, i32& predictorL, i32& indexL, i32& predictorR,
                     i32& indexR) {
  for (i32 k = 0; k < frames; ++k) {
    const u32 l = EncodeSample(src[2 * k], predictorL, indexL);
    const u32 r = EncodeSample(src[2 * k + 1], predictorR, indexR);
    dest[k] = static_cast<u8>(l | r << 4);
  }
}

i64 AdpcmBytes(i64 frames, const TAudioFormat& format) { return (frames * format.Channels + 1) / 2; }

i32 AdpcmFrames(i32 bytes, const TAudioFormat& format) {
  return static_cast<i32>(static_cast<i64>(bytes) * 2 / static_cast<i64>(format.Channels));
}
