#include "engine/platform/net/net_settings.h"

#include <cstdio>
#include <cstdlib>

namespace Plat {

namespace {

TNetSettings Defaults() {
  TNetSettings s;
  if (const char* host = std::getenv("ORVANDIA_ENUM_HOST"); host && *host) s.EnumHost = host;
  if (const char* port = std::getenv("ORVANDIA_ENUM_PORT"); port && *port) {
    char* end = nullptr;
    unsigned long v = std::strtoul(port, &end, 10);
    if (*end == 0 && v > 0 && v < 65536) s.EnumPort = static_cast<std::uint16_t>(v);
  }
  s.Log = [](const std::string& line) { std::fprintf(stderr, "Network: %s\n", line.c_str()); };
  return s;
}

}  // namespace

TNetSettings& NetSettings() {
  static TNetSettings settings = Defaults();
  return settings;
}

}  // namespace Plat
