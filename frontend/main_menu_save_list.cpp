// The save and load pages: the list of save files with the free slot, the
// rows and their colours, the page buttons, deleting a save.
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "controls/standard_font.h"
#include "controls/text_buttons.h"
#include "engine/base/base.h"
#include "engine/dxapp/dxapp.h"
#include "engine/gfx/colors.h"
#include "engine/gfx/font.h"
#include "engine/gfx/screen.h"
#include "engine/platform/system/files.h"
#include "frontend/main_menu.h"
#include "world/data2/global_data.h"

namespace Main {

void TMainMenu::RefreshSaveList() {
  SaveList.Clear();
  for (const Plat::TFindData& file : Plat::FindFiles(Data2::SaveDirectory + "*.sav"))
    if (!(file.Attributes & Plat::FILE_ATTRIBUTE_DIRECTORY))
      AddSaveFile(Data2::SaveDirectory, file.Name, file.WriteTime);
  FreeSlot = -1;
  for (i32 slot = 0; slot < 100 && FreeSlot < 0; ++slot) {
    const bool taken = std::any_of(SaveList.begin(), SaveList.end(), [slot](const TSaveGame* s) { return s->Slot == slot; });
    if (!taken) FreeSlot = slot;
  }
  std::stable_sort(SaveList.begin(), SaveList.end(),
                   [](const TSaveGame* a, const TSaveGame* b) { return CompareSaveGames(*a, *b) < 0; });
}

void TMainMenu::AddSaveFile(const std::string& directory, const std::string& fileName, i64 writeTime) {
  // A file that cannot be read as a save is left out silently.
  auto save = std::make_unique<TSaveGame>();
  if (TSaveGame::Read(directory, fileName, writeTime, *save)) SaveList.Add(save.release());
}

void TMainMenu::ShowSavePage() {
  EnterPage(mpSave);
  RefreshSaveList();
  SaveListBox->ItemCount = SaveList.Count() + (FreeSlot >= 0 ? 1 : 0);
  SaveListBox->TopIndex = 0;
  SaveListBox->ItemIndex = 0;
  SaveListBox->UpdateLayout();
  UpdateSlotButtons();
  Groups[mpSave]->Show();
}

void TMainMenu::ShowLoadPage() {
  EnterPage(mpLoad);
  RefreshSaveList();
  LoadListBox->ItemCount = SaveList.Count();
  LoadListBox->TopIndex = 0;
  LoadListBox->ItemIndex = 0;
  LoadListBox->UpdateLayout();
  UpdateSlotButtons();
  Groups[mpLoad]->Show();
}

i32 TMainMenu::EntryOfRow(i32 row) const {
  if (row < 0) return -1;
  const i32 entry = Page == mpSave && FreeSlot >= 0 ? row - 1 : row;
  return entry < SaveList.Count() ? entry : -1;
}

std::string TMainMenu::SlotFileName(i32 entry) const {
  if (entry >= 0 && entry < SaveList.Count()) return SaveList[entry]->FileName;
  return Base::Format("%.2d%s", FreeSlot, ".sav");
}

bool TMainMenu::IsMissionStartRow(i32 row) const {
  if (Page != mpSave && Page != mpLoad) return false;
  const i32 entry = EntryOfRow(row);
  return entry >= 0 && SaveList[entry]->MissionStart != 0;
}

void TMainMenu::UpdateSlotButtons() {
  DXWin::TDXListBox* list = SlotList();
  if (!list) return;
  const bool rows = list->ItemCount > 0;
  const i32 row = list->ItemIndex;
  const bool missionStart = IsMissionStartRow(row);
  TMenuButton* confirm = PageButtons[Page][pbConfirm];
  TMenuButton* remove = PageButtons[Page][pbThird];
  if (Page == mpSave) {
    const bool freeRow = FreeSlot >= 0 && row == 0;
    confirm->SetEnabled(rows && !missionStart);
    remove->SetEnabled(rows && !freeRow && !missionStart);
  } else {
    confirm->SetEnabled(rows);
    remove->SetEnabled(rows && !missionStart);
  }
}

void TMainMenu::DeleteSelected() {
  DXWin::TDXListBox* list = SlotList();
  if (!list) return;
  const i32 entry = EntryOfRow(list->ItemIndex);
  if (entry < 0) return;
  // A file that cannot be removed still leaves the list.
  Plat::DeleteFile(Data2::SaveDirectory + SaveList[entry]->FileName);
  SaveList.Delete(entry);
  for (DXWin::TDXListBox* l : {SaveListBox, LoadListBox}) {
    if (l->ItemCount > 0) --l->ItemCount;
    l->UpdateLayout();
  }
  UpdateSlotButtons();
}

const u8* TMainMenu::SelectedThumbnail() const {
  DXWin::TDXListBox* list = SlotList();
  if (!list || list->ItemCount == 0 || list->ItemIndex < 0) return nullptr;
  const i32 entry = EntryOfRow(list->ItemIndex);
  if (entry >= 0) return SaveList[entry]->Header.Thumbnail;
  return Page == mpSave && FreeSlot >= 0 ? Thumbnail : nullptr;
}

void TMainMenu::DrawSlot(Plat::TSurface* surface, const Base::TRect& row, bool hot, bool selected, int index) {
  Gfx::TFont* font = StandardFont(4);
  const i32 x = row.Left + 6;
  const i32 entry = EntryOfRow(index);
  if (font && entry >= 0) {
    const TSaveGame& save = *SaveList[entry];
    const u32 colour = Gfx::PackRGB565(save.MissionStart ? 0xB8B8B8 : 0xABCDEF);
    std::string title = Base::Format("Level: %d. %s", static_cast<i32>(save.Header.MissionNumber), save.Header.Title);
    font->AbbreviateToWidth(title, row.Right - row.Left - 12, -1);
    font->DrawText(surface, x, row.Top + 4, title, colour, &row);
    const std::string state = save.MissionStart ? std::string("[autosave]") : Base::Format("Runde: %d", save.Header.Round);
    font->DrawText(surface, x, row.Top + 22,
                   Base::Format("%s  %s", state.c_str(), Base::Format("Gold: %d", static_cast<i32>(save.Header.Gold)).c_str()),
                   colour, &row);
    font->DrawText(surface, x, row.Top + 40, FormatSaveTime(save.WriteTime), Gfx::PackRGB565(0x909090), &row);
  } else if (font && index == 0 && Page == mpSave && FreeSlot >= 0) {
    font->DrawText(surface, x, row.Top + 4, "Leerer Slot", Gfx::PackRGB565(0xABCDEF), &row);
  }
  u32 frame = 0;
  if (hot) {
    const i32 count = DXApplication ? static_cast<i32>(DXApplication->UpdateCount % 128) : 0;
    const i32 level = 191 - std::abs(count - 64);
    frame = static_cast<u32>(level * 0x010101);
  } else if (selected) {
    frame = 0xC0C0C0;
  } else {
    return;
  }
  Gfx::FrameRect(surface, row.Left, row.Top + 1, row.Right - row.Left, row.Bottom - row.Top - 2, Gfx::PackRGB565(frame), nullptr);
}

}  // namespace Main
