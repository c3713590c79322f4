// The frames and datagrams between transports: every kind survives a round
// trip, and damaged bytes are refused without reading past the end.
#include "engine/platform/net/net_wire.h"

#include <gtest/gtest.h>

namespace {

using namespace Plat::Wire;

TDesc SampleDesc() {
  TDesc d;
  d.Flags = 0x2044;
  d.Instance.Bytes[3] = 7;
  d.Application.Bytes[15] = 9;
  d.MaxPlayers = 8;
  d.CurrentPlayers = 3;
  d.Name = "HOST-PC";
  d.User[0] = 100;
  d.User[1] = 0xDEADBEEF;
  d.User[2] = 4;
  return d;
}

std::vector<TFrame> Samples() {
  return {TPing{},
          TJoinRequest{ProtocolVersion, SampleDesc().Application, SampleDesc().Instance},
          TJoinAccept{SampleDesc(), {{0x10001, "Host (PC)", {1, 0, 0, 0, 1, 0, 0, 0}}, {0x10002, "", {}}}},
          TJoinRefuse{static_cast<Plat::HRESULT>(0x8877014A)},
          TCreatePlayer{5, "Spieler (K\xFC" "che)"},
          TPlayerAdded{0x10003, 5, "Gast"},
          TPlayerRefused{6, static_cast<Plat::HRESULT>(0x8877003C)},
          TPlayerGone{0x10003},
          TPlayerData{0x10002, {2, 0, 0, 0, 1, 0, 0, 0}},
          TSessionDesc{SampleDesc()},
          TData{0x10001, 0, std::vector<std::uint8_t>(68, 0xA5)},
          TSessionClosed{}};
}

TEST(NetWire, EveryFrameKindSurvivesARoundTrip) {
  auto samples = Samples();
  ASSERT_EQ(samples.size(), std::variant_size_v<TFrame>);
  for (const TFrame& f : samples) {
    auto bytes = EncodeFrame(f);
    ASSERT_GE(bytes.size(), LengthPrefixBytes + 1);
    TFrame back;
    std::string error;
    ASSERT_TRUE(DecodeFrame(std::span(bytes).subspan(LengthPrefixBytes), back, error)) << FrameName(f) << ": " << error;
    EXPECT_EQ(back, f) << FrameName(f);
  }
}

TEST(NetWire, DamagedFramesAreRefused) {
  auto payload = [](const TFrame& f) {
    auto b = EncodeFrame(f);
    return std::vector<std::uint8_t>(b.begin() + LengthPrefixBytes, b.end());
  };
  auto accept = payload(Samples()[2]);
  auto withName = payload(TSessionDesc{SampleDesc()});
  std::size_t nameFlag = 1 + 4 + 16 + 16 + 4 + 4;
  struct {
    const char* Name;
    std::vector<std::uint8_t> Bytes;
    const char* Reason;
  } cases[] = {
      {"empty", {}, "empty frame"},
      {"kind 0", {0}, "unknown frame kind 0"},
      {"kind past the last", {13}, "unknown frame kind 13"},
      {"trailing byte", [&] { auto b = payload(TPing{}); b.push_back(0); return b; }(), "bytes after the last field"},
      {"flag byte 2", [&] { auto b = withName; b.at(nameFlag) = 2; return b; }(), "flag byte out of range"},
      {"name past the limit", [&] { auto b = withName; b.at(nameFlag + 1) = 0xFF; b.at(nameFlag + 2) = 0xFF; return b; }(),
       "name too long"},
      {"data past the limit", [&] { auto b = payload(TData{1, 0, {1}}); b.at(9) = 0; b.at(10) = 0; b.at(11) = 0x10; return b; }(),
       "data block too long"},
      {"player count past the end", [&] { auto b = accept; b.at(withName.size()) = 200; return b; }(), "player count past the end"},
      {"cut inside a field", std::vector<std::uint8_t>(accept.begin(), accept.begin() + 20), "frame ends inside a field"},
  };
  for (const auto& c : cases) {
    TFrame out;
    std::string error;
    EXPECT_FALSE(DecodeFrame(c.Bytes, out, error)) << c.Name;
    EXPECT_NE(error.find(c.Reason), std::string::npos) << c.Name << ": " << error;
  }
  // Every shorter prefix of every frame kind is refused.
  for (const TFrame& f : Samples()) {
    auto full = payload(f);
    for (std::size_t n = 0; n < full.size(); ++n) {
      TFrame out;
      std::string error;
      EXPECT_FALSE(DecodeFrame(std::span(full).first(n), out, error)) << FrameName(f) << " cut to " << n;
    }
  }
}

TEST(NetWire, TheReaderSplitsAStreamCutAnywhere) {
  std::vector<std::uint8_t> stream;
  std::vector<std::vector<std::uint8_t>> expected;
  for (const TFrame& f : Samples()) {
    auto b = EncodeFrame(f);
    expected.emplace_back(b.begin() + LengthPrefixBytes, b.end());
    stream.insert(stream.end(), b.begin(), b.end());
  }
  for (std::size_t chunk : {std::size_t{1}, std::size_t{3}, std::size_t{7}, stream.size()}) {
    TFrameReader reader;
    std::vector<std::vector<std::uint8_t>> got;
    std::string error;
    for (std::size_t pos = 0; pos < stream.size(); pos += chunk) {
      auto part = std::span(stream).subspan(pos, std::min(chunk, stream.size() - pos));
      ASSERT_TRUE(reader.Feed(part, [&](std::span<const std::uint8_t> p) { got.emplace_back(p.begin(), p.end()); }, error));
    }
    EXPECT_EQ(got, expected) << "chunks of " << chunk;
    EXPECT_FALSE(reader.InsideFrame());
  }
}

TEST(NetWire, TheReaderRefusesLengthsOutOfRange) {
  auto sink = [](std::span<const std::uint8_t>) { FAIL() << "no frame expected"; };
  struct {
    std::vector<std::uint8_t> Bytes;
    const char* Reason;
  } cases[] = {
      {{0, 0, 0, 0}, "frame length 0 out of range"},
      {{0x01, 0x00, 0x20, 0x00}, "frame length 2097153 out of range"},
      {{'h', 'e', 'l', 'l', 'o'}, "out of range"},
  };
  for (const auto& c : cases) {
    TFrameReader reader;
    std::string error;
    EXPECT_FALSE(reader.Feed(c.Bytes, sink, error));
    EXPECT_NE(error.find(c.Reason), std::string::npos) << error;
  }
  // A frame announced but never finished stays pending, holding only what came.
  TFrameReader reader;
  std::string error;
  std::vector<std::uint8_t> start = {0x00, 0x00, 0x10, 0x00, 1, 2, 3};
  EXPECT_TRUE(reader.Feed(start, sink, error));
  EXPECT_TRUE(reader.InsideFrame());
}

TEST(NetWire, EnumerationDatagrams) {
  TEnumQuery q{ProtocolVersion, 0x12345678, SampleDesc().Application};
  TEnumReply r{ProtocolVersion, 0x12345678, 51234, SampleDesc()};
  auto qb = EncodeQuery(q), rb = EncodeReply(r);
  TEnumQuery q2;
  TEnumReply r2;
  ASSERT_TRUE(DecodeQuery(qb, q2));
  ASSERT_TRUE(DecodeReply(rb, r2));
  EXPECT_EQ(q2, q);
  EXPECT_EQ(r2, r);
  EXPECT_LE(rb.size(), MaxDatagramBytes);
  EXPECT_FALSE(DecodeQuery(rb, q2)) << "a reply is no query";
  EXPECT_FALSE(DecodeReply(qb, r2)) << "a query is no reply";
  for (std::size_t n = 0; n < rb.size(); ++n) EXPECT_FALSE(DecodeReply(std::span(rb).first(n), r2));
  qb.push_back(0);
  EXPECT_FALSE(DecodeQuery(qb, q2));
}

}  // namespace
