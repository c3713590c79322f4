#include <algorithm>
#include <cstdlib>
#include <vector>

#include "engine/dxapp/dxapp.h"
#include "tests/world/world_fixture.h"
#include "world/map/drawing.h"
#include "world/scenario/settings.h"
#include "world/scenario/sound.h"
#include "world/scenario/spell_course.h"
#include "world/units/group.h"

namespace WorldTest {
namespace {

using namespace GameData;

// Records what the world asks of the sound device.
class TSoundLog : public TSoundOutput {
 public:
  struct TCall {
    char Kind;  // 'e' effect, 'b' background, 's' stop
    u32 Sound;
    i32 Volume;
    u32 Time;
  };
  void PlayEffect(u32 soundID, i32 volume) override { Calls.push_back({'e', soundID, volume, DXApplication->GameTime}); }
  void PlayBackgroundSound(u32 soundID, i32 volume, bool, bool fadeIn, bool loop) override {
    EXPECT_TRUE(fadeIn && loop);
    Calls.push_back({'b', soundID, volume, DXApplication->GameTime});
    Playing = true;
  }
  void StopBackgroundSound(bool fade) override {
    EXPECT_TRUE(fade);
    Calls.push_back({'s', 0, 0, DXApplication->GameTime});
    Playing = false;
  }
  bool IsBackgroundSoundPlaying() override { return Playing; }
  std::vector<TCall> Calls;
  bool Playing = false;
};

// A spell whose effect comes in frame 2 and which ends after frame 4.
class TTestSpell : public TSpellCourse {
 public:
  void Tick() override {
    ++Frame;
    EffectFlag = Frame == 2;
    Finished = Frame >= 4;
  }
};

// A group whose own tick does nothing, so its animation state stays as set.
class THeldGroup : public TGroup {
 public:
  using TGroup::TGroup;
  void Tick() override {}
};

struct TEffectCall {
  i32 Slot, Spell, X, Y;
};
std::vector<TEffectCall> Effects;
void RecordEffect(TScenario&, i32 slot, i32 spell, i32 x, i32 y) { Effects.push_back({slot, spell, x, y}); }

class ScenarioTick : public TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    MakeScenario();
    SavedTime = DXApplication->GameTime;
    SavedVolume = Main::SFXVolume;
    ConnectSoundOutput(&Sounds);
    ConnectSpellEffect(RecordEffect);
    Effects.clear();
  }
  void TearDown() override {
    ConnectSoundOutput(nullptr);
    ConnectSpellEffect(nullptr);
    DXApplication->GameTime = SavedTime;
    Main::SFXVolume = SavedVolume;
    TWorldFixture::TearDown();
  }
  // Ticks at the game times t0, t0 + step, ... (as many as given).
  void TickAt(u32 t0, u32 step, i32 count) {
    for (i32 i = 0; i < count; ++i) {
      DXApplication->GameTime = t0 + static_cast<u32>(i) * step;
      Scenario->Tick();
    }
  }
  i32 Count(char kind) const {
    i32 n = 0;
    for (const auto& c : Sounds.Calls) n += c.Kind == kind;
    return n;
  }

  TSoundLog Sounds;
  u32 SavedTime = 0;
  i32 SavedVolume = 0;
};

TEST_F(ScenarioTick, FinishedAnimationsLeaveInTheFrameTheyFinish) {
  auto* playing = new TAnimation(Scenario.get());
  auto* done = new TAnimation(Scenario.get());
  Scenario->AddMapObject(playing);
  Scenario->AddMapObject(done);
  done->Finished = 1;
  Scenario->Tick();
  EXPECT_EQ(Scenario->FrameCounter, 1u);
  EXPECT_EQ(Scenario->MapObjects.Count(), 1);
  EXPECT_EQ(Scenario->MapObjects[0], playing);
  EXPECT_EQ(Scenario->NoAnimationRunning, 0);
  playing->Finished = 1;
  Scenario->Tick();
  EXPECT_EQ(Scenario->MapObjects.Count(), 0);
  EXPECT_EQ(Scenario->NoAnimationRunning, 1);
}

