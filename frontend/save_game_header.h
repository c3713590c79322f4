// The head of a save game and the main menu's record of one save file: the
// 26148-byte header with the mission, the title, the round, the gold and a
// thumbnail, which the game writes at the start of every save and the menu
// reads to list the saves.
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
  std::string FileName;  // with its extension, without the directory
  u8 MissionStart = 0;
  i32 Slot = 0;
  i64 WriteTime = 0;  // seconds since 1970

  // The slot of a save's file name: two digits ("07.sav"); "auto" and two
  // more characters, their number or 0 when they are none ("auto-1" is no
  // save); "autosave" slot 0. False for every other name.
  static bool SlotOfName(const std::string& fileName, i32& slot);
  // The save of a file found in the directory, read through its header;
  // false for a name that is no save's or a file that cannot be read.
  static bool Read(const std::string& directory, const std::string& fileName, i64 writeTime, TSaveGame& save);
  // The saves of the save directory whose names and headers are good, in
  // the order the directory gives them.
  static std::vector<TSaveGame> List();
};

// Newest first: below 0 when a was written after b.
int CompareSaveGames(const TSaveGame& a, const TSaveGame& b);

// The header at the start of a save file; raises on a file that has none.
TSaveGameHeader ReadSaveGameHeader(const std::string& path);

// A save's write time as the list shows it: the local date and time in the
// American short forms ("6/5/2026  3:04:05 PM"), and the same of a broken
// down time.
std::string FormatSaveTime(i64 secondsSince1970);
std::string FormatDateTime(i32 year, i32 month, i32 day, i32 hour, i32 minute, i32 second);

}  // namespace Main
