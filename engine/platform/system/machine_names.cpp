#include "engine/platform/system/machine_names.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace Plat {

namespace {

constexpr std::size_t MaxNameLength = 255;

std::string Cut(std::string name) {
  if (name.size() > MaxNameLength) name.resize(MaxNameLength);
  return name;
}

}  // namespace

std::string ComputerName() {
  char buffer[MaxNameLength + 2] = {};
  if (gethostname(buffer, sizeof buffer - 1) != 0) return {};
  return Cut(buffer);
}

std::string UserName() {
  if (const char* user = std::getenv("USER"); user && *user) return Cut(user);
  std::vector<char> scratch(4096);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, scratch.data(), scratch.size(), &found) != 0 || !found || !found->pw_name)
    return {};
  return Cut(found->pw_name);
}

}  // namespace Plat
