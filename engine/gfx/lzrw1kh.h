// LZRW1-KH decompression of sprite frames. A block starts with a flag byte
// (0x80 = stored as is); a block sequence prefixes every block with its
// length as a little-endian u16.
#pragma once

#include "engine/base/types.h"

namespace Gfx {

constexpr u8 LZRW1KHStored = 0x80;
// No input expands more: a 4-byte run item gives at most 4111 bytes.
constexpr u32 LZRW1KHMaxExpansion = 1028;

// Decodes one block of length bytes into at most capacity bytes and returns
// the number written. Malformed blocks (a copy from before the output, output
// beyond capacity, an item cut off by the block's end) raise "Invalid data.".
int DecompressLZRW1KH(const u8* source, u8* destination, int length, int capacity);

// Decodes the block sequence of total bytes; the blocks' output follows one
// another. Returns the sum of the bytes written.
u32 DecompressLZRW1KHBlocks(const u8* source, u8* destination, u32 total, u32 capacity);

}  // namespace Gfx
