#include <algorithm>
#include <cstdlib>
#include <functional>
#include <cstring>

#include "engine/dsframe/dsframe.h"
#include "engine/gfx/sprite_list.h"
#include "tests/world/world_fixture.h"
#include "tools/databuilder/sound_builder.h"
#include "tools/databuilder/sprite_builder.h"
#include "world/map/doodle.h"
#include "world/map/drawing.h"
#include "world/scenario/settings.h"

namespace WorldTest {
namespace {

using namespace GameData;

// Scenario sprites.
constexpr u32 Box = 5;       // 80 x 60, hot spot (30, 50), 4 frames
constexpr u32 Wide = 6;      // 120 x 40, hot spot (60, 20), 1 frame
constexpr u32 Five = 7;      // 5 frames
constexpr u32 LastBack = 8;  // 6 frames, the last one the background
// Unit sprite of the corpses.
constexpr u32 DieSprite = 100;

std::unique_ptr<Gfx::TSprite> Sprite(u32 id, i16 w, i16 h, i32 frames, i16 hx, i16 hy, u16 mode = Gfx::fmSingle) {
  Builder::TSpriteShape shape;
  shape.ID = id;
  shape.Width = w;
  shape.Height = h;
  shape.Frames = frames;
  shape.HotX = hx;
  shape.HotY = hy;
  shape.FrameMode = mode;
  return Builder::MakeSprite16(shape, Builder::SolidPixels(id));
}

TDoodlePrototype Proto(u32 id, u32 sprite) {
  TDoodlePrototype p{};
  p.ID = id;
  p.SpriteID = sprite;
  p.Layer = 11;
  std::snprintf(p.Name, sizeof p.Name, "Baum %u", id);
  p.Valid = 1;
  return p;
}

class MapObjects : public TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    MakeScenario(16, 16, 3);
    std::vector<std::unique_ptr<Gfx::TSprite>> sprites;
    sprites.push_back(Sprite(Box, 80, 60, 4, 30, 50));
    sprites.push_back(Sprite(Wide, 120, 40, 1, 60, 20));
    sprites.push_back(Sprite(Five, 8, 8, 5, 0, 0));
    sprites.push_back(Sprite(LastBack, 8, 8, 6, 0, 0, Gfx::fmLastIsBackground));
    Scenario->Sprites->OpenIndex(new Data::TMemoryStream(Builder::SpriteListBytes(1, std::move(sprites))));
    std::vector<std::unique_ptr<Gfx::TSprite>> units;
    units.push_back(Sprite(DieSprite, 40, 30, 3, 20, 25));
    Global->UnitSpriteList.OpenIndex(new Data::TMemoryStream(Builder::SpriteListBytes(2, std::move(units))));
  }

  // Prototypes kept in the scenario, all at once: doodles point into the array.
  void AddProtos(std::initializer_list<TDoodlePrototype> list) {
    for (const TDoodlePrototype& p : list) Scenario->DoodlePrototypes.Add(p);
  }
  TDoodlePrototype& P(i32 i) { return Scenario->DoodlePrototypes[i]; }
  // A doodle of the prototype standing at the pixel position (not in the list).
  std::unique_ptr<TDoodle> MakeDoodle(const TDoodlePrototype& p, i32 x, i32 y) {
    auto d = std::make_unique<TDoodle>(Scenario.get());
    d->X = static_cast<i16>(x);
    d->Y = static_cast<i16>(y);
    d->SetPrototype(&p);
    return d;
  }
  // By address only: the object may be gone.
  bool InList(const TMapObject* o) const {
    return std::find(Scenario->MapObjects.begin(), Scenario->MapObjects.end(), o) != Scenario->MapObjects.end();
  }
  static i32 Refs(Gfx::TSpriteList& list, u32 id) { return list.Index[list.IndexOfID(id)].RefCount; }
  i32 SceneRefs(u32 id) { return Refs(*Scenario->Sprites, id); }
  i32 UnitRefs() { return Refs(Global->UnitSpriteList, DieSprite); }
};

