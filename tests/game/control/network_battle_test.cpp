// A battle in a network game must come out the same on every machine. The
// host plays player 1 and the computer's players; its human attacks and gives
// orders on the battle screen. What the host sends is kept, and a second
// machine of the same game (a fresh game of the same seed that joined) is
// fed it: it holds every player as remote and must end in the same state,
// whether it shows the battle or resolves it unseen. Both machines live in
// this process one after the other, each with a stand-in for the other on
// the loopback hub or on TCP/IP at 127.0.0.1.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/dpframe/dpframe.h"
#include "engine/platform/net/net_settings.h"
#include "frontend/game_params.h"
#include "frontend/loading_screen.h"
#include "game/battle/fight_dialog.h"
#include "tests/engine/dpframe/loopback_address.h"
#include "tests/game/game_fixture.h"
#include "world/data2/global_data.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace GameTest {
namespace {

using namespace GameData;

enum class TLink { Loopback, Tcp };

// The host's last word to the stand-in: everything before it has come.
constexpr u8 EndMark[] = {'E', 'N', 'D'};

struct TMachine {
  std::vector<std::vector<u32>> Executed;
  u32 Actions = 0;
  u64 Hash = 0;
  bool BattleShown = false;
  bool SessionLost = false;
  std::string Reason;
};

// What the rules decide: the players' gold, every group with its units' hit
// points, mana, action points and experience, the corpses, the action
// counter and the main random stream. Pictures, the creatures a viewer has
// seen and the computer players' plans are each machine's own.
u64 RulesHash() {
  const TScenario& s = *Game->Scenario;
  u64 h = 1469598103934665603ull;
  auto mix = [&h](i64 v) {
    for (int i = 0; i < 8; ++i) h = (h ^ static_cast<u8>(v >> (8 * i))) * 1099511628211ull;
  };
  mix(s.ActionCounter);
  for (i32 i = 0; i < s.PlayerCount(); ++i) mix(s.PlayerAt(i)->Gold);
  for (const TMapObject* o : s.MapObjects) {
    mix(o->ID), mix(o->Type);
    if (o->Type != otGroup) continue;
    const auto* g = static_cast<const TGroup*>(o);
    mix(g->OwnerIndex), mix(g->X), mix(g->Y);
    for (const TUnit* u : g->Units)
      if (u)
        mix(u->ID), mix(u->Effective.HitPoints.Current), mix(u->Effective.Mana.Current),
            mix(u->Effective.ActionPoints.Current), mix(u->Base.Experiences), mix(u->Base.Level);
  }
  mix(RandomMain.Low);
  mix(RandomMain.High);
  return h;
}

class NetworkBattle : public TGameFixture, public ::testing::WithParamInterface<TLink> {
 protected:
  void SetUp() override {
    TGameFixture::SetUp();
    SavedNet = Plat::NetSettings();
    Plat::NetSettings().Log = [](const std::string&) {};
  }
  void TearDown() override {
    // The game first: it stops the replay threads that read the transport.
    TGameFixture::TearDown();
    Mine.reset();
    Other.reset();
    Plat::NetSettings() = SavedNet;
  }

  // Mine joins Other's session, or hosts one that Other joins.
  void Connect(bool host) {
    Mine = std::make_unique<DPFrame::TDPFramework>();
    Other = std::make_unique<DPFrame::TDPFramework>();
    DPFrame::TDPFramework& first = host ? *Mine : *Other;
    DPFrame::TDPFramework& second = host ? *Other : *Mine;
    const std::string hub = "network-battle-" + std::to_string(++HubCounter);
    if (GetParam() == TLink::Loopback)
      first.InitializeConnection(NetTest::LoopbackAddress(hub));
    else
      first.InitializeConnection(first.CreateTCPIPAddress("127.0.0.1:0"));
    first.HostSession("Schlacht", 0x2044, 8, 100, 0, 0, 0);
    first.CreatePlayer("A", host ? &MineID : &OtherID);
    if (GetParam() == TLink::Loopback) {
      second.InitializeConnection(NetTest::LoopbackAddress(hub));
    } else {
      const std::string target = "127.0.0.1:" + std::to_string(first.DirectPlay->EnumerationPort());
      second.InitializeConnection(second.CreateTCPIPAddress(target.c_str()));
    }
    for (int i = 0; i < 200 && second.Sessions.Count() == 0; ++i) second.EnumSessions(50);
    ASSERT_EQ(second.Sessions.Count(), 1);
    second.JoinSession(0);
    second.CreatePlayer("B", host ? &OtherID : &MineID);
  }

