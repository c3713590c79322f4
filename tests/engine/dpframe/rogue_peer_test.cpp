// A peer that sends what no transport would: the host drops that connection
// with a reason in the log and goes on serving everybody else; a client
// leaves such a host.
#include <asio/ip/tcp.hpp>
#include <asio/ip/udp.hpp>
#include <asio/read.hpp>
#include <asio/write.hpp>

#include <atomic>

#include "engine/platform/net/net_wire.h"
#include "tests/engine/dpframe/net_fixture.h"

namespace {

using namespace NetTest;
using namespace Plat::Wire;
using asio::ip::tcp;
using asio::ip::udp;

// Speaks the wire format by hand over plain sockets at 127.0.0.1.
class TRogue {
 public:
  explicit TRogue(std::uint16_t enumPort) {
    udp::socket query(Io, udp::v4());
    auto bytes = EncodeQuery({ProtocolVersion, 1, Plat::TGuid{}});
    query.send_to(asio::buffer(bytes), udp::endpoint(asio::ip::make_address("127.0.0.1"), enumPort));
    std::vector<std::uint8_t> reply(MaxDatagramBytes);
    query.non_blocking(true);
    for (int i = 0; i < 20000; ++i) {
      std::error_code ec;
      std::size_t n = query.receive(asio::buffer(reply), 0, ec);
      if (!ec) {
        reply.resize(n);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(DecodeReply(reply, Session));
  }
  // At a session found before: a crowd would meet the host's limit of answers.
  explicit TRogue(const TEnumReply& session) : Session(session) {}

  void Connect() { Socket.connect(tcp::endpoint(asio::ip::make_address("127.0.0.1"), Session.Port)); }
  void Write(const std::vector<std::uint8_t>& bytes) {
    std::error_code ec;
    asio::write(Socket, asio::buffer(bytes), ec);
  }
  void Write(const TFrame& frame) { Write(EncodeFrame(frame)); }
  // Half-closes and reads until the host hangs up, so unread frames do not turn the close into a reset
  // (which the host would rightly log as a reset, not as the fault under test).
  void Close() {
    std::error_code ec;
    Socket.shutdown(tcp::socket::shutdown_send, ec);
    Socket.non_blocking(true);
    std::vector<std::uint8_t> buffer(4096);
    for (int i = 0; i < 3000; ++i) {
      Socket.read_some(asio::buffer(buffer), ec);
      if (ec == asio::error::would_block || ec == asio::error::try_again)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      else if (ec)
        break;
    }
    Socket.close(ec);
  }

  // Joins and creates a player; its ID from the host's answer.
  Plat::DPID JoinWithPlayer() {
    Connect();
    Write(TJoinRequest{ProtocolVersion, Session.Desc.Application, Session.Desc.Instance});
    Write(TCreatePlayer{77, "Rogue"});
    TFrameReader reader;
    Plat::DPID id = 0;
    Socket.non_blocking(true);
    std::vector<std::uint8_t> buffer(4096);
    for (int i = 0; i < 20000 && !id; ++i) {
      std::error_code ec;
      std::size_t n = Socket.read_some(asio::buffer(buffer), ec);
      if (ec) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        continue;
      }
      std::string error;
      reader.Feed(std::span(buffer).first(n), [&](std::span<const std::uint8_t> p) {
        TFrame f;
        if (DecodeFrame(p, f, error))
          if (auto* added = std::get_if<TPlayerAdded>(&f); added && added->Token == 77) id = added->ID;
      }, error);
    }
    Socket.non_blocking(false);
    EXPECT_NE(id, 0u);
    return id;
  }

  TEnumReply Session;

 private:
  asio::io_context Io;
  tcp::socket Socket{Io};
};

class RoguePeer : public TNetFixture {
 protected:
  void SetUp() override {
    TNetFixture::SetUp();
    auto& s = Plat::NetSettings();
    s.MaxQueuedMessages = 300;
    s.MaxConnections = 4;
    // Room for a machine that runs many of these at once: only the limits
    // under test decide.
    s.EnumTimeoutMs = 500;
    s.ConnectTimeoutMs = 20000;
    s.SilenceTimeoutMs = 3000;
    s.JoinDeadlineMs = 5000;
    Configure(s);
    Host = Transport(TProvider::Tcp);
    H = HostWithPlayer(*Host);
    Good = Transport(TProvider::Tcp, Host.get());
    G = JoinWithPlayer(*Good, "Good");
    ASSERT_TRUE(NextSystem(*Host, H, Plat::DPSYS_CREATEPLAYERORGROUP, 20000));
  }

