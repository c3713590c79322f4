// Streams over files, and windows over part of a file.
#pragma once

#include <memory>
#include <string>

#include "engine/data/stream.h"

namespace Plat {
class TFile;
}

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

  i32 Read(void* buffer, i32 count) override;
  i32 Write(const void* buffer, i32 count) override;
  i64 Seek(i64 offset, int origin) override;
  void SetSize(i64 size) override;

  const std::string FileName;
  const std::shared_ptr<Plat::TFile>& SharedFile() const { return File; }

 protected:
  // Over a file that is open already (an archive's), shared with its owner.
  TFileStream(std::shared_ptr<Plat::TFile> file, const std::string& fileName);
  i64 FileLength();

  std::shared_ptr<Plat::TFile> File;
  i64 FilePos = 0;  // where the next raw read or write happens
};

// A window of a file. Streams made for writing pass everything through.
// Reading windows take the file in blocks, so that small reads cost an
// inline copy out of the block rather than a call down to the file.
class TSubStream : public TFileStream {
 public:
  TSubStream(const std::string& fileName, u16 mode);
  TSubStream(const std::string& fileName, i32 offset, i32 size);
  // A window over a file that is open already and whose length is known.
  TSubStream(std::shared_ptr<Plat::TFile> file, i64 fileLength, const std::string& fileName, i32 offset, i32 size);
  // Writes a file that is open already, from its start.
  TSubStream(std::shared_ptr<Plat::TFile> file, const std::string& fileName);
  ~TSubStream() override;

  i32 Read(void* buffer, i32 count) override;
  i64 Seek(i64 offset, int origin) override;
  // A window inside this one.
  virtual TSubStream* CreateSubStream(i32 offset, i32 size);

  i32 Offset = 0;
  i32 Size = 0;
  bool PassThrough = false;

  static constexpr i32 BlockSize = 16384;

 protected:
  // Turns stored bytes into plain ones where they were read (nothing here).
  virtual void Decode(u8* data, i32 count, i64 physicalPosition);
  void CheckSubRange(i32 offset, i32 size) const;
  // Position inside the window of the next byte handed out.
  i32 Tell() const { return ReadPtr ? BlockPos + static_cast<i32>(ReadPtr - Block.get()) : Position; }
  // Absolute position in the physical file of the next byte.
  i64 PhysicalPosition() const { return PassThrough ? FilePos : static_cast<i64>(Offset) + Tell(); }

 private:
  void CheckWindow(i64 fileLength, i32 offset, i32 size);
  i32 ReadDirect(u8* out, i32 count);

  // The window position while no block is being handed out (ReadPtr null).
  i32 Position = 0;
  std::unique_ptr<u8[]> Block;
  i32 BlockPos = 0;  // window position of Block[0]
  i32 BlockLen = 0;
};

}  // namespace Data
