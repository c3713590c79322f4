#include "engine/platform/net/net_tcp.h"

#include <array>
#include <deque>
#include <mutex>
#include <optional>

#include <asio/connect.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/ip/udp.hpp>
#include <asio/steady_timer.hpp>
#include <asio/write.hpp>

#include "engine/platform/net/net_wire.h"

namespace Plat {

namespace {

using asio::ip::tcp;
using asio::ip::udp;

constexpr auto CloseGrace = std::chrono::seconds(2);  // for queued frames of a closing link
constexpr std::size_t MaxGather = 64;

class TTcpLink final : public TNetLink, public std::enable_shared_from_this<TTcpLink> {
 public:
  TTcpLink(tcp::socket socket, TNetEndpoint& endpoint, std::size_t maxBacklog)
      : Socket(std::move(socket)), Endpoint(endpoint), MaxBacklog(maxBacklog), CloseTimer(Socket.get_executor()) {
    std::error_code ec;
    Socket.set_option(tcp::no_delay(true), ec);
    auto peer = Socket.remote_endpoint(ec);
    Name = ec ? std::string("a peer") : peer.address().to_string() + ":" + std::to_string(peer.port());
  }

  void Start() override {
    asio::post(Socket.get_executor(), [self = shared_from_this()] { self->ReadMore(); });
  }

  bool Send(const TFrameBytes& frame) override {
    std::lock_guard lock(Mutex);
    if (Closing || OutBytes + frame->size() > MaxBacklog) return false;
    Out.push_back(frame);
    OutBytes += frame->size();
    if (!Writing) {
      Writing = true;
      asio::post(Socket.get_executor(), [self = shared_from_this()] { self->WriteNext(); });
    }
    return true;
  }

  void Close() override {
    std::lock_guard lock(Mutex);
    if (Closing) return;
    Closing = true;
    asio::post(Socket.get_executor(), [self = shared_from_this()] { self->BeginClose(); });
  }

  std::string PeerName() const override { return Name; }

 private:
  void ReadMore() {
    Socket.async_read_some(asio::buffer(Buffer), [self = shared_from_this()](const std::error_code& ec, std::size_t n) {
      self->OnRead(ec, n);
    });
  }

  void OnRead(const std::error_code& ec, std::size_t n) {
    if (Ended || IsClosing()) return;
    if (ec) {
      if (ec == asio::error::eof)
        End(Reader.InsideFrame() ? "connection closed inside a frame" : "connection closed");
      else
        End(ec.message());
      return;
    }
    std::string error;
    bool ok = Reader.Feed(std::span<const std::uint8_t>(Buffer.data(), n),
                          [this](std::span<const std::uint8_t> payload) {
                            if (!Ended) Endpoint.Received(*this, payload);
                          },
                          error);
    if (!ok) return End("bad data: " + error);
    if (!Ended) ReadMore();
  }

  void WriteNext() {
    std::vector<asio::const_buffer> buffers;
    {
      std::lock_guard lock(Mutex);
      if (Out.empty() || Ended) {
        Writing = false;
        if (Closing && !Ended) Shut();
        return;
      }
      for (std::size_t i = 0; i < Out.size() && i < MaxGather; ++i) buffers.push_back(asio::buffer(*Out[i]));
    }
    asio::async_write(Socket, buffers, [self = shared_from_this(), count = buffers.size()](const std::error_code& ec, std::size_t) {
      {
        std::lock_guard lock(self->Mutex);
        for (std::size_t i = 0; i < count; ++i) {
          self->OutBytes -= self->Out.front()->size();
          self->Out.pop_front();
        }
      }
      if (ec) {
        std::lock_guard lock(self->Mutex);
        self->Writing = false;
      }
      if (ec) return self->End(ec.message());
      self->WriteNext();
    });
  }

  void BeginClose() {
    bool idle;
    {
      std::lock_guard lock(Mutex);
      idle = !Writing;
    }
    if (idle) return Shut();
    CloseTimer.expires_after(CloseGrace);
    CloseTimer.async_wait([self = shared_from_this()](const std::error_code& ec) {
      if (!ec) self->Shut();
    });
  }

  bool IsClosing() {
    std::lock_guard lock(Mutex);
    return Closing;
  }

  // Closed on request: the session has already forgotten the link.
  void Shut() {
    if (Ended) return;
    Ended = true;
    CloseTimer.cancel();
    std::error_code ec;
    Socket.shutdown(tcp::socket::shutdown_both, ec);
    Socket.close(ec);
  }

