#include "world/scenario/player.h"

#include <algorithm>
#include <cmath>

#include "engine/gfx/sprite_list.h"
#include "world/data2/global_data.h"
#include "world/locations/city.h"
#include "world/map/drawing.h"
#include "world/map/fog.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/scenario/settings.h"
#include "world/units/group.h"

namespace GameData {

TPlayer::TPlayer(TScenario* scenario)
    : Scenario(scenario),
      Fog(std::make_unique<TFog>(this)),
      AIHandler(MakeOpponent(this)) {}

TPlayer::~TPlayer() {
  StopThread();
  ClearNotifications();
}

void TPlayer::Clear() {
  Kind = pkHuman;
  Gold = 0;
  Colour = 0;
  Name.clear();
  PortraitID = 0;
  Fog->Reset();
  Fog->UpdateOverlay();
  std::fill(std::begin(Relations), std::end(Relations), 0);
  SightAreas.clear();
  AIHandler->Clear();
  OutOfActionPoints = SightingStop = GroupSighted = LocationSighted = 0;
  StartArea->Clear();
  Notes.clear();
  ConversationLog.clear();
  SeenPrototypes.Clear();
}

void TPlayer::Load(Data::TStream& s) {
  TDataObject::Load(s);
  Kind = Data::ReadU8(s);
  Data::CheckData(Kind <= pkRemote);
  Gold = Data::ReadU32(s);
  Colour = Data::ReadU8(s);
  Data::ReadString(s, Name);
  PortraitID = Data::ReadU32(s);
  Fog->Load(s);
  Fog->UpdateOverlay();
  for (i8& r : Relations) r = Data::ReadI8(s);
  OutOfActionPoints = Data::ReadU8(s);
  SightingStop = Data::ReadU8(s);
  u32 count = Data::ReadU32(s);
  Data::CheckAvailable(s, count, 4);
  for (u32 i = 0; i < count; ++i)
    if (TArea* area = Scenario->Areas.FindByID(Data::ReadU32(s))) SightAreas.push_back(area);
  AIHandler->Load(s);
  StartArea->Load(s);
  for (auto* list : {&Notes, &ConversationLog}) {
    count = Data::ReadU32(s);
    Data::CheckAvailable(s, count, 4);
    for (u32 i = 0; i < count; ++i) list->push_back(Data::ReadString(s));
  }
  SeenPrototypes.Load(s);
}

void TPlayer::Save(Data::TStream& s) const {
  TDataObject::Save(s);
  Data::WriteU8(s, Kind);
  Data::WriteU32(s, Gold);
  Data::WriteU8(s, Colour);
  Data::WriteString(s, Name);
  Data::WriteU32(s, PortraitID);
  Fog->Save(s);
  for (i8 r : Relations) Data::WriteI8(s, r);
  Data::WriteU8(s, OutOfActionPoints);
  Data::WriteU8(s, SightingStop);
  Data::WriteU32(s, static_cast<u32>(SightAreas.size()));
  for (const TArea* area : SightAreas) Data::WriteU32(s, area->ID);
  AIHandler->Save(s);
  StartArea->Save(s);
  for (const auto* list : {&Notes, &ConversationLog}) {
    Data::WriteU32(s, static_cast<u32>(list->size()));
    for (const std::string& line : *list) Data::WriteString(s, line);
  }
  SeenPrototypes.Save(s);
}

// Queries.

i32 TPlayer::GetRelation(const TPlayer* other) const {
  if (other == this) return rSelf;
  i32 index = Scenario ? Scenario->IndexOfPlayer(other) : -1;
  if (!other || index < 0 || index >= MaxPlayers) return rNone;
  return Relations[index];
}

i32 TPlayer::GetRelationToGroup(const TGroup* group) const { return GetRelation(group ? group->GetOwner() : nullptr); }
i32 TPlayer::GetRelationToCity(const TCity* city) const { return GetRelation(city ? city->GetOwner() : nullptr); }

TGroup* TPlayer::GetSelectedGroup() const {
  return Selection && Selection->Type == otGroup ? static_cast<TGroup*>(Selection) : nullptr;
}

TCity* TPlayer::GetSelectedCity() const {
  return Selection && Selection->Type == otCity ? static_cast<TCity*>(Selection) : nullptr;
}

TGroup* TPlayer::GetActingGroup() const {
  if (TGroup* g = GetSelectedGroup()) return g;
  if (TCity* c = GetSelectedCity())
    if (c->DepartureGroup->GetUnitCount() > 0) return c->DepartureGroup.get();
  return nullptr;
}

bool TPlayer::IsFieldVisible(i32 fx, i32 fy) const { return Fog && Fog->GetState(fx, fy, fsUnexplored) == fsVisible; }

bool TPlayer::CanSee(const TMapObject* object) const {
  if (!Fog) return true;
  switch (object->Type) {
    case otCorpse:
    case otNaturalCorpse:
      if (!Scenario->IsFieldOnMap(object->FieldX(), object->FieldY())) return false;
      return static_cast<const TCorpse*>(object)->Seen != 0;
    case otCity:
    case otBuilding:
      return Fog->IsAreaExplored(static_cast<const TLocation*>(object)->SightFields());
    case otGroup: {
      if (!Scenario->IsFieldOnMap(object->FieldX(), object->FieldY())) return false;
      const auto* group = static_cast<const TGroup*>(object);
      if (group->GetOwner() == this) return true;
      if (Scenario->ViewingPlayer == this && Scenario->PlayerAt(Scenario->CurrentPlayerIndex) == this)
        return group->Sighted != 0;
      break;
    }
    default:
      break;
  }
  return IsFieldVisible(object->FieldX(), object->FieldY());
}

bool TPlayer::IsObjectShown(const TMapObject* object) const {
  switch (object->Type) {
    case otGroup: return CanSee(object) && !static_cast<const TGroup*>(object)->IsNearCamp();
    case otCity:
    case otBuilding:
    case otCorpse:
    case otNaturalCorpse: return CanSee(object);
    default: return true;
  }
}

bool TPlayer::HasSightOfCity(const TCity* city) const {
  i32 relation = GetRelation(city->GetOwner());
  if (relation == rSelf || relation == rAllied) return true;
  for (const TUnit* u : city->DepartureGroup->Units)
    if (u && city->GetUnitOwner(u) == this) return true;
  for (const TUnit* u : city->Units)
    if (city->GetUnitOwner(u) == this) return true;
  return false;
}

Gfx::TSprite* TPlayer::GetPortrait() const {
  return Scenario && Scenario->FaceSprites ? Scenario->FaceSprites->FindLoadedSprite(PortraitID) : nullptr;
}

i32 TPlayer::ScaleForDifficulty(i32 value) const {
  if (!Scenario || Scenario->NotCampaign || Kind != pkComputer || !Data2::GlobalData) return value;
  if (GetRelation(Scenario->PlayerAt(1)) != rHostile) return value;
  i32 difficulty = std::clamp(Main::Difficulty, 0, 2);
  return static_cast<i32>(std::floor(value * Data2::GlobalData->DifficultyPercent[difficulty] * 0.01 + 0.5));
}

// Turns.

void TPlayer::Select(TMapObject* object) {
  if (object != Selection) {
    if (Selection) Selection->Deselect();
    Selection = object;
    if (Selection) Selection->Select();
  }
  if (TGroup* group = GetSelectedGroup()) Scenario->ComputeMoveCosts(group->FieldX(), group->FieldY(), group);
}

void TPlayer::ClearFrameFlags() {
  OutOfActionPoints = 0;
  SightingStop = 0;
}

void TPlayer::UpdateFog() { Scenario->UpdateFogOf(Scenario->IndexOfPlayer(this)); }

void TPlayer::NoteSeenPrototype(i32 prototypeID) {
  if (SeenPrototypes.IndexOf(prototypeID) < 0) SeenPrototypes.Add(prototypeID);
}

void TPlayer::NoteSeenPrototypes() {
  if (Kind != pkHuman) return;
  for (const TUnit* unit : Scenario->Units.Items) {
    const TMapObject* holder = unit->GetGroup() ? static_cast<TMapObject*>(unit->GetGroup())
                                                : static_cast<TMapObject*>(unit->GetCity());
    if (holder && unit->Prototype && CanSee(holder)) NoteSeenPrototype(static_cast<i32>(unit->Prototype->ID));
  }
}

void TPlayer::UpdateSightings(bool notify) {
  if (!Fog) return;
  const i32 self = Scenario->IndexOfPlayer(this);
  for (i32 i = 0; i < Scenario->MapObjects.Count(); ++i) {
    TMapObject* o = Scenario->MapObjects[i];
    if (o->Type != otCity && o->Type != otBuilding) continue;
    const TArea& sight = static_cast<TLocation*>(o)->SightFields();
    if (!Fog->IsAnyFieldVisible(sight) || Fog->IsAreaExplored(sight)) continue;
    Fog->RaiseArea(sight, fsExplored);
    Scenario->TriggerConversations(self, 3, o->ID);
    if (notify) {
      SightingStop = 1;
      GroupSighted = 0;
      LocationSighted = 1;
    }
  }
  for (TArea* area : Scenario->Areas.Items)
    if (Fog->IsAnyFieldVisible(*area)) Scenario->TriggerConversations(self, 5, area->ID);
  for (i32 i = 0; i < Scenario->MapObjects.Count(); ++i) {
    TMapObject* o = Scenario->MapObjects[i];
    if (o->Type != otGroup) continue;
    auto* group = static_cast<TGroup*>(o);
    if (group->GetOwner() == this || group->Sighted || !IsFieldVisible(group->FieldX(), group->FieldY())) continue;
    group->Sighted = 1;
    group->Changed = 1;
    Scenario->UpdateOccupancy();
    group->TriggerConversations(self, 1);
    if (!notify) continue;
    SightingStop = 1;
    GroupSighted = 1;
    LocationSighted = 0;
    for (i32 p = 0; p < Scenario->PlayerCount(); ++p) {
      TPlayer* receiver = Scenario->PlayerAt(p);
      if (receiver != this && GetRelation(receiver) != rAllied) continue;
      for (TUnit* u : group->Units)
        if (u)
          receiver->AddNotification(new TNotification{3, static_cast<i16>(group->FieldX()),
                                                      static_cast<i16>(group->FieldY()), u->ID, 0});
    }
  }
  for (TMapObject* o : Scenario->MapObjects) {
    if (o->Type != otCorpse && o->Type != otNaturalCorpse) continue;
    if (!IsFieldVisible(o->FieldX(), o->FieldY())) continue;
    static_cast<TCorpse*>(o)->Seen = 1;
    o->Changed = 1;
  }
}

void TPlayer::BeginTurn() {
  for (TMapObject* o : Scenario->MapObjects) {
    if (o->Type == otGroup && static_cast<TGroup*>(o)->GetOwner() == this) static_cast<TGroup*>(o)->NewTurn();
    if (o->Type == otCity && static_cast<TCity*>(o)->GetOwner() == this) static_cast<TCity*>(o)->NewTurn();
  }
  SightAreas.clear();
  for (TMapObject* o : Scenario->MapObjects)
    if (o->Type == otGroup) {
      static_cast<TGroup*>(o)->Sighted = 0;
      o->Changed = 1;
    }
  OutOfActionPoints = SightingStop = 0;
  UpdateSightings(false);
  Scenario->UpdateOccupancy();
  Scenario->UpdateFogAll();
  if (!Selection) {
    TMapObject* next = nullptr;
    if (LastSelectionID != 0) {
      next = Scenario->FindMapObject(LastSelectionID);
    } else {
      for (TUnit* u : Scenario->Units.Items)  // sorted by ID: the first own one wins
        if (TGroup* g = u->GetGroup(); g && g->GetOwner() == this) {
          next = g;
          break;
        }
    }
    Select(next);
  }
  if (Kind == pkHuman) {
    NextRandom(RandomMain);
    ClearNotifications();
    return;
  }
  // A thread of an earlier turn that was never joined ends before the next starts.
  StopThread();
  SeedRandom(RandomThread, static_cast<u32>(NextRandom(RandomMain)));
  StopRequested = 0;
  try {
    Thread = std::thread(&TPlayer::ThreadEntry, this);
  } catch (const std::system_error&) {
    throw std::runtime_error("TActionThread: Thread could not be created.");
  }
}

void TPlayer::EndTurn() {
  if (Selection) {
    LastSelectionID = Selection->ID;
    Selection->Deselect();
    Selection = nullptr;
  } else {
    LastSelectionID = 0;
  }
  if (Kind == pkComputer || Kind == pkRemote) WaitForThread();
}

void TPlayer::WaitForThread() {
  if (!Thread.joinable()) return;
  try {
    Thread.join();
  } catch (const std::system_error&) {
    throw std::runtime_error("Player thread handle not released.");
  }
}

void TPlayer::StopThread() {
  if (!Thread.joinable()) return;
  StopRequested = 1;
  WaitForThread();
}

}  // namespace GameData
