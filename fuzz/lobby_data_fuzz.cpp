// Input: the first byte picks what a peer sent; the rest is read as the
// lobby reads it. 0: player data blocks (each led by its size byte) filling
// a party table whose rules and game parameters are then computed. 1: an
// enumeration reply carrying a session description; 2: a session
// description's fields, little-endian, the name after them. Either one is
// judged and written as a row of the session list.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "engine/platform/net/net_wire.h"
#include "frontend/lobby_rules.h"

namespace {

uint32_t U32(std::span<const uint8_t> b, std::size_t at) {
  if (at + 4 > b.size()) return 0;
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 | static_cast<uint32_t>(b[at + 2]) << 16 |
         static_cast<uint32_t>(b[at + 3]) << 24;
}

void Table(std::span<const uint8_t> b) {
  Main::TLobbyTable table;
  const uint32_t parties = b.empty() ? 0 : b[0] % 6;
  std::size_t at = 1;
  while (at < b.size() && table.Players.size() < Main::MaxSessionPlayers) {
    const std::size_t size = b[at++] % 12;
    const std::size_t n = size < b.size() - at ? size : b.size() - at;
    const Main::TLobbyPlayerData d = Main::TLobbyPlayerData::Read(b.subspan(at, n), parties);
    if (d.Party > parties || d.Party > Main::MaxParties) __builtin_trap();
    table.Players.push_back({static_cast<Plat::DPID>(table.Players.size() + 1), "p", d});
    at += n;
  }
  const bool start = table.CanStart();
  if (start && (table.Players.empty() || table.HasPartyConflict())) __builtin_trap();
  for (Plat::DPID local = 0; local <= table.Players.size(); ++local) {
    table.CanConfirm(local, local == 1);
    const Main::TGameParams p = Main::NetworkGameParams(table, local, local == 1);
    for (const Main::TPlayerParams& player : p.Players)
      if (player.Kind > 2) __builtin_trap();
  }
  for (uint32_t party = 0; party <= Main::MaxParties; ++party) table.NamesOfParty(party);
}

void Session(const Plat::DPSESSIONDESC2& desc) {
  const Main::TSessionScenario known{"Grenzland", 16, 16};
  for (const Main::TSessionScenario* s : {&known, static_cast<const Main::TSessionScenario*>(nullptr)}) {
    const bool joinable = Main::CanJoinSession(desc, s != nullptr);
    if (joinable && (desc.dwUser1 != Main::ProgramVersion || desc.dwCurrentPlayers >= desc.dwMaxPlayers)) __builtin_trap();
    Main::SessionTitle(desc, s, 400, [](std::string& t, int32_t, int32_t at) {
      if (at < 0 || static_cast<std::size_t>(at) > t.size()) __builtin_trap();
    });
    Main::SessionDetails(desc, s);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::span<const uint8_t> rest(data + 1, size - 1);
  switch (data[0] % 3) {
    case 0: Table(rest); break;
    case 1: {
      Plat::Wire::TEnumReply reply;
      if (!Plat::Wire::DecodeReply(rest, reply)) break;
      Plat::DPSESSIONDESC2 desc;
      desc.dwFlags = reply.Desc.Flags;
      desc.dwMaxPlayers = reply.Desc.MaxPlayers;
      desc.dwCurrentPlayers = reply.Desc.CurrentPlayers;
      desc.lpszSessionName = reply.Desc.Name;
      desc.dwUser1 = reply.Desc.User[0];
      desc.dwUser2 = reply.Desc.User[1];
      desc.dwUser3 = reply.Desc.User[2];
      desc.dwUser4 = reply.Desc.User[3];
      Session(desc);
      break;
    }
    default: {
      Plat::DPSESSIONDESC2 desc;
      desc.dwFlags = U32(rest, 0);
      desc.dwMaxPlayers = U32(rest, 4);
      desc.dwCurrentPlayers = U32(rest, 8);
      desc.dwUser1 = U32(rest, 12);
      desc.dwUser2 = U32(rest, 16);
      desc.dwUser3 = U32(rest, 20);
      desc.dwUser4 = U32(rest, 24);
      if (rest.size() > 28) desc.lpszSessionName = std::string(reinterpret_cast<const char*>(rest.data()) + 28, rest.size() - 28);
      Session(desc);
      break;
    }
  }
  return 0;
}
