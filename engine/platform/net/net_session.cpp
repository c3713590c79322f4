#include "engine/platform/net/net_session.h"

#include <algorithm>
#include <thread>
#include <type_traits>

namespace Plat {

namespace {

constexpr DPID FirstPlayerID = 0x00010001;
constexpr std::size_t MaxKnownSessions = 256;

std::vector<std::uint8_t> SystemMessage(std::initializer_list<std::uint32_t> words) {
  std::vector<std::uint8_t> out;
  out.reserve(words.size() * 4);
  for (std::uint32_t w : words)
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(w >> (8 * i)));
  return out;
}

DPSESSIONDESC2 FromWire(const Wire::TDesc& w) {
  DPSESSIONDESC2 d;
  d.dwFlags = w.Flags;
  d.guidInstance = w.Instance;
  d.guidApplication = w.Application;
  d.dwMaxPlayers = w.MaxPlayers;
  d.dwCurrentPlayers = w.CurrentPlayers;
  d.lpszSessionName = w.Name;
  d.dwUser1 = w.User[0];
  d.dwUser2 = w.User[1];
  d.dwUser3 = w.User[2];
  d.dwUser4 = w.User[3];
  return d;
}

// Fields the host publishes from a caller's description.
void TakePublicFields(DPSESSIONDESC2& to, const DPSESSIONDESC2& from) {
  to.dwFlags = from.dwFlags;
  to.dwMaxPlayers = from.dwMaxPlayers;
  to.lpszSessionName = from.lpszSessionName;
  to.lpszPassword = from.lpszPassword;
  to.dwUser1 = from.dwUser1;
  to.dwUser2 = from.dwUser2;
  to.dwUser3 = from.dwUser3;
  to.dwUser4 = from.dwUser4;
}

bool NameFits(const std::optional<std::string>& name) { return !name || name->size() <= Wire::MaxNameBytes; }

}  // namespace

TNetSession::TNetSession(const TNetSettings& settings, const TProviderFactory& makeProvider)
    : Settings(settings), HeartbeatTimer(Loop.Context()), Random(std::random_device{}()) {
  Provider = makeProvider(Loop, *this, Settings);
  Loop.Run([this] { ArmHeartbeat(); });
}

TNetSession::~TNetSession() {
  Loop.Stop();
  std::lock_guard lock(Mutex);
  for (auto& l : Links) l->Link->Close();
}

// ---- Enumeration ----

HRESULT TNetSession::EnumSessions(const TGuid& application, std::uint32_t timeoutMs,
                                  std::vector<DPSESSIONDESC2>& found) {
  std::lock_guard enumLock(EnumMutex);
  std::vector<std::uint8_t> query;
  {
    std::lock_guard lock(Mutex);
    EnumNonce = static_cast<std::uint32_t>(Random());
    EnumApplication = application;
    Collecting.clear();
    Enumerating = true;
    query = Wire::EncodeQuery({Wire::ProtocolVersion, EnumNonce, application});
  }
  if (Settings.Tap) Settings.Tap(query);
  std::string error;
  bool started = Provider->StartQuery(query, error);
  if (started) std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs ? timeoutMs : Settings.EnumTimeoutMs));
  Provider->StopQuery();
  std::lock_guard lock(Mutex);
  Enumerating = false;
  if (!started) {
    Log("session search failed: " + error);
    return DPERR_NOCONNECTION;
  }
  Known = std::move(Collecting);
  Collecting.clear();
  found.clear();
  for (const TKnownSession& k : Known) found.push_back(k.Desc);
  return DP_OK;
}

std::vector<std::uint8_t> TNetSession::Answer(std::span<const std::uint8_t> query, std::uint16_t port) {
  std::lock_guard lock(Mutex);
  Wire::TEnumQuery q;
  if (State != TState::Hosting || Frozen || !Wire::DecodeQuery(query, q)) return {};
  if (q.Version != Wire::ProtocolVersion || !(q.Application == Desc.guidApplication)) return {};
  auto now = TClock::now();
  if (now - ReplyWindow >= std::chrono::seconds(1)) {
    ReplyWindow = now;
    RepliesInWindow = 0;
  }
  if (++RepliesInWindow > Settings.MaxEnumRepliesPerSecond) return {};
  auto reply = Wire::EncodeReply({Wire::ProtocolVersion, q.Nonce, port, WireDesc()});
  if (Settings.Tap) Settings.Tap(reply);
  return reply;
}

