#include "tests/world/world_fixture.h"

#include <algorithm>
#include <cstring>

#include "world/units/group.h"

namespace WorldTest {

GameData::TUnitProperty Prop(i16 base, i16 delta, i16 every) { return {base, base, delta, every}; }

namespace {

GameData::TUnitPrototype MakeUnitPrototype(u32 id, const char* name, i16 kind, bool hero) {
  GameData::TUnitPrototype p{};
  p.ID = id;
  std::strncpy(p.Name, name, sizeof p.Name - 1);
  p.Kind = kind;
  p.Hero = hero;
  GameData::TUnitProperties& r = p.Properties;
  r.Level = 1;
  r.HirePrice = 10;
  r.HitPoints = Prop(40, 5, 1);
  r.HPRegenerate = Prop(6);
  r.Mana = Prop(20, 2, 1);
  r.ManaRegenerate = Prop(4);
  r.ActionPoints = Prop(12);
  r.MoraleRegenerate = Prop(15);
  r.Attack = Prop(20, 1, 1);
  r.CounterAttack = Prop(10);
  r.Defence = Prop(10);
  r.Sight = Prop(3);
  r.ExperienceBase = 100;
  r.ExperienceDelta = 50;
  return p;
}

std::unique_ptr<GameData::TOpponent> MakeTestOpponent(GameData::TPlayer* player) {
  return std::make_unique<TTestOpponent>(player);
}

}  // namespace

bool TTestOpponent::AddUnit(GameData::TUnit* unit) {
  TDemoOpponent::AddUnit(unit);
  Units.push_back(unit);
  return true;
}

bool TTestOpponent::RemoveUnit(GameData::TUnit* unit, bool) {
  auto it = std::find(Units.begin(), Units.end(), unit);
  if (it == Units.end()) return false;
  Units.erase(it);
  TDemoOpponent::RemoveUnit(unit, false);
  return true;
}

bool TTestOpponent::Knows(const GameData::TUnit* unit) const {
  return std::find(Units.begin(), Units.end(), unit) != Units.end();
}

void TTestOpponent::TakeTurn() {
  GameData::TActionRecord begin;
  begin.Words[0] = GameData::atResult;
  begin.Words[1] = 1;
  Player->PostAction(true, begin);
  Player->WaitForResult();
  GameData::TActionRecord end;
  end.Words[0] = GameData::atEndTurn;
  Player->PostAction(true, end);
}

void ConnectTestOpponent() { GameData::ConnectOpponent(MakeTestOpponent); }

TTestOpponent& OpponentOf(const GameData::TPlayer* player) { return static_cast<TTestOpponent&>(*player->AIHandler); }

std::unique_ptr<Data2::TGlobalData> MakeGlobalData() {
  auto g = std::make_unique<Data2::TGlobalData>(Data2::TGlobalData::TEmpty{});
  g->NormalMorale = 50;
  g->MaxMorale = 100;
  g->MinDefendMorale = 30;
  g->DamageMoraleFactor = 10;
  g->KillMoraleBase = 1;
  g->KillMoralePerLevel = 3;
  g->SlopeThreshold1 = 4;
  g->SlopeThreshold2 = 8;
  g->SlopeLimit = 16;
  g->AttackCost = 4;
  g->RetreatCost = 4;
  g->CityEntryCost = 6;
  g->BuildingEntryCost = 9;
  g->DamageExperience = 2;
  g->WoundExperience = 1;
  g->KillExperience = 50;
  g->DrinkMoraleGain = 10;
  g->DrinkAttackPenalty = 2;
  g->DrinkPenaltyTurns = 2;
  g->DrinkMoraleCap = 80;
  g->CorpseLifetime = 5;
  g->DifficultyPercent[0] = 50;
  g->DifficultyPercent[1] = 100;
  g->DifficultyPercent[2] = 150;
  g->EffectVolume = 80;
  g->UnitPrototypes.Add(MakeUnitPrototype(Knight, "Ritter", 1, true));
  g->UnitPrototypes.Add(MakeUnitPrototype(Wolf, "Wolf", 2, false));
  g->UnitPrototypes.Add(MakeUnitPrototype(Skeleton, "Skelett", 4, false));
  g->UnitPrototypes.Add(MakeUnitPrototype(Soldier, "Soldat", 1, false));

  auto spell = [&](i16 number, i16 level, i16 cls) {
    GameData::TSpellPrototype s{};
    s.Number = number;
    s.Level = level;
    s.Class = cls;
    s.ManaCost = 5;
    s.APCost = 3;
    g->SpellPrototypes.Add(s);
  };
  spell(1, 1, 1);
  spell(3, 3, 2);
  spell(65, 2, 1);

  GameData::TSkillPrototype skill{};
  skill.Number = 1;
  skill.Level = 1;
  skill.APCost = 2;
  skill.Bonus.Attack.Current = 2;
  skill.Duration = 3;
  skill.Effect.Defence.Current = 1;
  g->SkillPrototypes.Add(skill);
  skill = {};
  skill.Number = 45;
  g->SkillPrototypes.Add(skill);
  return g;
}

void TWorldFixture::SetUp() {
  ConnectTestOpponent();
  SavedRandom = GameData::RandomMain;
  Global = MakeGlobalData();
  Data2::GlobalData = Global.get();
}

void TWorldFixture::TearDown() {
  Scenario.reset();
  Data2::GlobalData = nullptr;
  Global.reset();
  GameData::RandomMain = SavedRandom;
}

void TWorldFixture::MakeScenario(i32 width, i32 height, i32 players) {
  Scenario = std::make_unique<GameData::TScenario>();
  Scenario->SetSize(width, height);
  std::fill(Scenario->BaseCosts.begin(), Scenario->BaseCosts.end(), 2);
  Scenario->RebuildFieldMaps();
  for (i32 i = 0; i < players; ++i) {
    auto* p = new GameData::TPlayer(Scenario.get());
    p->Colour = static_cast<u8>(i);
    p->ID = Scenario->NewID();
    Scenario->Players.Add(p);
  }
}

GameData::TUnit* TWorldFixture::NewUnit(u32 prototype) {
  auto* unit = new GameData::TUnit;
  unit->SetPrototype(GameData::FindUnitPrototype(prototype));
  Scenario->AddUnit(unit, true);
  return unit;
}

GameData::TGroup* TWorldFixture::NewGroup(u8 owner, i32 fx, i32 fy, std::initializer_list<u32> prototypes) {
  auto* group = new GameData::TGroup(Scenario.get());
  PlaceGroup(group, owner, fx, fy, prototypes);
  return group;
}

void TWorldFixture::PlaceGroup(GameData::TGroup* group, u8 owner, i32 fx, i32 fy,
                               std::initializer_list<u32> prototypes) {
  group->X = static_cast<i16>(fx * 40 + 20);
  group->Y = static_cast<i16>(fy * 40 + 20);
  group->OwnerIndex = owner;
  Scenario->AddMapObject(group);
  for (u32 p : prototypes) group->AddUnit(NewUnit(p), false, true, false);
}

}  // namespace WorldTest
