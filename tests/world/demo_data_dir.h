// The demo data set written into a fresh directory that serves as the data
// path while the fixture lives.
#pragma once

#include <string>

#include "engine/data/archive.h"
#include "tests/support/temp_dir.h"
#include "tools/demodata/demo_data.h"

namespace TestSupport {

class TDemoDataDir {
 public:
  explicit TDemoDataDir(Builder::TArchiveForm form = Builder::TArchiveForm::Packed) : SavedPath(Data::DataPath) {
    // The films take long to encode and only the program's runs play them.
    Builder::WriteDemoData(Dir.Path(), form, false);
    Data::DataPath = Dir.Path();
  }
  ~TDemoDataDir() { Data::DataPath = SavedPath; }
  const TTempDir& Folder() const { return Dir; }

 private:
  TTempDir Dir;
  std::string SavedPath;
};

}  // namespace TestSupport
