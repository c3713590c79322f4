#include "engine/platform/net/net_loopback.h"

#include <deque>
#include <map>
#include <mutex>

#include "engine/platform/net/net_wire.h"

namespace Plat {

namespace {

// A listening host on a hub. Listening is read and written on its loop only.
struct TPort {
  std::shared_ptr<TLoopHandle> Loop;
  TNetEndpoint* Endpoint = nullptr;
  std::uint16_t Number = 0;
  bool Listening = true;
};

// Where a query's replies go; closed when the query ends.
struct TQuerySink {
  std::mutex Mutex;
  std::shared_ptr<TLoopHandle> Loop;
  TNetEndpoint* Endpoint = nullptr;
  bool Open = true;
};

struct THub {
  std::mutex Mutex;
  std::map<std::uint16_t, std::shared_ptr<TPort>> Ports;
  std::uint16_t Next = 1;
};

std::shared_ptr<THub> Hub(const std::string& name) {
  static std::mutex mutex;
  static std::map<std::string, std::shared_ptr<THub>> hubs;
  std::lock_guard lock(mutex);
  auto& hub = hubs[name];
  if (!hub) hub = std::make_shared<THub>();
  return hub;
}

class TLoopLink;

// Both directions of one connection. Each side has an inbox that its own
// loop drains in order.
struct TPipe {
  struct TSide {
    std::shared_ptr<TLoopHandle> Loop;
    TNetEndpoint* Endpoint = nullptr;
    std::weak_ptr<TLoopLink> Link;
    bool Open = true;
    bool Started = false;
    bool Scheduled = false;
    bool PeerGone = false;
    std::deque<TFrameBytes> Inbox;
    std::size_t Bytes = 0;
  };
  std::mutex Mutex;
  TSide Side[2];
  std::size_t MaxBacklog = 0;

  void Schedule(int j, const std::shared_ptr<TPipe>& self) {
    TSide& s = Side[j];
    if (!s.Started || s.Scheduled || !s.Open || (s.Inbox.empty() && !s.PeerGone)) return;
    s.Scheduled = s.Loop->Post([self, j] { self->Drain(j); });
  }
  void Drain(int j);
};

class TLoopLink final : public TNetLink {
 public:
  TLoopLink(std::shared_ptr<TPipe> pipe, int side, std::string name) : Pipe(std::move(pipe)), Me(side), Name(std::move(name)) {}
  static std::shared_ptr<TLoopLink> Make(const std::shared_ptr<TPipe>& pipe, int side, std::string name) {
    auto link = std::make_shared<TLoopLink>(pipe, side, std::move(name));
    std::lock_guard lock(pipe->Mutex);
    pipe->Side[side].Link = link;
    return link;
  }
  ~TLoopLink() override { Close(); }

  void Start() override {
    std::lock_guard lock(Pipe->Mutex);
    Pipe->Side[Me].Started = true;
    Pipe->Schedule(Me, Pipe);
  }

  bool Send(const TFrameBytes& frame) override {
    std::lock_guard lock(Pipe->Mutex);
    TPipe::TSide& peer = Pipe->Side[1 - Me];
    if (!Pipe->Side[Me].Open) return false;
    // As on TCP, a peer that closed is reported by its close, after whatever
    // it sent before: what is sent to it now is lost, not refused.
    if (!peer.Open) return true;
    if (peer.Bytes + frame->size() > Pipe->MaxBacklog) return false;
    peer.Inbox.push_back(frame);
    peer.Bytes += frame->size();
    Pipe->Schedule(1 - Me, Pipe);
    return true;
  }

  void Close() override {
    std::lock_guard lock(Pipe->Mutex);
    TPipe::TSide& self = Pipe->Side[Me];
    if (!self.Open) return;
    self.Open = false;
    self.Inbox.clear();
    Pipe->Side[1 - Me].PeerGone = true;
    Pipe->Schedule(1 - Me, Pipe);
  }

  std::string PeerName() const override { return Name; }