void TNetSession::Found(std::span<const std::uint8_t> reply, const std::string& host) {
  std::lock_guard lock(Mutex);
  Wire::TEnumReply r;
  if (!Enumerating || !Wire::DecodeReply(reply, r)) return;
  if (r.Version != Wire::ProtocolVersion || r.Nonce != EnumNonce || !(r.Desc.Application == EnumApplication)) return;
  TKnownSession k{FromWire(r.Desc), TNetPeer{host, r.Port}};
  for (TKnownSession& old : Collecting)
    if (old.Desc.guidInstance == k.Desc.guidInstance) {
      old = std::move(k);
      return;
    }
  if (Collecting.size() < MaxKnownSessions) Collecting.push_back(std::move(k));
}

// ---- Opening and closing ----

HRESULT TNetSession::Host(const DPSESSIONDESC2& desc) {
  if (!NameFits(desc.lpszSessionName)) return DPERR_INVALIDPARAMS;
  {
    std::lock_guard lock(Mutex);
    if (State != TState::Idle) return DPERR_ALREADYINITIALIZED;
    ResetSession();
    Desc = DPSESSIONDESC2{};
    TakePublicFields(Desc, desc);
    Desc.guidApplication = desc.guidApplication;
    for (auto& b : Desc.guidInstance.Bytes) b = static_cast<std::uint8_t>(Random());
    NextID = FirstPlayerID;
    State = TState::Hosting;
  }
  std::string error;
  if (Provider->Listen(error)) return DP_OK;
  Log("cannot host: " + error);
  std::lock_guard lock(Mutex);
  State = TState::Idle;
  return DPERR_CANNOTCREATESERVER;
}

HRESULT TNetSession::Join(const TGuid& instance) {
  TNetPeer peer;
  TGuid application;
  {
    std::lock_guard lock(Mutex);
    if (State != TState::Idle) return DPERR_ALREADYINITIALIZED;
    auto k = std::find_if(Known.begin(), Known.end(), [&](const TKnownSession& s) { return s.Desc.guidInstance == instance; });
    if (k == Known.end()) return DPERR_NOSESSIONS;
    peer = k->Peer;
    application = k->Desc.guidApplication;
    ResetSession();
    State = TState::Joining;
  }
  std::string error;
  auto link = Provider->Connect(peer, Settings.ConnectTimeoutMs, error);
  std::unique_lock lock(Mutex);
  if (!link) {
    State = TState::Idle;
    Log("cannot join " + peer.Host + ": " + error);
    return DPERR_NOCONNECTION;
  }
  auto ls = std::make_unique<TLinkState>();
  ls->Link = link;
  ls->LastHeard = TClock::now();
  TLinkState& host = *ls;
  Links.push_back(std::move(ls));
  link->Start();
  SendTo(host, Encode(Wire::TJoinRequest{Wire::ProtocolVersion, application, instance}));
  Reap();
  bool settled = Changed.wait_for(lock, std::chrono::milliseconds(Settings.ConnectTimeoutMs),
                                  [this] { return State != TState::Joining; });
  if (State == TState::Joined) return DP_OK;
  if (!settled) {
    Log("no answer from " + peer.Host + " to the join request");
    JoinResult = DPERR_TIMEOUT;
  }
  for (auto& l : Links) l->Link->Close();
  Links.clear();
  State = TState::Idle;
  return JoinResult != DP_OK ? JoinResult : DPERR_CONNECTIONLOST;  // closed meanwhile
}

HRESULT TNetSession::Close() {
  bool wasHosting;
  {
    std::lock_guard lock(Mutex);
    wasHosting = State == TState::Hosting;
    if (wasHosting) {
      auto closed = Encode(Wire::TSessionClosed{});
      for (auto& l : Links)
        if (l->Joined) SendTo(*l, closed);
    }
    for (auto& l : Links) l->Link->Close();
    Links.clear();
    ResetSession();
    State = TState::Idle;
  }
  if (wasHosting) Provider->StopListening();
  return DP_OK;
}

void TNetSession::ResetSession() {
  Players.clear();
  PendingCreates.clear();
  QueuedBytes = QueuedMessages = 0;
  JoinResult = DP_OK;
  Desc = DPSESSIONDESC2{};
  Changed.notify_all();
}

