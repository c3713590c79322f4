#include "world/scenario/scenario_header.h"

#include <cstring>
#include <stdexcept>

#include "engine/base/base.h"
#include "engine/gfx/sprite.h"

namespace GameData {

namespace {

constexpr char Signature[4] = {'S', 'C', 'E', 'N'};

}  // namespace

bool IsValidMapSide(i32 fields) { return fields >= 1 && fields <= MaxMapFields && fields % 4 == 0; }

void TScenarioHeader::Read(Data::TStream& s) {
  Data::ReadChars(s, Signature, 4);
  Width = Data::ReadI16(s);
  Height = Data::ReadI16(s);
  for (char* name : {DoodleFile, SpriteFile, FaceFile, BackgroundFile}) Data::ReadChars(s, name, 16);
  CurrentPlayer = Data::ReadI16(s);
  Round = Data::ReadI16(s);
  Version = Data::ReadU32(s);
  NotCampaign = Data::ReadU32(s);
  HeaderValue = Data::ReadU32(s);
  Reserved = Data::ReadU32(s);
  Data::CheckData(std::memcmp(Signature, GameData::Signature, 4) == 0);
  if (Version != ScenarioVersion)
    throw std::runtime_error(Base::Format("Invalid version:%u Current version is: %u", Version, ScenarioVersion));
  Data::CheckData(IsValidMapSide(Width) && IsValidMapSide(Height));
  for (const char* name : {DoodleFile, SpriteFile, FaceFile, BackgroundFile})
    Data::CheckData(Base::IsTerminated(name, ResourceNameLength + 1));
}

void TScenarioHeader::Write(Data::TStream& s) const {
  Data::WriteChars(s, GameData::Signature, 4);
  Data::WriteI16(s, Width);
  Data::WriteI16(s, Height);
  for (const char* name : {DoodleFile, SpriteFile, FaceFile, BackgroundFile}) Data::WriteChars(s, name, 16);
  Data::WriteI16(s, CurrentPlayer);
  Data::WriteI16(s, Round);
  Data::WriteU32(s, Version);
  Data::WriteU32(s, NotCampaign);
  Data::WriteU32(s, HeaderValue);
  Data::WriteU32(s, Reserved);
}

void TScenarioHeader::SetName(char (&field)[16], const std::string& name) {
  std::memset(field, 0, sizeof field);
  Base::SafeStrCopy(field, name.c_str(), ResourceNameLength + 1);
}

std::string TScenarioHeader::Name(const char (&field)[16]) { return std::string(field, strnlen(field, sizeof field)); }

TScenarioThumbNail::TScenarioThumbNail() : Sprite(std::make_unique<Gfx::TSprite>()) {}
TScenarioThumbNail::~TScenarioThumbNail() = default;

void LoadScenarioThumbNail(Data::TStream& s, TScenarioThumbNail* thumbNail) {
  thumbNail->Header.Read(s);
  Data::ReadString(s, thumbNail->Description);
  thumbNail->Sprite->Load(s);
}

}  // namespace GameData
