#include "tests/combat/spell_fixture.h"

#include <memory>

#include "combat/map_spell_effects.h"
#include "engine/data/stream.h"
#include "tools/databuilder/sprite_builder.h"
#include "world/map/fog.h"
#include "world/scenario/player.h"
#include "world/scenario/spell_course.h"

namespace CombatTest {

using namespace GameData;

TAudioStream* FakeSound(int which) {
  static char sounds[8];
  return reinterpret_cast<TAudioStream*>(&sounds[which]);
}

namespace {

std::unique_ptr<Gfx::TSprite> Sprite(u32 id, i32 frames, u16 mode, u32 colour) {
  Builder::TSpriteShape shape;
  shape.ID = id;
  shape.Width = 16;
  shape.Height = 12;
  shape.Frames = frames;
  shape.HotX = 8;
  shape.HotY = 6;
  shape.FrameMode = mode;
  return Builder::MakeAlphaSprite(
      shape,
      [colour](i32 frame, i32 x, i32 y) -> u32 {
        const i32 dx = x - 8, dy = y - 6;
        if (dx * dx * 9 + dy * dy * 16 > 576) return 0;
        const u32 fade = static_cast<u32>(255 - frame * 20);
        return fade << 24 | (colour & 0xFFFFFF) | static_cast<u32>(x * 8) << 8;
      },
      0xFF);
}

}  // namespace

GameData::TSpellPrototype TSpellFixture::Record(i16 number, i16 level) {
  TSpellPrototype s{};
  s.Number = number;
  s.Usage = number > 64 ? 2 : 1;
  s.Level = level;
  s.Class = 1;
  s.ManaCost = 1;
  s.APCost = 1;
  s.CastExperience = 10;
  s.TargetFlags = 8;
  s.CastSpriteID = CastSprite;
  s.FlightSpriteID = FlightSprite;
  s.ImpactSpriteID = ImpactSprite;
  s.CastSound = FakeSound(0);
  s.FlightSound = FakeSound(1);
  s.ImpactSound = FakeSound(2);
  s.CastFrameTime = CastTime;
  s.FlightFrameTime = FlightTime;
  s.ImpactFrameTime = ImpactTime;
  s.FlightSpeed = Speed;
  return s;
}

void TSpellFixture::SetUp() {
  TWorldFixture::SetUp();
  MakeScenario(16, 16, 3);
  std::vector<std::unique_ptr<Gfx::TSprite>> list;
  list.push_back(Sprite(CastSprite, 6, Gfx::fmSingle, 0xFF4020));
  list.push_back(Sprite(FlightSprite, 4, Gfx::fmSingle, 0x40C0FF));
  list.push_back(Sprite(ImpactSprite, 8, Gfx::fmSingle, 0xFFE040));
  list.push_back(Sprite(BackgroundImpact, 9, Gfx::fmLastIsBackground, 0x60FF60));
  Global->SpellSpriteList.OpenIndex(new Data::TMemoryStream(Builder::SpriteListBytes(4, std::move(list))));
  ConnectSpellModule();
  ConnectSoundOutput(&Sounds);
}

void TSpellFixture::TearDown() {
  ConnectSoundOutput(nullptr);
  ConnectSpellRules({});
  TWorldFixture::TearDown();
}

void TSpellFixture::AddSpells(std::initializer_list<GameData::TSpellPrototype> records) {
  for (const TSpellPrototype& r : records) Global->SpellPrototypes.Add(r);
}

GameData::TSpellPrototype& TSpellFixture::SpellRecord(i32 number) {
  return Global->SpellPrototypes[Global->FindSpellPrototype(static_cast<i16>(number))];
}

std::unique_ptr<GameData::TSpell> TSpellFixture::Started(i32 number, i32 sx, i32 sy, i32 tx, i32 ty) {
  auto spell = std::make_unique<TSpell>();
  spell->Scenario = Scenario.get();
  spell->Init(&SpellRecord(number), 100);
  spell->Start(sx, sy, tx, ty);
  return spell;
}

void TSpellFixture::SeeOnly(GameData::TPlayer* viewer, std::initializer_list<std::pair<i32, i32>> fields) {
  Scenario->ViewingPlayer = viewer;
  std::fill(viewer->Fog->States.begin(), viewer->Fog->States.end(), fsExplored);
  for (auto [x, y] : fields) viewer->Fog->SetState(x, y, fsVisible);
}

void TSpellFixture::SeeAll(GameData::TPlayer* viewer) {
  Scenario->ViewingPlayer = viewer;
  std::fill(viewer->Fog->States.begin(), viewer->Fog->States.end(), fsVisible);
}

}  // namespace CombatTest
