#include "engine/data/safe_file.h"

#include <gtest/gtest.h>

#include "engine/base/errors.h"
#include "engine/platform/system/files.h"
#include "tests/support/temp_dir.h"
#include "tests/support/write_fault.h"
#include "tools/databuilder/archive_builder.h"

namespace {

// An enciphered file written under a temporary name reads back under its
// own name; a write that fails half-way leaves the previous file whole.
TEST(SafeFileWriter, EnciphersWithTheFinalNameAndKeepsTheOldFileOnFailure) {
  TestSupport::TTempDir dir;
  const std::string path = dir.Path() + "07.sav";
  const std::string first(70000, 'a'), second(70000, 'b');
  auto write = [&](const std::string& bytes) {
    Data::TSafeFileWriter out(path, true);
    out.Stream().WriteBuffer(bytes.data(), static_cast<i32>(bytes.size()));
    out.Commit();
  };
  write(first);
  EXPECT_EQ(Builder::ReadEnciphered(path), first);
  {
    TestSupport::TWriteFault fault(30000);
    EXPECT_THROW(write(second), Base::EStreamError);
  }
  EXPECT_EQ(Builder::ReadEnciphered(path), first);
  EXPECT_EQ(Plat::FindFiles(dir.Path() + "*.*").size(), 1u) << "the temporary file is gone";
  write(second);
  EXPECT_EQ(Builder::ReadEnciphered(path), second);

  EXPECT_THROW(Data::TSafeFileWriter(dir.Path() + "missing\\x.sav", true), Base::EFCreateError);
}

}  // namespace