TEST_F(MapObjects, RectanglesHitTestAndDrawState) {
  AddProtos({Proto(1, Box)});
  auto d = MakeDoodle(P(0), 100, 200);
  const Base::TRect r{70, 150, 150, 210};
  EXPECT_EQ(d->GetSpriteRect(), r);
  EXPECT_EQ(d->GetRect(), r);
  EXPECT_EQ(d->GetMarkerRect(), r);
  EXPECT_EQ(d->GetDrawRect(), r);
  EXPECT_EQ(d->Layer, 11) << "the prototype's layer";
  EXPECT_EQ(d->Caption, "Objekte");

  struct {
    i32 x, y;
    bool hit;
  } points[] = {{70, 150, true}, {149, 209, true}, {150, 180, false}, {100, 210, false}, {69, 180, false}};
  for (const auto& c : points) EXPECT_EQ(d->HitTest(c.x, c.y), c.hit) << c.x << "," << c.y;
  EXPECT_TRUE(d->IntersectsRect({149, 209, 300, 300}));
  EXPECT_FALSE(d->IntersectsRect({150, 0, 300, 300}));

  // Nothing to show: empty rectangle, hit nowhere, not even at its corner.
  TDoodle bare(Scenario.get());
  EXPECT_EQ(bare.GetSpriteRect(), Base::TRect{});
  EXPECT_FALSE(bare.HitTest(0, 0));
  EXPECT_FALSE(bare.IntersectsRect({-10, -10, 10, 10}));

  // The position decides whether it stands on the map.
  struct {
    i32 x, y;
    bool on;
  } places[] = {{20, 20, true}, {639, 639, true}, {640, 20, false}, {20, 640, false}};
  for (const auto& c : places) {
    bare.X = static_cast<i16>(c.x);
    bare.Y = static_cast<i16>(c.y);
    EXPECT_EQ(bare.IsOnMap(), c.on) << c.x << "," << c.y;
  }

  d->StoreDrawState();
  EXPECT_FALSE(d->DrawStateChanged());
  d->Select();
  EXPECT_TRUE(d->DrawStateChanged());
  d->StoreDrawState();
  EXPECT_FALSE(d->DrawStateChanged());
  d->Frame = (d->GetFrame() + 1) % 4;
  EXPECT_TRUE(d->DrawStateChanged()) << "a new frame";
  d->StoreDrawState();
  d->X = 101;
  EXPECT_TRUE(d->DrawStateChanged()) << "a new rectangle";
  d->StoreDrawState();
  d->Changed = 1;
  EXPECT_TRUE(d->DrawStateChanged()) << "forced";
  d->StoreDrawState();
  EXPECT_EQ(d->Changed, 0);
}

