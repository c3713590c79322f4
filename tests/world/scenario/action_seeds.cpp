// Writes fuzzing seeds for the action-message judge: what a remote player's
// thread really receives in a loopback session, the players' posted actions
// of every kind that travels and the session's system messages, each file
// one byte (1: from a player, 0: from the system) and the message.
//
//   action_seeds seeds DIR
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/dpframe/dpframe.h"
#include "tests/engine/dpframe/loopback_address.h"
#include "world/data2/global_data.h"
#include "world/locations/city.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"

namespace {

using DPFrame::DPID;

// The players of this session never plan.
class TIdleOpponent : public GameData::TOpponent {
 public:
  bool AddUnit(GameData::TUnit*) override { return true; }
  bool RemoveUnit(GameData::TUnit*, bool) override { return false; }
  void TakeTurn() override {}
};

GameData::TActionRecord Record(std::initializer_list<u32> words) {
  GameData::TActionRecord r;
  int i = 0;
  for (u32 w : words) r.Words[i++] = w;
  return r;
}

int Seeds(const std::string& dir) {
  Plat::NetSettings().Log = nullptr;
  Plat::NetSettings().EnumTimeoutMs = 100;
  Data2::TGlobalData global{Data2::TGlobalData::TEmpty{}};
  Data2::GlobalData = &global;
  GameData::ConnectOpponent([](GameData::TPlayer*) -> std::unique_ptr<GameData::TOpponent> {
    return std::make_unique<TIdleOpponent>();
  });

  DPFrame::TDPFramework host, client;
  host.InitializeConnection(NetTest::LoopbackAddress("action-seeds"));
  client.InitializeConnection(NetTest::LoopbackAddress("action-seeds"));
  host.HostSession("SEEDS-PC", 0x2044, 8, 100, 0, 0, 0);
  DPID h = 0, c = 0;
  host.CreatePlayer("host", &h);
  client.EnumSessions(0);
  if (client.Sessions.Count() != 1) return 1;
  client.JoinSession(0);
  client.CreatePlayer("guest", &c);

  GameData::TScenario scenario;
  scenario.SetSize(16, 16);
  for (int i = 0; i < 3; ++i) {
    auto* p = new GameData::TPlayer(&scenario);
    p->ID = scenario.NewID();
    scenario.Players.Add(p);
  }
  scenario.Network = &host;
  scenario.NetworkPlayerID = h;
  GameData::TPlayer* poster = scenario.PlayerAt(0);
  using namespace GameData;
  for (const TActionRecord& r :
       {Record({atResult, arDone}), Record({atSelect, 1003}), Record({atMove, 5, 7, 1, 0x0101, 2, 1004, 1}),
        Record({atCastSpell, 1005, 12, 3, 4}), Record({atMakeCamp, 1006}), Record({atBreakCamp, 1006}),
        Record({atMarkUnits, 0x000100}), Record({atEnterCity, 1007}), Record({atLeaveCity}),
        Record({atMoveCityUnit, clUnits, 1008, clDefenders, 0xFFFFFFFF}),
        Record({atBattleOrders, 2, 1, 0, 3, 0, 2, 1, 4, 0, 0, 0, 0, 0}), Record({atVisitMerchant, 3}),
        Record({atPurchase, pkLearnSpell, 1008, 0, 12}), Record({atConversationAnswer, 2001}), Record({atEndTurn})}) {
    poster->PostAction(true, r);
    // A follow-up of this machine's own: numbered, never sent.
    poster->PostResult(arDone);
  }
  host.DestroyPlayer(h);

  int n = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  bool gone = false;
  while (!gone && std::chrono::steady_clock::now() < end) {
    DPID from = 0;
    std::vector<u8> data;
    if (!client.Receive(&from, c, Plat::DPRECEIVE_TOPLAYER, data)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      continue;
    }
    if (from == 0 && data.size() >= 4 && data[0] == Plat::DPSYS_DESTROYPLAYERORGROUP) gone = true;
    const char who = from == 0 ? 0 : 1;
    std::ofstream out(dir + "/seed-" + std::to_string(n++), std::ios::binary);
    out.write(&who, 1);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  }
  client.CloseSession();
  host.CloseSession();
  Data2::GlobalData = nullptr;
  std::printf("%d seeds\n", n);
  return gone && n > 15 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc >= 3 && std::strcmp(argv[1], "seeds") == 0) return Seeds(argv[2]);
  } catch (const std::exception& e) {
    std::printf("ERROR %s\n", e.what());
    return 70;
  }
  std::fprintf(stderr, "usage: action_seeds seeds DIR\n");
  return 64;
}