  // A fresh game of mission 1 on this machine, connected, prepared alike on
  // both machines and started as a network game.
  void Start(bool host, u8 gameType, const std::function<void(TScenario&)>& prepare, TMachine& m) {
    Headless.reset();
    Mine.reset();
    Other.reset();
    Headless = std::make_unique<Main::THeadlessGame>(7);
    delete VideoWindow;
    VideoWindow = Videos = new TVideoRecorder;
    const Data2::TGlobalData& global = *Data2::GlobalData;
    LoadingScreen->RunMethod([&global] { Game->LoadScenario(global.MissionFiles[0], 1); });
    Connect(host);
    S().Network = Mine.get();
    prepare(S());
    Main::TGameParams params;
    params.GameType = gameType;
    params.NetworkID = MineID;
    for (i32 i = 0; i < 5; ++i) params.Players[i].Kind = !host ? pkRemote : i == 1 ? pkHuman : pkComputer;
    Headless->OnAction = [&m](const TActionRecord& r, u64) {
      m.Executed.emplace_back(std::begin(r.Words), std::end(r.Words));
      if (r.Type() == atBattleOrders && Game->FightDialog->BattleShown()) m.BattleShown = true;
    };
    Game->StartGame(params);
    Game->Activate();
  }

  void Finish(TMachine& m) {
    Headless->OnAction = nullptr;
    m.SessionLost = !Headless->Running() || S().SessionLost;
    if (!Headless->Running()) return;
    if (S().SessionLost) m.Reason = S().SessionLostReason;
    m.Actions = S().ActionCounter;
    m.Hash = RulesHash();
  }

  // The host's human selects its group and attacks; the battle screen takes
  // clicked attacks in every second round and automatic orders in the others.
  TMachine PlayHost(const std::function<void(TScenario&)>& prepare, std::vector<std::vector<u8>>& sent) {
    TMachine m;
    Start(true, Main::NetworkPlayer, prepare, m);
    Headless->Settle();
    Headless->OnBattle = [](Main::TFightDialog& b) {
      if (b.Rounds % 2 == 0) return;
      const i32 own = b.State == 0 ? 0 : 3, foes = 3 - own;
      for (i32 c = own; c < own + 3; ++c)
        for (i32 f = foes; f < foes + 3; ++f)
          if (b.Fight.IsCombatantAlive(c) && b.Fight.IsCombatantAlive(f)) {
            b.ClickCombatant(c);
            b.ClickCombatant(f);
            b.CancelCombatant(c);
            break;
          }
      b.Accept();
    };
    // The walk ends in the attack, which every machine makes itself.
    const TGroup* pack = S().FindGroup(Pack);
    Act({atSelect, FirstGroupOf(S(), 1)});
    Act({atMove, static_cast<u32>(pack->FieldX()), static_cast<u32>(pack->FieldY()), amAttack, 0, 0, Pack, 1});
    Headless->OnBattle = nullptr;
    Finish(m);
    Mine->Send(MineID, OtherID, Plat::DPSEND_GUARANTEED, EndMark, sizeof EndMark);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
      DPFrame::DPID from = 0;
      std::vector<u8> data;
      if (!Other->Receive(&from, OtherID, Plat::DPRECEIVE_TOPLAYER, data)) {
        if (std::chrono::steady_clock::now() > end) {
          ADD_FAILURE() << "the host's records did not all come";
          break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        continue;
      }
      if (from == Plat::DPID_SYSMSG) continue;
      if (data == std::vector<u8>(std::begin(EndMark), std::end(EndMark))) break;
      sent.push_back(std::move(data));
    }
    return m;
  }

