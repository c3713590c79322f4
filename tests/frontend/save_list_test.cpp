// The save and load pages: which files are listed and with which slots, the
// free slot and its file name, the rows and their buttons, the order,
// damaged files, deleting, and the row texts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "engine/base/base.h"

#include "controls/text_buttons.h"
#include "engine/platform/system/files.h"
#include "tests/frontend/menu_fixture.h"

namespace MenuTest {
namespace {

using Main::TMainMenu;

TEST(SaveNames, SlotsByName) {
  const struct {
    const char* Name;
    bool Listed;
    i32 Slot;
  } names[] = {
      {"00.sav", true, 0},      {"42.SAV", true, 42},        {"auto07.sav", true, 7}, {"AUTO07.sav", true, 7},
      {"autosave.sav", true, 0}, {"AutoSave.sav", true, 0},  {"autoxy.sav", true, 0}, {"auto+5.sav", true, 5},
      {"auto-1.sav", false, 0}, {"7.sav", false, 0},         {"save.sav", false, 0},  {"123.sav", false, 0},
      {"0a.sav", false, 0},     {"auto1.sav", false, 0},     {"07.txt", false, 0},    {"auto007.sav", false, 0},
  };
  for (const auto& n : names) {
    i32 slot = -5;
    EXPECT_EQ(Main::TSaveGame::SlotOfName(n.Name, slot), n.Listed) << n.Name;
    if (n.Listed) {
      EXPECT_EQ(slot, n.Slot) << n.Name;
    }
  }
}

TEST(SaveNames, WriteTimeInAmericanShortForms) {
  EXPECT_EQ(Main::FormatDateTime(2026, 6, 5, 15, 4, 5), "6/5/2026  3:04:05 PM");
  EXPECT_EQ(Main::FormatDateTime(2026, 12, 31, 0, 0, 9), "12/31/2026  12:00:09 AM");
  EXPECT_EQ(Main::FormatDateTime(2027, 1, 1, 12, 30, 0), "1/1/2027  12:30:00 PM");
}

class SaveList : public TMenuFixture {
 protected:
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const Main::TSaveGame* s : Menu->SaveList) names.push_back(s->FileName);
    return names;
  }
  bool Enabled(u8 page, int place) const { return Menu->PageButtons[page][place]->IsEnabled(); }
};

TEST_F(SaveList, FreeSlotRowsAndButtons) {
  struct TCase {
    std::vector<std::pair<const char*, bool>> Files;  // name, mission start
    i32 FreeSlot;
    i32 SaveRows, LoadRows;
    const char* Proposed;
  };
  const TCase cases[] = {
      {{}, 0, 1, 0, "00.sav"},
      {{{"00.sav", false}, {"01.sav", false}, {"autosave.sav", false}}, 2, 4, 3, "02.sav"},
      {{{"auto01.sav", true}, {"03.sav", false}}, 0, 3, 2, "00.sav"},
      {{{"auto00.sav", true}, {"01.sav", false}}, 2, 3, 2, "02.sav"},
  };
  for (const TCase& c : cases) {
    for (const Plat::TFindData& f : Plat::FindFiles(SaveDir() + "*.sav")) Plat::DeleteFile(SaveDir() + f.Name);
    int age = 100;
    for (const auto& [name, start] : c.Files) WriteSave(name, 1, 3, 50, start, age--);
    Menu->Open(Main::mpSave);
    EXPECT_EQ(Menu->FreeSlot, c.FreeSlot);
    EXPECT_EQ(Menu->SaveListBox->ItemCount, c.SaveRows);
    EXPECT_EQ(Menu->SlotFileName(Menu->EntryOfRow(0)), c.Proposed);
    // The free-slot row can be saved into, not deleted.
    EXPECT_TRUE(Enabled(Main::mpSave, Main::pbConfirm));
    EXPECT_FALSE(Enabled(Main::mpSave, Main::pbThird));
    Menu->ShowLoadPage();
    EXPECT_EQ(Menu->LoadListBox->ItemCount, c.LoadRows);
    EXPECT_EQ(Enabled(Main::mpLoad, Main::pbConfirm), c.LoadRows > 0);
  }
}

TEST_F(SaveList, MissionStartSavesAreProtected) {
  WriteSave("auto01.sav", 1, 1, 0, true, 10);
  WriteSave("04.sav", 1, 5, 80, false, 20);
  Menu->Open(Main::mpSave);
  // Rows: free slot, auto01 (newer), 04.
  const struct {
    u8 Page;
    i32 Row;
    bool MissionStart, Confirm, Delete;
  } rows[] = {
      {Main::mpSave, 0, false, true, false}, {Main::mpSave, 1, true, false, false},
      {Main::mpSave, 2, false, true, true},  {Main::mpLoad, 0, true, true, false},
      {Main::mpLoad, 1, false, true, true},
  };
  for (const auto& r : rows) {
    if (r.Page == Main::mpSave && Menu->Page != Main::mpSave) Menu->ShowSavePage();
    if (r.Page == Main::mpLoad && Menu->Page != Main::mpLoad) Menu->ShowLoadPage();
    Menu->SlotList()->ItemIndex = r.Row;
    Menu->UpdateSlotButtons();
    EXPECT_EQ(Menu->IsMissionStartRow(r.Row), r.MissionStart) << int(r.Page) << " row " << r.Row;
    EXPECT_EQ(Enabled(r.Page, Main::pbConfirm), r.Confirm) << int(r.Page) << " row " << r.Row;
    EXPECT_EQ(Enabled(r.Page, Main::pbThird), r.Delete) << int(r.Page) << " row " << r.Row;
  }
}