void TNetSession::LoseSession(const std::string& reason) {
  if (State == TState::Joining) {
    JoinResult = DPERR_CONNECTIONLOST;
    State = TState::Idle;
  } else if (State == TState::Joined) {
    Log("session lost: " + reason);
    State = TState::Lost;
    std::erase_if(Players, [](const auto& p) { return !p->Local; });
    auto lost = SystemMessage({DPSYS_SESSIONLOST});
    for (auto& p : Players) Deliver(*p, DPID_SYSMSG, lost, true);
  }
  for (auto& l : Links) l->Link->Close();
  Links.clear();
  for (auto& [token, pending] : PendingCreates)
    if (!pending.Done) pending = {true, DPERR_SESSIONLOST, 0};
  Changed.notify_all();
}

// ---- Players and the description ----

HRESULT TNetSession::GetPlayers(std::vector<TPlayerView>& out) {
  std::lock_guard lock(Mutex);
  if (State == TState::Idle || State == TState::Joining) return DPERR_NOCONNECTION;
  // Only the local players are left of a lost session: listed, they would
  // read as a whole session, and a lobby as ready to start.
  if (State == TState::Lost) return DPERR_SESSIONLOST;
  out.clear();
  for (const auto& p : Players) out.push_back({p->ID, p->Name, p->Local});
  return DP_OK;
}

HRESULT TNetSession::CreatePlayer(const std::string& name, DPID& id) {
  if (name.size() > Wire::MaxNameBytes) return DPERR_INVALIDPARAMS;
  std::unique_lock lock(Mutex);
  if (State == TState::Lost) return DPERR_SESSIONLOST;
  if (State == TState::Hosting) {
    if (Players.size() >= Wire::MaxSessionPlayers || (Desc.dwMaxPlayers && Players.size() >= Desc.dwMaxPlayers))
      return DPERR_CANTCREATEPLAYER;
    id = NextID++;
    AddPlayer(id, name, true, nullptr);
    NotifyLocals(SystemMessage({DPSYS_CREATEPLAYERORGROUP, DPPLAYERTYPE_PLAYER, id}), id);
    Broadcast(Encode(Wire::TPlayerAdded{id, 0, name}), nullptr);
    Reap();
    return DP_OK;
  }
  if (State != TState::Joined) return DPERR_NOCONNECTION;
  std::uint32_t token = ++NextToken ? NextToken : ++NextToken;
  PendingCreates[token] = {};
  SendTo(*Links.front(), Encode(Wire::TCreatePlayer{token, name}));
  Reap();
  Changed.wait_for(lock, std::chrono::milliseconds(Settings.ConnectTimeoutMs),
                   [&] { return PendingCreates.count(token) == 0 || PendingCreates[token].Done; });
  auto it = PendingCreates.find(token);
  if (it == PendingCreates.end()) return DPERR_SESSIONLOST;
  TPendingCreate result = it->second;
  PendingCreates.erase(it);
  if (!result.Done) return DPERR_TIMEOUT;
  if (result.Result == DP_OK) id = result.ID;
  return result.Result;
}

HRESULT TNetSession::DestroyPlayer(DPID id) {
  std::lock_guard lock(Mutex);
  TPlayerState* p = FindPlayer(id);
  if (!p || !p->Local) return DPERR_INVALIDPLAYER;
  RemovePlayer(id);
  NotifyLocals(SystemMessage({DPSYS_DESTROYPLAYERORGROUP, DPPLAYERTYPE_PLAYER, id}), id);
  if (State == TState::Hosting || State == TState::Joined) Broadcast(Encode(Wire::TPlayerGone{id}), nullptr);
  Reap();
  return DP_OK;
}

HRESULT TNetSession::GetPlayerData(DPID id, std::vector<std::uint8_t>& data) {
  std::lock_guard lock(Mutex);
  TPlayerState* p = FindPlayer(id);
  if (!p) return DPERR_INVALIDPLAYER;
  data = p->Data;
  return DP_OK;
}

HRESULT TNetSession::SetPlayerData(DPID id, std::span<const std::uint8_t> data) {
  if (data.size() > Wire::MaxPlayerDataBytes) return DPERR_INVALIDPARAMS;
  std::lock_guard lock(Mutex);
  if (State == TState::Lost) return DPERR_SESSIONLOST;
  TPlayerState* p = FindPlayer(id);
  if (!p) return DPERR_INVALIDPLAYER;
  if (!p->Local) return DPERR_ACCESSDENIED;
  p->Data.assign(data.begin(), data.end());
  NotifyLocals(SystemMessage({DPSYS_SETPLAYERORGROUPDATA, DPPLAYERTYPE_PLAYER, id, static_cast<std::uint32_t>(data.size())}), id);
  Broadcast(Encode(Wire::TPlayerData{id, p->Data}), nullptr);
  Reap();
  return DP_OK;
}

