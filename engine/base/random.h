// The game rules' generator: a 64-bit linear congruential generator on a
// state the caller holds. Fixed bit for bit, so every machine of a network
// game draws the same numbers.
#pragma once

#include "engine/base/types.h"

// Steps the state (high x 2^32 + low) and returns the new high word without
// its top bit.
i32 NextRandom(u32* low, u32* high);

struct TRandomState {
  u32 Low = 0;
  u32 High = 0;
};

inline i32 NextRandom(TRandomState& state) { return NextRandom(&state.Low, &state.High); }