TEST_F(MapObjects, DoodleFieldEffects) {
  auto effect = [](TDoodlePrototype p, u16 kind, i16 height, i16 cost) {
    p.FieldEffect = kind;
    p.HeightChange = height;
    p.MoveCostChange = cost;
    return p;
  };
  AddProtos({effect(Proto(1, Box), 1, 7, 3), effect(Proto(2, Wide), 2, -4, 300), effect(Proto(3, Box), 1, 0, -10),
             effect(Proto(4, 0), 2, 5, 5), effect(Proto(5, Wide), 2, 1, 0), effect(Proto(6, Wide), 2, 1, 1)});
  TDoodlePrototype &own = P(0), &wide = P(1), &lower = P(2), &nothing = P(3), &edge = P(4), &offMap = P(5);

  // Own field (3, 4), twice: the modifiers add up.
  Scenario->AddMapObject(MakeDoodle(own, 3 * 40 + 20, 4 * 40 + 20).release());
  Scenario->AddMapObject(MakeDoodle(own, 3 * 40 + 5, 4 * 40 + 39).release());
  // Sprite pixels 10..130 across, 40..80 down: fields 0..2 of row 1; the cost passes 255.
  Scenario->AddMapObject(MakeDoodle(wide, 70, 60).release());
  // A lowering change stops at 0.
  Scenario->AddMapObject(MakeDoodle(lower, 5 * 40 + 20, 9 * 40 + 20).release());
  // Without a sprite there is no field under it.
  Scenario->AddMapObject(MakeDoodle(nothing, 20, 20).release());
  // Pixels 590..710: fields 15.. clipped to the map.
  Scenario->AddMapObject(MakeDoodle(edge, 650, 12 * 40 + 20).release());
  // Wholly left of the map: nothing.
  Scenario->AddMapObject(MakeDoodle(offMap, -60, 14 * 40 + 20).release());
  // Switched off: nothing.
  auto off = MakeDoodle(own, 8 * 40 + 20, 8 * 40 + 20);
  off->Active = 0;
  Scenario->AddMapObject(off.release());
  Scenario->BaseHeights[Scenario->FieldIndex(3, 4)] = 100;
  Scenario->RebuildFieldMaps();

  struct {
    i32 fx, fy;
    i16 height;
    u8 cost;
  } fields[] = {
      {3, 4, 114, 8},  {2, 4, 0, 2},   {4, 4, 0, 2},   {0, 1, -4, 255}, {1, 1, -4, 255}, {2, 1, -4, 255},
      {3, 1, 0, 2},    {0, 0, 0, 2},   {0, 2, 0, 2},   {5, 9, 0, 0},    {15, 12, 1, 2},  {14, 12, 0, 2},
      {0, 14, 0, 2},   {8, 8, 0, 2},
  };
  for (const auto& f : fields) {
    EXPECT_EQ(Scenario->HeightAt(f.fx, f.fy), f.height) << f.fx << "," << f.fy;
    EXPECT_EQ(Scenario->CostAt(f.fx, f.fy), f.cost) << f.fx << "," << f.fy;
  }

  // Rebuilding starts again from the base values.
  Scenario->RebuildFieldMaps();
  EXPECT_EQ(Scenario->HeightAt(3, 4), 114);
  EXPECT_EQ(Scenario->CostAt(3, 4), 8);
}

TEST_F(MapObjects, DoodleAnimationKinds) {
  auto anim = [](TDoodlePrototype p, u16 kind, i16 delay, i16 pause) {
    p.AnimationKind = kind;
    p.FrameDelay = delay;
    p.PauseChance = pause;
    return p;
  };
  AddProtos({anim(Proto(1, Box), 0, 2, 0), anim(Proto(2, Box), 1, 3, 0), anim(Proto(3, Box), 2, 1, 0),
             anim(Proto(4, Box), 2, 1, 30000), anim(Proto(5, Wide), 1, 1, 0), anim(Proto(6, Box), 1, 0, 0),
             anim(Proto(7, Box), 3, 1, 0), anim(Proto(8, LastBack), 1, 1, 0)});
  TDoodlePrototype &still = P(0), &loop = P(1), &pausing = P(2), &rarely = P(3), &single = P(4), &noDelay = P(5),
                   &unknown = P(6), &background = P(7);

  // Frames seen after each of n ticks, starting from frame 0.
  auto run = [&](const TDoodlePrototype& p, int n, i32 start = 0) {
    auto d = MakeDoodle(p, 100, 100);
    d->Frame = start;
    std::vector<i32> frames;
    for (int i = 0; i < n; ++i) {
      d->Tick();
      frames.push_back(d->GetFrame());
    }
    EXPECT_EQ(d->TickCounter, n);
    return frames;
  };
  using V = std::vector<i32>;
  EXPECT_EQ(run(still, 4), (V{0, 0, 0, 0}));
  EXPECT_EQ(run(loop, 12), (V{0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 0}));
  EXPECT_EQ(run(pausing, 5), (V{1, 2, 3, 0, 1})) << "pause chance 0 never pauses";
  EXPECT_EQ(run(single, 3), (V{0, 0, 0}));
  EXPECT_EQ(run(noDelay, 3), (V{0, 0, 0}));
  EXPECT_EQ(run(unknown, 3), (V{0, 0, 0}));
  EXPECT_EQ(run(background, 6), (V{1, 2, 3, 4, 0, 1})) << "the background frame is skipped";

  // Away from frame 0 a pausing doodle always moves on; at 0 it waits for a 1 in 30000 draw.
  std::srand(1);
  EXPECT_EQ(run(rarely, 4, 2), (V{3, 0, 0, 0}));

  // The doodle's own copy of the pause chance is not what decides.
  auto d = MakeDoodle(pausing, 100, 100);
  d->PauseChance = 30000;
  for (int i = 0; i < 4; ++i) d->Tick();
  EXPECT_EQ(d->GetFrame(), 0);
  d->Tick();
  EXPECT_EQ(d->GetFrame(), 1);

  // A looping doodle starts on a random frame of its sprite.
  for (int i = 0; i < 20; ++i) {
    auto r = MakeDoodle(loop, 0, 0);
    EXPECT_GE(r->Frame, 0);
    EXPECT_LT(r->Frame, 4);
  }
  // A frame the sprite lacks shows frame 0.
  d->Frame = 4;
  EXPECT_EQ(d->GetFrame(), 0);
  d->Frame = -3;
  EXPECT_EQ(d->GetFrame(), 0);
}

