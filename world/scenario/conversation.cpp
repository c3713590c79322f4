#include "world/scenario/conversation.h"

#include <algorithm>

#include "engine/platform/system/text.h"
#include "world/scenario/script_interpreter.h"

namespace GameData {

void TConversation::Clear() {
  Texts.clear();
  Aliases.clear();
  OwnerFaceID = 0;
  OwnerFace = nullptr;
  OwnerType = OwnerID = 0;
  ActivationRound = 0;
  TargetPlayers = 0;
  std::fill(std::begin(Locals), std::end(Locals), 0);
  OwnerName.clear();
  Name.clear();
  Delete = 0;
  Group = nullptr;
  ChosenAnswer = 0;
  Active = 1;
  Running = 0;
}

void TConversation::Load(Data::TStream& s) {
  TDataObject::Load(s);
  Data::ReadString(s, Name);
  OwnerType = Data::ReadU32(s);
  OwnerID = Data::ReadU32(s);
  OwnerFaceID = Data::ReadU32(s);
  Data::ReadString(s, OwnerName);
  ActivationRound = Data::ReadI32(s);
  TargetPlayers = Data::ReadU16(s);
  for (i32& local : Locals) local = Data::ReadI32(s);
  Active = Data::ReadU8(s);
  u32 count = Data::ReadU32(s);
  Data::CheckAvailable(s, count, 8);
  for (u32 i = 0; i < count; ++i) {
    i32 index = Data::ReadI32(s);
    // Scripts index the locals with it.
    Data::CheckData(index >= 0 && index < ScriptLocalCount);
    Aliases.emplace_back(Data::ReadString(s), index);
  }
  count = Data::ReadU32(s);
  Data::CheckAvailable(s, count, 4);
  for (u32 i = 0; i < count; ++i) Texts.push_back(Data::ReadString(s));
}

i32 TConversation::FindAlias(const std::string& name) const {
  for (const auto& [alias, index] : Aliases)
    if (Plat::EqualNoCase(alias, name)) return index;
  return -1;
}

std::string TConversation::GetText(i32 index) {
  Refresh = 0;
  if (index < 0 || index >= static_cast<i32>(Texts.size())) return {};
  // Without the scripting library (tools, tests of the world) a page is its text.
  if (!AreScriptsConnected()) return Texts[static_cast<size_t>(index)];
  return ConnectedScripts().ProcessText(*this, Texts[static_cast<size_t>(index)]);
}

void TConversation::Save(Data::TStream& s) const {
  TDataObject::Save(s);
  Data::WriteString(s, Name);
  Data::WriteU32(s, OwnerType);
  Data::WriteU32(s, OwnerID);
  Data::WriteU32(s, OwnerFaceID);
  Data::WriteString(s, OwnerName);
  Data::WriteI32(s, ActivationRound);
  Data::WriteU16(s, TargetPlayers);
  for (i32 local : Locals) Data::WriteI32(s, local);
  Data::WriteU8(s, Active);
  Data::WriteU32(s, static_cast<u32>(Aliases.size()));
  for (const auto& [name, index] : Aliases) {
    Data::WriteI32(s, index);
    Data::WriteString(s, name);
  }
  Data::WriteU32(s, static_cast<u32>(Texts.size()));
  for (const std::string& text : Texts) Data::WriteString(s, text);
}

}  // namespace GameData
