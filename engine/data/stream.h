// Byte streams and the binary conventions of every stored object: integers
// little-endian at their declared width, strings as a u32 count and bytes.
#pragma once

#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "engine/base/errors.h"
#include "engine/base/types.h"

namespace Data {

enum TSeekOrigin : int { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream {
 public:
  virtual ~TStream() = default;
  // Reads up to count bytes; returns how many were read (0 at the end).
  virtual i32 Read(void* buffer, i32 count) = 0;
  virtual i32 Write(const void* buffer, i32 count) = 0;
  virtual i64 Seek(i64 offset, int origin) = 0;
  virtual void SetSize(i64 size);

  i64 GetPosition() { return Seek(0, soCurrent); }
  void SetPosition(i64 position) { Seek(position, soBeginning); }
  i64 GetSize();
  // Bytes between the position and the end (0 when beyond it).
  i64 Remaining();

  // All or nothing: a short read raises the read error, a short write the write error.
  void ReadBuffer(void* buffer, i32 count) {
    // Reads inside the block a stream has read ahead need no call.
    if (static_cast<u32>(count) - 1u < static_cast<u64>(ReadEnd - ReadPtr)) {
      std::memcpy(buffer, ReadPtr, static_cast<std::size_t>(count));
      ReadPtr += count;
      return;
    }
    ReadBufferSlow(buffer, count);
  }
  void WriteBuffer(const void* buffer, i32 count);
  // Copies count bytes from source (all of it when count is 0).
  void CopyFrom(TStream& source, i64 count);

 protected:
  // Bytes a stream has read ahead: the next reads take them from here. A
  // stream that sets them accounts for them in Read and Seek; both null
  // while it hands out nothing this way.
  const u8* ReadPtr = nullptr;
  const u8* ReadEnd = nullptr;

 private:
  void ReadBufferSlow(void* buffer, i32 count);
};

// A stream over a block of memory that grows as it is written.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<u8> bytes) : Bytes(std::move(bytes)) {}
  explicit TMemoryStream(const std::string& bytes) : Bytes(bytes.begin(), bytes.end()) {}
  i32 Read(void* buffer, i32 count) override;
  i32 Write(const void* buffer, i32 count) override;
  i64 Seek(i64 offset, int origin) override;
  void SetSize(i64 size) override;
  const std::vector<u8>& Memory() const { return Bytes; }
  std::string AsString() const { return std::string(Bytes.begin(), Bytes.end()); }

 private:
  std::vector<u8> Bytes;
  i64 Pos = 0;
};

// Raises "Invalid data."; never returns.
[[noreturn]] void RaiseInvalidData();
inline void CheckData(bool ok) {
  if (!ok) RaiseInvalidData();
}
// A count read from a stream must fit the bytes that are left, so a damaged
// count can neither exhaust memory nor read past the data: a negative count
// raises "Invalid data.", one past the end the read error the short read
// would have raised.
void CheckAvailable(TStream& stream, i64 count, i64 itemBytes);

// Little-endian values of fixed width.
template <std::size_t N>
struct TUnsignedOfSize;
template <>
struct TUnsignedOfSize<1> { using Type = u8; };
template <>
struct TUnsignedOfSize<2> { using Type = u16; };
template <>
struct TUnsignedOfSize<4> { using Type = u32; };
template <>
struct TUnsignedOfSize<8> { using Type = u64; };
template <class T>
using TBitsOf = typename TUnsignedOfSize<sizeof(T)>::Type;

template <class T>
T ReadValue(TStream& s) {
  static_assert(std::is_arithmetic_v<T> || std::is_enum_v<T>);
  u8 b[sizeof(T)];
  s.ReadBuffer(b, sizeof(T));
  TBitsOf<T> u = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) u = static_cast<TBitsOf<T>>(u | (static_cast<TBitsOf<T>>(b[i]) << (8 * i)));
  T out;
  std::memcpy(&out, &u, sizeof out);
  return out;
}

template <class T>
void WriteValue(TStream& s, T value) {
  static_assert(std::is_arithmetic_v<T> || std::is_enum_v<T>);
  TBitsOf<T> u;
  std::memcpy(&u, &value, sizeof u);
  u8 b[sizeof(T)];
  for (std::size_t i = 0; i < sizeof(T); ++i) b[i] = static_cast<u8>(u >> (8 * i));
  s.WriteBuffer(b, sizeof(T));
}

inline u8 ReadU8(TStream& s) { return ReadValue<u8>(s); }
inline i8 ReadI8(TStream& s) { return ReadValue<i8>(s); }
inline u16 ReadU16(TStream& s) { return ReadValue<u16>(s); }
inline i16 ReadI16(TStream& s) { return ReadValue<i16>(s); }
inline u32 ReadU32(TStream& s) { return ReadValue<u32>(s); }
inline i32 ReadI32(TStream& s) { return ReadValue<i32>(s); }
inline u64 ReadU64(TStream& s) { return ReadValue<u64>(s); }
inline bool ReadBool(TStream& s) { return ReadValue<u8>(s) != 0; }
inline void WriteU8(TStream& s, u8 v) { WriteValue(s, v); }
inline void WriteI8(TStream& s, i8 v) { WriteValue(s, v); }
inline void WriteU16(TStream& s, u16 v) { WriteValue(s, v); }
inline void WriteI16(TStream& s, i16 v) { WriteValue(s, v); }
inline void WriteU32(TStream& s, u32 v) { WriteValue(s, v); }
inline void WriteI32(TStream& s, i32 v) { WriteValue(s, v); }
inline void WriteU64(TStream& s, u64 v) { WriteValue(s, v); }
inline void WriteBool(TStream& s, bool v) { WriteValue<u8>(s, v ? 1 : 0); }

// Fixed-size byte fields (names in tables and records).
inline void ReadChars(TStream& s, char* field, i32 size) { s.ReadBuffer(field, size); }
inline void WriteChars(TStream& s, const char* field, i32 size) { s.WriteBuffer(field, size); }

void ReadString(TStream& s, std::string& out);
std::string ReadString(TStream& s);
void WriteString(TStream& s, const std::string& value);

// The four bytes "list" that introduce arrays and lists.
constexpr u32 ListTag = 0x7473696C;
void ReadListTag(TStream& s);
void WriteListTag(TStream& s);

}  // namespace Data
