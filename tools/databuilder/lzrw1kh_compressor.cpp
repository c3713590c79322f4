#include "tools/databuilder/lzrw1kh_compressor.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace Builder {

namespace {

constexpr std::size_t MaxBlockInput = 16384;
constexpr std::size_t MaxOffset = 4095;
constexpr std::size_t MinCopy = 3, MaxCopy = 18;
constexpr std::size_t MinRun = 16, MaxRun = 4111;

class TBlockWriter {
 public:
  TBlockWriter() : Out(1, '\0') {}
  void Literal(u8 byte) {
    Step(false);
    Out += static_cast<char>(byte);
  }
  void Copy(std::size_t offset, std::size_t count) {
    Step(true);
    Out += static_cast<char>(offset >> 4);
    Out += static_cast<char>((offset & 0x0F) << 4 | (count - MinCopy));
  }
  void Run(u8 byte, std::size_t count) {
    Step(true);
    std::size_t n = count - MinRun;
    Out += '\0';
    Out += static_cast<char>(n >> 8);
    Out += static_cast<char>(n & 0xFF);
    Out += static_cast<char>(byte);
  }
  std::string Finish() {
    Flush();
    return Out;
  }

 private:
  // A control word is started only when an item follows it.
  void Step(bool item) {
    if (Used == 16) {
      Flush();
      ControlAt = Out.size();
      Out.append(2, '\0');
      Control = 0;
      Used = 0;
    }
    if (item) Control = static_cast<u16>(Control | 0x8000 >> Used);
    ++Used;
  }
  void Flush() {
    if (ControlAt == 0) return;
    Out[ControlAt] = static_cast<char>(Control >> 8);
    Out[ControlAt + 1] = static_cast<char>(Control & 0xFF);
  }
  std::string Out;
  std::size_t ControlAt = 0;
  u16 Control = 0;
  int Used = 16;
};

}  // namespace

std::string CompressLZRW1KH(const u8* data, std::size_t length) {
  TBlockWriter block;
  std::vector<std::size_t> recent(4096, SIZE_MAX);
  std::size_t pos = 0;
  while (pos < length) {
    std::size_t run = 1;
    while (pos + run < length && run < MaxRun && data[pos + run] == data[pos]) ++run;
    if (run >= MinRun) {
      block.Run(data[pos], run);
      pos += run;
      continue;
    }
    std::size_t best = 0, offset = 0;
    if (pos + MinCopy <= length) {
      std::size_t hash = ((data[pos] << 8) ^ (data[pos + 1] << 4) ^ data[pos + 2]) & 0xFFF;
      std::size_t candidate = recent[hash];
      recent[hash] = pos;
      if (candidate != SIZE_MAX && pos - candidate <= MaxOffset) {
        std::size_t limit = std::min(MaxCopy, length - pos);
        while (best < limit && data[candidate + best] == data[pos + best]) ++best;
        offset = pos - candidate;
      }
    }
    if (best >= MinCopy) {
      block.Copy(offset, best);
      pos += best;
    } else {
      block.Literal(data[pos++]);
    }
  }
  std::string out = block.Finish();
  if (out.size() <= length) return out;
  std::string stored(1, '\x80');
  stored.append(reinterpret_cast<const char*>(data), length);
  return stored;
}

std::string CompressLZRW1KHBlocks(const u8* data, std::size_t length) {
  std::string out;
  for (std::size_t pos = 0; pos < length; pos += MaxBlockInput) {
    std::string block = CompressLZRW1KH(data + pos, std::min(MaxBlockInput, length - pos));
    out += static_cast<char>(block.size() & 0xFF);
    out += static_cast<char>(block.size() >> 8);
    out += block;
  }
  return out;
}

}  // namespace Builder
