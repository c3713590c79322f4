// Input: the deciphered bytes of one file in the save folder, under a name
// the first byte picks. The menu's list reads the folder as the save page
// does; the good save beside it must be listed whatever the input is.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/data/safe_file.h"
#include "engine/platform/system/files.h"
#include "frontend/main_menu.h"
#include "world/data2/global_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Main::TMainMenu* menu = [] {
    char pattern[] = "/tmp/orv_save_header_XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) std::abort();
    Data2::SaveDirectory = std::string(dir) + "/";
    Main::TSaveGameHeader good;
    good.SetTitle("Gut");
    Data::TSafeFileWriter out(Data2::SaveDirectory + "00.sav", true);
    good.Write(out.Stream());
    out.Commit();
    return new Main::TMainMenu(nullptr);
  }();
  static const char* const names[] = {"01.sav", "auto07.sav", "autosave.sav", "AUTOxy.sav", "auto-1.sav", "x.sav"};
  if (size == 0) return 0;
  const std::string name = names[data[0] % (sizeof names / sizeof names[0])];
  {
    Data::TSafeFileWriter out(Data2::SaveDirectory + name, true);
    out.Stream().WriteBuffer(data + 1, static_cast<i32>(size - 1));
    out.Commit();
  }
  menu->RefreshSaveList();
  bool listed = false;
  for (const Main::TSaveGame* s : menu->SaveList) listed = listed || s->FileName == "00.sav";
  if (!listed) {
    std::fprintf(stderr, "a damaged save hid the good one\n");
    std::abort();
  }
  Plat::DeleteFile(Data2::SaveDirectory + name);
  return 0;
}
