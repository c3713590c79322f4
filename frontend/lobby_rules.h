// What the multiplayer pages decide from what peers publish: the 8-byte
// player data block, which sessions can be joined and how their rows read,
// the party table's conflict and start rules, and the players' kinds of a
// network game. Nothing here touches the transport.
#pragma once

#include <array>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "engine/base/types.h"
#include "engine/platform/net/dplay_types.h"
#include "frontend/game_params.h"

namespace Main {

// dwUser1 of a session: this program's version 1.00.
constexpr u32 ProgramVersion = 100;
// Host migration, keep-alive, the transport's own protocol.
constexpr u32 HostedSessionFlags = 0x2044;
// New players and joining disabled, once the game starts.
constexpr u32 StartedSessionFlags = 0x21;
constexpr u32 MaxSessionPlayers = 8;
// Parties 1 to 4: the game's players 1 to 4 (player 0 is never offered).
constexpr u32 MaxParties = 4;

struct TLobbyPlayerData {
  static constexpr std::size_t Size = 8;
  u32 Party = 0;  // 0 watching
  u8 Ready = 0;

  // A block of another size reads as watching, not ready; so does a party
  // the scenario does not have, which no machine could start the game with.
  static TLobbyPlayerData Read(std::span<const u8> block, u32 parties);
  std::array<u8, Size> Write() const;
  bool operator==(const TLobbyPlayerData&) const = default;
};

// What a session row shows of a scenario this machine has.
struct TSessionScenario {
  std::string Description;
  i32 MapWidth = 0, MapHeight = 0;
};

// known: this machine has a scenario of the session's dwUser2.
bool CanJoinSession(const Plat::DPSESSIONDESC2& desc, bool known);
// Line 1 before shortening: "%s (%s)" of the description ("???" for an
// unknown scenario or another version) and the session name.
std::string SessionTitlePart(const Plat::DPSESSIONDESC2& desc, const TSessionScenario* scenario);
std::string SessionName(const Plat::DPSESSIONDESC2& desc);
// Line 1 shortened to width by measure: "..." goes right after the
// description part, so that the session name stays whole.
std::string SessionTitle(const Plat::DPSESSIONDESC2& desc, const TSessionScenario* scenario, i32 width,
                         const std::function<void(std::string&, i32 width, i32 position)>& abbreviate);
std::string SessionDetails(const Plat::DPSESSIONDESC2& desc, const TSessionScenario* scenario);

// The lobby's view of the session's players, in the transport's order.
struct TLobbyTable {
  struct TEntry {
    Plat::DPID ID = 0;
    std::string Name;
    TLobbyPlayerData Data;
  };
  std::vector<TEntry> Players;  // at most MaxSessionPlayers

  u32 LocalParty(Plat::DPID local) const;
  bool IsLocalReady(Plat::DPID local) const;
  bool OthersReady(Plat::DPID local) const;
  // False without players.
  bool AllReady() const;
  bool IsPartyTakenTwice(u32 party) const;
  bool HasPartyConflict() const;
  // The game starts when every player is ready and no party is taken twice.
  bool CanStart() const { return AllReady() && !HasPartyConflict(); }
  // "OK" of the lobby: no conflict, not ready yet, and on the host every
  // other player ready (the host confirms last).
  bool CanConfirm(Plat::DPID local, bool host) const;
  // The names of the players of a party, joined by ", ".
  std::string NamesOfParty(u32 party) const;
};

// The parameters every machine starts the same game with: the parties no
// human took are run by the host's computer and remote elsewhere.
TGameParams NetworkGameParams(const TLobbyTable& table, Plat::DPID local, bool host);

}  // namespace Main
