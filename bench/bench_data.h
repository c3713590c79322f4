// The demo data set written into a fresh folder that serves as the data path,
// and, for the screens, loaded as the program loads it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/data/archive.h"
#include "tools/demodata/demo_data.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"

namespace Bench {

class TDemoData {
 public:
  explicit TDemoData(bool load) : Loaded(load) {
    char pattern[] = "/tmp/orvbench-XXXXXX";
    Dir = std::string(mkdtemp(pattern)) + "/";
    Builder::WriteDemoData(Dir, Builder::TArchiveForm::Packed);
    Data::DataPath = Dir;
    if (!Loaded) return;
    Data2::CreateArchives();
    Data2::CreateMainData();
    Data2::CreateGlobalData();
  }
  ~TDemoData() {
    if (Loaded) {
      Data2::FreeGlobalData();
      Data2::FreeMainData();
      Data2::FreeArchives();
    }
    std::filesystem::remove_all(Dir);
  }
  TDemoData(const TDemoData&) = delete;
  TDemoData& operator=(const TDemoData&) = delete;

  std::string Dir;

 private:
  bool Loaded;
};

}  // namespace Bench
