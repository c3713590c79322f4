// The computer opponent's only way to change the world: action records
// posted into its player's mailbox, each waited for before the next.
#include <chrono>

#include "ai/ai_handler.h"
#include "world/locations/city.h"
#include "world/scenario/player.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace AIHandler {

using namespace GameData;

namespace {

TActionRecord Record(u32 type, std::initializer_list<u32> words = {}) {
  TActionRecord r;
  r.Words[0] = type;
  u32* w = &r.Words[1];
  for (u32 v : words) *w++ = v;
  return r;
}

u32 Bytes(u8 b0, u8 b1 = 0, u8 b2 = 0) {
  return static_cast<u32>(b0) | static_cast<u32>(b1) << 8 | static_cast<u32>(b2) << 16;
}

i32 SlotOf(const TGroup* group, const TUnit* unit) {
  for (i32 i = 0; i < MaxGroupUnits; ++i)
    if (unit && group->Units[i] == unit) return i;
  return -1;
}

}  // namespace

u32 TAIHandler::Post(const TActionRecord& record) {
  const auto start = std::chrono::steady_clock::now();
  Player->PostAction(true, record);
  const u32 result = Player->WaitForResult();
  ++PostedRecords;
  WaitedNanoseconds += std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
  return result;
}

u32 TAIHandler::PostEndTurn() { return Post(Record(atEndTurn)); }

void TAIHandler::PostTurnStart() { Post(Record(atResult, {1})); }

u32 TAIHandler::PostSelect(const TMapObject* object) { return Post(Record(atSelect, {object ? object->ID : 0})); }

u32 TAIHandler::PostSelectGroup(const TGroup* group) {
  const u32 result = PostSelect(group);
  if (result != arDone) return result;
  u8 marks[3] = {1, 1, 1};
  for (i32 i = 0; i < MaxGroupUnits; ++i)
    if (group && group->Units[i]) marks[i] = 0;
  return Post(Record(atMarkUnits, {Bytes(marks[0], marks[1], marks[2])}));
}

u32 TAIHandler::PostMove(i32 x, i32 y, bool join, u32 approachMode, bool enterLocation, const TMapObject* target,
                         i32 reserve, bool refresh) {
  const u32 r = Post(Record(atMove, {static_cast<u32>(x), static_cast<u32>(y), approachMode,
                                     Bytes(join ? 1 : 0, enterLocation ? 1 : 0), static_cast<u32>(reserve),
                                     target ? target->ID : 0, Bytes(refresh ? 1 : 0)}));
  if (r != arSighted && r != arStopped) return r;
  const TGroup* selected = Player->GetSelectedGroup();
  if (!selected) return arDone;
  i32 dx = x, dy = y;
  if (join && target) {
    dx = target->FieldX();
    dy = target->FieldY();
  }
  if (selected->FieldX() == dx && selected->FieldY() == dy) return arDone;
  return arSighted;
}

u32 TAIHandler::PostCastSpell(i32 slot, u32 spellID, i32 x, i32 y) {
  const TGroup* acting = Player->GetActingGroup();
  const TUnit* caster = acting && slot >= 0 && slot < MaxGroupUnits ? acting->Units[slot] : nullptr;
  return Post(Record(atCastSpell, {caster ? caster->ID : 0, spellID, static_cast<u32>(x), static_cast<u32>(y)}));
}

void TAIHandler::PostMakeCamp(const TGroup* group) { Post(Record(atMakeCamp, {group ? group->ID : 0})); }

void TAIHandler::PostBreakCamp(const TGroup* group) { Post(Record(atBreakCamp, {group ? group->ID : 0})); }

void TAIHandler::PostMarkUnits(const u8 (&marks)[3]) { Post(Record(atMarkUnits, {Bytes(marks[0], marks[1], marks[2])})); }

void TAIHandler::PostEnterCity(const TCity* city) { Post(Record(atEnterCity, {city ? city->ID : 0})); }

void TAIHandler::PostLeaveCity() { Post(Record(atLeaveCity)); }

void TAIHandler::PostMoveCityUnit(u32 fromList, u32 unitID, u32 toList, u32 slot) {
  Post(Record(atMoveCityUnit, {fromList, unitID, toList, slot}));
}

void TAIHandler::MarkUnit(const TGroup* group, const TUnit* unit, u8 mark) {
  u8 marks[3] = {1, 1, 1};
  for (i32 i = 0; i < MaxGroupUnits; ++i)
    if (group->Units[i]) marks[i] = group->SplitMarks[i];
  if (const i32 slot = SlotOf(group, unit); slot >= 0) marks[slot] = mark;
  PostMarkUnits(marks);
}

void TAIHandler::MarkListedUnits(const TGroup* group, const TAIVirtualUnitList& units, u8 mark) {
  u8 marks[3] = {1, 1, 1};
  for (i32 i = 0; i < MaxGroupUnits; ++i) {
    const TUnit* u = group->Units[i];
    if (!u) continue;
    marks[i] = group->SplitMarks[i];
    for (const TAIUnit* a : units)
      if (a->Fitness.UnitID == u->ID) marks[i] = mark;
  }
  PostMarkUnits(marks);
}

void TAIHandler::MarkOnlyUnit(const TGroup* group, const TUnit* unit, u8 mark) {
  u8 marks[3] = {1, 1, 1};
  for (i32 i = 0; i < MaxGroupUnits; ++i)
    if (group->Units[i]) marks[i] = mark ? 0 : 1;
  if (const i32 slot = SlotOf(group, unit); slot >= 0) marks[slot] = mark;
  PostMarkUnits(marks);
}

}  // namespace AIHandler
