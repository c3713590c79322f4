#include "engine/dpframe/dpframe.h"

#include <cstring>

DPFrame::TDPFramework* DPFramework = nullptr;

namespace DPFrame {

void CheckResult(HRESULT hr) {
  if (hr != 0) throw EDirectPlayError(DPErrorName(hr));
}

void CopySessionDesc(const DPSESSIONDESC2* source, DPSESSIONDESC2* dest) { *dest = *source; }

void FreeSessionDesc(DPSESSIONDESC2* desc) {
  desc->lpszSessionName.reset();
  desc->lpszPassword.reset();
}

TDPFramework::TDPFramework() {
  CheckResult(Plat::CreateDirectPlay(DirectPlay));
  EnumConnections();
}

TDPFramework::~TDPFramework() = default;

void TDPFramework::EnumConnections() {
  ClearConnections();
  CheckResult(DirectPlay->EnumConnections(
      ApplicationGuid,
      [this](const TGuid& provider, std::span<const u8> address, const DPNAME& name, u32 flags) {
        std::unique_ptr<Plat::TDirectPlay> scratch;
        if (Plat::CreateDirectPlay(scratch) != Plat::DP_OK) return false;
        if (scratch->InitializeConnection(address, 0) != Plat::DP_OK) return true;
        auto* info = new TConnectionInfo;
        info->ServiceProvider = provider;
        info->ConnectionData.assign(address.begin(), address.end());
        info->Name = name;
        info->Flags = flags;
        Connections.Add(info);
        return true;
      },
      0));
}

void TDPFramework::ClearConnections() { Connections.Clear(); }

void TDPFramework::InitializeConnection(std::span<const u8> address) {
  CheckResult(DirectPlay->InitializeConnection(address, 0));
}

std::vector<u8> TDPFramework::CreateAddress(const Plat::DPCOMPOUNDADDRESSELEMENT* elements, u32 count) {
  CheckResult(Plat::CreateDirectPlayLobby(Lobby));
  struct TRelease {
    std::unique_ptr<Plat::TDirectPlayLobby>& Lobby;
    ~TRelease() { Lobby.reset(); }
  } release{Lobby};
  u32 size = 0;
  HRESULT hr = Lobby->CreateCompoundAddress(elements, count, nullptr, &size);
  if (hr != Plat::DPERR_BUFFERTOOSMALL) CheckResult(hr);
  std::vector<u8> address(size);
  CheckResult(Lobby->CreateCompoundAddress(elements, count, address.data(), &size));
  return address;
}

std::vector<u8> TDPFramework::CreateIPXAddress() {
  Plat::DPCOMPOUNDADDRESSELEMENT element{Plat::DPAID_ServiceProvider, 16, Plat::DPSPGUID_IPX.Bytes.data()};
  return CreateAddress(&element, 1);
}

std::vector<u8> TDPFramework::CreateTCPIPAddress(const char* host) {
  if (!host) host = "";
  Plat::DPCOMPOUNDADDRESSELEMENT elements[2] = {
      {Plat::DPAID_ServiceProvider, 16, Plat::DPSPGUID_TCPIP.Bytes.data()},
      {Plat::DPAID_INet, static_cast<u32>(std::strlen(host) + 1), host}};
  return CreateAddress(elements, 2);
}

void TDPFramework::EnumSessions(u32 timeoutMs) {
  ClearSessions();
  DPSESSIONDESC2 filter;
  filter.guidApplication = ApplicationGuid;
  CheckResult(DirectPlay->EnumSessions(
      filter, timeoutMs,
      [this](const DPSESSIONDESC2* desc, u32 flags) {
        if (!desc || flags == Plat::DPESC_TIMEDOUT) return false;
        auto* copy = new DPSESSIONDESC2;
        CopySessionDesc(desc, copy);
        Sessions.Add(copy);
        return true;
      },
      Plat::DPENUMSESSIONS_AVAILABLE));
}

void TDPFramework::ClearSessions() { Sessions.Clear(); }

void TDPFramework::HostSession(const char* name, u32 flags, u32 maxPlayers, u32 user1, u32 user2, u32 user3, u32 user4) {
  DPSESSIONDESC2 desc;
  desc.dwFlags = flags;
  desc.guidApplication = ApplicationGuid;
  desc.dwMaxPlayers = maxPlayers;
  if (name) desc.lpszSessionName = name;
  desc.dwUser1 = user1;
  desc.dwUser2 = user2;
  desc.dwUser3 = user3;
  desc.dwUser4 = user4;
  IsHost = 1;
  CheckResult(DirectPlay->Open(desc, Plat::DPOPEN_CREATE));
}

void TDPFramework::JoinSession(int index) {
  IsHost = 0;
  if (index < 0 || index >= Sessions.Count()) CheckResult(Plat::DPERR_INVALIDPARAMS);
  CheckResult(DirectPlay->Open(*Sessions[index], Plat::DPOPEN_JOIN));
}

void TDPFramework::CloseSession() { CheckResult(DirectPlay->Close()); }

int TDPFramework::IndexOfSession(const DPSESSIONDESC2* desc) const {
  if (!desc || !desc->lpszSessionName) return -1;
  for (int i = 0; i < Sessions.Count(); ++i)
    if (Sessions[i]->lpszSessionName && *Sessions[i]->lpszSessionName == *desc->lpszSessionName) return i;
  return -1;
}

void TDPFramework::GetSessionDesc(DPSESSIONDESC2* out) {
  DPSESSIONDESC2 desc;
  CheckResult(DirectPlay->GetSessionDesc(desc));
  CopySessionDesc(&desc, out);
}

void TDPFramework::SetSessionDesc(const DPSESSIONDESC2* desc) { CheckResult(DirectPlay->SetSessionDesc(*desc, 0)); }

void TDPFramework::EnumPlayers(u32 flags) {
  ClearPlayers();
  CheckResult(DirectPlay->EnumPlayers(
      nullptr,
      [this](DPID id, u32 playerType, const DPNAME& name, u32 playerFlags) {
        auto* info = new TPlayerInfo;
        info->ID = id;
        info->PlayerType = playerType;
        info->Name = name;
        info->Flags = playerFlags;
        Players.Add(info);
        return true;
      },
      flags));
}

void TDPFramework::ClearPlayers() { Players.Clear(); }

void TDPFramework::CreatePlayer(const char* name, DPID* id) {
  DPNAME dpName;
  if (name) dpName.ShortName = name;
  CheckResult(DirectPlay->CreatePlayer(id, dpName, 0));
}

void TDPFramework::DestroyPlayer(DPID id) { DirectPlay->DestroyPlayer(id); }

void TDPFramework::GetPlayerData(DPID id, std::vector<u8>& data, u32 flags) {
  CheckResult(DirectPlay->GetPlayerData(id, data, flags));
}

void TDPFramework::SetPlayerData(DPID id, const void* data, u32 size, u32 flags) {
  CheckResult(DirectPlay->SetPlayerData(id, data, size, flags));
}

void TDPFramework::Send(DPID from, DPID to, u32 flags, const void* data, u32 size) {
  CheckResult(DirectPlay->Send(from, to, flags, data, size));
}

bool TDPFramework::Receive(DPID* from, DPID to, u32 flags, std::vector<u8>& data) {
  // One call takes the message whole, so two readers can never take each
  // other's message between a size query and the fetch.
  std::vector<u8> message;
  HRESULT hr = DirectPlay->Receive(from, &to, flags, message);
  if (hr == Plat::DPERR_NOMESSAGES) return false;
  CheckResult(hr);
  data = std::move(message);
  return true;
}

}  // namespace DPFrame