// A drawing that counts its ticks and, when told, walks down the map past
// the objects drawn after it, or takes another object off the map.
class TWalker : public TDrawing {
 public:
  using TDrawing::TDrawing;
  void Tick() override {
    ++Ticks;
    if (StepY) Scenario->MoveMapObject(Scenario->IndexOfMapObject(this), X, Y + StepY);
    if (Removes) Scenario->RemoveMapObject(std::exchange(Removes, nullptr), false);
  }
  i32 Ticks = 0;
  i32 StepY = 0;
  TMapObject* Removes = nullptr;
};

TEST_F(ScenarioTick, EveryObjectTicksOnceWhileTheListChangesUnderIt) {
  MakeScenario(16, 16);
  std::vector<TWalker*> w;
  for (i32 i = 0; i < 5; ++i) {
    w.push_back(new TWalker(Scenario.get()));
    w.back()->X = 100;
    w.back()->Y = static_cast<i16>(100 + 40 * i);
    Scenario->AddMapObject(w.back());
  }
  ASSERT_EQ(Scenario->MapObjects[0], w[0]);
  w[0]->StepY = 170;   // passes three objects drawn after it
  w[4]->StepY = -170;  // passes three drawn before it
  w[2]->Removes = w[1];
  Scenario->Tick();
  for (i32 i : {0, 2, 3, 4}) EXPECT_EQ(w[i]->Ticks, 1) << "object " << i;
  EXPECT_EQ(Scenario->MapObjects.Count(), 4) << "the removed one is gone";
}

TEST_F(ScenarioTick, TheSpellAppliesItsEffectButWaitsForTheDeadBeforeItEnds) {
  TGroup* casters = NewGroup(1, 3, 3, {Soldier, Knight});
  // Its own tick would end the die animation at once: this group holds it.
  auto* dying = NewGroupOf<THeldGroup>(2, 6, 6, {Wolf});
  dying->AnimationState = 7;
  Scenario->CurrentPlayerIndex = 1;
  Scenario->Players[1]->Select(casters);
  auto* spell = new TTestSpell;
  spell->Spell = &Global->SpellPrototypes[1];
  spell->CasterID = casters->Units[1]->ID;
  spell->TargetX = 5;
  spell->TargetY = 4;
  Scenario->SetCurrentSpell(spell);
  Scenario->WaitingForDeaths = 1;

  Scenario->Tick();
  EXPECT_TRUE(Effects.empty());
  Scenario->Tick();
  ASSERT_EQ(Effects.size(), 1u) << "in the effect frame, while units are dying";
  EXPECT_EQ(Effects[0].Slot, 1);
  EXPECT_EQ(Effects[0].Spell, 3);
  EXPECT_EQ(Effects[0].X, 5);
  EXPECT_EQ(Effects[0].Y, 4);
  Scenario->Tick();
  Scenario->Tick();
  Scenario->Tick();
  EXPECT_EQ(Scenario->CurrentSpell, spell) << "finished, but the dying still play";
  EXPECT_EQ(Scenario->Players[1]->Result, 1u) << "no result posted yet";
  dying->AnimationState = 0;
  Scenario->Tick();
  EXPECT_EQ(Scenario->WaitingForDeaths, 0);
  EXPECT_EQ(Scenario->CurrentSpell, nullptr);
  EXPECT_EQ(Scenario->Players[1]->Mailbox.Type(), static_cast<u32>(atResult));
  EXPECT_EQ(Scenario->Players[1]->Mailbox.Words[1], 1u);
  EXPECT_EQ(Effects.size(), 1u);
}

TEST_F(ScenarioTick, ScrollingReachesTheTargetInTheGivenSteps) {
  MakeScenario(64, 64);
  Scenario->ScrollViewTo(100, 40, 10);
  EXPECT_EQ(Scenario->ViewX, 0);
  for (i32 i = 1; i <= 10; ++i) {
    Scenario->Tick();
    EXPECT_EQ(Scenario->ViewX, 10 * i);
    EXPECT_EQ(Scenario->ViewY, 4 * i);
  }
  EXPECT_EQ(Scenario->ScrollSteps, 0);
  Scenario->Tick();
  EXPECT_EQ(Scenario->ViewX, 100);
  Scenario->ScrollViewTo(7, 9, 0);
  EXPECT_EQ(Scenario->ViewX, 7);
  EXPECT_EQ(Scenario->ViewY, 9);
  Scenario->ScrollViewTo(100000, -5, 3);
  EXPECT_EQ(Scenario->ScrollTargetX, 64 * 40 - 800 + 230);
  EXPECT_EQ(Scenario->ScrollTargetY, 0);

  // A map narrower than the view: every x at or above the negative bound is the bound.
  MakeScenario(8, 8);
  const i32 bound = 8 * 40 - 800 + 230;
  Scenario->SetViewPosition(50, 50);
  EXPECT_EQ(Scenario->ViewX, bound);
  EXPECT_EQ(Scenario->ViewY, 8 * 40 - 600);
}

