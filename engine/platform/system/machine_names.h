// The names a machine and its user go by on the network; empty when the
// system does not tell. At most 255 characters each.
#pragma once

#include <string>

namespace Plat {

std::string ComputerName();
std::string UserName();

}  // namespace Plat
