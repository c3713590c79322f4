// Small helpers of the audio stream tests: opening streams on bytes, reading
// everything, and test signals.
#pragma once

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/astreams/audio_stream.h"
#include "engine/data/stream.h"

namespace AudioTest {

// The stream owns the source from a successful Open on; before that the
// caller does.
inline void OpenOn(TAudioStream& s, const std::string& bytes, u32 flags = afRead) {
  auto source = std::make_unique<Data::TMemoryStream>(bytes);
  s.Open(source.get(), flags, nullptr);
  source.release();
}

// Reads up to the length in chunks of the given size; the frames as bytes.
inline std::vector<u8> ReadAll(TAudioStream& s, i32 chunk = 1000) {
  std::vector<u8> out;
  std::vector<u8> buffer(static_cast<std::size_t>(chunk) * s.BlockAlign);
  while (s.Position < s.Length) {
    const i32 n = s.Read(buffer.data(), std::min(chunk, s.Length - s.Position));
    if (n <= 0) break;
    out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n) * s.BlockAlign);
  }
  return out;
}

// A tone with some noise, interleaved for the channel count.
inline std::vector<i16> Signal(i32 frames, u32 channels, u32 seed = 1) {
  std::vector<i16> s(static_cast<std::size_t>(frames) * channels);
  u32 noise = seed;
  for (std::size_t i = 0; i < s.size(); ++i) {
    noise = noise * 1664525u + 1013904223u;
    const double tone = 9000 * std::sin(static_cast<double>(i / channels) * 0.07 + (i % channels));
    s[i] = static_cast<i16>(tone + static_cast<i16>(noise >> 16) / 16);
  }
  return s;
}

}  // namespace AudioTest
