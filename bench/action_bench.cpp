// An action's round trip between two machines on 127.0.0.1 through the
// players: the host's human ends the turn, the client replays it on the
// remote player's thread, its human ends its own turn, and the host replays
// that. The baseline in the same run is one 68-byte message there and back
// through the same transports without the players.
#include <benchmark/benchmark.h>

#include "ai/ai_handler.h"
#include "tests/world/scenario/two_machines.h"

namespace {

using namespace GameData;
using WorldTest::TTwoMachines;

std::unique_ptr<TScenario> TwoPlayerScenario() {
  auto s = std::make_unique<TScenario>();
  s->SetSize(16, 16);
  for (int i = 0; i < 2; ++i) {
    auto* p = new TPlayer(s.get());
    p->ID = s->NewID();
    s->Players.Add(p);
  }
  return s;
}

bool ConnectOnTcp(TTwoMachines& m) {
  Plat::NetSettings().Log = nullptr;  // peers leaving at the end are no news here
  AIHandler::ConnectToWorld();
  return m.Connect(TwoPlayerScenario(), TwoPlayerScenario(), "");
}

void BM_ActionRoundTripThroughPlayers(benchmark::State& state) {
  TTwoMachines m;
  if (!ConnectOnTcp(m)) return state.SkipWithError("no session");
  TTwoMachines::StartTurn(m.A, 0);
  TTwoMachines::StartTurn(m.B, 0);
  TActionRecord end;
  end.Words[0] = atEndTurn;
  for (auto _ : state) {
    m.A.Current()->PostAction(true, end);
    if (!m.Pump([&] { return m.B.Scenario->CurrentPlayerIndex == 1; })) return state.SkipWithError("no replay");
    m.B.Current()->PostAction(true, end);
    if (!m.Pump([&] { return m.A.Scenario->CurrentPlayerIndex == 0 && m.B.Scenario->CurrentPlayerIndex == 0; }))
      return state.SkipWithError("no replay back");
  }
}

void BM_MessageRoundTripThroughTransport(benchmark::State& state) {
  TTwoMachines m;
  if (!ConnectOnTcp(m)) return state.SkipWithError("no session");
  const std::vector<u8> message = TActionMessage{}.Encode();
  std::vector<u8> got;
  auto take = [&](DPFrame::TDPFramework& net, DPFrame::DPID to) {
    DPFrame::DPID from = 0;
    while (!net.Receive(&from, to, Plat::DPRECEIVE_TOPLAYER, got) || from == 0) std::this_thread::yield();
  };
  for (auto _ : state) {
    m.A.Net->Send(m.A.Me, m.B.Me, Plat::DPSEND_GUARANTEED, message.data(), 68);
    take(*m.B.Net, m.B.Me);
    m.B.Net->Send(m.B.Me, m.A.Me, Plat::DPSEND_GUARANTEED, got.data(), 68);
    take(*m.A.Net, m.A.Me);
  }
}

BENCHMARK(BM_MessageRoundTripThroughTransport)->UseRealTime();
BENCHMARK(BM_ActionRoundTripThroughPlayers)->UseRealTime();

}  // namespace
