#include "world/scenario/quest_objective.h"

#include <algorithm>
#include <stdexcept>

#include "engine/base/base.h"
#include "world/scenario/scenario.h"
#include "world/scenario/script_interpreter.h"

namespace GameData {

namespace {
constexpr std::string_view LineMarker = "<CRLF>";
}

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

i32 TCheck::Execute() {
  Result = 0;
  ConnectedScripts().RunCheck(*this);
  return Result;
}

std::unique_ptr<std::vector<std::string>> TCheck::GetLines() const {
  auto lines = std::make_unique<std::vector<std::string>>();
  std::string_view rest = Script;
  while (!rest.empty()) {
    const size_t at = rest.find(LineMarker);
    if (at == std::string_view::npos) {
      lines->emplace_back(rest);
      break;
    }
    lines->emplace_back(rest.substr(0, at));
    rest.remove_prefix(at + LineMarker.size());
  }
  return lines;
}

void TCheck::SetLines(const std::vector<std::string>& lines) {
  Script.clear();
  for (const std::string& line : lines) {
    if (!Script.empty()) Script += LineMarker;
    Script += line;
  }
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

void TQuestObjective::GiveToHero(u32 heroID) {
  HeroID = heroID;
  State = qsActive;
  std::fill(std::begin(Check.Locals), std::end(Check.Locals), 0);
  if (const TUnit* hero = Scenario->FindUnit(heroID)) HeroName = hero->Name;
  GivenSerial = Scenario->NewID();
}

void TQuestObjective::GiveToPlayer(i32 playerIndex) {
  PlayerIndex = playerIndex;
  State = qsActive;
  GivenSerial = Scenario->NewID();
}

void TQuestObjective::Reset() {
  HeroID = 0;
  State = qsNotGiven;
  PlayerIndex = 0;
  HeroName.clear();
  GivenSerial = 0;
}

void TQuestObjective::UpdatePlayerFromHero(bool mustExist) {
  if (Type == qtObjective) return;
  const TUnit* hero = Scenario->FindUnit(HeroID);
  if (!hero) {
    if (mustExist)
      throw std::runtime_error(Base::Format("Hero not in scenario! ID=%d", static_cast<int>(HeroID)));
    return;
  }
  const TPlayer* owner = hero->GetOwner();
  PlayerIndex = owner ? Scenario->IndexOfPlayer(owner) : -1;
}

void TQuestObjective::UpdateState() {
  if (State != qsActive) return;
  if (Type == qtQuest && !Scenario->FindUnit(HeroID)) {
    State = qsFailed;
    return;
  }
  const i32 result = Check.Execute();
  if (result > 0)
    State = qsSolved;
  else if (result < 0)
    State = qsFailed;
}

}  // namespace GameData