HRESULT TNetSession::GetDesc(DPSESSIONDESC2& out) {
  std::lock_guard lock(Mutex);
  if (State == TState::Idle || State == TState::Joining) return DPERR_NOCONNECTION;
  out = Desc;
  out.dwCurrentPlayers = static_cast<std::uint32_t>(Players.size());
  return DP_OK;
}

HRESULT TNetSession::SetDesc(const DPSESSIONDESC2& desc) {
  if (!NameFits(desc.lpszSessionName)) return DPERR_INVALIDPARAMS;
  std::lock_guard lock(Mutex);
  if (State == TState::Idle || State == TState::Joining) return DPERR_NOCONNECTION;
  if (State != TState::Hosting) return DPERR_ACCESSDENIED;
  TakePublicFields(Desc, desc);
  Broadcast(Encode(Wire::TSessionDesc{WireDesc()}), nullptr);
  Reap();
  return DP_OK;
}

// ---- Messages ----

HRESULT TNetSession::Send(DPID from, DPID to, std::span<const std::uint8_t> data) {
  if (data.size() > Wire::MaxMessageBytes) return DPERR_SENDTOOBIG;
  std::lock_guard lock(Mutex);
  if (State == TState::Lost) return DPERR_SESSIONLOST;
  if (State != TState::Hosting && State != TState::Joined) return DPERR_INVALIDPLAYER;
  TPlayerState* sender = FindPlayer(from);
  TPlayerState* target = to == DPID_ALLPLAYERS ? nullptr : FindPlayer(to);
  if (!sender || !sender->Local || (to != DPID_ALLPLAYERS && !target)) return DPERR_INVALIDPLAYER;
  std::vector<std::uint8_t> bytes(data.begin(), data.end());
  bool delivered = true;
  if (target && target->Local) {
    delivered = Deliver(*target, from, std::move(bytes));
  } else {
    if (!target)
      for (auto& p : Players)
        if (p->Local && p->ID != from) delivered = Deliver(*p, from, bytes) && delivered;
    auto frame = Encode(Wire::TData{from, to, std::move(bytes)});
    if (State == TState::Joined)
      SendTo(*Links.front(), frame);
    else if (target)
      SendTo(*target->Owner, frame);
    else
      Broadcast(frame, nullptr);
  }
  Reap();
  if (State == TState::Lost) return DPERR_CONNECTIONLOST;
  return delivered ? DP_OK : DPERR_BUSY;
}

HRESULT TNetSession::Receive(DPID& from, DPID& to, std::uint32_t flags, std::vector<std::uint8_t>& data) {
  if (flags & ~(DPRECEIVE_ALL | DPRECEIVE_TOPLAYER | DPRECEIVE_PEEK)) return DPERR_INVALIDFLAGS;
  std::lock_guard lock(Mutex);
  TPlayerState* source = nullptr;
  if (flags & DPRECEIVE_TOPLAYER) {
    source = FindPlayer(to);
    if (!source || !source->Local) return DPERR_INVALIDPLAYER;
    if (source->Queue.empty()) return DPERR_NOMESSAGES;
  } else {
    for (auto& p : Players)
      if (p->Local && !p->Queue.empty() && (!source || p->Queue.front().Seq < source->Queue.front().Seq))
        source = p.get();
    if (!source) return DPERR_NOMESSAGES;
  }
  TQueued& m = source->Queue.front();
  from = m.From;
  to = source->ID;
  if (flags & DPRECEIVE_PEEK) {
    data = m.Data;
    return DP_OK;
  }
  QueuedBytes -= m.Data.size();
  --QueuedMessages;
  data = std::move(m.Data);
  source->Queue.pop_front();
  return DP_OK;
}

void TNetSession::Freeze() {
  std::lock_guard lock(Mutex);
  Frozen = true;
}

// ---- Network events ----