 private:
  std::shared_ptr<TPipe> Pipe;
  int Me;
  std::string Name;
};

void TPipe::Drain(int j) {
  std::deque<TFrameBytes> frames;
  bool gone;
  TNetEndpoint* endpoint;
  std::shared_ptr<TLoopLink> link;
  {
    std::lock_guard lock(Mutex);
    TSide& s = Side[j];
    s.Scheduled = false;
    if (!s.Open) return;
    frames.swap(s.Inbox);
    s.Bytes = 0;
    gone = s.PeerGone;
    if (gone) s.Open = false;
    endpoint = s.Endpoint;
    link = s.Link.lock();
  }
  if (!link) return;
  for (const TFrameBytes& f : frames)
    endpoint->Received(*link, std::span<const std::uint8_t>(*f).subspan(Wire::LengthPrefixBytes));
  if (gone) endpoint->Closed(*link, "connection closed");
}

class TLoopbackProvider final : public TNetProvider {
 public:
  TLoopbackProvider(TNetLoop& loop, TNetEndpoint& endpoint, const TNetSettings& settings, const std::string& hubName)
      : Loop(loop), Endpoint(endpoint), Settings(settings), SharedHub(Hub(hubName)) {}
  ~TLoopbackProvider() override {
    Unregister();
    StopQuery();
  }

  bool Listen(std::string&) override {
    auto port = std::make_shared<TPort>();
    port->Loop = Loop.Handle();
    port->Endpoint = &Endpoint;
    std::lock_guard lock(SharedHub->Mutex);
    port->Number = SharedHub->Next++;
    SharedHub->Ports[port->Number] = port;
    Own = port;
    return true;
  }

  void StopListening() override {
    if (auto port = Unregister()) Loop.Run([&] { port->Listening = false; });
  }

  std::uint16_t ListenPort() override { return Own ? Own->Number : 0; }

  bool StartQuery(std::span<const std::uint8_t> query, std::string&) override {
    StopQuery();
    auto sink = std::make_shared<TQuerySink>();
    sink->Loop = Loop.Handle();
    sink->Endpoint = &Endpoint;
    Sink = sink;
    auto bytes = std::make_shared<const std::vector<std::uint8_t>>(query.begin(), query.end());
    std::lock_guard lock(SharedHub->Mutex);
    for (auto& [number, port] : SharedHub->Ports)
      port->Loop->Post([port = port, sink, bytes] {
        if (!port->Listening) return;
        auto reply = std::make_shared<std::vector<std::uint8_t>>(port->Endpoint->Answer(*bytes, port->Number));
        if (reply->empty()) return;
        std::lock_guard l(sink->Mutex);
        if (sink->Open)
          sink->Loop->Post([sink, reply] {
            std::unique_lock open(sink->Mutex);
            if (!sink->Open) return;
            open.unlock();
            sink->Endpoint->Found(*reply, "loopback");
          });
      });
    return true;
  }

  void StopQuery() override {
    if (!Sink) return;
    std::lock_guard lock(Sink->Mutex);
    Sink->Open = false;
  }

  std::shared_ptr<TNetLink> Connect(const TNetPeer& peer, std::uint32_t, std::string& error) override {
    std::lock_guard lock(SharedHub->Mutex);
    auto it = SharedHub->Ports.find(peer.Port);
    if (it == SharedHub->Ports.end()) {
      error = "no session on loopback port " + std::to_string(peer.Port);
      return nullptr;
    }
    std::shared_ptr<TPort> port = it->second;
    auto pipe = std::make_shared<TPipe>();
    pipe->MaxBacklog = Settings.MaxSendBacklogBytes;
    pipe->Side[0].Loop = Loop.Handle();
    pipe->Side[0].Endpoint = &Endpoint;
    pipe->Side[1].Loop = port->Loop;
    pipe->Side[1].Endpoint = port->Endpoint;
    auto client = TLoopLink::Make(pipe, 0, "loopback:" + std::to_string(port->Number));
    auto host = TLoopLink::Make(pipe, 1, "loopback client");
    port->Loop->Post([port, host] {
      if (port->Listening)
        port->Endpoint->Accepted(host);
      else
        host->Close();
    });
    return client;
  }

 private:
  std::shared_ptr<TPort> Unregister() {
    std::shared_ptr<TPort> port = std::move(Own);
    if (!port) return nullptr;
    std::lock_guard lock(SharedHub->Mutex);
    SharedHub->Ports.erase(port->Number);
    return port;
  }

  TNetLoop& Loop;
  TNetEndpoint& Endpoint;
  const TNetSettings& Settings;
  std::shared_ptr<THub> SharedHub;
  std::shared_ptr<TPort> Own;
  std::shared_ptr<TQuerySink> Sink;
};

}  // namespace

std::unique_ptr<TNetProvider> MakeLoopbackProvider(TNetLoop& loop, TNetEndpoint& endpoint, const TNetSettings& settings,
                                                   const std::string& hubName) {
  return std::make_unique<TLoopbackProvider>(loop, endpoint, settings, hubName);
}

}  // namespace Plat
