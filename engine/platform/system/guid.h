// A 16-byte identifier of a driver, device, service provider or session.
#pragma once

#include <array>
#include <cstdint>

namespace Plat {

struct TGuid {
  std::array<std::uint8_t, 16> Bytes{};
  bool operator==(const TGuid&) const = default;
  bool IsNull() const { return *this == TGuid{}; }
};

// The usual written form's first three fields, little-endian; the rest zero.
constexpr TGuid MakeGuid(std::uint32_t data1, std::uint16_t data2, std::uint16_t data3) {
  TGuid g;
  for (int i = 0; i < 4; ++i) g.Bytes[i] = static_cast<std::uint8_t>(data1 >> (8 * i));
  for (int i = 0; i < 2; ++i) g.Bytes[4 + i] = static_cast<std::uint8_t>(data2 >> (8 * i));
  for (int i = 0; i < 2; ++i) g.Bytes[6 + i] = static_cast<std::uint8_t>(data3 >> (8 * i));
  return g;
}

}  // namespace Plat