void TNetSession::Accepted(std::shared_ptr<TNetLink> link) {
  std::lock_guard lock(Mutex);
  if (State != TState::Hosting || Frozen) {
    link->Close();
    return;
  }
  std::size_t pending = 0;
  for (const auto& l : Links) pending += !l->Joined;
  if (Links.size() >= Settings.MaxConnections || pending >= Settings.MaxPendingConnections) {
    // Players who joined keep their places; a connection still waiting to
    // join gives way to the newest, which may be a player about to join.
    TLinkState* oldest = OldestPending();
    if (!oldest) {
      LogConnection("refused a connection from " + link->PeerName() + ": too many connections");
      link->Close();
      return;
    }
    Drop(*oldest, "dropped " + oldest->Link->PeerName() + ", which had not joined, for a newer connection");
    Reap();
  }
  auto ls = std::make_unique<TLinkState>();
  ls->Link = std::move(link);
  ls->Opened = ls->LastHeard = TClock::now();
  Links.push_back(std::move(ls));
  Links.back()->Link->Start();
}

void TNetSession::Received(TNetLink& link, std::span<const std::uint8_t> payload) {
  std::lock_guard lock(Mutex);
  TLinkState* from = FindLink(link);
  if (!from || Frozen || !from->DropReason.empty()) return;
  from->LastHeard = TClock::now();
  Wire::TFrame frame;
  std::string error;
  if (!Wire::DecodeFrame(payload, frame, error))
    Drop(*from, "bad frame from " + link.PeerName() + ": " + error);
  else if (State == TState::Hosting)
    HostFrame(*from, frame);
  else
    ClientFrame(*from, frame);
  Reap();
}

void TNetSession::Closed(TNetLink& link, const std::string& reason) {
  std::lock_guard lock(Mutex);
  if (TLinkState* l = FindLink(link)) Drop(*l, link.PeerName() + ": " + reason);
  Reap();
}

void TNetSession::HostFrame(TLinkState& from, Wire::TFrame& frame) {
  auto violation = [&] { Drop(from, std::string("unexpected ") + Wire::FrameName(frame) + " from " + from.Link->PeerName()); };
  auto owned = [&](DPID id) {
    TPlayerState* p = FindPlayer(id);
    return p && p->Owner == &from ? p : nullptr;
  };
  if (std::holds_alternative<Wire::TPing>(frame)) return;
  if (!from.Joined) {
    auto* req = std::get_if<Wire::TJoinRequest>(&frame);
    if (!req) return violation();
    HRESULT refusal = DP_OK;
    if (req->Version != Wire::ProtocolVersion)
      refusal = DPERR_UNSUPPORTED;
    else if (!(req->Application == Desc.guidApplication) || !(req->Instance == Desc.guidInstance))
      refusal = DPERR_NOSESSIONS;
    else if (Desc.dwFlags & (DPSESSION_NEWPLAYERSDISABLED | DPSESSION_JOINDISABLED))
      refusal = DPERR_NONEWPLAYERS;
    else if (Desc.dwMaxPlayers && Players.size() >= Desc.dwMaxPlayers)
      refusal = DPERR_NONEWPLAYERS;
    if (refusal != DP_OK) {
      SendTo(from, Encode(Wire::TJoinRefuse{refusal}));
      from.DropReason = "refused a join from " + from.Link->PeerName();
      return;
    }
    from.Joined = true;
    Wire::TJoinAccept accept{WireDesc(), {}};
    for (const auto& p : Players) accept.Players.push_back({p->ID, p->Name, p->Data});
    SendTo(from, Encode(accept));
    return;
  }
  if (auto* f = std::get_if<Wire::TCreatePlayer>(&frame)) {
    if ((Desc.dwFlags & DPSESSION_NEWPLAYERSDISABLED) || Players.size() >= Wire::MaxSessionPlayers ||
        (Desc.dwMaxPlayers && Players.size() >= Desc.dwMaxPlayers)) {
      SendTo(from, Encode(Wire::TPlayerRefused{f->Token, DPERR_CANTCREATEPLAYER}));
      return;
    }
    DPID id = NextID++;
    AddPlayer(id, f->Name, false, &from);
    if (!NotifyLocals(SystemMessage({DPSYS_CREATEPLAYERORGROUP, DPPLAYERTYPE_PLAYER, id}), id))
      return Drop(from, "receive queue full");
    SendTo(from, Encode(Wire::TPlayerAdded{id, f->Token, f->Name}));
    Broadcast(Encode(Wire::TPlayerAdded{id, 0, std::move(f->Name)}), &from);
  } else if (auto* f = std::get_if<Wire::TPlayerGone>(&frame)) {
    if (!owned(f->ID)) return violation();
    RemovePlayer(f->ID);
    if (!NotifyLocals(SystemMessage({DPSYS_DESTROYPLAYERORGROUP, DPPLAYERTYPE_PLAYER, f->ID}), f->ID))
      return Drop(from, "receive queue full");
    Broadcast(Encode(*f), &from);
  } else if (auto* f = std::get_if<Wire::TPlayerData>(&frame)) {
    TPlayerState* p = owned(f->ID);
    if (!p) return violation();
    p->Data = f->Data;
    auto note = SystemMessage({DPSYS_SETPLAYERORGROUPDATA, DPPLAYERTYPE_PLAYER, f->ID, static_cast<std::uint32_t>(f->Data.size())});
    if (!NotifyLocals(note, f->ID)) return Drop(from, "receive queue full");
    Broadcast(Encode(*f), &from);
  } else if (auto* f = std::get_if<Wire::TData>(&frame)) {
    if (!owned(f->From)) return violation();
    TPlayerState* target = f->To == DPID_ALLPLAYERS ? nullptr : FindPlayer(f->To);
    if (f->To != DPID_ALLPLAYERS && !target) return;  // left meanwhile
    bool delivered = true;
    if (!target) {
      for (auto& p : Players)
        if (p->Local) delivered = Deliver(*p, f->From, f->Payload) && delivered;
      Broadcast(Encode(*f), &from);
    } else if (target->Local) {
      delivered = Deliver(*target, f->From, std::move(f->Payload));
    } else if (target->Owner != &from) {
      SendTo(*target->Owner, Encode(*f));
    }
    if (!delivered) Drop(from, "receive queue full");
  } else {
    violation();
  }
}

