#include "engine/platform/window/message_queue.h"

#include <algorithm>

namespace Plat {

void TMessageQueue::Post(const TMsg& msg) {
  std::lock_guard<std::mutex> guard(Lock);
  Items.push_back(msg);
}

bool TMessageQueue::Peek(TMsg& msg) const {
  std::lock_guard<std::mutex> guard(Lock);
  if (Items.empty()) return false;
  msg = Items.front();
  return true;
}

bool TMessageQueue::Take(TMsg& msg) {
  std::lock_guard<std::mutex> guard(Lock);
  if (Items.empty()) return false;
  msg = Items.front();
  Items.pop_front();
  return true;
}

bool TMessageQueue::Empty() const {
  std::lock_guard<std::mutex> guard(Lock);
  return Items.empty();
}

void TMessageQueue::Clear() {
  std::lock_guard<std::mutex> guard(Lock);
  Items.clear();
}

void TMessageQueue::RemoveFor(HWND hWnd) {
  std::lock_guard<std::mutex> guard(Lock);
  std::erase_if(Items, [hWnd](const TMsg& m) { return m.hWnd == hWnd && m.Message != WM_QUIT; });
}

}  // namespace Plat
