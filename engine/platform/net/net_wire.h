// The wire format between transports: frames on a connection, each a u32
// length followed by a kind byte and its fields, and the two enumeration
// datagrams. Everything little-endian, field by field. Decoding is strict:
// a frame decodes only when encoding the result gives the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "engine/platform/net/dplay_types.h"

namespace Plat::Wire {

constexpr std::uint32_t ProtocolVersion = 1;
constexpr std::size_t MaxMessageBytes = 64 * 1024;  // one player message
constexpr std::size_t MaxPlayerDataBytes = 4096;
constexpr std::size_t MaxNameBytes = 1024;
constexpr std::size_t MaxSessionPlayers = 256;
constexpr std::size_t MaxFrameBytes = 2u << 20;  // bounds a join reply listing every player
constexpr std::size_t MaxDatagramBytes = 1400;
constexpr std::size_t LengthPrefixBytes = 4;

struct TDesc {
  std::uint32_t Flags = 0;
  TGuid Instance;
  TGuid Application;
  std::uint32_t MaxPlayers = 0;
  std::uint32_t CurrentPlayers = 0;
  std::optional<std::string> Name;
  std::uint32_t User[4] = {};
  bool operator==(const TDesc&) const = default;
};

struct TPlayer {
  DPID ID = 0;
  std::string Name;
  std::vector<std::uint8_t> Data;
  bool operator==(const TPlayer&) const = default;
};

// Frames. Both ways: TPing, TPlayerGone, TPlayerData, TData; client to host:
// TJoinRequest, TCreatePlayer; host to client: the rest.
struct TPing {
  bool operator==(const TPing&) const = default;
};
struct TJoinRequest {
  std::uint32_t Version = ProtocolVersion;
  TGuid Application;
  TGuid Instance;
  bool operator==(const TJoinRequest&) const = default;
};
struct TJoinAccept {
  TDesc Desc;
  std::vector<TPlayer> Players;
  bool operator==(const TJoinAccept&) const = default;
};
struct TJoinRefuse {
  HRESULT Code = 0;
  bool operator==(const TJoinRefuse&) const = default;
};
struct TCreatePlayer {
  std::uint32_t Token = 0;
  std::string Name;
  bool operator==(const TCreatePlayer&) const = default;
};
struct TPlayerAdded {
  DPID ID = 0;
  std::uint32_t Token = 0;  // the creator's request; 0 in the copies for other machines
  std::string Name;
  bool operator==(const TPlayerAdded&) const = default;
};
struct TPlayerRefused {
  std::uint32_t Token = 0;
  HRESULT Code = 0;
  bool operator==(const TPlayerRefused&) const = default;
};
struct TPlayerGone {
  DPID ID = 0;
  bool operator==(const TPlayerGone&) const = default;
};
struct TPlayerData {
  DPID ID = 0;
  std::vector<std::uint8_t> Data;
  bool operator==(const TPlayerData&) const = default;
};
struct TSessionDesc {
  TDesc Desc;
  bool operator==(const TSessionDesc&) const = default;
};
struct TData {
  DPID From = 0;
  DPID To = 0;
  std::vector<std::uint8_t> Payload;
  bool operator==(const TData&) const = default;
};
struct TSessionClosed {
  bool operator==(const TSessionClosed&) const = default;
};

// The kind byte is the alternative's index + 1.
using TFrame = std::variant<TPing, TJoinRequest, TJoinAccept, TJoinRefuse, TCreatePlayer, TPlayerAdded, TPlayerRefused,
                            TPlayerGone, TPlayerData, TSessionDesc, TData, TSessionClosed>;

// The frame with its length prefix, ready for a connection.
std::vector<std::uint8_t> EncodeFrame(const TFrame& frame);
// payload: the bytes after the length prefix. False with the reason when
// they are not exactly one well-formed frame.
bool DecodeFrame(std::span<const std::uint8_t> payload, TFrame& out, std::string& error);
const char* FrameName(const TFrame& frame);

// Splits a byte stream into frame payloads.
class TFrameReader {
 public:
  using TSink = std::function<void(std::span<const std::uint8_t>)>;
  // Hands every completed frame's payload to sink. False with the reason
  // when a length is out of range; the stream cannot be resynchronised then.
  bool Feed(std::span<const std::uint8_t> bytes, const TSink& sink, std::string& error);
  // Bytes of an unfinished frame are waiting.
  bool InsideFrame() const { return !Pending.empty(); }

 private:
  std::vector<std::uint8_t> Pending;
};

struct TEnumQuery {
  std::uint32_t Version = ProtocolVersion;
  std::uint32_t Nonce = 0;
  TGuid Application;
  bool operator==(const TEnumQuery&) const = default;
};
struct TEnumReply {
  std::uint32_t Version = ProtocolVersion;
  std::uint32_t Nonce = 0;
  std::uint16_t Port = 0;  // where the session accepts connections
  TDesc Desc;
  bool operator==(const TEnumReply&) const = default;
};

std::vector<std::uint8_t> EncodeQuery(const TEnumQuery& query);
std::vector<std::uint8_t> EncodeReply(const TEnumReply& reply);
bool DecodeQuery(std::span<const std::uint8_t> bytes, TEnumQuery& out);
bool DecodeReply(std::span<const std::uint8_t> bytes, TEnumReply& out);

}  // namespace Plat::Wire
