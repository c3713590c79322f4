// Input: bytes from a connection (length-prefixed frames, cut once where the
// first byte says) or an enumeration datagram. What decodes must encode back
// to the same bytes.
#include <cstdlib>
#include <string>

#include "engine/platform/net/net_wire.h"

namespace {

using namespace Plat::Wire;

void CheckFrame(std::span<const uint8_t> payload) {
  TFrame frame;
  std::string error;
  if (!DecodeFrame(payload, frame, error)) return;
  auto again = EncodeFrame(frame);
  if (again.size() != payload.size() + LengthPrefixBytes ||
      !std::equal(payload.begin(), payload.end(), again.begin() + LengthPrefixBytes))
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> in(data, size);
  TFrameReader reader;
  std::string error;
  std::size_t cut = size ? data[0] % (size + 1) : 0;
  if (reader.Feed(in.first(cut), CheckFrame, error)) reader.Feed(in.subspan(cut), CheckFrame, error);
  CheckFrame(in);
  TEnumQuery query;
  if (DecodeQuery(in, query) && EncodeQuery(query) != std::vector<uint8_t>(in.begin(), in.end())) std::abort();
  TEnumReply reply;
  if (DecodeReply(in, reply) && EncodeReply(reply) != std::vector<uint8_t>(in.begin(), in.end())) std::abort();
  return 0;
}