TEST_F(SaveList, NewestFirstWhateverTheNumbers) {
  WriteSave("00.sav", 1, 1, 0, false, 30);
  WriteSave("07.sav", 1, 1, 0, false, 10);
  WriteSave("03.sav", 1, 1, 0, false, 20);
  Menu->Open(Main::mpLoad);
  EXPECT_EQ(Names(), (std::vector<std::string>{"07.sav", "03.sav", "00.sav"}));
}

TEST_F(SaveList, AllHundredSlotsTakenLeaveNoFreeRow) {
  for (int i = 0; i < 100; ++i) WriteSave(Base::Format("%02d.sav", i), 1, 1, 0, false, 200 - i);
  Menu->Open(Main::mpSave);
  EXPECT_EQ(Menu->FreeSlot, -1);
  EXPECT_EQ(Menu->SaveListBox->ItemCount, 100);
  EXPECT_EQ(Menu->SlotFileName(Menu->EntryOfRow(0)), "99.sav");
  EXPECT_TRUE(Enabled(Main::mpSave, Main::pbThird));
}

TEST_F(SaveList, DamagedAndForeignFilesAreLeftOut) {
  WriteSave("01.sav", 1, 2, 10, false, 5);
  WriteRaw("02.sav", "", true);                                  // empty
  WriteRaw("03.sav", std::string(100, 'x'), true);               // truncated
  WriteRaw("04.sav", std::string(30000, '\0'), true);            // no signature
  WriteRaw("06.sav", "SAVE" + std::string(30000, '\0'), false);  // not enciphered
  std::string untitled = "SAVE" + std::string(4, '\0') + std::string(128, 'a') + std::string(26100, '\0');
  WriteRaw("08.sav", untitled, true);                            // title without its end
  WriteSave("save.sav", 1, 2, 10, false, 1);                     // a name the list ignores
  Plat::CreateDirectories(SaveDir() + "09.sav");                 // a folder
  WriteSave("05.sav", 1, 2, 10, false, 4);
  Menu->Open(Main::mpLoad);
  EXPECT_EQ(Names(), (std::vector<std::string>{"05.sav", "01.sav"}));
  // The free slot counts only the listed saves.
  EXPECT_EQ(Menu->FreeSlot, 0);
}

TEST_F(SaveList, DeletingRemovesFileAndRow) {
  WriteSave("01.sav", 1, 2, 10, false, 5);
  WriteSave("02.sav", 1, 2, 10, false, 4);
  Menu->Open(Main::mpSave);
  // Row 1 is the newest save, 02.sav.
  Menu->SaveListBox->ItemIndex = 1;
  Menu->DeleteSelected();
  EXPECT_FALSE(Plat::FileExists(SaveDir() + "02.sav"));
  EXPECT_EQ(Names(), std::vector<std::string>{"01.sav"});
  EXPECT_EQ(Menu->SaveListBox->ItemCount, 2);
  // The free-slot row deletes nothing.
  Menu->SaveListBox->ItemIndex = 0;
  Menu->DeleteSelected();
  EXPECT_TRUE(Plat::FileExists(SaveDir() + "01.sav"));
  // A file gone meanwhile still leaves the list.
  Menu->ShowLoadPage();
  Plat::DeleteFile(SaveDir() + "01.sav");
  Menu->DeleteSelected();
  EXPECT_TRUE(Names().empty());
  EXPECT_FALSE(Enabled(Main::mpLoad, Main::pbConfirm));
  EXPECT_FALSE(Enabled(Main::mpLoad, Main::pbThird));
}

TEST_F(SaveList, SavePageWithThreeSaves) {
  WriteSave("auto01.sav", 1, 1, 0, true, 30);
  WriteSave("01.sav", 1, 4, 120, false, 20);
  WriteSave("02.sav", 2, 7, 1234, false, 10);
  Menu->Open(Main::mpSave);
  // The dates depend on the day and the zone the test runs in: draw the
  // rows as at one fixed time in one zone.
  for (Main::TSaveGame* s : Menu->SaveList) s->WriteTime = 1780000000;
  const char* zone = std::getenv("TZ");
  const std::string savedZone = zone ? zone : "";
  setenv("TZ", "UTC", 1);
  tzset();
  Menu->SaveListBox->ItemIndex = 1;
  Move(300, 201 + 2 * 66 + 30);
  DrawScreen();
  if (zone)
    setenv("TZ", savedZone.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
  ExpectPicture("menu_save_page");
}

}  // namespace
}  // namespace MenuTest
