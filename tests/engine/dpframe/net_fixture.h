// Transports for tests: on the in-process loopback hub or on TCP/IP at
// 127.0.0.1 with ephemeral ports, short heartbeats and bounded waits. The
// waits end as soon as their condition holds; their bounds and the time-outs
// leave room for a machine so busy that a thread sleeps for seconds.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/dpframe/dpframe.h"
#include "engine/platform/net/net_settings.h"
#include "tests/engine/dpframe/loopback_address.h"

namespace NetTest {

enum class TProvider { Loopback, Tcp };

inline std::string ProviderName(const ::testing::TestParamInfo<TProvider>& info) {
  return info.param == TProvider::Loopback ? "Loopback" : "Tcp";
}

struct TMessage {
  DPFrame::DPID From = 0;
  std::vector<u8> Data;
  u32 Code() const {
    u32 v = 0;
    if (Data.size() >= 4) std::memcpy(&v, Data.data(), 4);
    return v;
  }
  u32 Word(int i) const {
    u32 v = 0;
    if (Data.size() >= 4u * (i + 1)) std::memcpy(&v, Data.data() + 4 * i, 4);
    return v;
  }
};

// A 68-byte message whose words are (tag, sequence, then filler).
inline std::vector<u8> Payload(u32 tag, u32 seq) {
  std::vector<u8> m(68);
  for (u32 i = 0; i < 17; ++i) {
    u32 w = i == 0 ? tag : i == 1 ? seq : tag * 1000 + i;
    std::memcpy(m.data() + 4 * i, &w, 4);
  }
  return m;
}

class TNetFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Saved = Plat::NetSettings();
    auto& s = Plat::NetSettings();
    // A short enumeration, repeated until it finds the host.
    s.EnumTimeoutMs = 150;
    s.ConnectTimeoutMs = 20000;
    s.HeartbeatMs = 50;
    // Tests of the time-outs set short ones themselves.
    s.SilenceTimeoutMs = 20000;
    s.JoinDeadlineMs = 20000;
    s.Log = [this](const std::string& line) {
      std::lock_guard lock(LogMutex);
      LogLines.push_back(line);
    };
    Hub = "hub-" + std::to_string(++HubCounter);
  }
  void TearDown() override { Plat::NetSettings() = Saved; }

  // A transport for the provider; a host serves on an ephemeral port, a
  // client asks the given host's port.
  std::unique_ptr<DPFrame::TDPFramework> Transport(TProvider provider, const DPFrame::TDPFramework* host = nullptr) {
    auto t = std::make_unique<DPFrame::TDPFramework>();
    if (provider == TProvider::Tcp) {
      std::string spec = "127.0.0.1:" + std::to_string(host ? host->DirectPlay->EnumerationPort() : 0);
      t->InitializeConnection(t->CreateTCPIPAddress(spec.c_str()));
    } else {
      t->InitializeConnection(LoopbackAddress(Hub));
    }
    return t;
  }

  // Hosts "Test" as the lobby does and creates the host's player.
  DPFrame::DPID HostWithPlayer(DPFrame::TDPFramework& host, u32 maxPlayers = 8) {
    host.HostSession("Test", 0x2044, maxPlayers, 100, 7, 2, 0);
    DPFrame::DPID id = 0;
    host.CreatePlayer("Host", &id);
    return id;
  }

  // Enumerates until the host's session is listed, for at most WaitMs.
  static void Enumerate(DPFrame::TDPFramework& client) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitMs);
    do client.EnumSessions(0);
    while (client.Sessions.Count() == 0 && std::chrono::steady_clock::now() < end);
    ASSERT_EQ(client.Sessions.Count(), 1);
  }

  // Finds the session by enumeration and joins it.
  void Join(DPFrame::TDPFramework& client) {
    ASSERT_NO_FATAL_FAILURE(Enumerate(client));
    client.JoinSession(0);
  }

  DPFrame::DPID JoinWithPlayer(DPFrame::TDPFramework& client, const char* name) {
    Join(client);
    DPFrame::DPID id = 0;
    client.CreatePlayer(name, &id);
    return id;
  }

  // How long a wait for something that must come lasts at most.
  static constexpr int WaitMs = 20000;

  // The next message for a player, waiting at most timeoutMs.
  static std::optional<TMessage> Next(DPFrame::TDPFramework& t, DPFrame::DPID to, int timeoutMs = WaitMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    TMessage m;
    do {
      if (t.Receive(&m.From, to, Plat::DPRECEIVE_TOPLAYER, m.Data)) return m;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (std::chrono::steady_clock::now() < end);
    return std::nullopt;
  }

  // Skips messages until a system message with the code arrives.
  static std::optional<TMessage> NextSystem(DPFrame::TDPFramework& t, DPFrame::DPID to, u32 code,
                                            int timeoutMs = WaitMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
      auto m = Next(t, to, 20);
      if (m && m->From == 0 && m->Code() == code) return m;
    }
    return std::nullopt;
  }

  bool Logged(const std::string& part) {
    std::lock_guard lock(LogMutex);
    for (const auto& l : LogLines)
      if (l.find(part) != std::string::npos) return true;
    return false;
  }

  int LogCount() {
    std::lock_guard lock(LogMutex);
    return static_cast<int>(LogLines.size());
  }

  Plat::TNetSettings Saved;
  std::string Hub;
  std::mutex LogMutex;
  std::vector<std::string> LogLines;
  static inline int HubCounter = 0;
};

}  // namespace NetTest
