#include "frontend/lobby_rules.h"

#include <algorithm>

#include "engine/base/base.h"

namespace Main {

TLobbyPlayerData TLobbyPlayerData::Read(std::span<const u8> block, u32 parties) {
  TLobbyPlayerData d;
  if (block.size() != Size) return d;
  d.Party = static_cast<u32>(block[0]) | static_cast<u32>(block[1]) << 8 | static_cast<u32>(block[2]) << 16 |
            static_cast<u32>(block[3]) << 24;
  d.Ready = block[4];
  if (d.Party > parties || d.Party > MaxParties) d.Party = 0;
  return d;
}

std::array<u8, TLobbyPlayerData::Size> TLobbyPlayerData::Write() const {
  return {static_cast<u8>(Party), static_cast<u8>(Party >> 8), static_cast<u8>(Party >> 16),
          static_cast<u8>(Party >> 24), Ready, 0, 0, 0};
}

bool CanJoinSession(const Plat::DPSESSIONDESC2& desc, bool known) {
  const u32 closed = Plat::DPSESSION_NEWPLAYERSDISABLED | Plat::DPSESSION_JOINDISABLED;
  return !(desc.dwFlags & closed) && desc.dwCurrentPlayers < desc.dwMaxPlayers && desc.dwUser1 == ProgramVersion &&
         known;
}

std::string SessionName(const Plat::DPSESSIONDESC2& desc) {
  return desc.lpszSessionName ? *desc.lpszSessionName : std::string();
}

std::string SessionTitlePart(const Plat::DPSESSIONDESC2& desc, const TSessionScenario* scenario) {
  return desc.dwUser1 == ProgramVersion && scenario ? scenario->Description : std::string("???");
}

std::string SessionTitle(const Plat::DPSESSIONDESC2& desc, const TSessionScenario* scenario, i32 width,
                         const std::function<void(std::string&, i32, i32)>& abbreviate) {
  const std::string part = SessionTitlePart(desc, scenario);
  std::string title = Base::Format("%s (%s)", part.c_str(), SessionName(desc).c_str());
  if (abbreviate) abbreviate(title, width, static_cast<i32>(part.size()));
  return title;
}

std::string SessionDetails(const Plat::DPSESSIONDESC2& desc, const TSessionScenario* scenario) {
  const int major = static_cast<int>(desc.dwUser1 / 100), minor = static_cast<int>(desc.dwUser1 % 100);
  if (desc.dwUser1 != ProgramVersion || !scenario) return Base::Format("Version %d.%d", major, minor);
  return Base::Format("Parteien: %d, Spieler %d/%d, Gr\xF6\xDF" "e %dx%d, Version %d.%d", static_cast<int>(desc.dwUser3),
                      static_cast<int>(desc.dwCurrentPlayers), static_cast<int>(desc.dwMaxPlayers), scenario->MapWidth,
                      scenario->MapHeight, major, minor);
}

u32 TLobbyTable::LocalParty(Plat::DPID local) const {
  for (const TEntry& e : Players)
    if (e.ID == local) return e.Data.Party;
  return 0;
}

bool TLobbyTable::IsLocalReady(Plat::DPID local) const {
  for (const TEntry& e : Players)
    if (e.ID == local) return e.Data.Ready != 0;
  return false;
}

bool TLobbyTable::OthersReady(Plat::DPID local) const {
  return std::all_of(Players.begin(), Players.end(), [local](const TEntry& e) { return e.ID == local || e.Data.Ready; });
}

bool TLobbyTable::AllReady() const {
  // No players at all is a lost session, not a game to start.
  return !Players.empty() && std::all_of(Players.begin(), Players.end(), [](const TEntry& e) { return e.Data.Ready != 0; });
}

bool TLobbyTable::IsPartyTakenTwice(u32 party) const {
  return std::count_if(Players.begin(), Players.end(), [party](const TEntry& e) { return e.Data.Party == party; }) > 1;
}

bool TLobbyTable::HasPartyConflict() const {
  for (u32 p = 1; p <= MaxParties; ++p)
    if (IsPartyTakenTwice(p)) return true;
  return false;
}

bool TLobbyTable::CanConfirm(Plat::DPID local, bool host) const {
  return !HasPartyConflict() && !IsLocalReady(local) && (!host || OthersReady(local));
}

std::string TLobbyTable::NamesOfParty(u32 party) const {
  std::string names;
  for (const TEntry& e : Players) {
    if (e.Data.Party != party) continue;
    if (!names.empty()) names += ", ";
    names += e.Name;
  }
  return names;
}

TGameParams NetworkGameParams(const TLobbyTable& table, Plat::DPID local, bool host) {
  TGameParams params{};
  params.GameType = table.LocalParty(local) != 0 ? NetworkPlayer : NetworkSpectator;
  params.NetworkID = local;
  for (u32 i = 0; i < 5; ++i) {
    params.Players[i].Kind = host ? 1u : 2u;
    params.Players[i].Name = Base::Format("Computer%d", static_cast<int>(i));
  }
  for (const TLobbyTable::TEntry& e : table.Players) {
    const u32 p = e.Data.Party;
    if (p == 0 || p > MaxParties) continue;
    params.Players[p].Kind = e.ID == local ? 0u : 2u;
    params.Players[p].Name = e.Name;
  }
  return params;
}

}  // namespace Main