TEST_F(ScenarioTick, SpellTargets) {
  TSpellPrototype far{};
  far.Number = 33;
  Global->SpellPrototypes.Add(far);
  TSpellPrototype& heal = Global->SpellPrototypes[0];  // spell 1, level 1
  TGroup* casters = NewGroup(1, 5, 5, {Knight});
  NewGroup(1, 6, 5, {Soldier});  // an own group
  TGroup* enemy = NewGroup(2, 5, 8, {Wolf});
  TGroup* neutral = NewGroup(0, 8, 5, {Wolf});
  Scenario->Players[1]->Relations[2] = rHostile;
  Scenario->CurrentPlayerIndex = 1;
  Scenario->Players[1]->Select(casters);
  TUnit* caster = casters->Units[0];
  for (i32 spell : {1, 33}) {
    caster->Base.AllowedSpells |= MaskBit(spell);
    caster->LearnSpell(spell);
  }
  ASSERT_EQ(caster->Effective.Level, 1);

  EXPECT_TRUE(Scenario->CanCastSpellAt(0, 33, 100, 100)) << "needs no target";
  EXPECT_FALSE(Scenario->CanCastSpellAt(1, 33, 5, 5)) << "no unit in the slot";
  EXPECT_FALSE(Scenario->CanCastSpellAt(0, 3, 5, 5)) << "not known";
  struct {
    u32 Flags;
    i32 X, Y;
    bool Legal;
  } cases[] = {
      {1, 6, 5, true},    {1, 5, 8, false},  {2, 5, 8, false}, {8, 8, 5, true},   {8, 9, 5, false},
      {16, 5, 5, true},   {16, 6, 5, false}, {32, 7, 7, true}, {32, 6, 5, false}, {4, 8, 5, false},
      {2 | 16, 5, 5, true},
  };
  for (const auto& c : cases) {
    heal.TargetFlags = c.Flags;
    EXPECT_EQ(Scenario->CanCastSpellAt(0, 1, c.X, c.Y), c.Legal) << c.Flags << " at " << c.X << "," << c.Y;
  }
  enemy->Sighted = 1;
  neutral->Sighted = 1;
  heal.TargetFlags = 2;
  EXPECT_TRUE(Scenario->CanCastSpellAt(0, 1, 5, 8)) << "sighted this turn, at distance LEVEL + 2 exactly";
  heal.TargetFlags = 4;
  EXPECT_TRUE(Scenario->CanCastSpellAt(0, 1, 8, 5));
  EXPECT_FALSE(Scenario->CanCastSpellAt(0, 1, 5, 8));
}

TEST_F(ScenarioTick, BackgroundSoundsOnlyEveryTwoSecondsAndNotBehindScreens) {
  Scenario->BackSounds.Add(41);
  Scenario->BackSounds.Add(42);
  Main::SFXVolume = 50;
  std::srand(1);
  TickAt(10, 10, 600);
  TickAt(2001, 2000, 300);
  for (const auto& c : Sounds.Calls) EXPECT_EQ(c.Time % 2000, 0u);
  Sounds.Calls.clear();
  TickAt(2000, 2000, 500);
  EXPECT_GT(Count('e'), 50) << "about one in five";
  EXPECT_LT(Count('e'), 150);
  for (const auto& c : Sounds.Calls) {
    EXPECT_TRUE(c.Sound == 41 || c.Sound == 42);
    EXPECT_TRUE(c.Volume >= 0 && c.Volume < 50);
  }
  Sounds.Calls.clear();
  Scenario->BattleRunning = 1;
  TickAt(2000, 2000, 100);
  Scenario->BattleRunning = 0;
  Scenario->CityScreenOpen = 1;
  TickAt(2000, 2000, 100);
  EXPECT_TRUE(Sounds.Calls.empty());
}

