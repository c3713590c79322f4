// Hosts or joins a TCP/IP session at 127.0.0.1 for the two-process tests,
// or records the frames of a loopback session as fuzzing seeds.
//
//   net_peer host [heartbeat-ms silence-ms]  prints "PORT n", echoes each
//                                            68-byte message, ends on message 5
//   net_peer join PORT COUNT [hold [heartbeat-ms]]
//                                            sends COUNT messages, checks the
//                                            echoes; with hold waits to be killed
//   net_peer seeds DIR
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/dpframe/dpframe.h"

namespace {

using DPFrame::DPID;
using Clock = std::chrono::steady_clock;

std::vector<u8> Message(u32 tag, u32 seq) {
  std::vector<u8> m(68);
  u32 words[3] = {tag, seq, ~seq};
  std::memcpy(m.data(), words, sizeof words);
  return m;
}

u32 Word(const std::vector<u8>& data, int i) {
  u32 v = 0;
  if (data.size() >= 4u * (i + 1)) std::memcpy(&v, data.data() + 4 * i, 4);
  return v;
}

// Waits at most limitMs for the next message to `to`.
bool Next(DPFrame::TDPFramework& t, DPID to, DPID& from, std::vector<u8>& data, int limitMs) {
  auto end = Clock::now() + std::chrono::milliseconds(limitMs);
  while (Clock::now() < end) {
    if (t.Receive(&from, to, Plat::DPRECEIVE_TOPLAYER, data)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

int Host(int argc, char** argv) {
  if (argc >= 4) {
    Plat::NetSettings().HeartbeatMs = static_cast<u32>(std::atoi(argv[2]));
    Plat::NetSettings().SilenceTimeoutMs = static_cast<u32>(std::atoi(argv[3]));
  }
  DPFrame::TDPFramework t;
  t.InitializeConnection(t.CreateTCPIPAddress("127.0.0.1:0"));
  t.HostSession("Two processes", 0x2044, 8, 100, 1, 2, 0);
  DPID me = 0, client = 0;
  t.CreatePlayer("Host", &me);
  std::printf("PORT %u\n", t.DirectPlay->EnumerationPort());
  std::fflush(stdout);
  u32 expected = 0;
  DPID from = 0;
  std::vector<u8> data;
  while (Next(t, me, from, data, 30000)) {
    if (from == 0) {
      u32 code = Word(data, 0);
      if (code == Plat::DPSYS_CREATEPLAYERORGROUP) client = Word(data, 2);
      if (code == Plat::DPSYS_DESTROYPLAYERORGROUP) {
        bool theClient = Word(data, 2) == client;
        std::printf("GONE %s after %u messages\n", theClient ? "client" : "someone else", expected);
        std::fflush(stdout);
        return theClient ? 0 : 1;
      }
      if (code == Plat::DPSYS_SESSIONLOST) return 3;
      continue;
    }
    if (data.size() != 68 || from != client || Word(data, 0) != 1 || Word(data, 1) != expected) {
      std::printf("OUT OF ORDER at %u\n", expected);
      return 2;
    }
    auto echo = Message(2, expected++);
    t.Send(me, from, Plat::DPSEND_GUARANTEED, echo.data(), 68);
  }
  std::printf("NOTHING FOR 30 s\n");
  return 4;
}

int Join(int argc, char** argv) {
  if (argc < 4) return 64;
  bool hold = argc >= 5 && std::strcmp(argv[4], "hold") == 0;
  // Beats well within the host's silence time-out keep a held client in.
  if (argc >= 6) Plat::NetSettings().HeartbeatMs = static_cast<u32>(std::atoi(argv[5]));
  u32 count = static_cast<u32>(std::atoi(argv[3]));
  std::string target = std::string("127.0.0.1:") + argv[2];
  DPFrame::TDPFramework t;
  t.InitializeConnection(t.CreateTCPIPAddress(target.c_str()));
  // Asks again until the host answers, however busy the machine.
  const auto end = Clock::now() + std::chrono::seconds(30);
  while (t.Sessions.Count() == 0 && Clock::now() < end) t.EnumSessions(200);
  if (t.Sessions.Count() != 1) {
    std::printf("NO SESSION\n");
    return 1;
  }
  t.JoinSession(0);
  DPID me = 0;
  t.CreatePlayer("Client", &me);
  for (u32 i = 0; i < count; ++i) {
    auto m = Message(1, i);
    t.Send(me, 0, Plat::DPSEND_GUARANTEED, m.data(), 68);
  }
  DPID from = 0;
  std::vector<u8> data;
  for (u32 i = 0; i < count;) {
    if (!Next(t, me, from, data, 30000)) {
      std::printf("NO ECHO %u\n", i);
      return 2;
    }
    if (from == 0) continue;
    if (data.size() != 68 || Word(data, 0) != 2 || Word(data, 1) != i) {
      std::printf("BAD ECHO %u\n", i);
      return 3;
    }
    ++i;
  }
  std::printf("ECHOED %u\n", count);
  if (hold) {
    std::printf("READY\n");
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::seconds(60));
    return 5;
  }
  std::fflush(stdout);
  t.DestroyPlayer(me);
  t.CloseSession();
  return 0;
}

// Records the frames and datagrams of a short loopback session.
int Seeds(const char* dir) {
  int n = 0;
  Plat::NetSettings().Tap = [&](std::span<const std::uint8_t> bytes) {
    std::ofstream(std::string(dir) + "/seed-" + std::to_string(n++), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  };
  Plat::NetSettings().EnumTimeoutMs = 100;
  Plat::NetSettings().Log = nullptr;
  const char hub[] = "seeds";
  Plat::DPCOMPOUNDADDRESSELEMENT elements[2] = {{Plat::DPAID_ServiceProvider, 16, Plat::DPSPGUID_LOOPBACK.Bytes.data()},
                                                {Plat::DPAID_INet, sizeof hub, hub}};
  Plat::TDirectPlayLobby lobby;
  std::vector<u8> address(512);
  u32 size = static_cast<u32>(address.size());
  lobby.CreateCompoundAddress(elements, 2, address.data(), &size);
  address.resize(size);

  DPFrame::TDPFramework host, client;
  host.InitializeConnection(address);
  client.InitializeConnection(address);
  host.HostSession("SEEDS-PC", 0x2044, 8, 100, 4711, 3, 0);
  DPID h = 0, c = 0;
  host.CreatePlayer("user (SEEDS-PC)", &h);
  client.EnumSessions(0);
  if (client.Sessions.Count() != 1) return 1;
  client.JoinSession(0);
  client.CreatePlayer("guest (OTHER-PC)", &c);
  const u8 lobbyData[8] = {2, 0, 0, 0, 1, 0, 0, 0};
  client.SetPlayerData(c, lobbyData, 8, Plat::DPSET_GUARANTEED);
  host.SetPlayerData(h, lobbyData, 8, Plat::DPSET_GUARANTEED);
  DPFrame::DPSESSIONDESC2 desc;
  host.GetSessionDesc(&desc);
  desc.dwFlags |= 0x21;
  host.SetSessionDesc(&desc);
  for (u32 i = 0; i < 3; ++i) {
    auto m = Message(1, i);
    client.Send(c, 0, Plat::DPSEND_GUARANTEED, m.data(), 68);
    host.Send(h, c, Plat::DPSEND_GUARANTEED, m.data(), 68);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  client.DestroyPlayer(c);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  host.CloseSession();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  client.CloseSession();
  std::printf("%d seeds\n", n);
  return n > 10 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc >= 2 && std::strcmp(argv[1], "host") == 0) return Host(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "join") == 0) return Join(argc, argv);
    if (argc >= 3 && std::strcmp(argv[1], "seeds") == 0) return Seeds(argv[2]);
  } catch (const std::exception& e) {
    std::printf("ERROR %s\n", e.what());
    return 70;
  }
  std::fprintf(stderr, "usage: net_peer host [heartbeat-ms silence-ms] | join PORT COUNT [hold [heartbeat-ms]] | seeds DIR\n");
  return 64;
}
