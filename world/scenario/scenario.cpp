#include "world/scenario/scenario.h"

#include <algorithm>

#include "engine/gfx/sprite_list.h"
#include "engine/platform/system/text.h"
#include "world/locations/city.h"
#include "world/locations/location.h"
#include "world/map/background.h"
#include "world/map/drawing.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/quest_objective.h"
#include "world/scenario/spell_course.h"
#include "world/units/group.h"

namespace GameData {

namespace {

// Scratch of the look-ups; each thread that asks gets its own.
std::vector<TMapObject*>& Scratch() {
  thread_local std::vector<TMapObject*> candidates;
  return candidates;
}

bool ByListPositionDescending(const TMapObject* a, const TMapObject* b) { return a->ListPosition > b->ListPosition; }

}  // namespace

TScenario::TScenario(u8 constructionFlag) : ConstructionFlag(constructionFlag) {
  try {
    Conversations = std::make_unique<Data::TDataList<TConversation>>(true);
    QuestObjectives = std::make_unique<Data::TDataList<TQuestObjective>>(true);
    Sprites = std::make_unique<Gfx::TSpriteList>(17);
    FaceSprites = std::make_unique<Gfx::TSpriteList>(17);
    Units.SortOnLoad = true;
    Areas.SortOnLoad = true;
    Background = std::make_unique<TBackground>(constructionFlag);
    Thumbnail = std::make_unique<Gfx::TSprite>();
    Thumbnail->Create(0, 0, 16);
    WeatherTexture = std::make_unique<TWeatherTexture>();
    ResetWeather();
  } catch (const std::exception&) {
    throw std::runtime_error("Cannot construct TScenario object!");
  }
}

TScenario::~TScenario() { ReleaseObjects(); }

void TScenario::ReleaseObjects() {
  if (TPlayer* current = PlayerAt(CurrentPlayerIndex))
    if (current->Kind == pkComputer || current->Kind == pkRemote) current->StopThread();
  // Objects release their sprites into the lists: they go first.
  ObjectIndex.Clear();
  MapObjects.Clear();
  for (TMapObject* o : QueuedObjects) delete o;
  QueuedObjects.Clear();
  delete CurrentSpell;
  CurrentSpell = nullptr;
  ViewingPlayer = nullptr;
  Players.Clear();
  OffMapUnits.Clear();
  Units.Clear();
}

i32 TScenario::IndexOfPlayer(const TPlayer* player) const { return player ? Players.IndexOf(player) : -1; }

TPlayer* TScenario::PlayerAt(i32 index) const {
  return index >= 0 && index < Players.Count() ? Players[index] : nullptr;
}

// Field maps.

void TScenario::SetSize(i32 width, i32 height) {
  Width = static_cast<i16>(width);
  Height = static_cast<i16>(height);
  const std::size_t n = static_cast<std::size_t>(width) * height;
  BaseHeights.assign(n, 0);
  BaseCosts.assign(n, 0);
  Heights.assign(n, 0);
  Costs.assign(n, 0);
  Occupancy.assign(n, nullptr);
  OccupancyPlayer = nullptr;
  MoveCosts.assign(n, 0);
  CostMap.assign(n, 0);
  ObjectIndex.Reset(width, height);
  for (TMapObject* o : MapObjects) ObjectIndex.Insert(o);
}

u8 TScenario::CostAt(i32 fx, i32 fy) const { return IsFieldOnMap(fx, fy) ? Costs[FieldIndex(fx, fy)] : 255; }
i16 TScenario::HeightAt(i32 fx, i32 fy) const { return IsFieldOnMap(fx, fy) ? Heights[FieldIndex(fx, fy)] : 0; }
TGroup* TScenario::OccupantAt(i32 fx, i32 fy) const {
  return IsFieldOnMap(fx, fy) ? Occupancy[FieldIndex(fx, fy)] : nullptr;
}

void TScenario::RebuildFieldMaps() {
  std::copy(BaseHeights.begin(), BaseHeights.end(), Heights.begin());
  std::copy(BaseCosts.begin(), BaseCosts.end(), Costs.begin());
  for (TMapObject* o : MapObjects) o->ApplyToFields();
}

void TScenario::UpdateOccupancy() {
  TPlayer* current = PlayerAt(CurrentPlayerIndex);
  if (!current) return;
  std::fill(Occupancy.begin(), Occupancy.end(), nullptr);
  for (TMapObject* o : MapObjects) {
    if (o->Type != otGroup) continue;
    auto* group = static_cast<TGroup*>(o);
    if (group->GetOwner() == current || group->Sighted) group->MarkFields();
  }
  OccupancyPlayer = current;
}

void TScenario::UpdateOccupancyAround(const TGroup* group, i32 oldFx, i32 oldFy) {
  const TPlayer* current = PlayerAt(CurrentPlayerIndex);
  if (!current) return;
  if (current != OccupancyPlayer) return UpdateOccupancy();
  // The last group in draw order that marks a field wins it, as in the whole
  // rebuild; every group that can cover a field covers the field's centre
  // with its index rectangle.
  thread_local std::vector<TMapObject*> near;
  auto refresh = [&](i32 fx, i32 fy) {
    if (!IsFieldOnMap(fx, fy)) return;
    ObjectIndex.Candidates(fx * 40 + 20, fy * 40 + 20, near);
    TGroup* winner = nullptr;
    i32 last = -1;
    for (TMapObject* o : near) {
      if (o->Type != otGroup) continue;
      auto* g = static_cast<TGroup*>(o);
      if ((g->GetOwner() != current && !g->Sighted) || !g->CoversField(fx, fy)) continue;
      const i32 at = IndexOfMapObject(g);
      if (at > last) {
        last = at;
        winner = g;
      }
    }
    Occupancy[static_cast<std::size_t>(FieldIndex(fx, fy))] = winner;
  };
  const i32 reach = group->CampReach();
  for (i32 fy = oldFy - reach; fy <= oldFy + reach; ++fy)
    for (i32 fx = oldFx - reach; fx <= oldFx + reach; ++fx) refresh(fx, fy);
  const i32 nx = group->FieldX(), ny = group->FieldY();
  if (nx == oldFx && ny == oldFy) return;
  for (i32 fy = ny - reach; fy <= ny + reach; ++fy)
    for (i32 fx = nx - reach; fx <= nx + reach; ++fx) refresh(fx, fy);
}

// Registry.

int TScenario::CompareDrawOrder(const TMapObject* a, const TMapObject* b) {
  if (a->Layer != b->Layer) return a->Layer < b->Layer ? -1 : 1;
  if (a->Y != b->Y) return a->Y < b->Y ? -1 : 1;
  if (a->X != b->X) return a->X > b->X ? -1 : 1;
  return 0;
}

void TScenario::Renumber(i32 from) {
  for (i32 i = std::max(from, 0); i < MapObjects.Count(); ++i) MapObjects[i]->ListPosition = i;
}

i32 TScenario::IndexOfMapObject(const TMapObject* object) const {
  i32 p = object ? object->ListPosition : -1;
  return (p >= 0 && p < MapObjects.Count() && MapObjects[p] == object) ? p : -1;
}

TMapObject* TScenario::FindMapObject(u32 id) const {
  for (TMapObject* o : MapObjects)
    if (o->ID == id) return o;
  return nullptr;
}

TGroup* TScenario::FindGroup(u32 id) const {
  for (TMapObject* o : MapObjects)
    if (o->ID == id && o->Type == otGroup) return static_cast<TGroup*>(o);
  return nullptr;
}

TCity* TScenario::FindCity(u32 id) const {
  for (TMapObject* o : MapObjects)
    if (o->ID == id && o->Type == otCity) return static_cast<TCity*>(o);
  return nullptr;
}

TBuilding* TScenario::FindBuilding(u32 id) const {
  for (TMapObject* o : MapObjects)
    if (o->ID == id && o->Type == otBuilding) return static_cast<TBuilding*>(o);
  return nullptr;
}

i32 TScenario::HitTestPass(i32 px, i32 py, int pass, bool visibleOnly) const {
  const TPlayer* viewer = visibleOnly ? ViewingPlayer : nullptr;
  for (const TMapObject* o : Scratch()) {
    if (pass == 0 && o->Type != otGroup) continue;
    if (pass == 1 && o->Type != otBuilding && o->Type != otCity) continue;
    if (viewer && !viewer->IsObjectShown(o)) continue;
    if (o->HitTest(px, py)) return o->ListPosition;
  }
  return -1;
}

i32 TScenario::GetObjectIndexAt(i32 px, i32 py) const {
  auto& candidates = Scratch();
  ObjectIndex.Candidates(px, py, candidates);
  std::sort(candidates.begin(), candidates.end(), ByListPositionDescending);
  for (int pass = 0; pass < 3; ++pass)
    if (i32 i = HitTestPass(px, py, pass, false); i >= 0) return i;
  return -1;
}

i32 TScenario::GetVisibleObjectIndexAt(i32 px, i32 py) const {
  auto& candidates = Scratch();
  ObjectIndex.Candidates(px, py, candidates);
  std::sort(candidates.begin(), candidates.end(), ByListPositionDescending);
  for (int pass = 0; pass < 3; ++pass)
    if (i32 i = HitTestPass(px, py, pass, true); i >= 0) return i;
  return -1;
}

i32 TScenario::GetObjectIndexAtField(i32 fx, i32 fy) const { return GetObjectIndexAt(fx * 40 + 20, fy * 40 + 20); }

TGroup* TScenario::GetGroupAt(i32 fx, i32 fy, const TGroup* excluded) const {
  auto& candidates = Scratch();
  ObjectIndex.Candidates(fx * 40 + 20, fy * 40 + 20, candidates);
  TGroup* best = nullptr;
  for (TMapObject* o : candidates) {
    if (o->Type != otGroup || o == excluded || o->FieldX() != fx || o->FieldY() != fy) continue;
    if (!best || o->ListPosition > best->ListPosition) best = static_cast<TGroup*>(o);
  }
  return best;
}

TGroup* TScenario::GetGroupCovering(i32 fx, i32 fy, const TGroup* excluded) const {
  auto& candidates = Scratch();
  ObjectIndex.Candidates(fx * 40 + 20, fy * 40 + 20, candidates);
  TGroup* best = nullptr;
  for (TMapObject* o : candidates) {
    if (o->Type != otGroup || o == excluded) continue;
    auto* g = static_cast<TGroup*>(o);
    bool on = g->FieldX() == fx && g->FieldY() == fy;
    bool camp = (g->CampState == csMaking || g->CampState == csCamped) && std::abs(g->FieldX() - fx) <= 1 &&
                std::abs(g->FieldY() - fy) <= 1;
    if ((on || camp) && (!best || g->ListPosition > best->ListPosition)) best = g;
  }
  return best;
}

bool TScenario::IsFieldFree(i32 fx, i32 fy) const {
  if (CostAt(fx, fy) == 255) return false;
  if (GetGroupCovering(fx, fy, nullptr)) return false;
  i32 index = GetObjectIndexAtField(fx, fy);
  if (index >= 0 && (MapObjects[index]->Type == otCity || MapObjects[index]->Type == otBuilding)) return false;
  return true;
}

void TScenario::InsertMapObject(TMapObject* object) {
  object->Scenario = this;
  i32 index;
  MapObjects.Find(object, CompareDrawOrder, index);
  MapObjects.Insert(object, index);
  Renumber(index);
  ObjectIndex.Insert(object);
}

void TScenario::AddMapObject(TMapObject* object) {
  object->ID = NewID();
  InsertMapObject(object);
  UpdateOccupancy();
}

void TScenario::QueueMapObject(TMapObject* object) { QueuedObjects.Add(object); }

void TScenario::AddQueuedObjects() {
  for (TMapObject* o : QueuedObjects) AddMapObject(o);
  QueuedObjects.Clear();
}

void TScenario::RemoveMapObjectAt(i32 index, bool notifyAI) {
  TMapObject* object = MapObjects[index];
  if (object->Type == otGroup) {
    auto* group = static_cast<TGroup*>(object);
    group->RemoveAllUnits(notifyAI);
    UpdateFogOf(group->OwnerIndex);
  } else if (object->Type == otCity) {
    auto* city = static_cast<TCity*>(object);
    city->RemoveAllUnits(notifyAI);
    UpdateFogOf(city->Owner);
  }
  for (TPlayer* p : Players)
    if (p->Selection == object) p->Selection = nullptr;
  // A group walking up to the object must not reach it after it is gone.
  for (TMapObject* o : MapObjects)
    if (o->Type == otGroup) {
      auto* g = static_cast<TGroup*>(o);
      if (g->TargetGroup == object) g->TargetGroup = nullptr;
      if (g->TargetLocation == object) g->TargetLocation = nullptr;
    }
  ObjectIndex.Erase(object);
  // Taking the units out runs other code; look the object up again.
  index = IndexOfMapObject(object);
  MapObjects.Delete(index);
  Renumber(index);
  LastDrawFlags = 0;
  UpdateOccupancy();
}

void TScenario::RemoveMapObject(TMapObject* object, bool notifyAI) {
  i32 index = IndexOfMapObject(object);
  if (index >= 0) RemoveMapObjectAt(index, notifyAI);
}

void TScenario::MoveMapObject(i32 index, i32 px, i32 py) {
  TMapObject* object = MapObjects[index];
  const i32 oldFx = object->FieldX(), oldFy = object->FieldY();
  object->X = static_cast<i16>(px);
  object->Y = static_cast<i16>(py);
  while (index > 0 && CompareDrawOrder(object, MapObjects[index - 1]) < 0) {
    MapObjects.Exchange(index, index - 1);
    MapObjects[index]->ListPosition = index;
    --index;
  }
  while (index + 1 < MapObjects.Count() && CompareDrawOrder(object, MapObjects[index + 1]) > 0) {
    MapObjects.Exchange(index, index + 1);
    MapObjects[index]->ListPosition = index;
    ++index;
  }
  object->ListPosition = index;
  ObjectIndex.Update(object);
  // Only a group marks fields, and only those it left and entered change.
  if (object->Type == otGroup) UpdateOccupancyAround(static_cast<const TGroup*>(object), oldFx, oldFy);
}

void TScenario::MapObjectChanged(TMapObject* object) {
  if (IndexOfMapObject(object) >= 0) ObjectIndex.Update(object);
}

// Unit registry.

void TScenario::AddUnit(TUnit* unit, bool newID) {
  if (newID) unit->ID = NewID();
  Units.AddSorted(unit);
}

void TScenario::RemoveUnit(TUnit* unit) {
  OffMapUnits.Remove(unit);
  i32 index = Units.Items.IndexOf(unit);
  if (index >= 0) Units.Items.Delete(index);
}

// Conversations.

TConversation* TScenario::FindConversation(i32 playerIndex, u32 ownerType, u32 ownerID, i32 filter) const {
  for (TConversation* c : Conversations->Items) {
    if (!c->IsTargetPlayer(playerIndex) || c->OwnerType != ownerType) continue;
    if (ownerType == coRound ? c->ActivationRound != Round : c->OwnerID != ownerID) continue;
    if ((filter == 1 && !c->Active) || (filter == 2 && c->Active)) continue;
    return c;
  }
  return nullptr;
}

bool TScenario::TriggerConversations(i32 playerIndex, u32 ownerType, u32 ownerID) {
  bool queued = false;
  for (TConversation* c : Conversations->Items) {
    if (!c->Active || !c->IsTargetPlayer(playerIndex) || c->OwnerType != ownerType) continue;
    bool holds = ownerType == coRound ? c->ActivationRound == Round : ownerType == coTurnStart || c->OwnerID == ownerID;
    if (!holds) continue;
    QueueConversation(c);
    queued = true;
  }
  return queued;
}

void TScenario::QueueConversation(TConversation* conversation) {
  if (conversation->Running || PendingConversations.IndexOf(conversation) >= 0) return;
  PendingConversations.Add(conversation);
}

TConversation* TScenario::PopConversation() {
  if (PendingConversations.Count() == 0) {
    CalledConversations = 0;
    return nullptr;
  }
  TConversation* c = PendingConversations[0];
  PendingConversations.Delete(0);
  return c;
}

void TScenario::UpdateQuestObjectives() {
  for (TQuestObjective* q : QuestObjectives->Items) {
    if (q->State > qsNotGiven) q->UpdatePlayerFromHero(false);
    if (q->PlayerIndex != CurrentPlayerIndex) continue;
    const i32 before = q->State;
    q->UpdateState();
    if (q->State == before) continue;
    if (TConversation* final = Conversations->LookupByID(q->FinalConversationID)) QueueConversation(final);
  }
}

// Script variables.

i32 TScenario::FindAlias(const std::string& name) const {
  for (const auto& [alias, index] : Aliases)
    if (Plat::EqualNoCase(alias, name)) return index;
  return -1;
}

void TScenario::AddAlias(const std::string& name, i32 index) { Aliases.emplace_back(name, index); }

void TScenario::NewRound() {
  ++Round;
  for (i32 i = MapObjects.Count() - 1; i >= 0; --i) {
    TMapObject* o = MapObjects[i];
    if (o->Type != otNaturalCorpse) continue;
    auto* corpse = static_cast<TNaturalCorpse*>(o);
    if (corpse->Lifetime > 0 && --corpse->Lifetime == 0) {
      ObjectIndex.Erase(corpse);
      MapObjects.Delete(i);
      Renumber(i);
    }
  }
  LastDrawFlags = 0;
}


}  // namespace GameData
