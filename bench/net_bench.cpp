// Round trip of one 68-byte message host to client and back through the
// transport on 127.0.0.1, against the same transport over the in-process
// loopback and a raw TCP echo between two threads.
#include <benchmark/benchmark.h>

#include <asio/ip/tcp.hpp>
#include <asio/read.hpp>
#include <asio/write.hpp>
#include <thread>

#include "engine/dpframe/dpframe.h"

namespace {

using DPFrame::DPID;

std::vector<u8> LoopbackAddress() {
  const char hub[] = "bench";
  Plat::DPCOMPOUNDADDRESSELEMENT elements[2] = {{Plat::DPAID_ServiceProvider, 16, Plat::DPSPGUID_LOOPBACK.Bytes.data()},
                                                {Plat::DPAID_INet, sizeof hub, hub}};
  Plat::TDirectPlayLobby lobby;
  std::vector<u8> address(256);
  u32 size = static_cast<u32>(address.size());
  lobby.CreateCompoundAddress(elements, 2, address.data(), &size);
  address.resize(size);
  return address;
}

void Take(DPFrame::TDPFramework& t, DPID to, std::vector<u8>& data) {
  DPID from = 0;
  while (!t.Receive(&from, to, Plat::DPRECEIVE_TOPLAYER, data) || from == 0) std::this_thread::yield();
}

void RoundTrip(benchmark::State& state, bool tcp) {
  Plat::NetSettings().Log = nullptr;  // peers leaving at the end are no news here
  DPFrame::TDPFramework host, client;
  host.InitializeConnection(tcp ? host.CreateTCPIPAddress("127.0.0.1:0") : LoopbackAddress());
  host.HostSession("Bench", 0x2044, 8, 100, 1, 2, 0);
  DPID h = 0, c = 0;
  host.CreatePlayer("Host", &h);
  std::string target = "127.0.0.1:" + std::to_string(host.DirectPlay->EnumerationPort());
  client.InitializeConnection(tcp ? client.CreateTCPIPAddress(target.c_str()) : LoopbackAddress());
  for (int i = 0; i < 20 && client.Sessions.Count() == 0; ++i) client.EnumSessions(100);
  client.JoinSession(0);
  client.CreatePlayer("Client", &c);
  std::vector<u8> message(68, 0x5A), got;
  for (auto _ : state) {
    host.Send(h, c, Plat::DPSEND_GUARANTEED, message.data(), 68);
    Take(client, c, got);
    client.Send(c, h, Plat::DPSEND_GUARANTEED, got.data(), 68);
    Take(host, h, got);
  }
  client.CloseSession();
  host.CloseSession();
}

void BM_RoundTripTcp(benchmark::State& state) { RoundTrip(state, true); }
void BM_RoundTripLoopback(benchmark::State& state) { RoundTrip(state, false); }

// The baseline: 68 bytes to a thread that echoes them over a plain socket.
void BM_RawTcpEcho(benchmark::State& state) {
  using asio::ip::tcp;
  asio::io_context io;
  tcp::acceptor acceptor(io, tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0));
  tcp::socket client(io), server(io);
  client.connect(acceptor.local_endpoint());
  acceptor.accept(server);
  client.set_option(tcp::no_delay(true));
  server.set_option(tcp::no_delay(true));
  std::thread echo([&] {
    std::array<u8, 68> buffer;
    std::error_code ec;
    while (asio::read(server, asio::buffer(buffer), ec) == 68 && !ec) asio::write(server, asio::buffer(buffer), ec);
  });
  std::array<u8, 68> message{}, got;
  for (auto _ : state) {
    asio::write(client, asio::buffer(message));
    asio::read(client, asio::buffer(got));
  }
  client.shutdown(tcp::socket::shutdown_both);
  echo.join();
}

BENCHMARK(BM_RawTcpEcho)->UseRealTime();
BENCHMARK(BM_RoundTripLoopback)->UseRealTime();
BENCHMARK(BM_RoundTripTcp)->UseRealTime();

}  // namespace
