// A full disk for the length of a scope: file writes fail once that many
// more bytes were written.
#pragma once

#include <cstdint>

#include "engine/platform/system/files.h"

namespace TestSupport {

class TWriteFault {
 public:
  explicit TWriteFault(std::int64_t bytesLeft) { Plat::SetWriteFaultAfter(bytesLeft); }
  ~TWriteFault() { Plat::SetWriteFaultAfter(-1); }
  TWriteFault(const TWriteFault&) = delete;
  TWriteFault& operator=(const TWriteFault&) = delete;
};

}  // namespace TestSupport
