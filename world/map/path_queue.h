// The work queue of the path searches: a ring of fields with a fixed
// capacity. A full ring ends the search with "Queue overflow.", at the same
// point on every machine.
#pragma once

#include <stdexcept>
#include <vector>

#include "engine/base/types.h"

namespace GameData {

class TFieldQueue {
 public:
  explicit TFieldQueue(i32 capacity) : Ring(static_cast<std::size_t>(capacity) + 1) {}

  void Reset() { Head = Tail = 0; }
  bool IsEmpty() const { return Head == Tail; }
  void Push(i32 x, i32 y) {
    u32 next = Tail + 1 == Ring.size() ? 0 : Tail + 1;
    if (next == Head) throw std::runtime_error("Queue overflow.");
    Ring[Tail] = static_cast<u32>(x) | static_cast<u32>(y) << 16;
    Tail = next;
  }
  void Pop(i32& x, i32& y) {
    u32 v = Ring[Head];
    Head = Head + 1 == Ring.size() ? 0 : Head + 1;
    x = static_cast<i32>(v & 0xFFFF);
    y = static_cast<i32>(v >> 16);
  }

 private:
  std::vector<u32> Ring;
  u32 Head = 0;
  u32 Tail = 0;
};

}  // namespace GameData
