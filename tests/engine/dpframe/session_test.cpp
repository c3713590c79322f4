// Sessions between transports of one process, on the loopback hub and on
// TCP/IP at 127.0.0.1: hosting, joining, replication, ordering, system
// messages, lost peers.
#include <atomic>

#include "tests/engine/dpframe/net_fixture.h"

namespace {

using namespace NetTest;
using DPFrame::DPID;

class Session : public TNetFixture, public ::testing::WithParamInterface<TProvider> {};

TEST_P(Session, JoinListsTheSessionAndReplicatesPlayers) {
  auto host = Transport(GetParam());
  DPID h = HostWithPlayer(*host);
  auto client = Transport(GetParam(), host.get());
  ASSERT_NO_FATAL_FAILURE(Enumerate(*client));
  const DPFrame::DPSESSIONDESC2& s = *client->Sessions[0];
  EXPECT_EQ(s.lpszSessionName, "Test");
  EXPECT_EQ(s.dwFlags, 0x2044u);
  EXPECT_EQ(s.dwMaxPlayers, 8u);
  EXPECT_EQ(s.dwCurrentPlayers, 1u);
  EXPECT_EQ(s.dwUser1, 100u);
  EXPECT_EQ(s.dwUser2, 7u);
  EXPECT_EQ(s.dwUser3, 2u);
  EXPECT_EQ(s.lpszPassword, std::nullopt);

  client->JoinSession(0);
  EXPECT_EQ(client->IsHost, 0);
  DPID c = 0;
  client->CreatePlayer("Client", &c);
  EXPECT_GT(c, h);
  auto created = Next(*host, h);
  ASSERT_TRUE(created);
  EXPECT_EQ(created->From, 0u);
  EXPECT_EQ(created->Code(), Plat::DPSYS_CREATEPLAYERORGROUP);
  EXPECT_EQ(created->Word(2), c);

  for (auto* t : {host.get(), client.get()}) {
    t->EnumPlayers(0);
    ASSERT_EQ(t->Players.Count(), 2);
    EXPECT_EQ(t->Players[0]->ID, h);
    EXPECT_EQ(t->Players[0]->Name.ShortName, "Host");
    EXPECT_EQ(t->Players[1]->ID, c);
    EXPECT_EQ(t->Players[1]->Name.ShortName, "Client");
  }
  DPFrame::DPSESSIONDESC2 desc;
  client->GetSessionDesc(&desc);
  EXPECT_EQ(desc.dwCurrentPlayers, 2u);
  EXPECT_EQ(desc.dwUser2, 7u);
}

TEST_P(Session, EachSendersMessagesAndDataChangesStayInOrder) {
  auto host = Transport(GetParam());
  DPID h = HostWithPlayer(*host);
  auto a = Transport(GetParam(), host.get());
  DPID pa = JoinWithPlayer(*a, "A");
  auto b = Transport(GetParam(), host.get());
  DPID pb = JoinWithPlayer(*b, "B");
  ASSERT_TRUE(NextSystem(*host, h, Plat::DPSYS_CREATEPLAYERORGROUP));
  ASSERT_TRUE(NextSystem(*host, h, Plat::DPSYS_CREATEPLAYERORGROUP));
  ASSERT_TRUE(NextSystem(*a, pa, Plat::DPSYS_CREATEPLAYERORGROUP));  // B's player

  // A: data, 100 messages, new data, 100 messages; the host sends between.
  const u8 first[8] = {1, 0, 0, 0, 0, 0, 0, 0}, second[8] = {2, 0, 0, 0, 1, 0, 0, 0};
  a->SetPlayerData(pa, first, 8, Plat::DPSET_GUARANTEED);
  for (u32 i = 0; i < 100; ++i) a->Send(pa, 0, Plat::DPSEND_GUARANTEED, Payload(1, i).data(), 68);
  a->SetPlayerData(pa, second, 8, Plat::DPSET_GUARANTEED);
  for (u32 i = 100; i < 200; ++i) a->Send(pa, 0, Plat::DPSEND_GUARANTEED, Payload(1, i).data(), 68);
  for (u32 i = 0; i < 50; ++i) host->Send(h, 0, Plat::DPSEND_GUARANTEED, Payload(2, i).data(), 68);

  // The host and B, through the host's relay, see A's stream alike.
  for (auto [t, me] : {std::pair{host.get(), h}, std::pair{b.get(), pb}}) {
    u32 nextFromA = 0, nextFromHost = 0, dataChanges = 0;
    while (nextFromA < 200 || (t != host.get() && nextFromHost < 50)) {
      auto m = Next(*t, me);
      ASSERT_TRUE(m) << "stalled after " << nextFromA << " messages of A";
      if (m->From == 0) {
        ASSERT_EQ(m->Code(), Plat::DPSYS_SETPLAYERORGROUPDATA);
        ASSERT_EQ(m->Word(2), pa);
        EXPECT_EQ(nextFromA, dataChanges * 100) << "the data change keeps its place among A's messages";
        std::vector<u8> data;
        t->GetPlayerData(pa, data, 0);
        ASSERT_EQ(data.size(), 8u);
        EXPECT_GE(data[0], dataChanges + 1) << "the announced data (or a later one) is readable once the notice is";
        ++dataChanges;
      } else if (m->From == pa) {
        ASSERT_EQ(m->Data, Payload(1, nextFromA));
        ++nextFromA;
      } else {
        ASSERT_EQ(m->From, h);
        ASSERT_EQ(m->Data, Payload(2, nextFromHost));
        ++nextFromHost;
      }
    }
    EXPECT_EQ(dataChanges, 2u);
  }
  // A got the host's messages and nothing of its own.
  for (u32 i = 0; i < 50; ++i) {
    auto m = Next(*a, pa);
    ASSERT_TRUE(m);
    ASSERT_EQ(m->From, h);
    ASSERT_EQ(m->Data, Payload(2, i));
  }
  DPID from = 0;
  std::vector<u8> rest;
  EXPECT_FALSE(a->Receive(&from, pa, Plat::DPRECEIVE_TOPLAYER, rest));
}

TEST_P(Session, SendWorksFromSeveralThreadsAtOnce) {
  auto host = Transport(GetParam());
  DPID h = HostWithPlayer(*host);
  auto client = Transport(GetParam(), host.get());
  DPID c = JoinWithPlayer(*client, "C");
  ASSERT_TRUE(NextSystem(*host, h, Plat::DPSYS_CREATEPLAYERORGROUP));
  constexpr u32 Threads = 4, PerThread = 250;
  std::vector<std::thread> senders;
  for (u32 t = 0; t < Threads; ++t)
    senders.emplace_back([&, t] {
      for (u32 i = 0; i < PerThread; ++i) client->Send(c, 0, 1, Payload(t, i).data(), 68);
    });
  // The host reads while the senders still send.
  u32 next[Threads] = {};
  for (u32 n = 0; n < Threads * PerThread; ++n) {
    auto m = Next(*host, h);
    ASSERT_TRUE(m);
    u32 t = m->Word(0);
    ASSERT_LT(t, Threads);
    ASSERT_EQ(m->Word(1), next[t]++) << "thread " << t;
  }
  for (auto& s : senders) s.join();
}

TEST_P(Session, HostPublishesItsDescriptionAndClosedOrFullSessionsRefuseJoins) {
  auto host = Transport(GetParam());
  HostWithPlayer(*host, 3);
  auto client = Transport(GetParam(), host.get());
  JoinWithPlayer(*client, "C");

  DPFrame::DPSESSIONDESC2 desc;
  client->GetSessionDesc(&desc);
  EXPECT_THROW(client->SetSessionDesc(&desc), DPFrame::EDirectPlayError);
  host->GetSessionDesc(&desc);
  desc.dwFlags |= 0x21;  // the game has started
  host->SetSessionDesc(&desc);
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitMs);
  while (desc.dwFlags != 0x2065 && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    client->GetSessionDesc(&desc);
  }
  EXPECT_EQ(desc.dwFlags, 0x2065u);

