// The TCP/IP provider: a host listens on TCP and answers enumeration queries
// on UDP; joining is a TCP connection.
#pragma once

#include <memory>
#include <string>

#include "engine/platform/net/net_link.h"
#include "engine/platform/net/net_loop.h"
#include "engine/platform/net/net_settings.h"

namespace Plat {

// hostSpec: "host" or "host:port" from the address, empty for the defaults.
std::unique_ptr<TNetProvider> MakeTcpProvider(TNetLoop& loop, TNetEndpoint& endpoint, const TNetSettings& settings,
                                              const std::string& hostSpec);

// Splits "host:port"; false when the port is not a number from 0 to 65535.
bool SplitHostPort(const std::string& spec, std::string& host, std::uint16_t& port, bool& hasPort);

}  // namespace Plat