TEST_F(MapObjects, AmbientVolumeFallsWithDistance) {
  struct {
    u32 volume;
    i32 sfx, distance, expected;
  } cases[] = {
      {80, 100, 400, 30}, {80, 100, 1000, 0}, {80, 100, 150, 80}, {80, 100, 154, 80}, {80, 100, 155, 79},
      {80, 50, 0, 40},    {80, 0, 0, 0},      {250, 100, 0, 100}, {0xFFFFFFFF, 100, 0, 100},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AmbientVolume(c.volume, c.sfx, c.distance), c.expected) << c.volume << " " << c.sfx << " " << c.distance;
}

TEST_F(MapObjects, AmbientSoundFollowsTheView) {
  constexpr u32 Brook = 3;
  const std::vector<i16> water(4000, 100);
  Builder::TAudioListBuilder sounds;
  sounds.Add(Brook, AudioEntryAX, Builder::WriteAX({22050, 16, 1, 2}, water.data(), 4000, false));
  Global->SoundList.Open(new Data::TMemoryStream(sounds.Bytes()), true);
  TDoodlePrototype quiet = Proto(1, Box);
  TDoodlePrototype brook = Proto(2, Box);
  brook.SoundID = Brook;
  brook.SoundVolume = 80;
  AddProtos({quiet, brook});
  // The view centre is (285, 300); the box's centre lies 10 pixels right of
  // its position and 20 above: 400 pixels right of the view's.
  auto d = MakeDoodle(P(1), 285 + 400 - 10, 320);
  auto silent = MakeDoodle(P(0), 285, 300);

  d->UpdateSound();
  EXPECT_EQ(d->SoundTrack, -1) << "no sound device";

  Plat::SetSoundOutputKind(Plat::TSoundOutputKind::Manual);
  DSFramework = new DSFrame::TDSFramework(nullptr);
  DSFramework->Initialize(-1, 0x28, 16, 3, 500, 44100, 16, 2);
  silent->Tick();
  EXPECT_EQ(silent->SoundTrack, -1);
  d->Tick();
  ASSERT_EQ(d->SoundTrack, 3);
  const DSFrame::TTrack& t = DSFramework->Tracks[3];
  EXPECT_EQ(t.Volume, 30);
  EXPECT_EQ(t.Flags & (DSFrame::tfLoop | DSFrame::tfFadeIn), DSFrame::tfLoop | DSFrame::tfFadeIn);

  Scenario->ViewX = -600;  // 1000 pixels away: silent, but the track stays
  d->Tick();
  EXPECT_EQ(t.Volume, 0);
  EXPECT_TRUE(DSFramework->IsPlaying(3));
  Scenario->ViewX = 0;
  Scenario->BattleRunning = 1;
  d->Tick();
  EXPECT_EQ(t.Volume, 0) << "not while a battle runs";
  Scenario->BattleRunning = 0;
  Scenario->ViewX = 400;  // right on it, with the effects at half volume
  Main::SFXVolume = 50;
  d->Tick();
  EXPECT_EQ(t.Volume, 40);
  Main::SFXVolume = 100;

  d->StopSound();
  EXPECT_EQ(d->SoundTrack, -1);
  EXPECT_TRUE(t.Flags & DSFrame::tfFading);
  EXPECT_EQ(t.FadeTo, DSFrame::FadeFloor);
  delete DSFramework;
  DSFramework = nullptr;
  Plat::SetSoundOutputKind(Plat::TSoundOutputKind::Sdl);
}

