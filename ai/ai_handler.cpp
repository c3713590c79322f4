#include "ai/ai_handler.h"

#include "world/scenario/action.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"

namespace AIHandler {

void TAIHandler::Clear() {
  Units.Clear();
  NextID = 1;
}

bool TAIHandler::AddUnit(GameData::TUnit* unit) {
  auto* record = new TAIUnit;
  record->ID = NextID++;
  record->UnitID = unit->ID;
  record->Alive = Player && Player->Scenario && Player->Scenario->FindUnit(unit->ID) ? 1 : 0;
  Units.AddSorted(record);
  return true;
}

TAIUnit* TAIHandler::FindAIUnit(const GameData::TUnit* unit) const {
  if (!unit) return nullptr;
  for (TAIUnit* u : Units.Items)
    if (u->UnitID == unit->ID) return u;
  return nullptr;
}

// Tasks and armies come with the planner; removing a unit leaves only the record to drop.
bool TAIHandler::RemoveUnit(GameData::TUnit* unit, bool) {
  TAIUnit* record = FindAIUnit(unit);
  if (!record) return false;
  Units.Items.Remove(record);
  return true;
}

// The planner acts between these two records once it exists.
void TAIHandler::TakeTurn() {
  GameData::TActionRecord begin;
  begin.Words[0] = GameData::atResult;
  begin.Words[1] = 1;
  Player->PostAction(true, begin);
  Player->WaitForResult();
  GameData::TActionRecord end;
  end.Words[0] = GameData::atEndTurn;
  Player->PostAction(true, end);
}

namespace {
std::unique_ptr<GameData::TOpponent> MakeHandler(GameData::TPlayer* player) {
  return std::make_unique<TAIHandler>(player);
}
}  // namespace

void ConnectToWorld() { GameData::ConnectOpponent(MakeHandler); }

}  // namespace AIHandler
