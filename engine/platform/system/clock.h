// The millisecond clock and Sleep. Tests install a fake clock so the frame
// loop can be driven step by step without waiting.
#pragma once

#include <cstdint>

namespace Plat {

class TClock {
 public:
  virtual ~TClock() = default;
  // Milliseconds since an arbitrary start; wraps modulo 2^32.
  virtual std::uint32_t TimeGetTime() = 0;
  virtual void Sleep(std::uint32_t ms) = 0;
};

class TSystemClock final : public TClock {
 public:
  std::uint32_t TimeGetTime() override;
  void Sleep(std::uint32_t ms) override;
};

// A clock that moves only when told to. Sleep advances it only when
// AdvanceOnSleep is set, so a test can hold time still across renders.
class TFakeClock final : public TClock {
 public:
  explicit TFakeClock(std::uint32_t start = 0) : Now(start) {}
  std::uint32_t TimeGetTime() override {
    std::uint32_t t = Now;
    Now += StepPerRead;
    return t;
  }
  void Sleep(std::uint32_t ms) override {
    ++SleepCalls;
    SleptMs += ms;
    if (AdvanceOnSleep) Now += ms;
  }
  void Advance(std::uint32_t ms) { Now += ms; }

  std::uint32_t Now;
  std::uint32_t StepPerRead = 0;  // lets a spinning loop see time pass
  bool AdvanceOnSleep = false;
  int SleepCalls = 0;
  std::uint64_t SleptMs = 0;
};

// The clock every system part uses; the system clock unless replaced.
TClock& Clock();
// Installs a clock (not owned); null puts the system clock back.
void SetClock(TClock* clock);

}  // namespace Plat