TEST_F(MapObjects, AnimationTiming) {
  struct {
    u32 sprite;
    i32 frameDelay, startDelay;
    std::vector<i32> advances;  // ticks at which the frame moves on; the last one finishes
  } cases[] = {
      {Five, 2, 20, {20, 22, 24, 26, 28}},
      {Five, 0, 3, {3, 4, 5, 6, 7}},
      {Five, 1, 0, {1, 2, 3, 4, 5}},
      {LastBack, 3, 0, {3, 6, 9, 12, 15}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.sprite << " " << c.frameDelay << " " << c.startDelay);
    auto a = std::make_unique<TAnimation>(Scenario.get());
    a->Init(c.sprite, 200, 300, 12, c.frameDelay, c.startDelay);
    EXPECT_EQ(a->X, 200);
    EXPECT_EQ(a->Layer, 12);
    EXPECT_EQ(SceneRefs(c.sprite), 1);
    std::vector<i32> advances;
    for (i32 tick = 1; tick <= 40 && !a->Finished; ++tick) {
      i32 before = a->Frame;
      a->Changed = 0;
      a->Tick();
      EXPECT_EQ(a->GetSprite() == nullptr, a->Finished || tick < c.startDelay) << tick;
      if (a->Frame != before) {
        advances.push_back(tick);
        EXPECT_EQ(a->Changed, 1);
      }
    }
    EXPECT_EQ(advances, c.advances);
    EXPECT_EQ(a->Finished, 1);
    EXPECT_EQ(a->Sprite, nullptr);
    EXPECT_EQ(SceneRefs(c.sprite), 0) << "given back on finishing";
    i32 ticks = a->TickCounter;
    a->Tick();
    EXPECT_EQ(a->TickCounter, ticks) << "nothing without a sprite";
  }

  // Invisible before the start delay: no sprite, no rectangle, no hit.
  TAnimation a(Scenario.get());
  a.Init(Box, 100, 100, 10, 1, 20);
  for (int i = 0; i < 19; ++i) a.Tick();
  EXPECT_EQ(a.GetSprite(), nullptr);
  EXPECT_FALSE(a.HitTest(100, 100));
  a.Tick();
  EXPECT_NE(a.GetSprite(), nullptr);
  EXPECT_TRUE(a.HitTest(100, 100));

  // Sprite 0 is no picture; Clear gives the sprite back.
  TAnimation none(Scenario.get());
  none.Init(0, 1, 1, 10, 1, 0);
  EXPECT_EQ(none.Sprite, nullptr);
  a.Clear();
  EXPECT_EQ(SceneRefs(Box), 0);
  EXPECT_EQ(a.FrameDelay, 1);
  EXPECT_EQ(a.StartDelay, 0);
  EXPECT_EQ(a.TickCounter, 0);
}

