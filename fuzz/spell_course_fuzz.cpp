// Input: a spell record (number, sprites present, frame times, speed, the
// ten parameters), the source and target pixels, the caster's slot, the
// target field and who views. The course runs through Start, every Tick
// (drawn now and then on the software device) and, at its effect step, the
// map effect; then the computer opponent's questions. The world is made
// anew for every input.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "ai/ai_handler.h"
#include "combat/map_spell_effects.h"
#include "combat/spell.h"
#include "engine/data/stream.h"
#include "tests/engine/gfx/software_display.h"
#include "tools/databuilder/sprite_builder.h"
#include "world/data2/global_data.h"
#include "world/map/fog.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

using namespace GameData;

constexpr i32 MaxSteps = 3000;

class TReader {
 public:
  TReader(const uint8_t* data, size_t size) : Data(data), Size(size) {}
  u8 U8() { return At < Size ? Data[At++] : 0; }
  i16 I16() { return static_cast<i16>(U8() | U8() << 8); }

 private:
  const uint8_t* Data;
  size_t Size;
  size_t At = 0;
};

TUnitPrototype Prototype(u32 id, i16 kind, bool hero) {
  TUnitPrototype p{};
  p.ID = id;
  p.Kind = kind;
  p.Hero = hero;
  TUnitProperties& r = p.Properties;
  r.Level = 1;
  r.HitPoints = {40, 40, 5, 1};
  r.Mana = {20, 20, 2, 1};
  r.ActionPoints = {12, 12, 0, 0};
  r.Attack = {20, 20, 1, 1};
  r.CounterAttack = {10, 10, 0, 0};
  r.Defence = {10, 10, 0, 0};
  r.Sight = {3, 3, 0, 0};
  r.ExperienceBase = 100;
  r.ExperienceDelta = 50;
  r.AllowedSpells = ~0ull;
  return p;
}

std::unique_ptr<Gfx::TSprite> Sprite(u32 id, i32 frames, u16 mode) {
  Builder::TSpriteShape shape;
  shape.ID = id;
  shape.Width = 12;
  shape.Height = 8;
  shape.Frames = frames;
  shape.HotX = 6;
  shape.HotY = 4;
  shape.FrameMode = mode;
  return Builder::MakeAlphaSprite(shape, [](i32 f, i32 x, i32 y) -> u32 { return 0x80000000u | (x * 20 + y * 7 + f) * 0x10101u; },
                                  0xFF);
}

struct TFixture {
  Data2::TGlobalData Global{Data2::TGlobalData::TEmpty{}};
  TestSupport::TSoftwareDisplay Display{160, 120};
  TFixture() {
    Data2::GlobalData = &Global;
    AIHandler::ConnectToWorld();
    Global.NormalMorale = 50;
    Global.MaxMorale = 100;
    Global.DamageMoraleFactor = 10;
    Global.KillMoraleBase = 1;
    Global.KillMoralePerLevel = 3;
    Global.DamageExperience = 2;
    Global.KillExperience = 50;
    Global.DifficultyPercent[0] = Global.DifficultyPercent[1] = Global.DifficultyPercent[2] = 100;
    for (auto [id, kind, hero] : {std::tuple{1u, 1, true}, {2u, 2, false}, {3u, 4, false}, {4u, 8, false}})
      Global.UnitPrototypes.Add(Prototype(id, static_cast<i16>(kind), hero));
    std::vector<std::unique_ptr<Gfx::TSprite>> list;
    list.push_back(Sprite(1, 6, Gfx::fmSingle));
    list.push_back(Sprite(2, 4, Gfx::fmSingle));
    list.push_back(Sprite(3, 8, Gfx::fmSingle));
    list.push_back(Sprite(4, 9, Gfx::fmLastIsBackground));
    list.push_back(Sprite(5, 1, Gfx::fmLastIsBackground));  // no frame of its own
    Global.SpellSpriteList.OpenIndex(new Data::TMemoryStream(Builder::SpriteListBytes(4, std::move(list))));
    ConnectSpellModule();
  }
};

