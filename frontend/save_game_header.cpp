#include "frontend/save_game_header.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "engine/base/base.h"
#include "engine/data/crypto_stream.h"
#include "engine/platform/system/files.h"
#include "engine/platform/system/text.h"
#include "world/data2/global_data.h"

namespace Main {

void TSaveGameHeader::Read(Data::TStream& s) {
  Signature = Data::ReadU32(s);
  Data::CheckData(Signature == SaveSignature);
  MissionNumber = Data::ReadU32(s);
  Data::ReadChars(s, Title, TitleSize);
  Data::CheckData(Base::IsTerminated(Title, TitleSize));
  Round = Data::ReadI32(s);
  Gold = Data::ReadU32(s);
  MissionStart = Data::ReadU8(s);
  TransferFollows = Data::ReadU8(s);
  s.ReadBuffer(Thumbnail, ThumbnailSize);
  Reserved = Data::ReadU16(s);
}

void TSaveGameHeader::Write(Data::TStream& s) const {
  Data::WriteU32(s, Signature);
  Data::WriteU32(s, MissionNumber);
  Data::WriteChars(s, Title, TitleSize);
  Data::WriteI32(s, Round);
  Data::WriteU32(s, Gold);
  Data::WriteU8(s, MissionStart);
  Data::WriteU8(s, TransferFollows);
  s.WriteBuffer(Thumbnail, ThumbnailSize);
  Data::WriteU16(s, 0);
}

void TSaveGameHeader::SetTitle(const std::string& title) {
  std::memset(Title, 0, sizeof Title);
  std::memcpy(Title, title.data(), std::min<std::size_t>(title.size(), TitleSize - 1));
}

TSaveGameHeader ReadSaveGameHeader(const std::string& path) {
  Data::TCryptoStream in(path, Data::fmOpenRead | Data::fmShareDenyWrite);
  TSaveGameHeader header;
  header.Read(in);
  return header;
}

namespace {

// The value of two characters as a number with an optional sign; false
// when they are none.
bool NumberOf(std::string_view two, i32& value) {
  std::size_t i = 0;
  bool negative = false;
  if (two[0] == '+' || two[0] == '-') {
    negative = two[0] == '-';
    i = 1;
  }
  if (i == two.size()) return false;
  i32 v = 0;
  for (; i < two.size(); ++i) {
    if (two[i] < '0' || two[i] > '9') return false;
    v = v * 10 + (two[i] - '0');
  }
  value = negative ? -v : v;
  return true;
}

}  // namespace

bool TSaveGame::SlotOfName(const std::string& fileName, i32& slot) {
  constexpr std::string_view extension = ".sav";
  if (fileName.size() < extension.size() ||
      !Plat::EqualNoCase(std::string_view(fileName).substr(fileName.size() - extension.size()), extension))
    return false;
  const std::string name = fileName.substr(0, fileName.size() - extension.size());
  if (Plat::EqualNoCase(name, "autosave")) {
    slot = 0;
    return true;
  }
  if (name.size() == 6 && Plat::EqualNoCase(name.substr(0, 4), "auto")) {
    i32 value = 0;
    if (!NumberOf(std::string_view(name).substr(4), value)) value = 0;
    if (value < 0) return false;
    slot = value;
    return true;
  }
  if (name.size() != 2 || name[0] < '0' || name[0] > '9' || name[1] < '0' || name[1] > '9') return false;
  slot = (name[0] - '0') * 10 + (name[1] - '0');
  return true;
}

bool TSaveGame::Read(const std::string& directory, const std::string& fileName, i64 writeTime, TSaveGame& save) {
  if (!SlotOfName(fileName, save.Slot)) return false;
  try {
    save.Header = ReadSaveGameHeader(directory + fileName);
  } catch (const std::exception&) {
    return false;
  }
  save.FileName = fileName;
  save.MissionStart = save.Header.MissionStart != 0 ? 1 : 0;
  save.WriteTime = writeTime;
  return true;
}

std::vector<TSaveGame> TSaveGame::List() {
  std::vector<TSaveGame> saves;
  for (const Plat::TFindData& file : Plat::FindFiles(Data2::SaveDirectory + "*.sav")) {
    if (file.Attributes & Plat::FILE_ATTRIBUTE_DIRECTORY) continue;
    TSaveGame save;
    if (Read(Data2::SaveDirectory, file.Name, file.WriteTime, save)) saves.push_back(std::move(save));
  }
  return saves;
}

int CompareSaveGames(const TSaveGame& a, const TSaveGame& b) {
  if (a.WriteTime == b.WriteTime) return 0;
  return a.WriteTime > b.WriteTime ? -1 : 1;
}

std::string FormatDateTime(i32 year, i32 month, i32 day, i32 hour, i32 minute, i32 second) {
  const i32 hour12 = hour % 12 == 0 ? 12 : hour % 12;
  return Base::Format("%d/%d/%d  %d:%02d:%02d %s", month, day, year, hour12, minute, second, hour < 12 ? "AM" : "PM");
}

std::string FormatSaveTime(i64 secondsSince1970) {
  const std::time_t t = static_cast<std::time_t>(secondsSince1970);
  std::tm local{};
  // The list is drawn on the main thread only.
  if (const std::tm* l = std::localtime(&t)) local = *l;
  return FormatDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                        local.tm_sec);
}

}  // namespace Main