  // Closed by the peer or by an error: tell the session.
  void End(const std::string& reason) {
    if (Ended) return;
    bool tell = !IsClosing();
    Shut();
    if (tell) Endpoint.Closed(*this, reason);
  }

  tcp::socket Socket;
  TNetEndpoint& Endpoint;
  const std::size_t MaxBacklog;
  asio::steady_timer CloseTimer;
  std::string Name;
  Wire::TFrameReader Reader;
  std::array<std::uint8_t, 16384> Buffer;
  bool Ended = false;  // loop thread only

  std::mutex Mutex;
  std::deque<TFrameBytes> Out;
  std::size_t OutBytes = 0;
  bool Writing = false;
  bool Closing = false;
};

class TTcpProvider final : public TNetProvider {
 public:
  TTcpProvider(TNetLoop& loop, TNetEndpoint& endpoint, const TNetSettings& settings, const std::string& hostSpec)
      : Loop(loop), Endpoint(endpoint), Settings(settings), Acceptor(loop.Context()), Server(loop.Context()),
        Query(loop.Context()), RetryTimer(loop.Context()) {
    bool hasPort = false;
    ValidSpec = SplitHostPort(hostSpec, SpecHost, SpecPort, hasPort);
    if (!hasPort) SpecPort = settings.EnumPort;
  }

  bool Listen(std::string& error) override {
    if (!ValidSpec) return Fail(error, "bad host string");
    std::optional<asio::ip::address> bind = Resolve(SpecHost.empty() ? Settings.BindHost : SpecHost, error);
    if (!bind) return false;
    return Loop.Run([&] {
      std::error_code ec;
      Acceptor.open(bind->is_v6() ? tcp::v6() : tcp::v4(), ec);
      if (!ec) Acceptor.set_option(tcp::acceptor::reuse_address(true), ec);
      if (!ec) Acceptor.bind(tcp::endpoint(*bind, 0), ec);
      if (!ec) Acceptor.listen(asio::socket_base::max_listen_connections, ec);
      if (!ec) Server.open(bind->is_v6() ? udp::v6() : udp::v4(), ec);
      if (!ec) Server.bind(udp::endpoint(*bind, SpecPort), ec);
      if (ec) {
        CloseServer();
        error = ec.message();
        return false;
      }
      AcceptNext();
      AnswerNext();
      return true;
    });
  }

  void StopListening() override {
    Loop.Run([this] { CloseServer(); });
  }

  std::uint16_t ListenPort() override {
    return Loop.Run([this] {
      std::error_code ec;
      auto ep = Server.local_endpoint(ec);
      return ec ? std::uint16_t{0} : ep.port();
    });
  }

  bool StartQuery(std::span<const std::uint8_t> query, std::string& error) override {
    if (!ValidSpec) return Fail(error, "bad host string");
    std::optional<asio::ip::address> target = Resolve(SpecHost.empty() ? Settings.EnumHost : SpecHost, error);
    if (!target) return false;
    std::vector<std::uint8_t> bytes(query.begin(), query.end());
    return Loop.Run([&] {
      std::error_code ec;
      Query.open(target->is_v6() ? udp::v6() : udp::v4(), ec);
      if (!ec) Query.set_option(asio::socket_base::broadcast(true), ec);
      if (!ec) Query.send_to(asio::buffer(bytes), udp::endpoint(*target, SpecPort), 0, ec);
      if (ec) {
        Query.close(ec);
        error = "cannot ask " + target->to_string() + ": " + ec.message();
        return false;
      }
      ReceiveReplies();
      return true;
    });
  }

  void StopQuery() override {
    Loop.Run([this] {
      std::error_code ec;
      Query.close(ec);
    });
  }

  std::shared_ptr<TNetLink> Connect(const TNetPeer& peer, std::uint32_t timeoutMs, std::string& error) override {
    std::error_code ec;
    auto address = asio::ip::make_address(peer.Host, ec);
    if (ec) {
      error = "bad address " + peer.Host;
      return nullptr;
    }
    struct TAttempt {
      explicit TAttempt(asio::io_context& io) : Socket(io), Timer(io) {}
      tcp::socket Socket;
      asio::steady_timer Timer;
      std::promise<std::error_code> Result;
      bool Done = false;
    };
    auto attempt = std::make_shared<TAttempt>(Loop.Context());
    auto result = attempt->Result.get_future();
    Loop.Run([&] {
      attempt->Timer.expires_after(std::chrono::milliseconds(timeoutMs));
      attempt->Timer.async_wait([attempt](const std::error_code& e) {
        if (e || attempt->Done) return;
        attempt->Done = true;
        std::error_code ignored;
        attempt->Socket.close(ignored);
        attempt->Result.set_value(asio::error::timed_out);
      });
      attempt->Socket.async_connect(tcp::endpoint(address, peer.Port), [attempt](const std::error_code& e) {
        if (attempt->Done) return;
        attempt->Done = true;
        attempt->Timer.cancel();
        attempt->Result.set_value(e);
      });
    });
    ec = result.get();
    if (ec) {
      error = ec.message();
      Loop.Run([&] { attempt->Socket.close(ec); });
      return nullptr;
    }
    return Loop.Run([&] {
      return std::make_shared<TTcpLink>(std::move(attempt->Socket), Endpoint, Settings.MaxSendBacklogBytes);
    });
  }

