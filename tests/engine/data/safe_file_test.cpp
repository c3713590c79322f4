#include "engine/data/safe_file.h"

#include <gtest/gtest.h>

#include <functional>

#include "engine/base/errors.h"
#include "engine/platform/system/files.h"
#include "tests/support/temp_dir.h"
#include "tests/support/write_fault.h"
#include "tools/databuilder/archive_builder.h"

namespace {

// Paths in messages are the user's form of them, with the system's reason.
TEST(FileMessages, ShowThePathAsTheUserKnowsIt) {
  TestSupport::TTempDir dir;
  const std::string missing = dir.Path() + "Save\\nothere.sav", shown = dir.Path() + "Save/nothere.sav";
  const struct {
    const char* What;
    std::function<void()> Act;
    std::string Message;
  } cases[] = {
      {"open", [&] { Data::TFileStream s(missing, Data::fmOpenRead); },
       "Cannot open file \"" + shown + "\". No such file or directory"},
      {"create", [&] { Data::TFileStream s(missing, Data::fmCreate); },
       "Cannot create file \"" + shown + "\". No such file or directory"},
      {"safe create", [&] { Data::TSafeFileWriter s(missing, true); },
       "Cannot create file \"" + shown + "\". No such file or directory"},
  };
  for (const auto& c : cases) {
    try {
      c.Act();
      ADD_FAILURE() << c.What;
    } catch (const std::exception& e) {
      EXPECT_EQ(std::string(e.what()), c.Message) << c.What;
    }
  }
}

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