void TNetSession::ClientFrame(TLinkState& from, Wire::TFrame& frame) {
  auto violation = [&] { Drop(from, std::string("unexpected ") + Wire::FrameName(frame) + " from the host"); };
  auto remote = [&](DPID id) {
    TPlayerState* p = FindPlayer(id);
    return p && !p->Local ? p : nullptr;
  };
  if (std::holds_alternative<Wire::TPing>(frame)) return;
  if (State == TState::Joining) {
    if (auto* f = std::get_if<Wire::TJoinAccept>(&frame)) {
      std::vector<DPID> ids;
      for (auto& p : f->Players) {
        if (p.ID == DPID_ALLPLAYERS || std::find(ids.begin(), ids.end(), p.ID) != ids.end()) return violation();
        ids.push_back(p.ID);
      }
      Desc = FromWire(f->Desc);
      for (auto& p : f->Players) AddPlayer(p.ID, std::move(p.Name), false, nullptr).Data = std::move(p.Data);
      from.Joined = true;
      State = TState::Joined;
      Changed.notify_all();
    } else if (auto* f = std::get_if<Wire::TJoinRefuse>(&frame)) {
      JoinResult = f->Code == DP_OK ? DPERR_GENERIC : f->Code;
      State = TState::Idle;
      Changed.notify_all();
    } else {
      violation();
    }
    return;
  }
  if (auto* f = std::get_if<Wire::TPlayerAdded>(&frame)) {
    // The host holds no more players than this; a host announcing more
    // would grow the table without end.
    if (f->ID == DPID_ALLPLAYERS || FindPlayer(f->ID) || Players.size() >= Wire::MaxSessionPlayers)
      return violation();
    auto pending = f->Token ? PendingCreates.find(f->Token) : PendingCreates.end();
    if (f->Token && (pending == PendingCreates.end() || pending->second.Done)) {
      // The request timed out: give the player back.
      SendTo(from, Encode(Wire::TPlayerGone{f->ID}));
      return;
    }
    bool local = pending != PendingCreates.end();
    AddPlayer(f->ID, std::move(f->Name), local, nullptr);
    if (local) {
      pending->second = {true, DP_OK, f->ID};
      Changed.notify_all();
    }
    if (!NotifyLocals(SystemMessage({DPSYS_CREATEPLAYERORGROUP, DPPLAYERTYPE_PLAYER, f->ID}), f->ID))
      LoseSession("receive queue full");
  } else if (auto* f = std::get_if<Wire::TPlayerRefused>(&frame)) {
    auto pending = PendingCreates.find(f->Token);
    if (pending != PendingCreates.end() && !pending->second.Done) {
      pending->second = {true, f->Code == DP_OK ? DPERR_CANTCREATEPLAYER : f->Code, 0};
      Changed.notify_all();
    }
  } else if (auto* f = std::get_if<Wire::TPlayerGone>(&frame)) {
    if (!remote(f->ID)) return violation();
    RemovePlayer(f->ID);
    if (!NotifyLocals(SystemMessage({DPSYS_DESTROYPLAYERORGROUP, DPPLAYERTYPE_PLAYER, f->ID}), f->ID))
      LoseSession("receive queue full");
  } else if (auto* f = std::get_if<Wire::TPlayerData>(&frame)) {
    TPlayerState* p = remote(f->ID);
    if (!p) return violation();
    p->Data = std::move(f->Data);
    auto note = SystemMessage({DPSYS_SETPLAYERORGROUPDATA, DPPLAYERTYPE_PLAYER, f->ID, static_cast<std::uint32_t>(p->Data.size())});
    if (!NotifyLocals(note, f->ID)) LoseSession("receive queue full");
  } else if (auto* f = std::get_if<Wire::TSessionDesc>(&frame)) {
    Desc = FromWire(f->Desc);
  } else if (auto* f = std::get_if<Wire::TData>(&frame)) {
    if (!remote(f->From)) return violation();
    bool delivered = true;
    if (f->To == DPID_ALLPLAYERS) {
      for (auto& p : Players)
        if (p->Local) delivered = Deliver(*p, f->From, f->Payload) && delivered;
    } else if (TPlayerState* p = FindPlayer(f->To); p && p->Local) {
      delivered = Deliver(*p, f->From, std::move(f->Payload));
    }
    if (!delivered) LoseSession("receive queue full");
  } else if (std::holds_alternative<Wire::TSessionClosed>(frame)) {
    LoseSession("the host closed the session");
  } else {
    violation();
  }
}

