// A file written in one pass that replaces the old one only when it is
// complete: a full disk, a crash or a kill while it is written leaves the
// previous file as it was.
#pragma once

#include <memory>
#include <string>

#include "engine/data/file_stream.h"

namespace Plat {
class TReplacementFile;
}

namespace Data {

class TSafeFileWriter {
 public:
  // With encipher the bytes go through the enciphering stream keyed by the
  // file's own name. Raises the create error when no file can be made there.
  TSafeFileWriter(const std::string& fileName, bool encipher);
  // Without Commit the old file stays and the new bytes are dropped.
  ~TSafeFileWriter();
  TSafeFileWriter(const TSafeFileWriter&) = delete;
  TSafeFileWriter& operator=(const TSafeFileWriter&) = delete;

  TStream& Stream() { return *Out; }
  // Once, after the last write: puts the new file in place of the old one;
  // raises a stream error when it cannot.
  void Commit();

  const std::string FileName;

 private:
  std::unique_ptr<Plat::TReplacementFile> Replacement;
  std::unique_ptr<TSubStream> Out;
};

}  // namespace Data
