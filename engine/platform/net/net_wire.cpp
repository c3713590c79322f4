#include "engine/platform/net/net_wire.h"

#include <cstring>

namespace Plat::Wire {

namespace {

constexpr std::uint32_t QueryMagic = 0x51565230;  // "0RVQ"
constexpr std::uint32_t ReplyMagic = 0x52565230;  // "0RVR"

class TWriter {
 public:
  explicit TWriter(std::vector<std::uint8_t>& out) : Out(out) {}
  void U8(std::uint8_t v) { Out.push_back(v); }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) U8(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void Guid(const TGuid& g) { Out.insert(Out.end(), g.Bytes.begin(), g.Bytes.end()); }
  void Name(const std::string& s) {
    U16(static_cast<std::uint16_t>(s.size()));
    Out.insert(Out.end(), s.begin(), s.end());
  }
  void Blob(const std::vector<std::uint8_t>& b) {
    U32(static_cast<std::uint32_t>(b.size()));
    Out.insert(Out.end(), b.begin(), b.end());
  }
  void Desc(const TDesc& d) {
    U32(d.Flags);
    Guid(d.Instance);
    Guid(d.Application);
    U32(d.MaxPlayers);
    U32(d.CurrentPlayers);
    U8(d.Name ? 1 : 0);
    if (d.Name) Name(*d.Name);
    for (std::uint32_t u : d.User) U32(u);
  }

 private:
  std::vector<std::uint8_t>& Out;
};

// Reads fields until the first failure; every later read yields zeros.
class TReader {
 public:
  explicit TReader(std::span<const std::uint8_t> in) : In(in) {}
  bool Ok() const { return !Failed; }
  bool AtEnd() const { return Pos == In.size(); }
  std::size_t Left() const { return In.size() - Pos; }
  void Fail(const char* why) {
    if (!Failed) Why = why;
    Failed = true;
  }
  const char* Reason() const { return Why; }

  std::uint8_t U8() { return Take(1) ? In[Pos - 1] : 0; }
  std::uint16_t U16() {
    if (!Take(2)) return 0;
    return static_cast<std::uint16_t>(In[Pos - 2] | (In[Pos - 1] << 8));
  }
  std::uint32_t U32() {
    if (!Take(4)) return 0;
    const std::uint8_t* p = &In[Pos - 4];
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  }
  bool Bool() {
    std::uint8_t v = U8();
    if (v > 1) Fail("flag byte out of range");
    return v == 1;
  }
  TGuid Guid() {
    TGuid g;
    if (Take(16)) std::memcpy(g.Bytes.data(), &In[Pos - 16], 16);
    return g;
  }
  std::string Name() {
    std::uint16_t n = U16();
    if (n > MaxNameBytes) Fail("name too long");
    if (!Failed && !Take(n)) return {};
    return Failed ? std::string() : std::string(reinterpret_cast<const char*>(&In[Pos - n]), n);
  }
  std::vector<std::uint8_t> Blob(std::size_t limit) {
    std::uint32_t n = U32();
    if (n > limit) Fail("data block too long");
    if (Failed || !Take(n)) return {};
    return std::vector<std::uint8_t>(In.begin() + static_cast<std::ptrdiff_t>(Pos - n), In.begin() + static_cast<std::ptrdiff_t>(Pos));
  }
  TDesc Desc() {
    TDesc d;
    d.Flags = U32();
    d.Instance = Guid();
    d.Application = Guid();
    d.MaxPlayers = U32();
    d.CurrentPlayers = U32();
    if (Bool()) d.Name = Name();
    for (std::uint32_t& u : d.User) u = U32();
    return d;
  }

 private:
  bool Take(std::size_t n) {
    if (Failed) return false;
    if (Left() < n) {
      Fail("frame ends inside a field");
      return false;
    }
    Pos += n;
    return true;
  }

