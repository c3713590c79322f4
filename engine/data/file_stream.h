// Streams over files, and windows over part of a file.
#pragma once

#include <cstdio>
#include <string>

#include "engine/data/stream.h"

namespace Data {

// File modes.
constexpr u16 fmOpenRead = 0x0000;
constexpr u16 fmOpenWrite = 0x0001;
constexpr u16 fmOpenReadWrite = 0x0002;
constexpr u16 fmShareExclusive = 0x0010;
constexpr u16 fmShareDenyWrite = 0x0020;
constexpr u16 fmCreate = 0xFF00;

inline bool IsReadMode(u16 mode) { return mode != fmCreate && (mode & 3) == fmOpenRead; }

class TFileStream : public TStream {
 public:
  // Raises the file-open error (or the create error for fmCreate).
  TFileStream(const std::string& fileName, u16 mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  i32 Read(void* buffer, i32 count) override;
  i32 Write(const void* buffer, i32 count) override;
  i64 Seek(i64 offset, int origin) override;
  void SetSize(i64 size) override;

  const std::string FileName;

 protected:
  i64 FileLength();
  void MoveTo(i64 filePosition);

  std::FILE* File = nullptr;
  i64 FilePos = 0;  // where the next raw read or write happens
};

// A window of a file. Streams made for writing pass everything through.
class TSubStream : public TFileStream {
 public:
  TSubStream(const std::string& fileName, u16 mode);
  TSubStream(const std::string& fileName, i32 offset, i32 size);

  i32 Read(void* buffer, i32 count) override;
  i64 Seek(i64 offset, int origin) override;
  // A window inside this one.
  virtual TSubStream* CreateSubStream(i32 offset, i32 size);

  i32 Offset = 0;
  i32 Size = 0;
  i32 Position = 0;
  bool PassThrough = false;

 protected:
  void CheckSubRange(i32 offset, i32 size) const;
  // Absolute position in the physical file of the next byte.
  i64 PhysicalPosition() const { return PassThrough ? FilePos : static_cast<i64>(Offset) + Position; }
};

}  // namespace Data
