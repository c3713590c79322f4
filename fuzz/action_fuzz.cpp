// Input: one byte, then a message as the network hands it to a remote
// player's thread. The byte's low bit says who sent it (set: a player,
// clear: the transport's system messages); the rest of it is this
// machine's action counter. A message judged fit to replay must encode
// back to the same bytes, and one that ends the game must say why.
#include <cstdlib>
#include <string>

#include "world/scenario/action.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace GameData;
  if (size == 0) return 0;
  const std::span<const u8> message(data + 1, size - 1);
  const TRemoteContext context{16, 16, 3, static_cast<u32>(data[0] >> 1)};
  TActionMessage decoded;
  std::string reason;
  switch (JudgeRemoteMessage(data[0] & 1 ? 7 : 0, message, context, decoded, reason)) {
    case TRemoteVerdict::Replay:
      if (!std::equal(message.begin(), message.end(), decoded.Encode().begin()) ||
          message.size() != TActionMessage::StreamSize)
        std::abort();
      break;
    case TRemoteVerdict::EndSession:
      if (reason.empty()) std::abort();
      break;
    case TRemoteVerdict::Ignore:
      break;
  }
  return 0;
}
