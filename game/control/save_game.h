// Save games: a 26148-byte header with the mission, the title, the round,
// the gold and a thumbnail, then the campaign transfer when it follows, then
// the scenario's stream, the whole file enciphered with its own name. The
// main menu lists the saves by their headers.
#pragma once

#include <string>
#include <vector>

#include "engine/base/types.h"
#include "engine/data/stream.h"

namespace Main {

struct TSaveGameHeader {
  static constexpr i32 StreamSize = 26148;
  static constexpr u32 SaveSignature = 0x45564153;  // "SAVE"
  static constexpr i32 TitleSize = 128;
  static constexpr i32 ThumbnailSize = 26000;

  u32 Signature = SaveSignature;
  u32 MissionNumber = 0;
  char Title[TitleSize] = {};
  i32 Round = 0;
  u32 Gold = 0;
  u8 MissionStart = 0;
  u8 TransferFollows = 0;
  u8 Thumbnail[ThumbnailSize] = {};
  u16 Reserved = 0;

  // Raises "Invalid data." for a wrong signature or a title without its end.
  void Read(Data::TStream& s);
  void Write(Data::TStream& s) const;
  void SetTitle(const std::string& title);
};

// One entry of the main menu's list of saves.
struct TSaveGame {
  TSaveGameHeader Header;
  std::string FileName;  // without the directory
  u8 MissionStart = 0;
  i32 Slot = 0;
  i64 WriteTime = 0;  // seconds since 1970

  // The slot of a save's file name: two digits ("07.sav"), "auto" and two
  // digits, or "autosave" (slot 0); false for every other name.
  static bool SlotOfName(const std::string& fileName, i32& slot);
  // The saves of the save directory whose names and headers are good.
  static std::vector<TSaveGame> List();
};

// The header at the start of a save file; raises on a file that has none.
TSaveGameHeader ReadSaveGameHeader(const std::string& path);

}  // namespace Main
