// Damaged input of every reader: truncated and randomly changed archives and
// streams must end in a clear error, never a crash or a read out of bounds.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "engine/data/archive.h"
#include "engine/data/data_list.h"
#include "engine/data/text_data.h"
#include "tests/support/temp_dir.h"
#include "tools/databuilder/archive_builder.h"
#include "tools/databuilder/text_builder.h"

namespace {

struct TItem : Data::TDataObject {
  std::string Name;
  void Load(Data::TStream& s) override {
    TDataObject::Load(s);
    Data::ReadString(s, Name);
  }
};

// Runs a reader and accepts only the system's own errors.
template <class F>
void ExpectCleanFailureOrSuccess(F reader) {
  try {
    reader();
  } catch (const std::runtime_error&) {
  }
}

TEST(Damage, ArchivesTruncatedAndFlipped) {
  TestSupport::TTempDir dir;
  std::string saved = Data::DataPath;
  Data::DataPath = dir.Path();
  Builder::TArchiveBuilder globals;
  for (int file = 0; file < 6; ++file) {
    Builder::TTextBuilder text;
    text.Comment("file " + std::to_string(file)).Ints({file, -file, 1000 * file}).Token("Geb\xE4ude").Bits(0x8001);
    globals.Add("file" + std::to_string(file) + ".txt", text.Text());
  }
  globals.WritePacked(dir.Path(), "globals");
  const std::string plain = Builder::ReadEnciphered(dir.File("globals.dat"));
  std::mt19937 rng(1234);
  for (int round = 0; round < 300; ++round) {
    std::string bytes = plain;
    if (round % 3 == 0) {
      bytes.resize(rng() % bytes.size());
    } else {
      for (int k = 0; k < 1 + static_cast<int>(rng() % 8); ++k) bytes[rng() % bytes.size()] = static_cast<char>(rng());
    }
    Builder::WriteEnciphered(dir.File("globals.dat"), bytes);
    ExpectCleanFailureOrSuccess([&] {
      Data::TArchive a("globals", Data::TArchive::Packed);
      for (i32 i = 0; i < a.Count(); ++i) {
        ExpectCleanFailureOrSuccess([&] {
          std::unique_ptr<Data::TStream> s(a.OpenEntry(i));
          std::string token;
          while (true) Data::ReadTextString(*s, token);
        });
      }
    });
  }
  Data::DataPath = saved;
}

TEST(Damage, RandomStreamsIntoListsAndText) {
  std::mt19937 rng(99);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes(rng() % 64, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    if (round % 2 && bytes.size() >= 8) bytes.replace(4, 4, "list");
    ExpectCleanFailureOrSuccess([&] {
      Data::TMemoryStream s(bytes);
      Data::TDataList<TItem> list(true);
      list.Load(s);
    });
    ExpectCleanFailureOrSuccess([&] {
      Data::TMemoryStream s(bytes.size() > 4 ? bytes.substr(4) : bytes);
      Data::TDynamicArray<u64> a;
      a.Load(s);
    });
    ExpectCleanFailureOrSuccess([&] {
      Data::TMemoryStream s(bytes);
      for (int i = 0; i < 5; ++i) Data::ReadTextInt(s);
    });
  }
}

}  // namespace
