// The framework's own rules: error names, connections, addresses, the
// session list and the calls that must not raise.
#include "tests/engine/dpframe/net_fixture.h"

namespace {

using namespace NetTest;

TEST(DPErrorName, NamesTheCodeOrFormatsItInHex) {
  struct {
    u32 Code;
    const char* Name;
  } cases[] = {
      {0x00000000, "DP_OK"},
      {0x88770005, "DPERR_ALREADYINITIALIZED"},
      {0x8877001E, "DPERR_BUFFERTOOSMALL"},
      {0x80004005, "DPERR_GENERIC"},
      {0x80070057, "DPERR_INVALIDPARAMS"},
      {0x8007000E, "DPERR_OUTOFMEMORY"},
      {0x887700BE, "DPERR_NOMESSAGES"},
      {0x80004001, "DPERR_UNSUPPORTED"},
      {0x88770136, "DPERR_SESSIONLOST"},
      {0x887703E8, "DPERR_BUFFERTOOLARGE"},
      {0x88770820, "DPERR_LOGONDENIED"},
      {0x00000001, "0x00000001"},
      {0x80040154, "0x80040154"},
  };
  for (const auto& c : cases) EXPECT_EQ(DPFrame::DPErrorName(static_cast<HRESULT>(c.Code)), c.Name);
}

TEST(DPErrorName, CheckResultRaisesForEveryNonZeroCode) {
  EXPECT_NO_THROW(DPFrame::CheckResult(0));
  try {
    DPFrame::CheckResult(1);
    FAIL();
  } catch (const DPFrame::EDirectPlayError& e) {
    EXPECT_STREQ(e.what(), "0x00000001");
  }
  EXPECT_THROW(DPFrame::CheckResult(Plat::DPERR_TIMEOUT), DPFrame::EDirectPlayError);
}

class Framework : public TNetFixture {};

TEST_F(Framework, ListsTcpIpAndSkipsTheMissingIpx) {
  DPFrame::TDPFramework fw;
  EXPECT_EQ(fw.LocalPlayerID, 0xFFFFFFFFu);
  EXPECT_EQ(fw.IsHost, 0);
  EXPECT_TRUE(fw.ApplicationGuid.IsNull());
  ASSERT_EQ(fw.Connections.Count(), 1);
  EXPECT_TRUE(fw.Connections[0]->ServiceProvider == Plat::DPSPGUID_TCPIP);
  EXPECT_EQ(fw.Connections[0]->Name.ShortName, "TCP/IP");
  EXPECT_EQ(fw.Connections[0]->Name.LongName, "");
  fw.InitializeConnection(fw.Connections[0]->ConnectionData);

  DPFrame::TDPFramework ipx;
  try {
    ipx.InitializeConnection(ipx.CreateIPXAddress());
    FAIL() << "IPX initialised";
  } catch (const DPFrame::EDirectPlayError& e) {
    EXPECT_STREQ(e.what(), "DPERR_UNAVAILABLE");
  }
  EXPECT_EQ(ipx.Lobby, nullptr) << "the builder is released again";
}

TEST_F(Framework, TcpIpAddressCarriesTheHostStringWithItsZero) {
  DPFrame::TDPFramework fw;
  std::vector<Plat::TAddressElement> elements;
  ASSERT_TRUE(Plat::ParseCompoundAddress(fw.CreateTCPIPAddress(""), elements));
  ASSERT_EQ(elements.size(), 2u);
  EXPECT_TRUE(elements[0].Type == Plat::DPAID_ServiceProvider);
  EXPECT_TRUE(elements[1].Type == Plat::DPAID_INet);
  EXPECT_EQ(elements[1].Data, std::vector<u8>{0});
  ASSERT_TRUE(Plat::ParseCompoundAddress(fw.CreateTCPIPAddress("10.1.2.3"), elements));
  EXPECT_EQ(elements[1].Data.size(), 9u);
}

TEST_F(Framework, BadAddressesAreRefused) {
  DPFrame::TDPFramework fw;
  std::vector<u8> good = fw.CreateTCPIPAddress("127.0.0.1");
  ASSERT_GT(good.size(), 36u + 16u);
  // Checked access: GCC 12 at -O3 cannot tell that the address is not empty.
  std::vector<u8> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() - 1));
  std::vector<u8> noZero = good;
  noZero.at(noZero.size() - 1) = 'x';
  std::vector<u8> longer = good;
  longer.at(36 + 16) = 0xFF;  // the host element's size word
  const std::vector<u8> cases[] = {{}, cut, noZero, longer, std::vector<u8>(20, 0)};
  for (const auto& address : cases) {
    DPFrame::TDPFramework t;
    EXPECT_THROW(t.InitializeConnection(address), DPFrame::EDirectPlayError);
  }
  DPFrame::TDPFramework t;
  try {
    t.InitializeConnection(t.CreateTCPIPAddress("127.0.0.1:99999"));
    t.HostSession("x", 0, 8, 0, 0, 0, 0);
    FAIL() << "hosted on port 99999";
  } catch (const DPFrame::EDirectPlayError& e) {
    EXPECT_STREQ(e.what(), "DPERR_CANNOTCREATESERVER");
  }
}