TEST_F(MapObjects, CorpsesUseTheUnitSpritesAndDecay) {
  {
    TCorpse c(Scenario.get());
    c.Init(DieSprite, 2, 60, 100, 9);
    EXPECT_EQ(UnitRefs(), 1);
    EXPECT_EQ(c.GetFrame(), 2);
    EXPECT_EQ(c.GetSpriteRect(), (Base::TRect{40, 75, 80, 105}));
    c.Clear();
    EXPECT_EQ(UnitRefs(), 0);
    EXPECT_EQ(c.Frame, 0);
    EXPECT_EQ(c.Reserved, 0);
    c.Init(DieSprite, 1, 0, 0, 9);
  }
  EXPECT_EQ(UnitRefs(), 0) << "the destructor gives the sprite back";

  struct {
    i32 lifetime;
    int gone;  // the round in which it disappears, 0 never
  } cases[] = {{1, 1}, {3, 3}, {-1, 0}};
  std::vector<TNaturalCorpse*> corpses;
  for (const auto& c : cases) {
    auto* corpse = new TNaturalCorpse(Scenario.get());
    corpse->Init(DieSprite, 2, 60, 100, 9, c.lifetime);
    Scenario->AddMapObject(corpse);
    corpses.push_back(corpse);
  }
  auto* plain = new TCorpse(Scenario.get());
  plain->Init(DieSprite, 2, 60, 100, 9);
  Scenario->AddMapObject(plain);
  EXPECT_EQ(UnitRefs(), 4);

  for (int round = 1; round <= 10; ++round) {
    Scenario->NewRound();
    for (std::size_t i = 0; i < corpses.size(); ++i) {
      bool gone = cases[i].gone != 0 && round >= cases[i].gone;
      EXPECT_EQ(!InList(corpses[i]), gone) << "round " << round << " corpse " << i;
    }
  }
  EXPECT_TRUE(InList(plain)) << "a plain corpse stays";
  EXPECT_EQ(corpses[2]->Lifetime, -1);
  EXPECT_EQ(UnitRefs(), 2) << "removed corpses gave their sprites back";
}

// Each kind of object, saved, loaded into a fresh one and saved again.
TEST_F(MapObjects, StreamsRoundTripAndRefuseDamage) {
  AddProtos({Proto(41, Wide), Proto(42, Box)});
  TDoodlePrototype& tree = P(1);
  tree.AnimationKind = 1;
  tree.FrameDelay = 2;
  tree.PauseChance = 9;

  auto doodle = MakeDoodle(tree, 300, 260);
  doodle->ID = 1500;
  doodle->Active = 0;
  doodle->Frame = 3;
  doodle->TickCounter = 77;
  TDrawing drawing(Scenario.get());
  drawing.ID = 1501;
  drawing.Init(nullptr, 0, -30, 45, 13);
  TAnimation animation(Scenario.get());
  animation.ID = 1502;
  animation.Init(Five, 80, 90, 14, 3, 5);
  for (int i = 0; i < 8; ++i) animation.Tick();
  TCorpse corpse(Scenario.get());
  corpse.ID = 1503;
  corpse.Init(DieSprite, 2, 60, 100, 9);
  TNaturalCorpse natural(Scenario.get());
  natural.ID = 1504;
  natural.Init(DieSprite, 1, 61, 101, 9, 4);

  struct TCase {
    const char* name;
    TMapObject* original;
    std::function<std::unique_ptr<TMapObject>()> make;
  } cases[] = {
      {"doodle", doodle.get(), [&] { return std::make_unique<TDoodle>(Scenario.get()); }},
      {"drawing", &drawing, [&] { return std::make_unique<TDrawing>(Scenario.get()); }},
      {"animation", &animation, [&] { return std::make_unique<TAnimation>(Scenario.get()); }},
      {"corpse", &corpse, [&] { return std::make_unique<TCorpse>(Scenario.get()); }},
      {"natural corpse", &natural, [&] { return std::make_unique<TNaturalCorpse>(Scenario.get()); }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    Data::TMemoryStream first;
    c.original->Save(first);
    first.SetPosition(0);
    auto copy = c.make();
    copy->Load(first);
    EXPECT_EQ(first.GetPosition(), static_cast<i64>(first.Memory().size())) << "read to the end";
    Data::TMemoryStream second;
    copy->Save(second);
    EXPECT_EQ(second.AsString(), first.AsString());
    EXPECT_EQ(copy->ID, c.original->ID);
    EXPECT_EQ(copy->X, c.original->X);
    EXPECT_EQ(copy->Y, c.original->Y);
    EXPECT_EQ(copy->Layer, c.original->Layer);
    EXPECT_EQ(copy->GetSprite(), c.original->GetSprite()) << "the same shared sprite";
    EXPECT_EQ(copy->GetFrame(), c.original->GetFrame());

    // Every shorter stream fails cleanly.
    const std::string bytes = first.AsString();
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
      Data::TMemoryStream truncated(bytes.substr(0, cut));
      auto broken = c.make();
      EXPECT_THROW(broken->Load(truncated), std::runtime_error) << cut;
    }
  }

  // Fields beyond the common part.
  Data::TMemoryStream s;
  doodle->Save(s);
  s.SetPosition(0);
  TDoodle d2(Scenario.get());
  d2.Load(s);
  EXPECT_EQ(d2.Prototype, &tree);
  EXPECT_EQ(d2.Caption, "Baum 42");
  EXPECT_EQ(d2.Active, 0);
  EXPECT_EQ(d2.PauseChance, 9);
  EXPECT_EQ(d2.TickCounter, 77);
  EXPECT_EQ(SceneRefs(Box), 2);

  Data::TMemoryStream sa;
  animation.Save(sa);
  sa.SetPosition(0);
  TAnimation a2(Scenario.get());
  a2.Load(sa);
  EXPECT_EQ(a2.Frame, 2);
  EXPECT_EQ(a2.TickCounter, 8);
  EXPECT_EQ(a2.FrameDelay, 3);
  EXPECT_EQ(a2.StartDelay, 5);
  EXPECT_EQ(SceneRefs(Five), 2);

  Data::TMemoryStream sn;
  natural.Save(sn);
  sn.SetPosition(0);
  TNaturalCorpse n2(Scenario.get());
  n2.Load(sn);
  EXPECT_EQ(n2.Lifetime, 4);
  EXPECT_EQ(n2.Type, otNaturalCorpse);
}

