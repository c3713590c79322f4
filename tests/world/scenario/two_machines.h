// Two machines of a network game in one process, for tests and benchmarks:
// each with its own scenario and transport, A hosting and playing player 0,
// B joining and playing player 1; and the game's dispatch in outline.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/dpframe/dpframe.h"
#include "tests/engine/dpframe/loopback_address.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"

namespace WorldTest {

struct TMachine {
  std::unique_ptr<GameData::TScenario> Scenario;
  std::unique_ptr<DPFrame::TDPFramework> Net;
  DPFrame::DPID Me = 0;
  // Every record this machine executed, in order.
  std::vector<GameData::TActionRecord> Log;
  GameData::TPlayer* Current() const {
    return Scenario ? Scenario->PlayerAt(Scenario->CurrentPlayerIndex) : nullptr;
  }
};

class TTwoMachines {
 public:
  ~TTwoMachines() { Disconnect(); }

  // On the loopback hub, or on TCP/IP at 127.0.0.1 when the hub is empty.
  // The scenarios need two players at least. False when B finds no session.
  bool Connect(std::unique_ptr<GameData::TScenario> a, std::unique_ptr<GameData::TScenario> b,
               const std::string& hub) {
    A.Scenario = std::move(a);
    B.Scenario = std::move(b);
    for (TMachine* m : {&A, &B}) m->Net = std::make_unique<DPFrame::TDPFramework>();
    if (hub.empty()) {
      A.Net->InitializeConnection(A.Net->CreateTCPIPAddress("127.0.0.1:0"));
    } else {
      A.Net->InitializeConnection(NetTest::LoopbackAddress(hub));
    }
    A.Net->HostSession("Two machines", 0x2044, 8, 100, 0, 0, 0);
    A.Net->CreatePlayer("A", &A.Me);
    if (hub.empty()) {
      const std::string target = "127.0.0.1:" + std::to_string(A.Net->DirectPlay->EnumerationPort());
      B.Net->InitializeConnection(B.Net->CreateTCPIPAddress(target.c_str()));
    } else {
      B.Net->InitializeConnection(NetTest::LoopbackAddress(hub));
    }
    for (int i = 0; i < 20 && B.Net->Sessions.Count() == 0; ++i) B.Net->EnumSessions(50);
    if (B.Net->Sessions.Count() != 1) return false;
    B.Net->JoinSession(0);
    B.Net->CreatePlayer("B", &B.Me);
    for (TMachine* m : {&A, &B}) {
      m->Scenario->Network = m->Net.get();
      m->Scenario->NetworkPlayerID = m->Me;
      m->Scenario->PlayerAt(0)->Kind = m == &A ? GameData::pkHuman : GameData::pkRemote;
      m->Scenario->PlayerAt(1)->Kind = m == &B ? GameData::pkHuman : GameData::pkRemote;
    }
    return true;
  }

  // The scenarios first: their destruction stops the replay threads.
  void Disconnect() {
    for (TMachine* m : {&A, &B}) m->Scenario.reset();
    for (TMachine* m : {&B, &A}) {
      m->Net.reset();
      m->Log.clear();
    }
  }

  static void StartTurn(TMachine& m, i16 index) {
    m.Scenario->CurrentPlayerIndex = index;
    m.Current()->BeginTurn();
  }

  // One update step's dispatch: a move's walk ends at once with a result
  // record that every machine makes for itself; an end of turn hands over
  // between the two players.
  static void Dispatch(TMachine& m) {
    using namespace GameData;
    TPlayer* p = m.Current();
    if (!p || m.Scenario->SessionLost) return;
    TActionRecord r;
    p->TakeAction(r);
    if (r.Type() == atNone) return;
    m.Log.push_back(r);
    switch (r.Type()) {
      case atMove: p->PostResult(arDone); break;
      case atResult: p->SetResult(r.Words[1]); break;
      case atEndTurn:
        p->SetResult(arDone);
        p->EndTurn();
        StartTurn(m, static_cast<i16>((m.Scenario->CurrentPlayerIndex + 1) % 2));
        break;
      default: p->SetResult(arDone);
    }
  }

  // The next record in m's mailbox, taken by the test itself while only the
  // other machine runs its update steps; false on time-out.
  bool TakeNext(TMachine& m, GameData::TActionRecord& r, int timeoutMs = 5000) {
    TMachine& other = &m == &A ? B : A;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      m.Current()->TakeAction(r);
      if (r.Type() != GameData::atNone) return true;
      if (std::chrono::steady_clock::now() > end) return false;
      Dispatch(other);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  // Both machines' update steps until done holds; false on time-out.
  bool Pump(const std::function<bool()>& done, int timeoutMs = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      Dispatch(A);
      Dispatch(B);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }

  // The local human's click, posted once the last action has finished.
  bool Click(TMachine& m, const GameData::TActionRecord& r) {
    if (!Pump([&] { return !m.Scenario->IsBusy(); })) return false;
    m.Current()->PostAction(true, r);
    return true;
  }

  TMachine A, B;
};

}  // namespace WorldTest
