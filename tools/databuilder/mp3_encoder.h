// MP3 encoding for the data builder (the game itself only decodes).
#pragma once

#include <string>
#include <vector>

#include "engine/base/types.h"

namespace Builder {

// Interleaved 16-bit frames at rate, at a constant bit rate; the first frame
// carries the encoder's information tag.
std::string EncodeMP3(const std::vector<i16>& samples, int rate, int channels, int kilobitsPerSecond);

}  // namespace Builder
