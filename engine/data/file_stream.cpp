#include "engine/data/file_stream.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "engine/base/base.h"
#include "engine/platform/system/files.h"

namespace Data {

namespace {

Plat::TFile::TMode FileMode(u16 mode) {
  if (mode == fmCreate) return Plat::TFile::TMode::Create;
  return (mode & 3) == fmOpenRead ? Plat::TFile::TMode::Read : Plat::TFile::TMode::ReadWrite;
}

}  // namespace

TFileStream::TFileStream(const std::string& fileName, u16 mode) : FileName(fileName) {
  std::string error;
  File = Plat::TFile::Open(fileName, FileMode(mode), error);
  if (File) return;
  const std::string shown = Plat::DisplayPath(fileName);
  if (mode == fmCreate)
    throw Base::EFCreateError(Base::Format("Cannot create file \"%s\". %s", shown.c_str(), error.c_str()));
  throw Base::EFOpenError(Base::Format("Cannot open file \"%s\". %s", shown.c_str(), error.c_str()));
}

TFileStream::TFileStream(std::shared_ptr<Plat::TFile> file, const std::string& fileName)
    : FileName(fileName), File(std::move(file)) {}

TFileStream::~TFileStream() = default;

i64 TFileStream::FileLength() { return File->Length(); }

i32 TFileStream::Read(void* buffer, i32 count) {
  if (count <= 0 || FilePos < 0) return 0;
  i64 n = File->ReadAt(FilePos, buffer, count);
  FilePos += n;
  return static_cast<i32>(n);
}

i32 TFileStream::Write(const void* buffer, i32 count) {
  if (count <= 0 || FilePos < 0) return 0;
  i64 n = File->WriteAt(FilePos, buffer, count);
  FilePos += n;
  return static_cast<i32>(n);
}

i64 TFileStream::Seek(i64 offset, int origin) {
  FilePos = origin == soBeginning ? offset : origin == soEnd ? FileLength() + offset : FilePos + offset;
  return FilePos;
}

void TFileStream::SetSize(i64 size) {
  if (!File->SetLength(size)) throw Base::EStreamError("Stream cannot change its size.");
}

TSubStream::TSubStream(const std::string& fileName, u16 mode) : TFileStream(fileName, mode) {
  if (IsReadMode(mode)) {
    i64 length = FileLength();
    Size = length > INT32_MAX ? INT32_MAX : static_cast<i32>(std::max<i64>(length, 0));
  } else {
    PassThrough = true;
  }
}

TSubStream::TSubStream(const std::string& fileName, i32 offset, i32 size)
    : TFileStream(fileName, fmOpenRead | fmShareDenyWrite) {
  CheckWindow(FileLength(), offset, size);
}

TSubStream::TSubStream(std::shared_ptr<Plat::TFile> file, i64 fileLength, const std::string& fileName, i32 offset,
                       i32 size)
    : TFileStream(std::move(file), fileName) {
  CheckWindow(fileLength, offset, size);
}

TSubStream::TSubStream(std::shared_ptr<Plat::TFile> file, const std::string& fileName)
    : TFileStream(std::move(file), fileName) {
  PassThrough = true;
}

TSubStream::~TSubStream() = default;

void TSubStream::CheckWindow(i64 fileLength, i32 offset, i32 size) {
  if (offset < 0 || offset > fileLength) throw Base::EStreamError("Invalid offset of substream.");
  if (size < 0 || static_cast<i64>(offset) + size > fileLength) throw Base::EStreamError("Invalid size of substream.");
  Offset = offset;
  Size = size;
  FilePos = Offset;
}

void TSubStream::Decode(u8*, i32, i64) {}

i32 TSubStream::ReadDirect(u8* out, i32 count) {
  const i64 at = static_cast<i64>(Offset) + Position;
  i32 n = static_cast<i32>(File->ReadAt(at, out, count));
  if (n > 0) Decode(out, n, at);
  Position += n;
  return n;
}

i32 TSubStream::Read(void* buffer, i32 count) {
  if (PassThrough) {
    const i64 at = FilePos;
    i32 n = TFileStream::Read(buffer, count);
    if (n > 0) Decode(static_cast<u8*>(buffer), n, at);
    return n;
  }
  if (count <= 0) return 0;
  u8* out = static_cast<u8*>(buffer);
  i32 done = 0;
  if (ReadPtr) {
    done = static_cast<i32>(std::min<std::ptrdiff_t>(count, ReadEnd - ReadPtr));
    std::memcpy(out, ReadPtr, static_cast<std::size_t>(done));
    ReadPtr += done;
    if (done == count) return done;
    Position = Tell();
    ReadPtr = ReadEnd = nullptr;
  }
  if (Position < 0 || Position >= Size) return done;
  const i32 want = std::min(count - done, Size - Position);
  // Large reads go straight into the caller's buffer.
  if (want >= BlockSize) return done + ReadDirect(out + done, want);
  if (!Block) Block = std::make_unique_for_overwrite<u8[]>(static_cast<std::size_t>(std::min(BlockSize, Size)));
  const i32 length = std::min(BlockSize, Size - Position);
  const i64 at = static_cast<i64>(Offset) + Position;
  BlockLen = std::max(static_cast<i32>(File->ReadAt(at, Block.get(), length)), 0);
  Decode(Block.get(), BlockLen, at);
  BlockPos = Position;
  ReadPtr = Block.get();
  ReadEnd = ReadPtr + BlockLen;
  const i32 take = std::min(want, BlockLen);
  std::memcpy(out + done, ReadPtr, static_cast<std::size_t>(take));
  ReadPtr += take;
  return done + take;
}

i64 TSubStream::Seek(i64 offset, int origin) {
  if (PassThrough) return TFileStream::Seek(offset, origin);
  i64 pos = origin == soBeginning ? offset : origin == soEnd ? static_cast<i64>(Size) + offset : Tell() + offset;
  // Positions far outside the window read nothing; keep them in range of i32.
  pos = std::clamp<i64>(pos, INT32_MIN, INT32_MAX);
  if (Block && BlockLen > 0 && pos >= BlockPos && pos <= static_cast<i64>(BlockPos) + BlockLen) {
    ReadPtr = Block.get() + (pos - BlockPos);
    ReadEnd = Block.get() + BlockLen;
  } else {
    ReadPtr = ReadEnd = nullptr;
    Position = static_cast<i32>(pos);
  }
  return pos;
}

void TSubStream::CheckSubRange(i32 offset, i32 size) const {
  if (offset < 0) throw Base::EStreamError("Invalid offset of substream.");
  if (static_cast<i64>(offset) + size > Size) throw Base::EStreamError("Invalid size of substream.");
}

TSubStream* TSubStream::CreateSubStream(i32 offset, i32 size) {
  CheckSubRange(offset, size);
  return new TSubStream(File, FileLength(), FileName, Offset + offset, size);
}

}  // namespace Data
