// One transport's session: hosting (accepting connections, answering
// enumeration, relaying every frame in arrival order) or joining one host;
// the replicated player table and session description; one receive queue per
// local player; system messages; heartbeats. Every operation may be called
// from any thread; network events run on the session's own loop thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <span>
#include <string>
#include <vector>

#include <asio/steady_timer.hpp>

#include "engine/platform/net/dplay_types.h"
#include "engine/platform/net/net_link.h"
#include "engine/platform/net/net_loop.h"
#include "engine/platform/net/net_settings.h"
#include "engine/platform/net/net_wire.h"

namespace Plat {

struct TPlayerView {
  DPID ID = 0;
  std::string Name;
  bool Local = false;
};

class TNetSession final : private TNetEndpoint {
 public:
  using TProviderFactory =
      std::function<std::unique_ptr<TNetProvider>(TNetLoop&, TNetEndpoint&, const TNetSettings&)>;
  TNetSession(const TNetSettings& settings, const TProviderFactory& makeProvider);
  // Abandons an open session: peers see the connection end.
  ~TNetSession();
  TNetSession(const TNetSession&) = delete;
  TNetSession& operator=(const TNetSession&) = delete;

  HRESULT EnumSessions(const TGuid& application, std::uint32_t timeoutMs, std::vector<DPSESSIONDESC2>& found);
  HRESULT Host(const DPSESSIONDESC2& desc);
  HRESULT Join(const TGuid& instance);
  HRESULT Close();
  HRESULT GetPlayers(std::vector<TPlayerView>& out);
  HRESULT CreatePlayer(const std::string& name, DPID& id);
  HRESULT DestroyPlayer(DPID id);
  HRESULT GetPlayerData(DPID id, std::vector<std::uint8_t>& data);
  HRESULT SetPlayerData(DPID id, std::span<const std::uint8_t> data);
  HRESULT GetDesc(DPSESSIONDESC2& out);
  HRESULT SetDesc(const DPSESSIONDESC2& desc);
  HRESULT Send(DPID from, DPID to, std::span<const std::uint8_t> data);
  HRESULT Receive(DPID& from, DPID& to, std::uint32_t flags, std::vector<std::uint8_t>& data);

  // The port that enumeration queries reach while hosting; 0 when none.
  std::uint16_t ListenPort() { return Provider->ListenPort(); }
  // Test seam: from now on this transport neither sends nor reads anything,
  // as a hung machine would.
  void Freeze();

 private:
  enum class TState { Idle, Hosting, Joining, Joined, Lost };
  using TClock = std::chrono::steady_clock;

  struct TLinkState {
    std::shared_ptr<TNetLink> Link;
    bool Joined = false;
    TClock::time_point Opened;
    TClock::time_point LastHeard;
    std::string DropReason;  // set: dropped at the end of the current operation
  };
  struct TQueued {
    std::uint64_t Seq = 0;
    DPID From = 0;
    std::vector<std::uint8_t> Data;
  };
  struct TPlayerState {
    DPID ID = 0;
    std::string Name;
    std::vector<std::uint8_t> Data;
    bool Local = false;
    TLinkState* Owner = nullptr;  // on the host: the connection of a remote player
    std::deque<TQueued> Queue;
  };
  struct TKnownSession {
    DPSESSIONDESC2 Desc;
    TNetPeer Peer;
  };
  struct TPendingCreate {
    bool Done = false;
    HRESULT Result = DP_OK;
    DPID ID = 0;
  };

  // TNetEndpoint, on the loop thread.
  void Accepted(std::shared_ptr<TNetLink> link) override;
  void Received(TNetLink& link, std::span<const std::uint8_t> payload) override;
  void Closed(TNetLink& link, const std::string& reason) override;
  std::vector<std::uint8_t> Answer(std::span<const std::uint8_t> query, std::uint16_t port) override;
  void Found(std::span<const std::uint8_t> reply, const std::string& host) override;

  // Everything below runs with Mutex held.
  void HostFrame(TLinkState& from, Wire::TFrame& frame);
  void ClientFrame(TLinkState& from, Wire::TFrame& frame);
  void Heartbeat();
  void ArmHeartbeat();
  TLinkState* FindLink(const TNetLink& link);
  TPlayerState* FindPlayer(DPID id);
  TPlayerState& AddPlayer(DPID id, std::string name, bool local, TLinkState* owner);
  void RemovePlayer(DPID id);
  Wire::TDesc WireDesc() const;
  bool Deliver(TPlayerState& to, DPID from, std::vector<std::uint8_t> data, bool force = false);
  bool NotifyLocals(const std::vector<std::uint8_t>& message, DPID except);
  void SendTo(TLinkState& link, const TFrameBytes& frame);
  void Broadcast(const TFrameBytes& frame, const TLinkState* except);
  void Drop(TLinkState& link, std::string reason);
  // Carries out the drops marked during the current operation.
  void Reap();
  void LoseSession(const std::string& reason);
  void ResetSession();
  TFrameBytes Encode(const Wire::TFrame& frame) const;
  void Log(const std::string& line) const;
  // Log for lines a stranger can cause many of (connections that never
  // joined): limited per second, the rest counted.
  void LogConnection(const std::string& line);
  void FlushConnectionLog(TClock::time_point now);
  TLinkState* OldestPending();

  const TNetSettings Settings;
  TNetLoop Loop;
  std::unique_ptr<TNetProvider> Provider;
  asio::steady_timer HeartbeatTimer;

  std::mutex Mutex;
  std::condition_variable Changed;
  TState State = TState::Idle;
  bool Frozen = false;
  DPSESSIONDESC2 Desc;
  HRESULT JoinResult = DP_OK;
  std::vector<std::unique_ptr<TLinkState>> Links;  // host: the clients; client: the host
  TClock::time_point ConnectionLogWindow;
  std::uint32_t ConnectionLinesInWindow = 0;
  std::uint32_t ConnectionLinesSuppressed = 0;
  std::vector<std::unique_ptr<TPlayerState>> Players;  // in ID order, as the host made them
  DPID NextID = 0;
  std::uint64_t NextSeq = 0;
  std::size_t QueuedBytes = 0;
  std::size_t QueuedMessages = 0;
  std::uint32_t NextToken = 0;
  std::map<std::uint32_t, TPendingCreate> PendingCreates;
  std::mt19937 Random;
  // Enumeration.
  std::mutex EnumMutex;  // one enumeration at a time
  bool Enumerating = false;
  std::uint32_t EnumNonce = 0;
  TGuid EnumApplication;
  std::vector<TKnownSession> Collecting;
  std::vector<TKnownSession> Known;  // the last completed enumeration
  TClock::time_point ReplyWindow;
  std::uint32_t RepliesInWindow = 0;
};

}  // namespace Plat
