#include "engine/platform/net/direct_play.h"

#include <atomic>
#include <cstring>

#include "engine/platform/net/net_loopback.h"
#include "engine/platform/net/net_session.h"
#include "engine/platform/net/net_tcp.h"

namespace Plat {

namespace {

constexpr std::size_t ElementHeaderBytes = 16 + 4;
constexpr std::size_t MaxElementBytes = 1024;
constexpr std::size_t MaxElements = 16;

std::atomic<HRESULT> createFailure{0};

std::uint32_t ReadU32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::vector<std::uint8_t> ConnectionAddress(const TGuid& serviceProvider, bool withHost) {
  const char empty = 0;
  DPCOMPOUNDADDRESSELEMENT elements[2] = {{DPAID_ServiceProvider, 16, serviceProvider.Bytes.data()},
                                          {DPAID_INet, 1, &empty}};
  TDirectPlayLobby lobby;
  std::uint32_t size = 0;
  lobby.CreateCompoundAddress(elements, withHost ? 2 : 1, nullptr, &size);
  std::vector<std::uint8_t> out(size);
  lobby.CreateCompoundAddress(elements, withHost ? 2 : 1, out.data(), &size);
  return out;
}

}  // namespace

bool ParseCompoundAddress(std::span<const std::uint8_t> address, std::vector<TAddressElement>& out) {
  out.clear();
  std::size_t pos = 0;
  while (pos < address.size()) {
    if (address.size() - pos < ElementHeaderBytes || out.size() == MaxElements) return false;
    TAddressElement e;
    std::memcpy(e.Type.Bytes.data(), &address[pos], 16);
    std::uint32_t n = ReadU32(&address[pos + 16]);
    pos += ElementHeaderBytes;
    if (n > MaxElementBytes || n > address.size() - pos) return false;
    e.Data.assign(address.begin() + static_cast<std::ptrdiff_t>(pos), address.begin() + static_cast<std::ptrdiff_t>(pos + n));
    pos += n;
    out.push_back(std::move(e));
  }
  return !out.empty();
}

HRESULT TDirectPlayLobby::CreateCompoundAddress(const DPCOMPOUNDADDRESSELEMENT* elements, std::uint32_t count,
                                                void* buffer, std::uint32_t* size) {
  if (!elements || !size || count == 0 || count > MaxElements) return DPERR_INVALIDPARAMS;
  std::size_t needed = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (elements[i].dwDataSize > MaxElementBytes || (elements[i].dwDataSize && !elements[i].lpData)) return DPERR_INVALIDPARAMS;
    needed += ElementHeaderBytes + elements[i].dwDataSize;
  }
  if (!buffer || *size < needed) {
    *size = static_cast<std::uint32_t>(needed);
    return DPERR_BUFFERTOOSMALL;
  }
  auto* out = static_cast<std::uint8_t*>(buffer);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::memcpy(out, elements[i].guidDataType.Bytes.data(), 16);
    for (int b = 0; b < 4; ++b) out[16 + b] = static_cast<std::uint8_t>(elements[i].dwDataSize >> (8 * b));
    if (elements[i].dwDataSize) std::memcpy(out + ElementHeaderBytes, elements[i].lpData, elements[i].dwDataSize);
    out += ElementHeaderBytes + elements[i].dwDataSize;
  }
  *size = static_cast<std::uint32_t>(needed);
  return DP_OK;
}

TDirectPlay::TDirectPlay() = default;
TDirectPlay::~TDirectPlay() = default;

HRESULT TDirectPlay::EnumConnections(const TGuid&, const TConnectionCallback& callback, std::uint32_t flags) {
  if (flags != 0) return DPERR_INVALIDFLAGS;
  struct {
    TGuid Provider;
    const char* Name;
    bool WithHost;
  } const connections[] = {{DPSPGUID_TCPIP, "TCP/IP", true}, {DPSPGUID_IPX, "IPX", false}};
  for (const auto& c : connections) {
    DPNAME name;
    name.ShortName = c.Name;
    if (!callback(c.Provider, ConnectionAddress(c.Provider, c.WithHost), name, 0)) break;
  }
  return DP_OK;
}

HRESULT TDirectPlay::InitializeConnection(std::span<const std::uint8_t> address, std::uint32_t flags) {
  if (Session) return DPERR_ALREADYINITIALIZED;
  std::vector<TAddressElement> elements;
  if (flags != 0 || !ParseCompoundAddress(address, elements)) return DPERR_INVALIDPARAMS;
  TGuid provider;
  std::string host;
  bool haveProvider = false;
  for (const TAddressElement& e : elements) {
    if (e.Type == DPAID_ServiceProvider) {
      if (e.Data.size() != 16) return DPERR_INVALIDPARAMS;
      std::memcpy(provider.Bytes.data(), e.Data.data(), 16);
      haveProvider = true;
    } else if (e.Type == DPAID_INet) {
      if (e.Data.empty() || e.Data.back() != 0) return DPERR_INVALIDPARAMS;
      host.assign(e.Data.begin(), e.Data.end() - 1);
      if (host.find('\0') != std::string::npos) return DPERR_INVALIDPARAMS;
    }
  }
  if (!haveProvider) return DPERR_INVALIDPARAMS;
  if (provider == DPSPGUID_TCPIP) {
    Session = std::make_unique<TNetSession>(
        NetSettings(), [&](TNetLoop& loop, TNetEndpoint& endpoint, const TNetSettings& settings) {
          return MakeTcpProvider(loop, endpoint, settings, host);
        });
  } else if (provider == DPSPGUID_LOOPBACK) {
    Session = std::make_unique<TNetSession>(
        NetSettings(), [&](TNetLoop& loop, TNetEndpoint& endpoint, const TNetSettings& settings) {
          return MakeLoopbackProvider(loop, endpoint, settings, host);
        });
  } else {
    // IPX/SPX does not exist on this platform.
    return DPERR_UNAVAILABLE;
  }
  return DP_OK;
}