// ---- Heartbeat ----

void TNetSession::ArmHeartbeat() {
  HeartbeatTimer.expires_after(std::chrono::milliseconds(Settings.HeartbeatMs));
  HeartbeatTimer.async_wait([this](const std::error_code& ec) {
    if (ec) return;
    Heartbeat();
    ArmHeartbeat();
  });
}

void TNetSession::Heartbeat() {
  std::lock_guard lock(Mutex);
  if (Frozen) return;
  if (Links.empty()) return FlushConnectionLog(TClock::now());
  auto now = TClock::now();
  auto limit = std::chrono::milliseconds(Settings.SilenceTimeoutMs);
  auto deadline = std::chrono::milliseconds(Settings.JoinDeadlineMs);
  auto ping = Encode(Wire::TPing{});
  FlushConnectionLog(now);
  for (auto& l : Links) {
    // Only the join request counts before joining: pings earn no time.
    if (State == TState::Hosting && !l->Joined && now - l->Opened > deadline)
      Drop(*l, "no join request from " + l->Link->PeerName() + " within " + std::to_string(Settings.JoinDeadlineMs) +
                   " ms");
    else if (now - l->LastHeard > limit)
      Drop(*l, "no sign of life from " + l->Link->PeerName() + " for " + std::to_string(Settings.SilenceTimeoutMs) + " ms");
    else
      SendTo(*l, ping);
  }
  Reap();
}

// ---- Helpers ----

TNetSession::TLinkState* TNetSession::FindLink(const TNetLink& link) {
  for (auto& l : Links)
    if (l->Link.get() == &link) return l.get();
  return nullptr;
}

TNetSession::TPlayerState* TNetSession::FindPlayer(DPID id) {
  for (auto& p : Players)
    if (p->ID == id) return p.get();
  return nullptr;
}

TNetSession::TPlayerState& TNetSession::AddPlayer(DPID id, std::string name, bool local, TLinkState* owner) {
  auto p = std::make_unique<TPlayerState>();
  p->ID = id;
  p->Name = std::move(name);
  p->Local = local;
  p->Owner = owner;
  // Players join in ID order; keep it when a late reply arrives out of turn.
  auto at = std::upper_bound(Players.begin(), Players.end(), id, [](DPID v, const auto& q) { return v < q->ID; });
  return **Players.insert(at, std::move(p));
}

void TNetSession::RemovePlayer(DPID id) {
  std::erase_if(Players, [&](const auto& p) {
    if (p->ID != id) return false;
    for (const TQueued& m : p->Queue) QueuedBytes -= m.Data.size();
    QueuedMessages -= p->Queue.size();
    return true;
  });
}

