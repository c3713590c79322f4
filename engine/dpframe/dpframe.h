// The network transport of a network game: picks a connection, lists, hosts,
// joins and closes sessions, manages local players, their data and the
// session description, and sends and receives messages. Every failed call
// raises DPFrame::EDirectPlayError named after its result code. It decides
// nothing about content and has no lock: the transport below is safe to use
// from several threads.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/base/errors.h"
#include "engine/base/types.h"
#include "engine/data/object_list.h"
#include "engine/platform/net/direct_play.h"

namespace DPFrame {

using Plat::DPID;
using Plat::DPNAME;
using Plat::DPSESSIONDESC2;
using Plat::TGuid;

struct TConnectionInfo {
  TGuid ServiceProvider;
  std::vector<u8> ConnectionData;  // the connection's address
  DPNAME Name;
  u32 Flags = 0;
};

struct TPlayerInfo {
  DPID ID = 0;
  u32 PlayerType = 0;
  DPNAME Name;
  u32 Flags = 0;
};

// The symbolic name of a result code, or "0x%08X" for one outside the table.
std::string DPErrorName(HRESULT hr);
// Raises EDirectPlayError for any result other than 0.
void CheckResult(HRESULT hr);
void CopySessionDesc(const DPSESSIONDESC2* source, DPSESSIONDESC2* dest);
// Drops the name and the password copies; the record stays.
void FreeSessionDesc(DPSESSIONDESC2* desc);

class TDPFramework {
 public:
  TDPFramework();
  // Does not close an open session: users close it first.
  virtual ~TDPFramework();
  TDPFramework(const TDPFramework&) = delete;
  TDPFramework& operator=(const TDPFramework&) = delete;

  void EnumConnections();
  void ClearConnections();
  void InitializeConnection(std::span<const u8> address);
  std::vector<u8> CreateIPXAddress();
  // host: "" (where the platform's settings say), "host" or "host:port".
  std::vector<u8> CreateTCPIPAddress(const char* host);

  void EnumSessions(u32 timeoutMs);
  void ClearSessions();
  void HostSession(const char* name, u32 flags, u32 maxPlayers, u32 user1, u32 user2, u32 user3, u32 user4);
  void JoinSession(int index);
  void CloseSession();
  int IndexOfSession(const DPSESSIONDESC2* desc) const;
  // out receives its own copies of the name and the password.
  void GetSessionDesc(DPSESSIONDESC2* out);
  void SetSessionDesc(const DPSESSIONDESC2* desc);

  void EnumPlayers(u32 flags);
  void ClearPlayers();
  void CreatePlayer(const char* name, DPID* id);
  // Never raises.
  void DestroyPlayer(DPID id);
  void GetPlayerData(DPID id, std::vector<u8>& data, u32 flags);
  void SetPlayerData(DPID id, const void* data, u32 size, u32 flags);

  void Send(DPID from, DPID to, u32 flags, const void* data, u32 size);
  // False when no message waits (data untouched). *from = 0 marks a system
  // message whose first u32 is its code.
  bool Receive(DPID* from, DPID to, u32 flags, std::vector<u8>& data);

  std::unique_ptr<Plat::TDirectPlay> DirectPlay;
  std::unique_ptr<Plat::TDirectPlayLobby> Lobby;  // only while an address is built
  Data::TObjectList<TConnectionInfo> Connections{true};
  DPID LocalPlayerID = 0xFFFFFFFF;
  u8 IsHost = 0;
  TGuid ApplicationGuid;
  Data::TObjectList<DPSESSIONDESC2> Sessions{true};
  Data::TObjectList<TPlayerInfo> Players{true};

 private:
  std::vector<u8> CreateAddress(const Plat::DPCOMPOUNDADDRESSELEMENT* elements, u32 count);
};

}  // namespace DPFrame

// The one transport while a network game is set up or played; null otherwise.
extern DPFrame::TDPFramework* DPFramework;