  // The other machine holds every player as remote and is sent what the host
  // sent; it steps until it has executed as many records as the host.
  TMachine PlayOther(const std::function<void(TScenario&)>& prepare, u8 gameType, size_t records,
                     const std::vector<std::vector<u8>>& sent) {
    TMachine m;
    Start(false, gameType, prepare, m);
    // A battle shown here plays its rounds step by step: each step counts.
    Headless->ModalStepLimit = Main::THeadlessGame::MaxSettleSteps;
    for (const std::vector<u8>& bytes : sent)
      Other->Send(OtherID, MineID, Plat::DPSEND_GUARANTEED, bytes.data(), static_cast<u32>(bytes.size()));
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (Headless->Running() && !S().SessionLost && (m.Executed.size() < records || S().BattleRunning || S().IsBusy())) {
      if (std::chrono::steady_clock::now() > end) {
        ADD_FAILURE() << "the other machine executed " << m.Executed.size() << " of " << records << " records";
        break;
      }
      Headless->Step();
      if (Game->Scenario && S().SessionLost) m.Reason = S().SessionLostReason;
    }
    Finish(m);
    return m;
  }

  std::unique_ptr<DPFrame::TDPFramework> Mine, Other;
  // The attacked group.
  u32 Pack = 0;
  DPFrame::DPID MineID = 0, OtherID = 0;
  Plat::TNetSettings SavedNet;
  static inline int HubCounter = 0;
};


TEST_P(NetworkBattle, BothMachinesFightTheSameBattle) {
  struct {
    const char* Name;
    // The attacked group: the computer's pack, or the same pack without an
    // owner, whose orders the host alone decides and sends.
    bool Ownerless;
  } cases[] = {{"the computer's pack", false}, {"a pack without an owner", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const auto prepare = [&](TScenario& s) {
      Pack = FirstGroupOf(s, 2);
      TeachBattleSpells(s);
      // The pack waits beside the human's group.
      TGroup* pack = s.FindGroup(Pack);
      const TGroup* own = s.FindGroup(FirstGroupOf(s, 1));
      pack->X = static_cast<i16>(own->X + 40);
      pack->Y = own->Y;
      if (c.Ownerless) pack->SetOwner(NoOwner);
    };
    std::vector<std::vector<u8>> sent;
    const TMachine host = PlayHost(prepare, sent);
    ASSERT_FALSE(host.SessionLost) << host.Reason;
    ASSERT_TRUE(host.BattleShown);
    ASSERT_TRUE(std::count_if(host.Executed.begin(), host.Executed.end(),
                              [](const std::vector<u32>& r) { return r[0] == atBattleOrders; }) >= 2);
    for (u8 gameType : {Main::NetworkSpectator, Main::NetworkPlayer}) {
      SCOPED_TRACE(gameType == Main::NetworkSpectator ? "watching the attacker" : "seeing nothing");
      const TMachine other = PlayOther(prepare, gameType, host.Executed.size(), sent);
      EXPECT_FALSE(other.SessionLost) << other.Reason << " after " << other.Executed.size() << " records";
      EXPECT_EQ(other.BattleShown, gameType == Main::NetworkSpectator);
      EXPECT_TRUE(other.Executed == host.Executed) << "the executed records differ";
      EXPECT_EQ(other.Actions, host.Actions);
      EXPECT_EQ(other.Hash, host.Hash);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Links, NetworkBattle, ::testing::Values(TLink::Loopback, TLink::Tcp),
                         [](const ::testing::TestParamInfo<TLink>& info) {
                           return std::string(info.param == TLink::Loopback ? "Loopback" : "Tcp");
                         });

}  // namespace
}  // namespace GameTest
