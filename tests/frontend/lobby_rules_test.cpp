// The lobby's rules without a network: the player data block, which
// sessions can be joined and how their rows read, the party table's
// conflict, confirmation and start rules, and the players of the game.
#include <gtest/gtest.h>

#include <vector>

#include "frontend/lobby_rules.h"

namespace {

using Main::TLobbyPlayerData;
using Main::TLobbyTable;

TEST(LobbyPlayerData, ReadsEightBytesAndNothingElse) {
  const struct {
    std::vector<u8> Block;
    u32 Parties;
    TLobbyPlayerData Expected;
  } cases[] = {
      {{2, 0, 0, 0, 1, 0xAA, 0xBB, 0xCC}, 4, {2, 1}},  // padding not read
      {{4, 0, 0, 0, 0, 0, 0, 0}, 4, {4, 0}},
      {{0, 0, 0, 0, 7, 0, 0, 0}, 4, {0, 7}},           // watching but ready
      {{2, 0, 0, 0, 1, 0, 0}, 4, {0, 0}},              // short
      {{2, 0, 0, 0, 1, 0, 0, 0, 0}, 4, {0, 0}},        // long
      {{}, 4, {0, 0}},
      {{3, 0, 0, 0, 1, 0, 0, 0}, 2, {0, 1}},           // a party the scenario lacks
      {{5, 0, 0, 0, 1, 0, 0, 0}, 8, {0, 1}},           // beyond the game's players
      {{1, 0, 0, 1, 1, 0, 0, 0}, 4, {0, 1}},           // the high byte counts
  };
  for (const auto& c : cases)
    EXPECT_EQ(TLobbyPlayerData::Read(c.Block, c.Parties), c.Expected) << c.Block.size() << " bytes, party " << +c.Block[0];
  const auto bytes = TLobbyPlayerData{0x01020304, 1}.Write();
  EXPECT_EQ(std::vector<u8>(bytes.begin(), bytes.end()), (std::vector<u8>{4, 3, 2, 1, 1, 0, 0, 0}));
  EXPECT_EQ(TLobbyPlayerData::Read(TLobbyPlayerData{3, 1}.Write(), 4), (TLobbyPlayerData{3, 1}));
}

Plat::DPSESSIONDESC2 Session(u32 flags, u32 current, u32 max, u32 version) {
  Plat::DPSESSIONDESC2 d;
  d.dwFlags = flags;
  d.dwCurrentPlayers = current;
  d.dwMaxPlayers = max;
  d.dwUser1 = version;
  d.dwUser2 = 7001;
  d.dwUser3 = 2;
  d.lpszSessionName = "tisch";
  return d;
}

TEST(SessionList, WhatCanBeJoinedAndHowItReads) {
  const Main::TSessionScenario known{"Grenzland zu zweit", 16, 24};
  const struct {
    Plat::DPSESSIONDESC2 Desc;
    bool Known, Joinable;
    const char* Title;
    const char* Details;
  } cases[] = {
      {Session(0x2044, 1, 8, 100), true, true, "Grenzland zu zweit (tisch)",
       "Parteien: 2, Spieler 1/8, Gr\xF6\xDF" "e 16x24, Version 1.0"},
      {Session(0x2044, 1, 8, 100), false, false, "??? (tisch)", "Version 1.0"},
      {Session(0x2044, 1, 8, 101), true, false, "??? (tisch)", "Version 1.1"},
      {Session(0x2044, 1, 8, 250), true, false, "??? (tisch)", "Version 2.50"},
      {Session(0x2044, 8, 8, 100), true, false, "Grenzland zu zweit (tisch)",
       "Parteien: 2, Spieler 8/8, Gr\xF6\xDF" "e 16x24, Version 1.0"},
      {Session(0x2044 | 0x21, 2, 8, 100), true, false, "Grenzland zu zweit (tisch)",
       "Parteien: 2, Spieler 2/8, Gr\xF6\xDF" "e 16x24, Version 1.0"},
      {Session(0x2044 | 0x20, 2, 8, 100), true, false, "Grenzland zu zweit (tisch)",
       "Parteien: 2, Spieler 2/8, Gr\xF6\xDF" "e 16x24, Version 1.0"},
      {Session(0x2044 | 0x01, 2, 8, 100), true, false, "Grenzland zu zweit (tisch)",
       "Parteien: 2, Spieler 2/8, Gr\xF6\xDF" "e 16x24, Version 1.0"},
  };
  for (const auto& c : cases) {
    const Main::TSessionScenario* s = c.Known ? &known : nullptr;
    EXPECT_EQ(Main::CanJoinSession(c.Desc, c.Known), c.Joinable) << c.Title << " " << c.Details;
    EXPECT_EQ(Main::SessionTitle(c.Desc, s, 400, nullptr), c.Title);
    EXPECT_EQ(Main::SessionDetails(c.Desc, s), c.Details);
  }
  // A long title loses letters of its description, never of the session's name.
  int at = -1;
  Main::SessionTitle(Session(0x2044, 1, 8, 100), &known, 50, [&at](std::string&, i32, i32 position) { at = position; });
  EXPECT_EQ(at, static_cast<int>(known.Description.size()));
  Plat::DPSESSIONDESC2 nameless = Session(0x2044, 1, 8, 100);
  nameless.lpszSessionName.reset();
  EXPECT_EQ(Main::SessionTitle(nameless, &known, 400, nullptr), "Grenzland zu zweit ()");
}

TLobbyTable Table(std::initializer_list<TLobbyPlayerData> data) {
  TLobbyTable t;
  Plat::DPID id = 10;
  for (const TLobbyPlayerData& d : data) t.Players.push_back({id, "P" + std::to_string(id), d}), ++id;
  return t;
}

TEST(LobbyTable, ConflictConfirmationAndStart) {
  // Player 10 is the host and local in every case.
  const struct {
    TLobbyTable Table;
    bool Conflict, HostMayConfirm, ClientMayConfirm, Starts;
    const char* Case;
  } cases[] = {
      {Table({{1, 0}, {2, 0}}), false, false, true, false, "nobody ready: the host waits"},
      {Table({{1, 0}, {2, 1}}), false, true, true, false, "the others ready: the host may confirm"},
      {Table({{1, 1}, {2, 1}}), false, false, false, true, "everyone ready"},
      {Table({{1, 0}, {1, 1}}), true, false, false, false, "a party taken twice"},
      {Table({{1, 1}, {1, 1}}), true, false, false, false, "taken twice and all ready: no start"},
      {Table({{0, 1}, {0, 1}}), false, false, false, true, "two watchers: watching is no conflict"},
      {Table({{0, 0}, {3, 1}, {3, 0}}), true, false, false, false, "a conflict elsewhere blocks everyone"},
      {Table({{4, 0}, {1, 1}, {2, 1}, {3, 1}}), false, true, true, false, "four parties"},
      {Table({}), false, true, true, false, "no players: a lost session never starts"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.Table.HasPartyConflict(), c.Conflict) << c.Case;
    EXPECT_EQ(c.Table.CanConfirm(10, true), c.HostMayConfirm) << c.Case;
    EXPECT_EQ(c.Table.CanConfirm(10, false), c.ClientMayConfirm) << c.Case;
    EXPECT_EQ(c.Table.CanStart(), c.Starts) << c.Case;
  }
  const TLobbyTable t = Table({{1, 0}, {1, 1}, {0, 0}, {0, 1}});
  EXPECT_TRUE(t.IsPartyTakenTwice(1));
  EXPECT_FALSE(t.IsPartyTakenTwice(2));
  EXPECT_EQ(t.NamesOfParty(1), "P10, P11");
  EXPECT_EQ(t.NamesOfParty(0), "P12, P13");
  EXPECT_EQ(t.LocalParty(11), 1u);
  EXPECT_EQ(t.LocalParty(99), 0u);
  EXPECT_TRUE(t.IsLocalReady(13));
  EXPECT_FALSE(t.IsLocalReady(99));
}

std::string Kinds(const Main::TGameParams& p) {
  std::string s;
  for (const Main::TPlayerParams& player : p.Players) s += std::to_string(player.Kind);
  return s;
}

TEST(LobbyTable, EveryMachineStartsTheSameGame) {
  // Host 10 takes party 2, client 11 party 1, client 12 watches.
  const TLobbyTable t = Table({{2, 1}, {1, 1}, {0, 1}});
  const struct {
    Plat::DPID Local;
    bool Host;
    u8 Type;
    const char* Kinds;
  } cases[] = {{10, true, Main::NetworkPlayer, "12011"}, {11, false, Main::NetworkPlayer, "20222"},
               {12, false, Main::NetworkSpectator, "22222"}};
  for (const auto& c : cases) {
    const Main::TGameParams p = Main::NetworkGameParams(t, c.Local, c.Host);
    EXPECT_EQ(p.GameType, c.Type) << c.Local;
    EXPECT_EQ(p.NetworkID, c.Local);
    EXPECT_EQ(Kinds(p), c.Kinds) << c.Local;
    const std::vector<std::string> names{p.Players[0].Name, p.Players[1].Name, p.Players[2].Name, p.Players[3].Name,
                                         p.Players[4].Name};
    EXPECT_EQ(names, (std::vector<std::string>{"Computer0", "P11", "P10", "Computer3", "Computer4"}));
  }
}

}  // namespace
