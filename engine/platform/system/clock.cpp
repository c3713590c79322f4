#include "engine/platform/system/clock.h"

#include <chrono>
#include <thread>

namespace Plat {

std::uint32_t TSystemClock::TimeGetTime() {
  using namespace std::chrono;
  auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  return static_cast<std::uint32_t>(ms);
}

void TSystemClock::Sleep(std::uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

namespace {
// Never destroyed: threads that outlive main (an exit on a lost display)
// may still ask for the time.
TSystemClock* const systemClock = new TSystemClock;
TClock* current = systemClock;
}  // namespace

TClock& Clock() { return *current; }
void SetClock(TClock* clock) { current = clock ? clock : systemClock; }

}  // namespace Plat