TEST_F(Framework, AFailingTransportObjectLeavesNoFramework) {
  Plat::SetDirectPlayCreateFailure(static_cast<HRESULT>(0x80040154));
  try {
    DPFrame::TDPFramework fw;
    Plat::SetDirectPlayCreateFailure(0);
    FAIL();
  } catch (const DPFrame::EDirectPlayError& e) {
    Plat::SetDirectPlayCreateFailure(0);
    EXPECT_STREQ(e.what(), "0x80040154");
  }
}

TEST_F(Framework, IndexOfSessionComparesNamesExactlyAndTakesTheFirst) {
  DPFrame::TDPFramework fw;
  const char* names[] = {"Alpha", "Beta", "Beta", nullptr};
  for (const char* name : names) {
    auto* d = new DPFrame::DPSESSIONDESC2;
    if (name) d->lpszSessionName = name;
    fw.Sessions.Add(d);
  }
  DPFrame::DPSESSIONDESC2 probe;
  probe.lpszSessionName = "Beta";
  EXPECT_EQ(fw.IndexOfSession(&probe), 1);
  probe.lpszSessionName = "beta";
  EXPECT_EQ(fw.IndexOfSession(&probe), -1);
  probe.lpszSessionName.reset();
  EXPECT_EQ(fw.IndexOfSession(&probe), -1);

  DPFrame::DPSESSIONDESC2 copy;
  DPFrame::CopySessionDesc(fw.Sessions[0], &copy);
  EXPECT_EQ(copy.lpszSessionName, "Alpha");
  DPFrame::FreeSessionDesc(&copy);
  EXPECT_EQ(copy.lpszSessionName, std::nullopt);
  EXPECT_EQ(fw.Sessions[0]->lpszSessionName, "Alpha");
}

TEST_F(Framework, QuietCallsOnAnIdleTransport) {
  auto t = Transport(TProvider::Loopback);
  DPFrame::DPID from = 0;
  std::vector<u8> data = {9};
  EXPECT_THROW(t->Receive(&from, 5, Plat::DPRECEIVE_TOPLAYER, data), DPFrame::EDirectPlayError) << "no such player";
  EXPECT_FALSE(t->Receive(&from, 0, 0, data)) << "nothing waits for anyone";
  EXPECT_EQ(data, std::vector<u8>{9});
  EXPECT_NO_THROW(t->DestroyPlayer(12345));
  EXPECT_THROW(t->JoinSession(0), DPFrame::EDirectPlayError) << "no session was listed";

  t->EnumSessions(0);
  EXPECT_EQ(t->Sessions.Count(), 0);
  DPFrame::DPID me = HostWithPlayer(*t);
  EXPECT_EQ(t->IsHost, 1);
  EXPECT_FALSE(t->Receive(&from, me, Plat::DPRECEIVE_TOPLAYER, data));
  EXPECT_EQ(data, std::vector<u8>{9});

  DPFrame::TDPFramework uninitialised;
  try {
    uninitialised.EnumSessions(0);
    FAIL();
  } catch (const DPFrame::EDirectPlayError& e) {
    EXPECT_STREQ(e.what(), "DPERR_UNINITIALIZED");
  }
}

TEST_F(Framework, PeekLeavesTheMessageAndAllTakesTheOldestOfAnyPlayer) {
  auto t = Transport(TProvider::Loopback);
  DPFrame::DPID a = HostWithPlayer(*t), b = 0;
  t->CreatePlayer("Second", &b);  // a gets message 3
  t->Send(b, a, 1, Payload(1, 1).data(), 68);
  t->Send(a, b, 1, Payload(2, 2).data(), 68);
  DPFrame::DPID from = 0, to = 0;
  std::vector<u8> data;
  ASSERT_EQ(t->DirectPlay->Receive(&from, &to, Plat::DPRECEIVE_PEEK, data), Plat::DP_OK);
  EXPECT_EQ(to, a);
  EXPECT_EQ(from, 0u);
  for (auto [sender, receiver, tag] : {std::tuple{0u, a, 0u}, {b, a, 1u}, {a, b, 2u}}) {
    ASSERT_EQ(t->DirectPlay->Receive(&from, &to, 0, data), Plat::DP_OK);
    EXPECT_EQ(from, sender);
    EXPECT_EQ(to, receiver);
    if (tag) {
      EXPECT_EQ(data, Payload(tag, tag));
    }
  }
  EXPECT_EQ(t->DirectPlay->Receive(&from, &to, 0, data), Plat::DPERR_NOMESSAGES);
}

}  // namespace
