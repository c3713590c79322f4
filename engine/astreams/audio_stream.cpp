#include "engine/astreams/audio_stream.h"

#include <limits>

namespace {

// a x b / c rounded half away from zero; -1 for a zero divisor or a result
// outside the 32-bit range.
i32 MulDiv(i32 a, i32 b, i32 c) {
  if (c == 0) return -1;
  const i64 product = static_cast<i64>(a) * b;
  const bool negative = (product < 0) != (c < 0);
  const u64 magnitude = static_cast<u64>(product < 0 ? -product : product);
  const u64 divisor = static_cast<u64>(c < 0 ? -static_cast<i64>(c) : c);
  const u64 q = (magnitude + divisor / 2) / divisor;
  if (q > static_cast<u64>(std::numeric_limits<i32>::max())) return -1;
  return negative ? -static_cast<i32>(q) : static_cast<i32>(q);
}

}  // namespace

void RaiseAudioStreamError(const char* message) { throw EAudioStreamError(message); }

i32 SamplesToMilliseconds(i32 samples, i32 rate) { return MulDiv(samples, 1000, rate); }

i32 MillisecondsToSamples(i32 milliseconds, i32 rate) { return MulDiv(milliseconds, rate, 1000); }
