#include "engine/platform/system/builtin_modules.h"

#include "engine/platform/display/display.h"

namespace Plat {

const std::vector<TBuiltInProc>& BuiltInProcs() {
  static const std::vector<TBuiltInProc> procs = {
      {"ddraw.dll", "DirectDrawCreateEx", reinterpret_cast<TProc>(&TDisplay::Create)},
      {"ddraw.dll", "DirectDrawEnumerateExA", reinterpret_cast<TProc>(&DisplayEnumerateProc)},
  };
  return procs;
}

}  // namespace Plat