  std::span<const std::uint8_t> In;
  std::size_t Pos = 0;
  bool Failed = false;
  const char* Why = "";
};

struct TEncoder {
  TWriter& W;
  void operator()(const TPing&) {}
  void operator()(const TJoinRequest& f) {
    W.U32(f.Version);
    W.Guid(f.Application);
    W.Guid(f.Instance);
  }
  void operator()(const TJoinAccept& f) {
    W.Desc(f.Desc);
    W.U32(static_cast<std::uint32_t>(f.Players.size()));
    for (const TPlayer& p : f.Players) {
      W.U32(p.ID);
      W.Name(p.Name);
      W.Blob(p.Data);
    }
  }
  void operator()(const TJoinRefuse& f) { W.U32(static_cast<std::uint32_t>(f.Code)); }
  void operator()(const TCreatePlayer& f) {
    W.U32(f.Token);
    W.Name(f.Name);
  }
  void operator()(const TPlayerAdded& f) {
    W.U32(f.ID);
    W.U32(f.Token);
    W.Name(f.Name);
  }
  void operator()(const TPlayerRefused& f) {
    W.U32(f.Token);
    W.U32(static_cast<std::uint32_t>(f.Code));
  }
  void operator()(const TPlayerGone& f) { W.U32(f.ID); }
  void operator()(const TPlayerData& f) {
    W.U32(f.ID);
    W.Blob(f.Data);
  }
  void operator()(const TSessionDesc& f) { W.Desc(f.Desc); }
  void operator()(const TData& f) {
    W.U32(f.From);
    W.U32(f.To);
    W.Blob(f.Payload);
  }
  void operator()(const TSessionClosed&) {}
};

// Smallest encoded player: ID, empty name, empty data.
constexpr std::size_t MinPlayerBytes = 4 + 2 + 4;

void DecodeBody(TReader& r, std::size_t index, TFrame& out) {
  switch (index) {
    case 0: out = TPing{}; break;
    case 1: {
      TJoinRequest f;
      f.Version = r.U32();
      f.Application = r.Guid();
      f.Instance = r.Guid();
      out = f;
      break;
    }
    case 2: {
      TJoinAccept f;
      f.Desc = r.Desc();
      std::uint32_t n = r.U32();
      if (n > MaxSessionPlayers || n > r.Left() / MinPlayerBytes) r.Fail("player count past the end");
      for (std::uint32_t i = 0; i < n && r.Ok(); ++i) {
        TPlayer p;
        p.ID = r.U32();
        p.Name = r.Name();
        p.Data = r.Blob(MaxPlayerDataBytes);
        f.Players.push_back(std::move(p));
      }
      out = std::move(f);
      break;
    }
    case 3: out = TJoinRefuse{static_cast<HRESULT>(r.U32())}; break;
    case 4: {
      TCreatePlayer f;
      f.Token = r.U32();
      f.Name = r.Name();
      out = std::move(f);
      break;
    }
    case 5: {
      TPlayerAdded f;
      f.ID = r.U32();
      f.Token = r.U32();
      f.Name = r.Name();
      out = std::move(f);
      break;
    }
    case 6: {
      TPlayerRefused f;
      f.Token = r.U32();
      f.Code = static_cast<HRESULT>(r.U32());
      out = f;
      break;
    }
    case 7: out = TPlayerGone{r.U32()}; break;
    case 8: {
      TPlayerData f;
      f.ID = r.U32();
      f.Data = r.Blob(MaxPlayerDataBytes);
      out = std::move(f);
      break;
    }
    case 9: out = TSessionDesc{r.Desc()}; break;
    case 10: {
      TData f;
      f.From = r.U32();
      f.To = r.U32();
      f.Payload = r.Blob(MaxMessageBytes);
      out = std::move(f);
      break;
    }
    case 11: out = TSessionClosed{}; break;
  }
}

std::uint32_t ReadLength(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

std::vector<std::uint8_t> EncodeFrame(const TFrame& frame) {
  // Reserved beyond the prefix: GCC's -O2 otherwise takes the first push
  // for a write past a four-byte array.
  std::vector<std::uint8_t> out;
  out.reserve(64);
  out.resize(LengthPrefixBytes);
  TWriter w(out);
  w.U8(static_cast<std::uint8_t>(frame.index() + 1));
  std::visit(TEncoder{w}, frame);
  std::uint32_t n = static_cast<std::uint32_t>(out.size() - LengthPrefixBytes);
  for (int i = 0; i < 4; ++i) out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(n >> (8 * i));
  return out;
}

bool DecodeFrame(std::span<const std::uint8_t> payload, TFrame& out, std::string& error) {
  TReader r(payload);
  std::uint8_t kind = r.U8();
  if (!r.Ok()) {
    error = "empty frame";
    return false;
  }
  if (kind == 0 || kind > std::variant_size_v<TFrame>) {
    error = "unknown frame kind " + std::to_string(kind);
    return false;
  }
  DecodeBody(r, kind - 1u, out);
  if (r.Ok() && !r.AtEnd()) r.Fail("bytes after the last field");
  if (!r.Ok()) {
    error = std::string(FrameName(out)) + ": " + r.Reason();
    return false;
  }
  return true;
}

const char* FrameName(const TFrame& frame) {
  static const char* const names[] = {"ping",         "join request", "join accept",  "join refusal",
                                      "create player", "player added", "player refused", "player gone",
                                      "player data",  "session description", "data", "session closed"};
  static_assert(std::size(names) == std::variant_size_v<TFrame>);
  return names[frame.index()];
}

bool TFrameReader::Feed(std::span<const std::uint8_t> bytes, const TSink& sink, std::string& error) {
  std::size_t pos = 0;
  // Whole frames straight from the input while nothing is pending.
  while (Pending.empty() && bytes.size() - pos >= LengthPrefixBytes) {
    std::uint32_t n = ReadLength(&bytes[pos]);
    if (n == 0 || n > MaxFrameBytes) {
      error = "frame length " + std::to_string(n) + " out of range";
      return false;
    }
    if (bytes.size() - pos - LengthPrefixBytes < n) break;
    sink(bytes.subspan(pos + LengthPrefixBytes, n));
    pos += LengthPrefixBytes + n;
  }
  if (pos == bytes.size()) return true;
  Pending.insert(Pending.end(), bytes.begin() + static_cast<std::ptrdiff_t>(pos), bytes.end());
  std::size_t done = 0;
  while (Pending.size() - done >= LengthPrefixBytes) {
    std::uint32_t n = ReadLength(&Pending[done]);
    if (n == 0 || n > MaxFrameBytes) {
      error = "frame length " + std::to_string(n) + " out of range";
      return false;
    }
    if (Pending.size() - done - LengthPrefixBytes < n) break;
    sink(std::span<const std::uint8_t>(Pending).subspan(done + LengthPrefixBytes, n));
    done += LengthPrefixBytes + n;
  }
  Pending.erase(Pending.begin(), Pending.begin() + static_cast<std::ptrdiff_t>(done));
  return true;
}

std::vector<std::uint8_t> EncodeQuery(const TEnumQuery& query) {
  std::vector<std::uint8_t> out;
  TWriter w(out);
  w.U32(QueryMagic);
  w.U32(query.Version);
  w.U32(query.Nonce);
  w.Guid(query.Application);
  return out;
}

std::vector<std::uint8_t> EncodeReply(const TEnumReply& reply) {
  std::vector<std::uint8_t> out;
  TWriter w(out);
  w.U32(ReplyMagic);
  w.U32(reply.Version);
  w.U32(reply.Nonce);
  w.U16(reply.Port);
  w.Desc(reply.Desc);
  return out;
}

bool DecodeQuery(std::span<const std::uint8_t> bytes, TEnumQuery& out) {
  TReader r(bytes);
  if (r.U32() != QueryMagic) return false;
  out.Version = r.U32();
  out.Nonce = r.U32();
  out.Application = r.Guid();
  return r.Ok() && r.AtEnd();
}

bool DecodeReply(std::span<const std::uint8_t> bytes, TEnumReply& out) {
  TReader r(bytes);
  if (r.U32() != ReplyMagic) return false;
  out.Version = r.U32();
  out.Nonce = r.U32();
  out.Port = r.U16();
  out.Desc = r.Desc();
  return r.Ok() && r.AtEnd();
}

}  // namespace Plat::Wire
