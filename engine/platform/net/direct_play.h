// The transport object the network framework drives, and the builder of
// compound addresses. A compound address picks the service provider (TCP/IP,
// IPX, or the in-process loopback) and carries its host string.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "engine/platform/net/dplay_types.h"
#include "engine/platform/net/net_settings.h"

namespace Plat {

class TNetSession;

class TDirectPlay {
 public:
  TDirectPlay();
  ~TDirectPlay();
  TDirectPlay(const TDirectPlay&) = delete;
  TDirectPlay& operator=(const TDirectPlay&) = delete;

  // Return false to end an enumeration.
  using TConnectionCallback =
      std::function<bool(const TGuid& serviceProvider, std::span<const std::uint8_t> address, const DPNAME& name, std::uint32_t flags)>;
  using TSessionCallback = std::function<bool(const DPSESSIONDESC2* desc, std::uint32_t flags)>;
  using TPlayerCallback = std::function<bool(DPID id, std::uint32_t playerType, const DPNAME& name, std::uint32_t flags)>;

  HRESULT EnumConnections(const TGuid& application, const TConnectionCallback& callback, std::uint32_t flags);
  HRESULT InitializeConnection(std::span<const std::uint8_t> address, std::uint32_t flags);
  HRESULT EnumSessions(const DPSESSIONDESC2& filter, std::uint32_t timeoutMs, const TSessionCallback& callback,
                       std::uint32_t flags);
  HRESULT Open(const DPSESSIONDESC2& desc, std::uint32_t flags);
  HRESULT Close();
  HRESULT EnumPlayers(const TGuid* session, const TPlayerCallback& callback, std::uint32_t flags);
  HRESULT CreatePlayer(DPID* id, const DPNAME& name, std::uint32_t flags);
  HRESULT DestroyPlayer(DPID id);
  HRESULT GetPlayerData(DPID id, std::vector<std::uint8_t>& data, std::uint32_t flags);
  HRESULT SetPlayerData(DPID id, const void* data, std::uint32_t size, std::uint32_t flags);
  HRESULT GetSessionDesc(DPSESSIONDESC2& out);
  HRESULT SetSessionDesc(const DPSESSIONDESC2& desc, std::uint32_t flags);
  HRESULT Send(DPID from, DPID to, std::uint32_t flags, const void* data, std::uint32_t size);
  // Takes (or with DPRECEIVE_PEEK copies) the oldest message for *to
  // (DPRECEIVE_TOPLAYER) or for any local player; *from = 0 for a system message.
  HRESULT Receive(DPID* from, DPID* to, std::uint32_t flags, std::vector<std::uint8_t>& data);

  // Test seams: the port a hosted session answers enumeration queries on,
  // and a transport that stops sending and reading as a hung machine would.
  std::uint16_t EnumerationPort();
  void Freeze();

 private:
  std::unique_ptr<TNetSession> Session;  // made when a connection is initialised
};

class TDirectPlayLobby {
 public:
  // With a null buffer or a too small size: DPERR_BUFFERTOOSMALL and *size =
  // the size needed.
  HRESULT CreateCompoundAddress(const DPCOMPOUNDADDRESSELEMENT* elements, std::uint32_t count, void* buffer,
                                std::uint32_t* size);
};

struct TAddressElement {
  TGuid Type;
  std::vector<std::uint8_t> Data;
};
// False when the bytes are no well-formed compound address.
bool ParseCompoundAddress(std::span<const std::uint8_t> address, std::vector<TAddressElement>& out);

HRESULT CreateDirectPlay(std::unique_ptr<TDirectPlay>& out);
HRESULT CreateDirectPlayLobby(std::unique_ptr<TDirectPlayLobby>& out);
// Test seam: the next creations fail with code; 0 lets them succeed again.
void SetDirectPlayCreateFailure(HRESULT code);

}  // namespace Plat
