#include "engine/data/safe_file.h"

#include "engine/base/base.h"
#include "engine/data/crypto_stream.h"
#include "engine/platform/system/files.h"

namespace Data {

TSafeFileWriter::TSafeFileWriter(const std::string& fileName, bool encipher) : FileName(fileName) {
  std::string error;
  Replacement = Plat::TReplacementFile::Create(fileName, error);
  if (!Replacement)
    throw Base::EFCreateError(
        Base::Format("Cannot create file \"%s\". %s", Plat::DisplayPath(fileName).c_str(), error.c_str()));
  if (encipher)
    Out = std::make_unique<TCryptoStream>(Replacement->File(), fileName);
  else
    Out = std::make_unique<TSubStream>(Replacement->File(), fileName);
}

TSafeFileWriter::~TSafeFileWriter() {
  // The stream lets go of the temporary file before it is removed.
  Out.reset();
  Replacement.reset();
}

void TSafeFileWriter::Commit() {
  Out.reset();
  std::string error;
  if (!Replacement->Commit(error))
    throw Base::EStreamError(
        Base::Format("Cannot write file \"%s\". %s", Plat::DisplayPath(FileName).c_str(), error.c_str()));
}

}  // namespace Data