TEST_F(ScenarioTick, WeatherAmbience) {
  Global->WeatherSounds[0] = {11, 80};  // rain loop
  Global->WeatherSounds[1] = {12, 60};  // thunder
  Global->WeatherSounds[3] = {14, 40};  // sand loop
  Main::SFXVolume = 50;
  Scenario->SetWeather(wsRain);
  ASSERT_EQ(Count('s'), 1) << "a new state stops the old loop";
  std::srand(3);
  TickAt(1000, 1000, 700);
  ASSERT_GE(Count('b'), 1);
  EXPECT_EQ(Sounds.Calls[1].Sound, 11u);
  EXPECT_EQ(Sounds.Calls[1].Volume, 40);
  EXPECT_EQ(Count('b'), 1) << "started once, then it plays";
  i32 thunder = 0;
  for (const auto& c : Sounds.Calls)
    if (c.Kind == 'e') {
      ++thunder;
      EXPECT_EQ(c.Time % 3000, 0u);
      EXPECT_EQ(c.Sound, 12u);
      EXPECT_TRUE(c.Volume >= 15 && c.Volume < 30) << c.Volume;
    }
  EXPECT_GT(thunder, 10) << "one in seven of 233 chances";

  Sounds.Calls.clear();
  Scenario->SetWeather(wsSnow);
  TickAt(1000, 1000, 10);
  EXPECT_EQ(Count('b'), 0) << "the snow loop is silent";
  Scenario->SetWeather(wsSandStorm);
  Scenario->Tick();
  EXPECT_EQ(Sounds.Calls.back().Sound, 14u);
  Sounds.Calls.clear();
  Scenario->SetWeather(wsOverlay);
  Sounds.Playing = false;
  Main::SFXVolume = 0;
  Scenario->SetWeather(wsRain);
  TickAt(3000, 3000, 50);
  EXPECT_EQ(Count('b') + Count('e'), 0) << "without effect volume";
}

TEST_F(ScenarioTick, RainFadesInAndSandFadesOut) {
  Scenario->SetWeather(wsRain);
  for (i32 i = 0; i < 4; ++i) Scenario->Tick();
  EXPECT_EQ(Scenario->ParticleTargets[wkRain], 1u);
  EXPECT_EQ(Scenario->LiveParticles[wkRain], 1u);
  for (i32 i = 4; i < 1200; ++i) Scenario->Tick();
  EXPECT_EQ(Scenario->ParticleTargets[wkRain], 300u) << "one more every fourth frame";
  EXPECT_GT(Scenario->LiveParticles[wkRain], 250u);
  Scenario->PaintWeather();
  EXPECT_GT(std::count_if(Scenario->WeatherTexture->Pixels.begin(), Scenario->WeatherTexture->Pixels.end(),
                          [](u16 p) { return p != 0; }),
            300);

  Scenario->SetWeather(wsNone);
  Scenario->ParticleTargets[wkSand] = 37;
  Scenario->LiveParticles[wkSand] = 1;
  std::vector<u32> targets;
  for (i32 i = 0; i < 25; ++i) {
    Scenario->Tick();
    targets.push_back(Scenario->ParticleTargets[wkSand]);
  }
  EXPECT_EQ(targets[0], 35u);
  EXPECT_EQ(targets[1], 33u);
  EXPECT_EQ(targets[17], 1u);
  EXPECT_EQ(targets[18], 0u);
  EXPECT_EQ(targets[24], 0u);
  for (i32 i = 0; i < 2000 && Scenario->LiveParticles[wkRain] + Scenario->LiveParticles[wkSand] > 0; ++i)
    Scenario->Tick();
  EXPECT_EQ(Scenario->LiveParticles[wkRain], 0u) << "the rain died out";
  EXPECT_EQ(Scenario->LiveParticles[wkSand], 0u);
  Scenario->PaintWeather();
  EXPECT_TRUE(std::all_of(Scenario->WeatherTexture->Pixels.begin(), Scenario->WeatherTexture->Pixels.end(),
                          [](u16 p) { return p == 0; }));
}

}  // namespace
}  // namespace WorldTest
