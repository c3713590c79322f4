// A thread-safe FIFO of window messages: any thread may post, the main thread
// takes them out.
#pragma once

#include <deque>
#include <mutex>

#include "engine/platform/window/wintypes.h"

namespace Plat {

class TMessageQueue {
 public:
  void Post(const TMsg& msg);
  // Copies the front message without removing it; false when empty.
  bool Peek(TMsg& msg) const;
  bool Take(TMsg& msg);
  bool Empty() const;
  void Clear();
  // Drops every message addressed to the window (it was destroyed).
  void RemoveFor(HWND hWnd);

 private:
  mutable std::mutex Lock;
  std::deque<TMsg> Items;
};

}  // namespace Plat
