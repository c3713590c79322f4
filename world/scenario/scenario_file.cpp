// The scenario's stream: a ".scn" file of the "scenario" archive, and the
// body of every save game. Scenario files are shared between players, so
// everything that the objects' own streams cannot check is checked here.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <unordered_set>

#include "engine/base/base.h"
#include "engine/data/archive.h"
#include "engine/gfx/sprite.h"
#include "engine/gfx/sprite_list.h"
#include "world/data2/global_data.h"
#include "world/locations/city.h"
#include "world/map/background.h"
#include "world/map/drawing.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/quest_objective.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/scenario/scenario_header.h"
#include "world/scenario/spell_course.h"
#include "world/units/group.h"

namespace GameData {

namespace {

[[noreturn]] void RaiseLoadError() { throw std::runtime_error("Error loading object!"); }

[[noreturn]] void RaiseDuplicateID(u32 id) {
  throw std::runtime_error(Base::Format("Object with given ID is already in list (%d).", static_cast<int>(id)));
}

Data::TArchive& ScenarioArchive() {
  if (!Data2::ScenarioArchive) throw std::runtime_error("Archive 'scenario' not found.");
  return *Data2::ScenarioArchive;
}

// The lists are sorted by ID when they load.
template <class T>
void CheckUniqueIDs(const Data::TDataList<T>& list) {
  for (i32 i = 1; i < list.Count(); ++i)
    if (list[i]->ID == list[i - 1]->ID) RaiseDuplicateID(list[i]->ID);
}

TMapObject* MakeMapObject(u16 type, TScenario* scenario) {
  switch (type) {
    case otDoodle: return new TDoodle(scenario);
    case otGroup: return new TGroup(scenario);
    case otBuilding: return new TBuilding(scenario);
    case otDrawing: return new TDrawing(scenario);
    case otCorpse: return new TCorpse(scenario);
    case otCity: return new TCity(scenario);
    case otAnimation: return new TAnimation(scenario);
    case otNaturalCorpse: return new TNaturalCorpse(scenario);
    default: Data::RaiseInvalidData();
  }
}

// Field arrays are read and written in one piece.
template <class T>
void ReadFieldArray(Data::TStream& s, std::vector<T>& values) {
  Data::CheckAvailable(s, static_cast<i64>(values.size()), sizeof(T));
  std::vector<u8> bytes(values.size() * sizeof(T));
  if (!bytes.empty()) s.ReadBuffer(bytes.data(), static_cast<i32>(bytes.size()));
  for (std::size_t i = 0; i < values.size(); ++i) {
    std::make_unsigned_t<T> v = 0;
    for (std::size_t b = 0; b < sizeof(T); ++b) v = static_cast<decltype(v)>(v | bytes[i * sizeof(T) + b] << (8 * b));
    values[i] = static_cast<T>(v);
  }
}

template <class T>
void WriteFieldArray(Data::TStream& s, const T* values, std::size_t count) {
  std::vector<u8> bytes(count * sizeof(T));
  for (std::size_t i = 0; i < count; ++i) {
    auto v = static_cast<std::make_unsigned_t<T>>(values[i]);
    for (std::size_t b = 0; b < sizeof(T); ++b) bytes[i * sizeof(T) + b] = static_cast<u8>(v >> (8 * b));
  }
  if (!bytes.empty()) s.WriteBuffer(bytes.data(), static_cast<i32>(bytes.size()));
}

template <class T>
void LoadParticles(Data::TStream& s, Data::TDataList<T>& list, u32 capacity) {
  list.Load(s);
  Data::CheckData(static_cast<u32>(list.Count()) <= capacity);
  // A short list is filled up with dead particles.
  FillUpParticles(list, capacity);
}

bool AreaOnMap(const TArea& area, const TScenario& scenario) {
  for (i32 i = 0; i < area.Count(); ++i)
    if (!scenario.IsFieldOnMap(area[i].x, area[i].y)) return false;
  return true;
}

}  // namespace

void TScenario::Clear() {
  ReleaseObjects();
  PendingConversations.Clear();
  CalledConversations = 0;
  Conversations->Clear();
  QuestObjectives->Clear();
  Areas.Clear();
  Aliases.clear();
  DoodlePrototypes.Clear();
  Sprites->Clear();
  FaceSprites->Clear();
  Background->Clear();
  Thumbnail->Create(0, 0, 16);

  NextID = 1000;
  SetSize(0, 0);
  Title.clear();
  SpriteFile.clear();
  DoodleFile.clear();
  FaceFile.clear();
  BackgroundFile.clear();
  IntroText.clear();
  std::fill(std::begin(Path), std::end(Path), TField{});
  CurrentPlayerIndex = -1;
  Round = 0;
  LastDrawFlags = 0;
  ResetWeather();
  std::fill(std::begin(Globals), std::end(Globals), 0);
  BattleRunning = 0;
  WaitingForDeaths = 0;
  CityScreenOpen = 0;
  MaxLevel = DefeatVideo = 0;
  LevelWordRest = 0;
  BackSounds.Clear();
  std::fill(std::begin(MusicTracks), std::end(MusicTracks), 0);
  BattleBackgrounds.Clear();
  ScrollTargetX = ViewX;
  ScrollTargetY = ViewY;
  ScrollSteps = 0;
  NetworkPlayerID = ActionCounter = 0;
  RequiredUnitIDs.Clear();
  WaitingUnitIDs.Clear();
  TransferLimit = 0;
  NotCampaign = HeaderValue = 0;
  FrameCounter = 0;
  SessionLost = 0;
  NoAnimationRunning = 0;
}

void TScenario::Load(Data::TStream& s) {
  TDataObject::Load(s);

  TScenarioThumbNail head;
  LoadScenarioThumbNail(s, &head);
  const TScenarioHeader& h = head.Header;
  SetSize(h.Width, h.Height);
  DoodleFile = TScenarioHeader::Name(h.DoodleFile);
  SpriteFile = TScenarioHeader::Name(h.SpriteFile);
  FaceFile = TScenarioHeader::Name(h.FaceFile);
  BackgroundFile = TScenarioHeader::Name(h.BackgroundFile);
  CurrentPlayerIndex = h.CurrentPlayer;
  Round = h.Round;
  NotCampaign = h.NotCampaign;
  HeaderValue = h.HeaderValue;
  ViewingPlayer = nullptr;
  Title = std::move(head.Description);
  Thumbnail = std::move(head.Sprite);

  NextID = Data::ReadU32(s);
  ViewX = Data::ReadI32(s);
  ViewY = Data::ReadI32(s);
  ViewWidth = Data::ReadI32(s);
  ViewHeight = Data::ReadI32(s);
  // The view is clamped and scrolled with plain integer arithmetic.
  constexpr i32 ViewLimit = 1 << 20;
  Data::CheckData(std::abs(ViewX) <= ViewLimit && std::abs(ViewY) <= ViewLimit && ViewWidth >= 0 &&
                  ViewWidth <= ViewLimit && ViewHeight >= 0 && ViewHeight <= ViewLimit);
  ScrollTargetX = ViewX;
  ScrollTargetY = ViewY;
  Data::ReadString(s, IntroText);
  u32 count = Data::ReadU32(s);
  Data::CheckAvailable(s, count, 8);
  for (u32 i = 0; i < count; ++i) {
    u32 index = Data::ReadU32(s);
    Data::CheckData(index < GlobalCount);
    AddAlias(Data::ReadString(s), static_cast<i32>(index));
  }

  Weather = Data::ReadU32(s);
  for (u32& n : ParticleTargets) n = Data::ReadU32(s);
  for (u32& n : LiveParticles) n = Data::ReadU32(s);
  const u32 capacity[3] = {RainDropCount, SnowFlakeCount, SandSeedCount};
  Data::CheckData(Weather <= wsOverlay);
  for (i32 k = 0; k < 3; ++k) Data::CheckData(ParticleTargets[k] <= capacity[k] && LiveParticles[k] <= capacity[k]);
  LoadParticles(s, RainDrops, RainDropCount);
  LoadParticles(s, SnowFlakes, SnowFlakeCount);
  LoadParticles(s, SandSeeds, SandSeedCount);

  LoadSpriteFiles();
  ReadFieldArray(s, BaseHeights);
  ReadFieldArray(s, BaseCosts);

  Units.Load(s);
  CheckUniqueIDs(Units);

  count = Data::ReadU32(s);
  // A type code and the map-object part at least.
  Data::CheckAvailable(s, count, 14);
  MapObjects.SetCapacity(static_cast<i32>(count));
  for (u32 i = 0; i < count; ++i) {
    TMapObject* object = MakeMapObject(Data::ReadU16(s), this);
    try {
      object->Load(s);
    } catch (const std::exception&) {
      delete object;
      RaiseLoadError();
    }
    if (object->Type == otCity) object->Layer = 20;
    MapObjects.Add(object);
  }
  for (i32 i = 0; i < MapObjects.Count(); ++i) {
    TMapObject* o = MapObjects[i];
    Data::CheckData(i == 0 || CompareDrawOrder(MapObjects[i - 1], o) <= 0);
    Data::CheckData(o->Type != otGroup || static_cast<TGroup*>(o)->GetUnitCount() > 0);
    o->ListPosition = i;
    ObjectIndex.Insert(o);
  }
  RebuildFieldMaps();

  for (TField& f : Path) f.Read(s);
  Areas.Load(s);
  CheckUniqueIDs(Areas);

  count = Data::ReadU32(s);
  Data::CheckData(count >= 3 && count <= MaxPlayers);
  for (u32 i = 0; i < count; ++i) {
    TPlayer* player = nullptr;
    try {
      player = new TPlayer(this);
      player->Load(s);
    } catch (const std::exception&) {
      delete player;
      RaiseLoadError();
    }
    Players.Add(player);
  }
  Data::CheckData(CurrentPlayerIndex >= -1 && CurrentPlayerIndex < PlayerCount());
  ViewingPlayer = PlayerAt(CurrentPlayerIndex);

  Conversations->Load(s);
  CheckUniqueIDs(*Conversations);
  for (TConversation* c : Conversations->Items) c->SetScenario(this);
  QuestObjectives->Load(s);
  CheckUniqueIDs(*QuestObjectives);
  for (TQuestObjective* q : QuestObjectives->Items) q->SetScenario(this);

  count = Data::ReadU32(s);
  Data::CheckAvailable(s, count, 4);
  for (u32 i = 0; i < count; ++i) {
    u32 id = Data::ReadU32(s);
    TUnit* unit = Units.LookupByID(id);
    if (!unit) throw std::runtime_error(Base::Format("Object with given ID not found (%d).", static_cast<int>(id)));
    OffMapUnits.Add(unit);
  }

  u32 levelWord = Data::ReadU32(s);
  MaxLevel = static_cast<u8>(levelWord);
  DefeatVideo = static_cast<u8>(levelWord >> 8);
  LevelWordRest = static_cast<u16>(levelWord >> 16);
  BackSounds.Load(s);
  for (u32& track : MusicTracks) track = Data::ReadU32(s);
  BattleBackgrounds.Load(s);
  std::vector<i32> globals(GlobalCount);
  ReadFieldArray(s, globals);
  std::copy(globals.begin(), globals.end(), Globals);
  RequiredUnitIDs.Load(s);
  WaitingUnitIDs.Load(s);
  TransferLimit = Data::ReadU32(s);

  CheckLoadedObjects();
  LoadFaceSprites();
  LoadBackground();
  UpdateOccupancy();
  UpdateFogOf(CurrentPlayerIndex);  // and of its allies
  CheckUnitLists();
}

void TScenario::CheckLoadedObjects() {
  const i32 mapRight = Width * FieldSize, mapBottom = Height * FieldSize;
  std::unordered_set<const TUnit*> placed;
  auto place = [&placed](const TUnit* unit) {
    // A unit stands in one place only: two holders would both let go of it.
    if (unit) Data::CheckData(placed.insert(unit).second);
  };
  std::vector<u32> ids;
  ids.reserve(static_cast<std::size_t>(MapObjects.Count()));
  u32 highest = 0;
  for (const TMapObject* o : MapObjects) {
    Data::CheckData(o->X >= 0 && o->Y >= 0 && o->X < mapRight && o->Y < mapBottom);
    ids.push_back(o->ID);
    highest = std::max(highest, o->ID);
    if (o->Type == otGroup) {
      const auto* g = static_cast<const TGroup*>(o);
      Data::CheckData(g->OwnerIndex < PlayerCount());
      for (const TUnit* u : g->Units) place(u);
    }
    if (o->Type == otCity || o->Type == otBuilding) {
      const auto* l = static_cast<const TLocation*>(o);
      for (const TArea* a : {l->OccupiedArea.get(), l->EntranceArea.get(), l->SightArea.get()})
        Data::CheckData(AreaOnMap(*a, *this));
    }
    if (o->Type == otCity) {
      const auto* c = static_cast<const TCity*>(o);
      Data::CheckData(c->Owner == NoOwner || c->Owner < PlayerCount());
      Data::CheckData(AreaOnMap(*c->Area, *this));
      for (const TUnit* u : c->Units) place(u);
      for (const TUnit* u : c->DefenderSlots) place(u);
      for (const TUnit* u : c->Recruits) place(u);
      for (const auto& m : c->Merchants) highest = std::max(highest, m->ID);
    }
  }
  for (const TUnit* u : OffMapUnits) place(u);
  std::sort(ids.begin(), ids.end());
  for (std::size_t i = 1; i < ids.size(); ++i)
    if (ids[i] == ids[i - 1]) RaiseDuplicateID(ids[i]);
  for (const TArea* a : Areas.Items) Data::CheckData(AreaOnMap(*a, *this));
  for (const TPlayer* p : Players) Data::CheckData(AreaOnMap(*p->StartArea, *this));
  // New objects must not take an ID that is in use.
  if (Units.Count() > 0) highest = std::max(highest, Units[Units.Count() - 1]->ID);
  if (highest >= NextID) NextID = highest + 1;
}

void TScenario::Save(Data::TStream& s) const {
  TDataObject::Save(s);
  TScenarioHeader h{};
  h.Width = Width;
  h.Height = Height;
  TScenarioHeader::SetName(h.DoodleFile, DoodleFile);
  TScenarioHeader::SetName(h.SpriteFile, SpriteFile);
  TScenarioHeader::SetName(h.FaceFile, FaceFile);
  TScenarioHeader::SetName(h.BackgroundFile, BackgroundFile);
  h.CurrentPlayer = CurrentPlayerIndex;
  h.Round = Round;
  h.Version = ScenarioVersion;
  h.NotCampaign = NotCampaign;
  h.HeaderValue = HeaderValue;
  h.Write(s);
  Data::WriteString(s, Title);
  Thumbnail->Save(s);

  Data::WriteU32(s, NextID);
  for (i32 v : {ViewX, ViewY, ViewWidth, ViewHeight}) Data::WriteI32(s, v);
  Data::WriteString(s, IntroText);
  Data::WriteU32(s, static_cast<u32>(Aliases.size()));
  for (const auto& [name, index] : Aliases) {
    Data::WriteU32(s, static_cast<u32>(index));
    Data::WriteString(s, name);
  }
  Data::WriteU32(s, Weather);
  for (u32 n : ParticleTargets) Data::WriteU32(s, n);
  for (u32 n : LiveParticles) Data::WriteU32(s, n);
  RainDrops.Save(s);
  SnowFlakes.Save(s);
  SandSeeds.Save(s);

  WriteFieldArray(s, BaseHeights.data(), BaseHeights.size());
  WriteFieldArray(s, BaseCosts.data(), BaseCosts.size());
  Units.Save(s);
  Data::WriteU32(s, static_cast<u32>(MapObjects.Count()));
  for (const TMapObject* o : MapObjects) {
    Data::WriteU16(s, o->Type);
    o->Save(s);
  }
  for (const TField& f : Path) f.Write(s);
  Areas.Save(s);
  Data::WriteU32(s, static_cast<u32>(Players.Count()));
  for (const TPlayer* p : Players) p->Save(s);
  Conversations->Save(s);
  QuestObjectives->Save(s);
  Data::WriteU32(s, static_cast<u32>(OffMapUnits.Count()));
  for (const TUnit* u : OffMapUnits) Data::WriteU32(s, u->ID);

  Data::WriteU32(s, static_cast<u32>(MaxLevel) | static_cast<u32>(DefeatVideo) << 8 |
                        static_cast<u32>(LevelWordRest) << 16);
  BackSounds.Save(s);
  for (u32 track : MusicTracks) Data::WriteU32(s, track);
  BattleBackgrounds.Save(s);
  WriteFieldArray(s, Globals, GlobalCount);
  RequiredUnitIDs.Save(s);
  WaitingUnitIDs.Save(s);
  Data::WriteU32(s, TransferLimit);
}

void TScenario::SaveConversations(Data::TStream& s) const { Conversations->Save(s); }
void TScenario::SaveQuestObjectives(Data::TStream& s) const { QuestObjectives->Save(s); }

// Per player: the selection (0 none), the remembered selection, and the
// notifications its computer opponent has not read yet.
void TScenario::SaveGameState(Data::TStream& s) const {
  Data::WriteU32(s, static_cast<u32>(PlayerCount()));
  for (i32 i = 0; i < PlayerCount(); ++i) {
    TPlayer* p = PlayerAt(i);
    Data::WriteU32(s, p->Selection ? p->Selection->ID : 0);
    Data::WriteU32(s, p->LastSelectionID);
    const i32 count = p->GetNotificationCount();
    Data::WriteU32(s, static_cast<u32>(count));
    for (i32 k = 0; k < count; ++k) {
      const TNotification& n = *p->GetNotification(k);
      Data::WriteU32(s, n.Kind);
      Data::WriteI16(s, n.X);
      Data::WriteI16(s, n.Y);
      Data::WriteU32(s, n.UnitID);
      Data::WriteU32(s, n.Extra);
    }
  }
}

void TScenario::LoadGameState(Data::TStream& s) {
  if (s.Remaining() == 0) return;
  Data::CheckData(Data::ReadU32(s) == static_cast<u32>(PlayerCount()));
  std::vector<TMapObject*> selections;
  for (i32 i = 0; i < PlayerCount(); ++i) {
    TPlayer* p = PlayerAt(i);
    TMapObject* selection = nullptr;
    if (const u32 id = Data::ReadU32(s)) {
      selection = FindMapObject(id);
      Data::CheckData(selection && (selection->Type == otGroup || selection->Type == otCity));
    }
    selections.push_back(selection);
    p->LastSelectionID = Data::ReadU32(s);
    const u32 count = Data::ReadU32(s);
    Data::CheckAvailable(s, count, 16);
    p->ClearNotifications();
    for (u32 k = 0; k < count; ++k) {
      auto n = std::make_unique<TNotification>();
      n->Kind = Data::ReadU32(s);
      n->X = Data::ReadI16(s);
      n->Y = Data::ReadI16(s);
      n->UnitID = Data::ReadU32(s);
      n->Extra = Data::ReadU32(s);
      Data::CheckData(n->Kind >= 1 && n->Kind <= 4);
      p->AddNotification(n.release());
    }
  }
  // Selecting a group builds the move costs from its field: the current
  // player's selection comes last, as in its turn.
  for (i32 i = 0; i < PlayerCount(); ++i)
    if (i != CurrentPlayerIndex) PlayerAt(i)->Select(selections[static_cast<std::size_t>(i)]);
  if (TPlayer* current = PlayerAt(CurrentPlayerIndex))
    current->Select(selections[static_cast<std::size_t>(CurrentPlayerIndex)]);
}

void TScenario::LoadSpriteFiles() {
  Sprites->Clear();
  DoodlePrototypes.Clear();
  if (!SpriteFile.empty()) Sprites->OpenIndexFromArchive(&ScenarioArchive(), SpriteFile);
  if (!DoodleFile.empty()) {
    std::unique_ptr<Data::TStream> file(ScenarioArchive().OpenFile(DoodleFile));
    ReadDoodlePrototypes(*file, DoodlePrototypes);
  }
}

void TScenario::LoadFaceSprites() {
  FaceSprites->Clear();
  if (!FaceFile.empty()) FaceSprites->OpenIndexFromArchive(&ScenarioArchive(), FaceFile);
  // Portraits stay loaded for the scenario's lifetime.
  for (const TPlayer* p : Players) FaceSprites->LockSprite(p->PortraitID);
}

void TScenario::LoadBackground() {
  if (BackgroundFile.empty())
    Background->Clear();
  else
    Background->LoadFromArchive(&ScenarioArchive(), BackgroundFile);
}

}  // namespace GameData
