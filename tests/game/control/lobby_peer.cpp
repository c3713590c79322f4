// One machine of a network game, headless, driven through the main menu's
// multiplayer pages as a person would click them:
//   lobby_peer DATADIR host DONEFILE     hosts the network scenario, takes
//                                        party 1, prints "PORT n"
//   lobby_peer DATADIR join PORT         finds the game, prints "LISTED ms",
//                                        joins and takes party 2
// Both confirm; once the game runs each human moves its group, both play two
// rounds, and each prints "STATE" with a hash of the shared state at the
// start of the host's third turn. The host then waits for DONEFILE (the other machine has printed),
// so that its leaving does not change the other's game.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

#include "controls/text_buttons.h"
#include "engine/data/archive.h"
#include "engine/dpframe/dpframe.h"
#include "engine/platform/net/net_settings.h"
#include "frontend/main_menu.h"
#include "game/control/game.h"
#include "game/control/headless_game.h"
#include "world/locations/city.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr i32 Rounds = 2;

void StepUntil(Main::THeadlessGame& game, const std::function<bool()>& done, const char* what, int seconds = 60) {
  const auto end = Clock::now() + std::chrono::seconds(seconds);
  while (!done()) {
    if (Clock::now() > end) throw std::runtime_error(std::string("timed out waiting for ") + what);
    game.Step();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

bool Enabled(u8 page, int place) { return MainMenu->PageButtons[page][place]->IsEnabled(); }

u32 GroupOf(u8 owner) {
  for (const GameData::TMapObject* o : Game->Scenario->MapObjects)
    if (o->Type == GameData::otGroup && static_cast<const GameData::TGroup*>(o)->OwnerIndex == owner) return o->ID;
  throw std::runtime_error("no group of player " + std::to_string(owner));
}

// What the game's rules decide and every machine must agree on: the round
// and the player, the players' gold, where each group stands with which
// units and their hit points, who holds each city, and the main random
// stream. Pictures (idle frames, the view) are each machine's own.
u64 SharedStateHash() {
  const GameData::TScenario& s = *Game->Scenario;
  u64 h = 1469598103934665603ull;
  auto mix = [&h](i64 v) {
    for (int i = 0; i < 8; ++i) h = (h ^ static_cast<u8>(v >> (8 * i))) * 1099511628211ull;
  };
  mix(s.Round);
  mix(s.CurrentPlayerIndex);
  for (i32 i = 0; i < s.PlayerCount(); ++i) mix(s.PlayerAt(i)->Gold);
  for (const GameData::TMapObject* o : s.MapObjects) {
    if (o->Type == GameData::otGroup) {
      const auto* g = static_cast<const GameData::TGroup*>(o);
      mix(g->ID), mix(g->OwnerIndex), mix(g->X), mix(g->Y);
      for (const GameData::TUnit* u : g->Units)
        if (u) mix(u->ID), mix(u->Effective.HitPoints.Current);
    } else if (o->Type == GameData::otCity) {
      mix(o->ID), mix(static_cast<const GameData::TCity*>(o)->Owner);
    }
  }
  mix(GameData::RandomMain.Low);
  mix(GameData::RandomMain.High);
  return h;
}

GameData::TActionRecord Record(std::initializer_list<u32> words) {
  GameData::TActionRecord r;
  u32* w = r.Words;
  for (u32 word : words) *w++ = word;
  return r;
}

void Run(const std::string& role, const std::string& arg) {
  const bool host = role == "host";
  Plat::TNetSettings& net = Plat::NetSettings();
  net.BindHost = net.EnumHost = "127.0.0.1";
  net.EnumPort = host ? 0 : static_cast<u16>(std::stoi(arg));
  Main::THeadlessGame game(1);
  MainMenu->Open(Main::mpMain);
  MainMenu->ShowConnectionPage();
  MainMenu->ConfirmConnection();
  if (!DPFramework) throw std::runtime_error("no transport");
  if (host) {
    MainMenu->StopSessionSearch();
    MainMenu->ShowScenarioPage();
    game.Step();
    MainMenu->HostSelectedScenario();
    std::printf("PORT %u\n", DPFramework->DirectPlay->EnumerationPort());
    std::fflush(stdout);
  } else {
    const auto start = Clock::now();
    StepUntil(game, [] { return Enabled(Main::mpSession, Main::pbConfirm); }, "the hosted game");
    std::printf("LISTED %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count()));
    MainMenu->JoinSelectedSession();
  }
  if (MainMenu->Page != Main::mpLobby) throw std::runtime_error("not in the lobby");
  MainMenu->PartyListBox->ItemIndex = host ? 1 : 2;
  MainMenu->ChooseParty();
  // The guest confirms first; the host once the guest is there and ready.
  StepUntil(game, [host] {
    return MainMenu->Page != Main::mpLobby ||
           ((!host || MainMenu->LobbyTable.Players.size() == 2) && Enabled(Main::mpLobby, Main::pbConfirm));
  }, "OK");
  if (MainMenu->Page == Main::mpLobby) MainMenu->ConfirmParty();
  StepUntil(game, [&] { return game.Running(); }, "the start");
  std::printf("STARTED\n");
  std::fflush(stdout);
  const u8 me = host ? 1 : 2;
  for (i32 round = 1; round <= Rounds; ++round) {
    game.Settle();
    if (round == 1) {
      const GameData::TGroup* g = nullptr;
      const u32 id = GroupOf(me);
      game.Act(Record({GameData::atSelect, id}));
      for (const GameData::TMapObject* o : Game->Scenario->MapObjects)
        if (o->ID == id) g = static_cast<const GameData::TGroup*>(o);
      const u32 x = static_cast<u32>(g->FieldX() + (host ? 1 : -1)), y = static_cast<u32>(g->FieldY() + (host ? 1 : -1));
      game.Act(Record({GameData::atMove, x, y, 0, 0, 0, 0, 1}));
      if (g->FieldX() != static_cast<i32>(x) || g->FieldY() != static_cast<i32>(y))
        throw std::runtime_error("the group did not move");
    }
    if (host || round < Rounds) {
      game.Act(Record({GameData::atEndTurn}));
      continue;
    }
    // The guest's last end of turn: then up to the host's next turn, which
    // the host's machine sits at.
    Game->CurrentPlayer()->PostAction(true, Record({GameData::atEndTurn}));
    StepUntil(game, [] {
      const GameData::TScenario& s = *Game->Scenario;
      return s.Round == Rounds + 1 && s.CurrentPlayerIndex == 1 && !s.IsBusy();
    }, "the host's turn");
  }
  if (host) game.Settle();
  const GameData::TScenario& s = *Game->Scenario;
  std::printf("STATE round %d player %d hash %016llx\n", s.Round, s.CurrentPlayerIndex,
              static_cast<unsigned long long>(SharedStateHash()));
  std::fflush(stdout);
  if (host) {
    const auto end = Clock::now() + std::chrono::seconds(120);
    while (!std::filesystem::exists(arg) && Clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || (std::string(argv[2]) != "host" && std::string(argv[2]) != "join")) {
    std::fprintf(stderr, "usage: lobby_peer DATADIR host DONEFILE | lobby_peer DATADIR join PORT\n");
    return 2;
  }
  Data::DataPath = std::string(argv[1]) + "/";
  try {
    Run(argv[2], argv[3]);
  } catch (const std::exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "lobby_peer: %s\n", e.what());
    return 1;
  }
  return 0;
}
