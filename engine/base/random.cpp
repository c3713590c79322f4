#include "engine/base/random.h"

i32 NextRandom(u32* low, u32* high) {
  constexpr u64 Multiplier = (static_cast<u64>(0x15A) << 32) | 0x4E35;
  u64 state = (static_cast<u64>(*high) << 32) | *low;
  state = state * Multiplier + 1;
  *low = static_cast<u32>(state);
  *high = static_cast<u32>(state >> 32);
  return static_cast<i32>(*high & 0x7FFFFFFF);
}