Wire::TDesc TNetSession::WireDesc() const {
  Wire::TDesc w;
  w.Flags = Desc.dwFlags;
  w.Instance = Desc.guidInstance;
  w.Application = Desc.guidApplication;
  w.MaxPlayers = Desc.dwMaxPlayers;
  w.CurrentPlayers = static_cast<std::uint32_t>(Players.size());
  w.Name = Desc.lpszSessionName;
  w.User[0] = Desc.dwUser1;
  w.User[1] = Desc.dwUser2;
  w.User[2] = Desc.dwUser3;
  w.User[3] = Desc.dwUser4;
  return w;
}

bool TNetSession::Deliver(TPlayerState& to, DPID from, std::vector<std::uint8_t> data, bool force) {
  if (!force && (QueuedBytes + data.size() > Settings.MaxQueuedBytes || QueuedMessages >= Settings.MaxQueuedMessages))
    return false;
  QueuedBytes += data.size();
  ++QueuedMessages;
  to.Queue.push_back({NextSeq++, from, std::move(data)});
  return true;
}

bool TNetSession::NotifyLocals(const std::vector<std::uint8_t>& message, DPID except) {
  bool ok = true;
  for (auto& p : Players)
    if (p->Local && p->ID != except) ok = Deliver(*p, DPID_SYSMSG, message) && ok;
  return ok;
}

void TNetSession::SendTo(TLinkState& link, const TFrameBytes& frame) {
  if (Frozen || !link.DropReason.empty()) return;
  if (Settings.Tap) Settings.Tap(*frame);
  if (!link.Link->Send(frame)) Drop(link, "cannot keep up with " + link.Link->PeerName() + ": send backlog full");
}

void TNetSession::Broadcast(const TFrameBytes& frame, const TLinkState* except) {
  for (auto& l : Links)
    if (l.get() != except && l->Joined) SendTo(*l, frame);
}

void TNetSession::Drop(TLinkState& link, std::string reason) {
  if (link.DropReason.empty()) link.DropReason = std::move(reason);
}

void TNetSession::Reap() {
  for (;;) {
    auto it = std::find_if(Links.begin(), Links.end(), [](const auto& l) { return !l->DropReason.empty(); });
    if (it == Links.end()) return;
    std::unique_ptr<TLinkState> link = std::move(*it);
    Links.erase(it);
    link->Link->Close();
    if (State != TState::Hosting) {
      LoseSession(link->DropReason);
      continue;
    }
    if (link->Joined)
      Log(link->DropReason);
    else
      LogConnection(link->DropReason);
    std::vector<DPID> gone;
    for (auto& p : Players)
      if (p->Owner == link.get()) gone.push_back(p->ID);
    for (DPID id : gone) {
      RemovePlayer(id);
      // The 5 must get through; a full queue is the reader's problem now.
      auto note = SystemMessage({DPSYS_DESTROYPLAYERORGROUP, DPPLAYERTYPE_PLAYER, id});
      for (auto& p : Players)
        if (p->Local) Deliver(*p, DPID_SYSMSG, note, true);
      Broadcast(Encode(Wire::TPlayerGone{id}), nullptr);
    }
  }
}

TFrameBytes TNetSession::Encode(const Wire::TFrame& frame) const {
  return std::make_shared<const std::vector<std::uint8_t>>(Wire::EncodeFrame(frame));
}

void TNetSession::Log(const std::string& line) const {
  if (Settings.Log) Settings.Log(line);
}

void TNetSession::LogConnection(const std::string& line) {
  const auto now = TClock::now();
  FlushConnectionLog(now);
  if (ConnectionLinesInWindow == 0) ConnectionLogWindow = now;
  if (ConnectionLinesInWindow++ < Settings.MaxConnectionLogLinesPerSecond)
    Log(line);
  else
    ++ConnectionLinesSuppressed;
}

void TNetSession::FlushConnectionLog(TClock::time_point now) {
  if (ConnectionLinesInWindow == 0 || now - ConnectionLogWindow < std::chrono::seconds(1)) return;
  if (ConnectionLinesSuppressed)
    Log(std::to_string(ConnectionLinesSuppressed) + " more connections that never joined refused or dropped");
  ConnectionLinesInWindow = ConnectionLinesSuppressed = 0;
}

TNetSession::TLinkState* TNetSession::OldestPending() {
  TLinkState* oldest = nullptr;
  for (auto& l : Links)
    if (!l->Joined && l->DropReason.empty() && (!oldest || l->Opened < oldest->Opened)) oldest = l.get();
  return oldest;
}

}  // namespace Plat
