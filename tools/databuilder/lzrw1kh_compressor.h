// An LZRW1-KH compressor for generated sprites; the game itself only
// decompresses.
#pragma once

#include <cstddef>
#include <string>

#include "engine/base/types.h"

namespace Builder {

// One block: the compressed form, or the stored form when that is not longer.
std::string CompressLZRW1KH(const u8* data, std::size_t length);
// A block sequence: blocks of at most 16 KiB of input, each after its u16
// length. Empty input gives an empty sequence.
std::string CompressLZRW1KHBlocks(const u8* data, std::size_t length);

}  // namespace Builder
