#include "engine/data/file_stream.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/base/base.h"
#include "engine/platform/files.h"

namespace Data {

TFileStream::TFileStream(const std::string& fileName, u16 mode) : FileName(fileName) {
  std::string native = Plat::NativePath(fileName);
  if (mode == fmCreate) {
    File = std::fopen(native.c_str(), "w+b");
    if (!File)
      throw Base::EFCreateError(Base::Format("Cannot create file \"%s\". %s", fileName.c_str(), std::strerror(errno)));
    return;
  }
  File = std::fopen(native.c_str(), (mode & 3) == fmOpenRead ? "rb" : "r+b");
  if (!File)
    throw Base::EFOpenError(Base::Format("Cannot open file \"%s\". %s", fileName.c_str(), std::strerror(errno)));
}

TFileStream::~TFileStream() {
  if (File) std::fclose(File);
}

void TFileStream::MoveTo(i64 filePosition) {
  if (filePosition != FilePos) {
    std::fseek(File, static_cast<long>(filePosition), SEEK_SET);
    FilePos = filePosition;
  }
}

i64 TFileStream::FileLength() {
  std::fseek(File, 0, SEEK_END);
  i64 length = std::ftell(File);
  std::fseek(File, static_cast<long>(FilePos), SEEK_SET);
  return length;
}

i32 TFileStream::Read(void* buffer, i32 count) {
  if (count <= 0 || FilePos < 0) return 0;
  MoveTo(FilePos);
  std::size_t n = std::fread(buffer, 1, static_cast<std::size_t>(count), File);
  FilePos += static_cast<i64>(n);
  return static_cast<i32>(n);
}

i32 TFileStream::Write(const void* buffer, i32 count) {
  if (count <= 0 || FilePos < 0) return 0;
  MoveTo(FilePos);
  std::size_t n = std::fwrite(buffer, 1, static_cast<std::size_t>(count), File);
  FilePos += static_cast<i64>(n);
  return static_cast<i32>(n);
}

i64 TFileStream::Seek(i64 offset, int origin) {
  i64 target = origin == soBeginning ? offset : origin == soEnd ? FileLength() + offset : FilePos + offset;
  FilePos = target;
  if (target >= 0) std::fseek(File, static_cast<long>(target), SEEK_SET);
  return target;
}

void TFileStream::SetSize(i64 size) {
  std::fflush(File);
  if (::ftruncate(fileno(File), size) != 0) throw Base::EStreamError("Stream cannot change its size.");
}

TSubStream::TSubStream(const std::string& fileName, u16 mode) : TFileStream(fileName, mode) {
  if (IsReadMode(mode)) {
    i64 length = FileLength();
    Size = length > INT32_MAX ? INT32_MAX : static_cast<i32>(length);
  } else {
    PassThrough = true;
  }
}

TSubStream::TSubStream(const std::string& fileName, i32 offset, i32 size)
    : TFileStream(fileName, fmOpenRead | fmShareDenyWrite) {
  i64 length = FileLength();
  if (offset < 0 || offset > length) throw Base::EStreamError("Invalid offset of substream.");
  if (size < 0 || static_cast<i64>(offset) + size > length) throw Base::EStreamError("Invalid size of substream.");
  Offset = offset;
  Size = size;
  MoveTo(Offset);
}

i32 TSubStream::Read(void* buffer, i32 count) {
  if (PassThrough) return TFileStream::Read(buffer, count);
  if (count > Size - Position) count = Size - Position;
  if (count <= 0 || Position < 0) return 0;
  MoveTo(static_cast<i64>(Offset) + Position);
  i32 n = TFileStream::Read(buffer, count);
  Position += n;
  return n;
}

i64 TSubStream::Seek(i64 offset, int origin) {
  if (PassThrough) return TFileStream::Seek(offset, origin);
  i64 pos = origin == soBeginning ? offset : origin == soEnd ? static_cast<i64>(Size) + offset : Position + offset;
  // Positions far outside the window read nothing; keep them in range of i32.
  if (pos < INT32_MIN) pos = INT32_MIN;
  if (pos > INT32_MAX) pos = INT32_MAX;
  Position = static_cast<i32>(pos);
  return Position;
}

void TSubStream::CheckSubRange(i32 offset, i32 size) const {
  if (offset < 0) throw Base::EStreamError("Invalid offset of substream.");
  if (static_cast<i64>(offset) + size > Size) throw Base::EStreamError("Invalid size of substream.");
}

TSubStream* TSubStream::CreateSubStream(i32 offset, i32 size) {
  CheckSubRange(offset, size);
  return new TSubStream(FileName, Offset + offset, size);
}

}  // namespace Data
