// The in-process provider: transports of one process meet on a named hub,
// with no sockets. Frames still go through the wire format.
#pragma once

#include <memory>
#include <string>

#include "engine/platform/net/net_link.h"
#include "engine/platform/net/net_loop.h"
#include "engine/platform/net/net_settings.h"

namespace Plat {

std::unique_ptr<TNetProvider> MakeLoopbackProvider(TNetLoop& loop, TNetEndpoint& endpoint, const TNetSettings& settings,
                                                   const std::string& hubName);

}  // namespace Plat
