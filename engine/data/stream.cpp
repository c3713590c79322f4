#include "engine/data/stream.h"

#include <algorithm>

namespace Data {

void TStream::SetSize(i64) { throw Base::EStreamError("Stream cannot change its size."); }

i64 TStream::GetSize() {
  i64 pos = Seek(0, soCurrent);
  i64 size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

i64 TStream::Remaining() {
  i64 pos = Seek(0, soCurrent);
  i64 size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size > pos ? size - pos : 0;
}

void TStream::ReadBufferSlow(void* buffer, i32 count) {
  if (count != 0 && Read(buffer, count) != count) throw Base::EReadError();
}

void TStream::WriteBuffer(const void* buffer, i32 count) {
  if (count != 0 && Write(buffer, count) != count) throw Base::EWriteError();
}

void TStream::CopyFrom(TStream& source, i64 count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.GetSize();
  }
  u8 chunk[65536];
  while (count > 0) {
    i32 n = static_cast<i32>(std::min<i64>(count, sizeof chunk));
    source.ReadBuffer(chunk, n);
    WriteBuffer(chunk, n);
    count -= n;
  }
}

i32 TMemoryStream::Read(void* buffer, i32 count) {
  if (count <= 0 || Pos < 0 || Pos >= static_cast<i64>(Bytes.size())) return 0;
  i32 n = static_cast<i32>(std::min<i64>(count, static_cast<i64>(Bytes.size()) - Pos));
  std::memcpy(buffer, Bytes.data() + Pos, static_cast<std::size_t>(n));
  Pos += n;
  return n;
}

i32 TMemoryStream::Write(const void* buffer, i32 count) {
  if (count <= 0 || Pos < 0) return 0;
  if (Pos + count > static_cast<i64>(Bytes.size())) Bytes.resize(static_cast<std::size_t>(Pos + count));
  std::memcpy(Bytes.data() + Pos, buffer, static_cast<std::size_t>(count));
  Pos += count;
  return count;
}

i64 TMemoryStream::Seek(i64 offset, int origin) {
  switch (origin) {
    case soBeginning: Pos = offset; break;
    case soEnd: Pos = static_cast<i64>(Bytes.size()) + offset; break;
    default: Pos += offset; break;
  }
  return Pos;
}

void TMemoryStream::SetSize(i64 size) {
  Bytes.resize(static_cast<std::size_t>(std::max<i64>(size, 0)));
  if (Pos > size) Pos = size;
}

void RaiseInvalidData() { throw EInvalidData(); }

void CheckAvailable(TStream& stream, i64 count, i64 itemBytes) {
  if (count < 0) RaiseInvalidData();
  if (count > 0 && count > stream.Remaining() / std::max<i64>(itemBytes, 1)) throw Base::EReadError();
}

void ReadString(TStream& s, std::string& out) {
  u32 n = ReadU32(s);
  CheckAvailable(s, n, 1);
  std::string buffer(n, '\0');
  s.ReadBuffer(buffer.data(), static_cast<i32>(n));
  if (buffer.find('\0') != std::string::npos) RaiseInvalidData();
  out = std::move(buffer);
}

std::string ReadString(TStream& s) {
  std::string out;
  ReadString(s, out);
  return out;
}

void WriteString(TStream& s, const std::string& value) {
  WriteU32(s, static_cast<u32>(value.size()));
  s.WriteBuffer(value.data(), static_cast<i32>(value.size()));
}

void ReadListTag(TStream& s) {
  if (ReadU32(s) != ListTag) RaiseInvalidData();
}

void WriteListTag(TStream& s) { WriteU32(s, ListTag); }

}  // namespace Data