 private:
  static bool Fail(std::string& error, const char* why) {
    error = why;
    return false;
  }

  static std::optional<asio::ip::address> Resolve(const std::string& host, std::string& error) {
    std::error_code ec;
    auto address = asio::ip::make_address(host, ec);
    if (!ec) return address;
    asio::io_context io;
    udp::resolver resolver(io);
    auto results = resolver.resolve(udp::v4(), host, "", ec);
    if (ec || results.empty()) {
      error = "unknown host " + host;
      return std::nullopt;
    }
    return results.begin()->endpoint().address();
  }

  void CloseServer() {
    std::error_code ec;
    Acceptor.close(ec);
    Server.close(ec);
    RetryTimer.cancel();
  }

  void AcceptNext() {
    Acceptor.async_accept([this](const std::error_code& ec, tcp::socket socket) {
      if (ec == asio::error::operation_aborted || !Acceptor.is_open()) return;
      if (ec) {
        // Out of descriptors or similar: try again shortly instead of spinning.
        RetryTimer.expires_after(std::chrono::milliseconds(100));
        RetryTimer.async_wait([this](const std::error_code& e) {
          if (!e && Acceptor.is_open()) AcceptNext();
        });
        return;
      }
      Endpoint.Accepted(std::make_shared<TTcpLink>(std::move(socket), Endpoint, Settings.MaxSendBacklogBytes));
      AcceptNext();
    });
  }

  void AnswerNext() {
    Server.async_receive_from(asio::buffer(Datagram), Sender, [this](const std::error_code& ec, std::size_t n) {
      if (ec == asio::error::operation_aborted || !Server.is_open()) return;
      if (!ec) {
        std::error_code e;
        auto reply = std::make_shared<std::vector<std::uint8_t>>(
            Endpoint.Answer(std::span<const std::uint8_t>(Datagram.data(), n), Acceptor.local_endpoint(e).port()));
        if (!reply->empty())
          Server.async_send_to(asio::buffer(*reply), Sender, [reply](const std::error_code&, std::size_t) {});
      }
      AnswerNext();
    });
  }

  void ReceiveReplies() {
    Query.async_receive_from(asio::buffer(Reply), Replier, [this](const std::error_code& ec, std::size_t n) {
      if (ec == asio::error::operation_aborted || !Query.is_open()) return;
      if (!ec) Endpoint.Found(std::span<const std::uint8_t>(Reply.data(), n), Replier.address().to_string());
      ReceiveReplies();
    });
  }

  TNetLoop& Loop;
  TNetEndpoint& Endpoint;
  const TNetSettings& Settings;
  bool ValidSpec = false;
  std::string SpecHost;
  std::uint16_t SpecPort = 0;
  tcp::acceptor Acceptor;
  udp::socket Server;
  udp::socket Query;
  asio::steady_timer RetryTimer;
  // One byte more than a datagram may hold, so an oversized one fails to decode.
  udp::endpoint Sender;
  std::array<std::uint8_t, Wire::MaxDatagramBytes + 1> Datagram;
  udp::endpoint Replier;
  std::array<std::uint8_t, Wire::MaxDatagramBytes + 1> Reply;
};

}  // namespace

bool SplitHostPort(const std::string& spec, std::string& host, std::uint16_t& port, bool& hasPort) {
  auto colon = spec.rfind(':');
  hasPort = colon != std::string::npos;
  host = hasPort ? spec.substr(0, colon) : spec;
  if (!hasPort) return true;
  std::string digits = spec.substr(colon + 1);
  if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
  unsigned long v = std::stoul(digits);
  if (v > 65535) return false;
  port = static_cast<std::uint16_t>(v);
  return true;
}

std::unique_ptr<TNetProvider> MakeTcpProvider(TNetLoop& loop, TNetEndpoint& endpoint, const TNetSettings& settings,
                                              const std::string& hostSpec) {
  return std::make_unique<TTcpProvider>(loop, endpoint, settings, hostSpec);
}

}  // namespace Plat

