// The address of the in-process loopback provider on a named hub: transports
// of one process that use the same hub meet there.
#pragma once

#include <string>
#include <vector>

#include "engine/base/types.h"
#include "engine/platform/net/direct_play.h"

namespace NetTest {

inline std::vector<u8> LoopbackAddress(const std::string& hub) {
  Plat::DPCOMPOUNDADDRESSELEMENT elements[2] = {{Plat::DPAID_ServiceProvider, 16, Plat::DPSPGUID_LOOPBACK.Bytes.data()},
                                                {Plat::DPAID_INet, static_cast<u32>(hub.size() + 1), hub.c_str()}};
  Plat::TDirectPlayLobby lobby;
  u32 size = 0;
  lobby.CreateCompoundAddress(elements, 2, nullptr, &size);
  std::vector<u8> out(size);
  lobby.CreateCompoundAddress(elements, 2, out.data(), &size);
  return out;
}

}  // namespace NetTest
