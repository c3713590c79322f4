#include "engine/gfx/lzrw1kh.h"

#include <cstring>

#include "engine/data/stream.h"

namespace Gfx {

int DecompressLZRW1KH(const u8* source, u8* destination, int length, int capacity) {
  if (length <= 1) return 0;
  if (source[0] == LZRW1KHStored) {
    Data::CheckData(length - 1 <= capacity);
    std::memcpy(destination, source + 1, static_cast<std::size_t>(length - 1));
    return length - 1;
  }
  const u8* in = source + 1;
  const u8* const end = source + length;
  u8* out = destination;
  // Pointer differences only: out + n could point past the buffer.
  auto room = [&] { return capacity - static_cast<int>(out - destination); };
  auto need = [&](int n) { Data::CheckData(end - in >= n); };
  u32 control = 0;
  int bits = 0;
  while (in < end) {
    if (bits == 0) {
      need(2);
      control = static_cast<u32>(in[0]) << 8 | in[1];
      in += 2;
      bits = 16;
    }
    --bits;
    if (!(control & (1u << bits))) {
      need(1);
      Data::CheckData(room() >= 1);
      *out++ = *in++;
      continue;
    }
    need(2);
    int offset = in[0] * 16 + (in[1] >> 4);
    if (offset > 0) {
      int count = (in[1] & 0x0F) + 3;
      in += 2;
      Data::CheckData(offset <= out - destination && room() >= count);
      // Byte by byte: a copy may overlap what it writes.
      for (const u8* from = out - offset; count > 0; --count) *out++ = *from++;
    } else {
      need(4);
      int count = ((in[1] & 0x0F) << 8 | in[2]) + 16;
      Data::CheckData(room() >= count);
      std::memset(out, in[3], static_cast<std::size_t>(count));
      out += count;
      in += 4;
    }
  }
  return static_cast<int>(out - destination);
}

u32 DecompressLZRW1KHBlocks(const u8* source, u8* destination, u32 total, u32 capacity) {
  u32 pos = 0, written = 0;
  while (pos < total) {
    Data::CheckData(total - pos >= 2);
    u32 n = source[pos] | static_cast<u32>(source[pos + 1]) << 8;
    pos += 2;
    Data::CheckData(total - pos >= n);
    u32 room = capacity - written;
    written += static_cast<u32>(DecompressLZRW1KH(source + pos, destination + written, static_cast<int>(n),
                                                  room > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(room)));
    pos += n;
  }
  return written;
}

}  // namespace Gfx