  auto late = Transport(GetParam(), host.get());
  ASSERT_NO_FATAL_FAILURE(Enumerate(*late)) << "listed, but not joinable";
  EXPECT_EQ(late->Sessions[0]->dwFlags, 0x2065u);
  try {
    late->JoinSession(0);
    FAIL() << "joined a closed session";
  } catch (const DPFrame::EDirectPlayError& e) {
    EXPECT_STREQ(e.what(), "DPERR_NONEWPLAYERS");
  }

  // Open again, but full: 2 of 2 players.
  desc.dwFlags = 0x2044;
  desc.dwMaxPlayers = 2;
  host->SetSessionDesc(&desc);
  ASSERT_NO_FATAL_FAILURE(Enumerate(*late));
  EXPECT_EQ(late->Sessions[0]->dwCurrentPlayers, 2u);
  EXPECT_EQ(late->Sessions[0]->dwMaxPlayers, 2u);
  EXPECT_THROW(late->JoinSession(0), DPFrame::EDirectPlayError);
}

TEST_P(Session, LeavingPlayersAndAClosingHostBecomeSystemMessages) {
  auto host = Transport(GetParam());
  DPID h = HostWithPlayer(*host);
  auto a = Transport(GetParam(), host.get());
  DPID pa = JoinWithPlayer(*a, "A");
  auto b = Transport(GetParam(), host.get());
  DPID pb = JoinWithPlayer(*b, "B");

  b->DestroyPlayer(pb);
  b->CloseSession();
  auto gone = NextSystem(*host, h, Plat::DPSYS_DESTROYPLAYERORGROUP);
  ASSERT_TRUE(gone);
  EXPECT_EQ(gone->Word(2), pb);
  gone = NextSystem(*a, pa, Plat::DPSYS_DESTROYPLAYERORGROUP);
  ASSERT_TRUE(gone);
  EXPECT_EQ(gone->Word(2), pb);

  host->CloseSession();
  ASSERT_TRUE(NextSystem(*a, pa, Plat::DPSYS_SESSIONLOST));
  try {
    a->Send(pa, 0, 1, Payload(0, 0).data(), 68);
    FAIL() << "sent into a lost session";
  } catch (const DPFrame::EDirectPlayError& e) {
    EXPECT_STREQ(e.what(), "DPERR_SESSIONLOST");
  }
  // Closing and destroying after the loss is quiet; the transport can host again.
  a->DestroyPlayer(pa);
  a->CloseSession();
  a->HostSession("Again", 0x2044, 8, 100, 7, 2, 0);
  a->CloseSession();
}

