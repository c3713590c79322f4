// Ports, time-outs and limits of the network transport. A transport copies
// the settings when its connection is initialised.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace Plat {

struct TNetSettings {
  // Where a client's enumeration asks when the address names no host, and
  // the UDP port a host answers on. ORVANDIA_ENUM_HOST and ORVANDIA_ENUM_PORT
  // override the defaults.
  std::string EnumHost = "255.255.255.255";
  std::uint16_t EnumPort = 47624;
  // The local address a host serves on when the address names none.
  std::string BindHost = "0.0.0.0";
  std::uint32_t EnumTimeoutMs = 500;  // an enumeration's time-out when the caller passes 0
  std::uint32_t ConnectTimeoutMs = 5000;
  std::uint32_t HeartbeatMs = 1000;
  std::uint32_t SilenceTimeoutMs = 10000;  // a peer heard from for this long is lost
  std::size_t MaxQueuedBytes = 16u << 20;  // all receive queues of one transport
  std::size_t MaxQueuedMessages = 100000;
  std::size_t MaxSendBacklogBytes = 16u << 20;  // unsent bytes of one connection
  std::uint32_t MaxConnections = 32;
  // Connections that have not joined yet: at most this many at a time (a
  // newer one takes the place of the oldest), each for at most this long
  // whatever it sends, so that they cannot keep players out.
  std::uint32_t MaxPendingConnections = 8;
  std::uint32_t JoinDeadlineMs = 3000;
  // Lines about refused and dropped connections that never joined; the rest
  // of a second's lines are counted and reported as one.
  std::uint32_t MaxConnectionLogLinesPerSecond = 10;
  std::uint32_t MaxEnumRepliesPerSecond = 100;
  // Why a peer was dropped or a session lost; stderr unless replaced.
  std::function<void(const std::string&)> Log;
  // Sees every frame and datagram sent (tests record real traffic).
  std::function<void(std::span<const std::uint8_t>)> Tap;
};

// The settings new transports copy; tests change them before connecting.
TNetSettings& NetSettings();

}  // namespace Plat
