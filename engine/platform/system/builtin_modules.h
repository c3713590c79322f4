// The libraries the platform provides in place of loadable ones.
#pragma once

#include <vector>

#include "engine/platform/system/modules.h"

namespace Plat {

struct TBuiltInProc {
  const char* Module;
  const char* Proc;
  TProc Address;
};

const std::vector<TBuiltInProc>& BuiltInProcs();

}  // namespace Plat