TEST_P(Session, ASilentPeerIsDroppedWithinTheTimeOut) {
  // Twenty heartbeats: long enough that a busy machine does not drop the
  // peers that still talk.
  constexpr u32 Silence = 1000;
  Plat::NetSettings().SilenceTimeoutMs = Silence;
  auto host = Transport(GetParam());
  DPID h = HostWithPlayer(*host);
  auto quiet = Transport(GetParam(), host.get());
  DPID pq = JoinWithPlayer(*quiet, "Quiet");
  auto other = Transport(GetParam(), host.get());
  DPID po = JoinWithPlayer(*other, "Other");
  ASSERT_TRUE(NextSystem(*host, h, Plat::DPSYS_CREATEPLAYERORGROUP));

  auto start = std::chrono::steady_clock::now();
  quiet->DirectPlay->Freeze();
  auto gone = NextSystem(*host, h, Plat::DPSYS_DESTROYPLAYERORGROUP);
  auto waited = std::chrono::steady_clock::now() - start;
  ASSERT_TRUE(gone);
  EXPECT_EQ(gone->Word(2), pq);
  EXPECT_LE(waited, std::chrono::milliseconds(Silence + 3000)) << "the time-out, with room for a busy machine";
  EXPECT_TRUE(Logged("no sign of life"));
  gone = NextSystem(*other, po, Plat::DPSYS_DESTROYPLAYERORGROUP);
  ASSERT_TRUE(gone);
  EXPECT_EQ(gone->Word(2), pq);

  // A host that goes silent is a lost session for its clients.
  host->DirectPlay->Freeze();
  EXPECT_TRUE(NextSystem(*other, po, Plat::DPSYS_SESSIONLOST));
}

TEST_P(Session, ATransportDeletedWithASessionOpenIsALeavingPeer) {
  auto host = Transport(GetParam());
  DPID h = HostWithPlayer(*host);
  auto client = Transport(GetParam(), host.get());
  DPID c = JoinWithPlayer(*client, "C");
  client.reset();
  auto gone = NextSystem(*host, h, Plat::DPSYS_DESTROYPLAYERORGROUP);
  ASSERT_TRUE(gone);
  EXPECT_EQ(gone->Word(2), c);
}

INSTANTIATE_TEST_SUITE_P(Providers, Session, ::testing::Values(TProvider::Loopback, TProvider::Tcp), ProviderName);

}  // namespace