HRESULT TDirectPlay::EnumSessions(const DPSESSIONDESC2& filter, std::uint32_t timeoutMs, const TSessionCallback& callback,
                                  std::uint32_t) {
  if (!Session) return DPERR_UNINITIALIZED;
  std::vector<DPSESSIONDESC2> found;
  if (HRESULT hr = Session->EnumSessions(filter.guidApplication, timeoutMs, found); hr != DP_OK) return hr;
  for (const DPSESSIONDESC2& d : found)
    if (!callback(&d, 0)) return DP_OK;
  callback(nullptr, DPESC_TIMEDOUT);
  return DP_OK;
}

HRESULT TDirectPlay::Open(const DPSESSIONDESC2& desc, std::uint32_t flags) {
  if (!Session) return DPERR_UNINITIALIZED;
  if (flags == DPOPEN_CREATE) return Session->Host(desc);
  if (flags == DPOPEN_JOIN) return Session->Join(desc.guidInstance);
  return DPERR_INVALIDFLAGS;
}

HRESULT TDirectPlay::Close() { return Session ? Session->Close() : DPERR_UNINITIALIZED; }

HRESULT TDirectPlay::EnumPlayers(const TGuid* session, const TPlayerCallback& callback, std::uint32_t flags) {
  if (!Session) return DPERR_UNINITIALIZED;
  if (session) return DPERR_UNSUPPORTED;
  if (flags != 0) return DPERR_INVALIDFLAGS;
  std::vector<TPlayerView> players;
  if (HRESULT hr = Session->GetPlayers(players); hr != DP_OK) return hr;
  for (const TPlayerView& p : players) {
    DPNAME name;
    name.ShortName = p.Name;
    if (!callback(p.ID, DPPLAYERTYPE_PLAYER, name, p.Local ? DPENUMPLAYERS_LOCAL : DPENUMPLAYERS_REMOTE)) break;
  }
  return DP_OK;
}

HRESULT TDirectPlay::CreatePlayer(DPID* id, const DPNAME& name, std::uint32_t flags) {
  if (!Session) return DPERR_UNINITIALIZED;
  if (!id) return DPERR_INVALIDPARAMS;
  if (flags != 0) return DPERR_INVALIDFLAGS;
  return Session->CreatePlayer(name.ShortName, *id);
}

HRESULT TDirectPlay::DestroyPlayer(DPID id) { return Session ? Session->DestroyPlayer(id) : DPERR_UNINITIALIZED; }

HRESULT TDirectPlay::GetPlayerData(DPID id, std::vector<std::uint8_t>& data, std::uint32_t flags) {
  if (!Session) return DPERR_UNINITIALIZED;
  if (flags & DPGET_LOCAL) return DPERR_UNSUPPORTED;
  return Session->GetPlayerData(id, data);
}

HRESULT TDirectPlay::SetPlayerData(DPID id, const void* data, std::uint32_t size, std::uint32_t flags) {
  if (!Session) return DPERR_UNINITIALIZED;
  if (flags & DPSET_LOCAL) return DPERR_UNSUPPORTED;
  if (size && !data) return DPERR_INVALIDPARAMS;
  return Session->SetPlayerData(id, std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data), size));
}

HRESULT TDirectPlay::GetSessionDesc(DPSESSIONDESC2& out) {
  return Session ? Session->GetDesc(out) : DPERR_UNINITIALIZED;
}

HRESULT TDirectPlay::SetSessionDesc(const DPSESSIONDESC2& desc, std::uint32_t) {
  return Session ? Session->SetDesc(desc) : DPERR_UNINITIALIZED;
}

HRESULT TDirectPlay::Send(DPID from, DPID to, std::uint32_t, const void* data, std::uint32_t size) {
  if (!Session) return DPERR_UNINITIALIZED;
  if (size && !data) return DPERR_INVALIDPARAMS;
  return Session->Send(from, to, std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data), size));
}

HRESULT TDirectPlay::Receive(DPID* from, DPID* to, std::uint32_t flags, std::vector<std::uint8_t>& data) {
  if (!Session) return DPERR_UNINITIALIZED;
  if (!from || !to) return DPERR_INVALIDPARAMS;
  return Session->Receive(*from, *to, flags, data);
}

std::uint16_t TDirectPlay::EnumerationPort() { return Session ? Session->ListenPort() : 0; }

void TDirectPlay::Freeze() {
  if (Session) Session->Freeze();
}

HRESULT CreateDirectPlay(std::unique_ptr<TDirectPlay>& out) {
  if (HRESULT hr = createFailure.load()) return hr;
  out = std::make_unique<TDirectPlay>();
  return DP_OK;
}

HRESULT CreateDirectPlayLobby(std::unique_ptr<TDirectPlayLobby>& out) {
  if (HRESULT hr = createFailure.load()) return hr;
  out = std::make_unique<TDirectPlayLobby>();
  return DP_OK;
}

void SetDirectPlayCreateFailure(HRESULT code) { createFailure = code; }

}  // namespace Plat