TEST_F(MapObjects, StreamErrorsAreNamed) {
  auto message = [](TMapObject& target, const std::string& bytes) -> std::string {
    Data::TMemoryStream s(bytes);
    try {
      target.Load(s);
    } catch (const Data::EInvalidData& e) {
      return e.what();
    }
    return "loaded";
  };
  AddProtos({Proto(42, Box)});
  auto doodle = MakeDoodle(P(0), 300, 260);
  TCorpse corpse(Scenario.get());
  corpse.Init(DieSprite, 2, 60, 100, 9);
  TNaturalCorpse natural(Scenario.get());
  Data::TMemoryStream doodleBytes, corpseBytes;
  doodle->Save(doodleBytes);
  corpse.Save(corpseBytes);

  // The stored type must be the object's own.
  EXPECT_EQ(message(natural, corpseBytes.AsString()), "Invalid data.");
  TDrawing drawing(Scenario.get());
  EXPECT_EQ(message(drawing, corpseBytes.AsString()), "Invalid data.");
  TAnimation animation(Scenario.get());
  EXPECT_EQ(message(animation, doodleBytes.AsString()), "Invalid data.");

  // A prototype the scenario does not know (here 0, "none") is refused.
  TDoodle target(Scenario.get());
  std::string bytes = doodleBytes.AsString();
  bytes[12] = 43;
  EXPECT_EQ(message(target, bytes), "Prototype not found.");
  std::memset(&bytes[12], 0, 4);
  EXPECT_EQ(message(target, bytes), "Prototype not found.");
  bytes[12] = 42;
  EXPECT_EQ(message(target, bytes), "loaded");

  // A picture the sprite list lacks fails cleanly as well.
  std::string noSprite = corpseBytes.AsString();
  noSprite[noSprite.size() - 4] = 99;
  Data::TMemoryStream damaged(noSprite);
  TCorpse other(Scenario.get());
  EXPECT_THROW(other.Load(damaged), std::runtime_error);
  EXPECT_EQ(UnitRefs(), 1);
}

}  // namespace
}  // namespace WorldTest