  virtual void Configure(Plat::TNetSettings&) {}

  bool WaitLogged(const std::string& part) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < end) {
      if (Logged(part)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }

  // The good client and the host still talk.
  void StillServing() {
    Good->Send(G, H, 1, Payload(5, 5).data(), 68);
    for (;;) {
      auto m = Next(*Host, H, 20000);
      ASSERT_TRUE(m) << "the host stopped serving";
      if (m->From == G) break;
    }
    DPFrame::DPSESSIONDESC2 desc;
    EXPECT_NO_THROW(Good->GetSessionDesc(&desc));
    EXPECT_FALSE(NextSystem(*Good, G, Plat::DPSYS_SESSIONLOST, 50));
  }

  std::unique_ptr<DPFrame::TDPFramework> Host, Good;
  DPFrame::DPID H = 0, G = 0;
};

TEST_F(RoguePeer, BadBytesEndOnlyTheirConnection) {
  std::vector<std::uint8_t> cutFrame = {100, 0, 0, 0, 11, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  struct {
    const char* Name;
    bool Join;
    std::function<std::vector<std::uint8_t>(Plat::DPID rogue, Plat::DPID host)> Bytes;
    const char* Reason;
  } cases[] = {
      {"text", false, [](auto, auto) { return std::vector<std::uint8_t>{'h', 'e', 'l', 'l', 'o', ' ', 'h', 'o', 's', 't'}; },
       "frame length 1819043176 out of range"},
      {"zero length", false, [](auto, auto) { return std::vector<std::uint8_t>{0, 0, 0, 0}; }, "frame length 0 out of range"},
      {"unknown kind", false, [](auto, auto) { return std::vector<std::uint8_t>{1, 0, 0, 0, 99}; }, "unknown frame kind 99"},
      {"data before joining", false, [](auto, auto) { return EncodeFrame(TData{1, 0, {1, 2}}); }, "unexpected data"},
      {"sender that is not its own", true, [](auto, Plat::DPID host) { return EncodeFrame(TData{host, 0, {1}}); },
       "unexpected data"},
      {"host-only frame", true, [](auto, auto) { return EncodeFrame(TSessionClosed{}); }, "unexpected session closed"},
      {"frame cut by the disconnect", true, [&](auto, auto) { return cutFrame; }, "connection closed inside a frame"},
  };
  int lines = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TRogue rogue(Host->DirectPlay->EnumerationPort());
    Plat::DPID id = 0;
    if (c.Join)
      id = rogue.JoinWithPlayer();
    else
      rogue.Connect();
    rogue.Write(c.Bytes(id, H));
    rogue.Close();
    EXPECT_TRUE(WaitLogged(c.Reason));
    if (c.Join) {
      auto gone = NextSystem(*Host, H, Plat::DPSYS_DESTROYPLAYERORGROUP, 20000);
      ASSERT_TRUE(gone);
      EXPECT_EQ(gone->Word(2), id);
    }
    StillServing();
    EXPECT_GT(LogCount(), lines);
    lines = LogCount();
  }
}

TEST_F(RoguePeer, AFloodIsCutOffAtTheQueueLimit) {
  TRogue rogue(Host->DirectPlay->EnumerationPort());
  Plat::DPID id = rogue.JoinWithPlayer();
  auto frame = EncodeFrame(TData{id, H, std::vector<std::uint8_t>(68, 1)});
  std::vector<std::uint8_t> burst;
  for (int i = 0; i < 1000; ++i) burst.insert(burst.end(), frame.begin(), frame.end());
  rogue.Write(burst);
  EXPECT_TRUE(WaitLogged("receive queue full"));
  auto gone = NextSystem(*Host, H, Plat::DPSYS_DESTROYPLAYERORGROUP, 20000);
  ASSERT_TRUE(gone) << "the notice gets through a full queue";
  EXPECT_EQ(gone->Word(2), id);
  StillServing();
}

TEST_F(RoguePeer, ConnectionsBeyondTheLimitAreRefused) {
  std::vector<std::unique_ptr<TRogue>> crowd;
  for (int i = 0; i < 6; ++i) {
    crowd.push_back(std::make_unique<TRogue>(Host->DirectPlay->EnumerationPort()));
    crowd.back()->Connect();
  }
  // Connections that never join give way to newer ones; the last ones fall
  // silent and are dropped by the heartbeat.
  EXPECT_TRUE(WaitLogged("which had not joined, for a newer connection"));
  EXPECT_TRUE(WaitLogged("no sign of life"));
  StillServing();
}

// The host's door: settings that let a test fill it.
class RoguePeerAtTheDoor : public RoguePeer {
 protected:
  void Configure(Plat::TNetSettings& s) override {
    s.SilenceTimeoutMs = 30000;  // joined rogues need not answer pings here
    s.MaxPendingConnections = 3;
    s.JoinDeadlineMs = 1500;
  }
  // An honest player joins through the real transport and the host sees it.
  void HonestPlayerJoins() {
    auto honest = Transport(TProvider::Tcp, Host.get());
    DPFrame::DPID id = JoinWithPlayer(*honest, "Honest");
    ASSERT_NE(id, 0u);
    auto added = NextSystem(*Host, H, Plat::DPSYS_CREATEPLAYERORGROUP, 20000);
    ASSERT_TRUE(added);
    EXPECT_EQ(added->Word(2), id);
  }
};

TEST_F(RoguePeerAtTheDoor, ConnectionsAreRefusedOnlyWhenPlayersHoldEverySlot) {
  std::vector<std::unique_ptr<TRogue>> joined;
  for (int i = 0; i < 3; ++i) {
    joined.push_back(std::make_unique<TRogue>(Host->DirectPlay->EnumerationPort()));
    joined.back()->JoinWithPlayer();
  }
  TRogue late(Host->DirectPlay->EnumerationPort());
  late.Connect();
  EXPECT_TRUE(WaitLogged("too many connections"));
  EXPECT_FALSE(Logged("for a newer connection"));
}

// Connections that send a ping byte by byte, slowly and for ever, never
// joining: they fill every free slot, yet an honest player joins, and none
// of them outlives the join deadline.
TEST_F(RoguePeerAtTheDoor, SlowSendersDoNotKeepAPlayerOut) {
  std::atomic<bool> done{false};
  std::vector<std::unique_ptr<TRogue>> slow;
  for (int i = 0; i < 3; ++i) {
    slow.push_back(std::make_unique<TRogue>(Host->DirectPlay->EnumerationPort()));
    slow.back()->Connect();
  }
  std::thread trickle([&] {
    const auto ping = EncodeFrame(TPing{});
    for (std::size_t i = 0; !done; ++i) {
      for (auto& r : slow) r->Write(std::vector<std::uint8_t>{ping[i % ping.size()]});
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  HonestPlayerJoins();
  EXPECT_TRUE(WaitLogged("no join request"));
  done = true;
  trickle.join();
  StillServing();
}

// A crowd of idle connections, opened as fast as the host takes them: an
// honest player joins meanwhile, and the host's log stays short.
TEST_F(RoguePeerAtTheDoor, AnIdleFloodDoesNotKeepAPlayerOutNorFloodTheLog) {
  const auto start = std::chrono::steady_clock::now();
  TRogue first(Host->DirectPlay->EnumerationPort());
  std::vector<std::unique_ptr<TRogue>> crowd;
  for (int i = 0; i < 200; ++i) {
    crowd.push_back(std::make_unique<TRogue>(first.Session));
    crowd.back()->Connect();
  }
  HonestPlayerJoins();
  EXPECT_TRUE(WaitLogged("more connections that never joined refused or dropped"));
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();
  // Ten lines a second and a count for the rest, where a line each would be 200.
  EXPECT_LE(LogCount(), 11 * (seconds + 2));
  EXPECT_LT(LogCount(), 100);
  StillServing();
}

// A host that speaks the wire format by hand: it answers one enumeration,
// accepts one connection, accepts the join and, once told, announces
// players (announced with the acceptance they could end the session before
// the join returns, and the test would depend on which thread runs first).
class TRogueHost {
 public:
  TRogueHost() {
    Query.open(udp::v4());
    Query.bind(udp::endpoint(asio::ip::make_address("127.0.0.1"), 0));
    Acceptor.open(tcp::v4());
    Acceptor.bind(tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0));
    Acceptor.listen();
  }
  ~TRogueHost() {
    Done = true;
    if (Thread.joinable()) Thread.join();
  }

  std::uint16_t EnumPort() const { return Query.local_endpoint().port(); }
  void Announce() { Go = true; }

  void Serve(std::vector<TFrame> frames) {
    Thread = std::thread([this, frames = std::move(frames)] {
      TDesc desc;
      desc.Instance.Bytes[0] = 1;
      if (!Answer(desc)) return;
      Acceptor.non_blocking(true);
      tcp::socket socket(Io);
      for (int i = 0; i < 20000 && !Done; ++i) {
        std::error_code ec;
        Acceptor.accept(socket, ec);
        if (!ec) break;
        AnswerOne(desc);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      if (!socket.is_open()) return;
      std::error_code ec;
      asio::write(socket, asio::buffer(EncodeFrame(TJoinAccept{desc, {}})), ec);
      while (!Go && !Done) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      std::vector<std::uint8_t> out;
      for (const TFrame& f : frames) {
        auto b = EncodeFrame(f);
        out.insert(out.end(), b.begin(), b.end());
      }
      asio::write(socket, asio::buffer(out), ec);
      // Stay connected and alive until the test ends, reading what the client sends.
      socket.non_blocking(true);
      std::vector<std::uint8_t> buffer(4096);
      const auto ping = EncodeFrame(TPing{});
      for (int i = 0; !Done; ++i) {
        socket.read_some(asio::buffer(buffer), ec);
        if (ec && ec != asio::error::would_block && ec != asio::error::try_again) break;
        if (i % 20 == 0) asio::write(socket, asio::buffer(ping), ec);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });
  }

 private:
  bool Answer(TDesc& desc) {
    for (int i = 0; i < 20000 && !Done; ++i) {
      if (AnswerOne(desc)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }
  // Answers a query that is waiting, if any: a slow client asks again.
  bool AnswerOne(TDesc& desc) {
    Query.non_blocking(true);
    std::vector<std::uint8_t> bytes(MaxDatagramBytes);
    udp::endpoint from;
    std::error_code ec;
    std::size_t n = Query.receive_from(asio::buffer(bytes), from, 0, ec);
    TEnumQuery q;
    if (ec || !DecodeQuery(std::span(bytes).first(n), q)) return false;
    desc.Application = q.Application;
    auto reply = EncodeReply({ProtocolVersion, q.Nonce, Acceptor.local_endpoint().port(), desc});
    Query.send_to(asio::buffer(reply), from, 0, ec);
    return true;
  }

  asio::io_context Io;
  udp::socket Query{Io};
  tcp::acceptor Acceptor{Io};
  std::atomic<bool> Done{false}, Go{false};
  std::thread Thread;
};

TEST_F(RoguePeer, AHostAnnouncingMorePlayersThanASessionHoldsIsLeft) {
  std::vector<TFrame> added;
  for (std::uint32_t i = 0; i <= MaxSessionPlayers; ++i) added.push_back(TPlayerAdded{0x20001 + i, 0, "P"});
  TRogueHost rogue;
  rogue.Serve(std::move(added));
  DPFrame::TDPFramework client;
  std::string spec = "127.0.0.1:" + std::to_string(rogue.EnumPort());
  client.InitializeConnection(client.CreateTCPIPAddress(spec.c_str()));
  Join(client);
  rogue.Announce();
  EXPECT_TRUE(WaitLogged("unexpected player added from the host"));
  // The session it left lists nobody, and the list read before stays in bounds.
  EXPECT_THROW(client.EnumPlayers(0), DPFrame::EDirectPlayError);
  EXPECT_LE(static_cast<std::size_t>(client.Players.Count()), MaxSessionPlayers);
}

}  // namespace