std::unique_ptr<TScenario> MakeWorld() {
  auto s = std::make_unique<TScenario>();
  s->SetSize(16, 16);
  std::fill(s->BaseCosts.begin(), s->BaseCosts.end(), 2);
  s->RebuildFieldMaps();
  for (i32 i = 0; i < 3; ++i) s->Players.Add(new TPlayer(s.get()));
  s->Players[1]->Relations[2] = s->Players[2]->Relations[1] = rHostile;
  const auto group = [&](u8 owner, i32 fx, i32 fy, std::initializer_list<u32> prototypes) {
    auto* g = new TGroup(s.get());
    g->X = static_cast<i16>(fx * 40 + 20);
    g->Y = static_cast<i16>(fy * 40 + 20);
    g->OwnerIndex = owner;
    s->AddMapObject(g);
    for (u32 p : prototypes) {
      auto* u = new TUnit;
      u->SetPrototype(FindUnitPrototype(p));
      g->AddUnit(u, true, true, true);
    }
    return g;
  };
  TGroup* casters = group(1, 4, 4, {1, 2});
  group(2, 6, 4, {2, 3, 4});
  group(2, 0, 0, {3});
  group(0, 5, 5, {4});
  group(1, 6, 6, {2, 2, 2});
  s->CurrentPlayerIndex = 1;
  s->Players[1]->Select(casters);
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TFixture fixture;
  TReader in(data, size);
  TSpellPrototype record{};
  const u8 pick = in.U8();
  record.Number = static_cast<i16>(pick % 125 + 1);
  const u8 sprites = in.U8();
  record.CastSpriteID = sprites & 1 ? (sprites & 16 ? 5 : 1) : 0;
  record.FlightSpriteID = sprites & 2 ? 2 : 0;
  record.ImpactSpriteID = sprites & 4 ? (sprites & 8 ? 4 : 3) : 0;
  record.CastFrameTime = in.U8();
  record.FlightFrameTime = in.U8();
  record.ImpactFrameTime = in.U8();
  record.FlightSpeed = static_cast<u16>(in.I16());
  record.Level = static_cast<i16>(in.U8() % 8);
  record.Class = static_cast<i16>(in.U8() % 4);
  for (i16& p : record.Params) p = in.I16();
  const i32 sx = in.I16(), sy = in.I16(), tx = in.I16(), ty = in.I16();
  const i32 slot = in.U8() % 4, fx = static_cast<i8>(in.U8()), fy = static_cast<i8>(in.U8());
  const u8 viewer = in.U8();

  fixture.Global.SpellPrototypes.Clear();
  fixture.Global.SpellPrototypes.Add(record);
  TSpellPrototype& spell = fixture.Global.SpellPrototypes[0];
  std::unique_ptr<TScenario> world = MakeWorld();
  world->ViewingPlayer = viewer % 4 < 3 ? world->PlayerAt(viewer % 4) : nullptr;
  if (world->ViewingPlayer && (viewer & 4))
    std::fill(world->ViewingPlayer->Fog->States.begin(), world->ViewingPlayer->Fog->States.end(), fsVisible);
  SeedRandom(RandomMain, 1);

  TSpell course;
  course.Scenario = world.get();
  try {
    course.Init(&spell, 100);
  } catch (const std::exception&) {
    return 0;
  }
  course.Start(sx, sy, tx, ty);
  Plat::TSurface* back = D3DFramework->BackBuffer;
  D3DFramework->Device3D->BeginScene();
  for (i32 step = 0; step < MaxSteps && !course.Finished; ++step) {
    course.Tick();
    if (step % 16 == 0) course.Draw(back, -world->ViewX, -world->ViewY, 0);
    if (course.EffectFlag) world->ApplySpellEffect(slot, spell.Number, fx, fy);
  }
  D3DFramework->Device3D->EndScene();

  const TRandomState main = RandomMain;
  world->SpellHasEffect(slot, spell.Number, fx, fy);
  TGroup* target = world->GetGroupAt(std::clamp(fx, 0, 15), std::clamp(fy, 0, 15), nullptr);
  TPlayer* current = world->PlayerAt(1);
  TGroup* own = current->GetSelectedGroup();
  if (target && own && own->Units[0]) {
    TUnit caster;
    caster.CopyCombatState(own->Units[0]);
    TGroup copy(world.get());
    TUnit units[MaxGroupUnits];
    for (i32 k = 0; k < MaxGroupUnits; ++k)
      if (target->Units[k]) {
        units[k].CopyCombatState(target->Units[k]);
        units[k].Kind = target->Units[k]->Kind;
        copy.Units[k] = &units[k];
      }
    world->SimulateSpellEffect(&caster, spell.Number, &copy);
    copy.ClearSlots();
  }
  if (main.Low != RandomMain.Low || main.High != RandomMain.High) __builtin_trap();
  return 0;
}
