#include "world/scenario/quest_objective.h"

#include <algorithm>

namespace GameData {

void TCheck::Clear() {
  std::fill(std::begin(Locals), std::end(Locals), 0);
  Script.clear();
  Result = 0;
}

void TCheck::Load(Data::TStream& s) {
  Clear();
  for (i32& local : Locals) local = Data::ReadI32(s);
  Data::ReadString(s, Script);
}

void TCheck::Save(Data::TStream& s) const {
  for (i32 local : Locals) Data::WriteI32(s, local);
  Data::WriteString(s, Script);
}

void TQuestObjective::Clear() {
  Type = qtQuest;
  HeroID = 0;
  State = qsNotGiven;
  PlayerIndex = 1;
  Hidden = 0;
  Name.clear();
  Text.clear();
  FinalConversationID = 0;
  Check.Clear();
  HeroName.clear();
  GivenSerial = 0;
}

void TQuestObjective::Load(Data::TStream& s) {
  TDataObject::Load(s);
  Data::ReadString(s, Name);
  Type = Data::ReadI32(s);
  HeroID = Data::ReadU32(s);
  State = Data::ReadI32(s);
  PlayerIndex = Data::ReadI32(s);
  Hidden = Data::ReadU8(s);
  Data::ReadString(s, Text);
  FinalConversationID = Data::ReadU32(s);
  Check.Load(s);
  Check.ID = ID;
  Data::ReadString(s, HeroName);
  GivenSerial = Data::ReadU32(s);
}

void TQuestObjective::Save(Data::TStream& s) const {
  TDataObject::Save(s);
  Data::WriteString(s, Name);
  Data::WriteI32(s, Type);
  Data::WriteU32(s, HeroID);
  Data::WriteI32(s, State);
  Data::WriteI32(s, PlayerIndex);
  Data::WriteU8(s, Hidden);
  Data::WriteString(s, Text);
  Data::WriteU32(s, FinalConversationID);
  Check.Save(s);
  Data::WriteString(s, HeroName);
  Data::WriteU32(s, GivenSerial);
}

}  // namespace GameData
