// The spell's course: phase lengths and effect step by spell number, the
// update step with its sounds, who hears them, sprites and the preparation
// on the worker thread.
#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/combat/spell_fixture.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"

namespace CombatTest {
namespace {

using namespace GameData;

class SpellCourse : public TSpellFixture {};

// A group whose own tick does nothing, so a cast stays prepared.
class THeldGroup : public TGroup {
 public:
  using TGroup::TGroup;
  void Tick() override {}
};

TEST_F(SpellCourse, PhaseLengthsAndEffectStepBySpellNumber) {
  auto bare = Record(2);
  bare.CastSpriteID = bare.FlightSpriteID = bare.ImpactSpriteID = 0;
  auto background = Record(4);
  background.ImpactSpriteID = BackgroundImpact;
  auto still = Record(40);
  still.FlightSpeed = 0;
  AddSpells({Record(17), Record(77), Record(98), Record(29), Record(31), Record(21), Record(33), Record(61),
             Record(82), Record(12), bare, background, still, Record(23), Record(95), Record(93)});
  // 200 pixels at 2.5 pixels a step: 80 steps of flight; cast 6 x 2, impact 8 x 3.
  struct TCase {
    i32 Spell;
    u32 Cast, Flight, Impact, Total, Effect;
  } cases[] = {
      {17, 0, 80, 24, 104, 80},   {77, 0, 80, 24, 104, 80},    {98, 12, 80, 100, 192, 192},
      {29, 0, 80, 24, 104, 104},  {93, 0, 80, 24, 104, 104},   {31, 0, 80, 24, 264, 264},
      {95, 0, 80, 24, 264, 264},  {21, 0, 0, 24, 24, 19},      {33, 0, 0, 48, 48, 0},
      {23, 12, 0, 24, 36, 36},    {61, 0, 0, 24, 24, 24},      {82, 0, 121, 24, 145, 133},
      {12, 0, 0, 24, 24, 12},     {2, 0, 0, 0, 0, 0},          {4, 0, 0, 24, 24, 12},
      {40, 0, 0, 24, 24, 0},  // a flight speed of 0 would never arrive: no flight steps
  };
  for (const TCase& c : cases) {
    auto spell = Started(c.Spell, 100, 100, 220, 260);
    EXPECT_EQ(spell->CastLength, c.Cast) << c.Spell;
    EXPECT_EQ(spell->FlightLength, c.Flight) << c.Spell;
    EXPECT_EQ(spell->ImpactLength, c.Impact) << c.Spell;
    EXPECT_EQ(spell->TotalLength, c.Total) << c.Spell;
    EXPECT_EQ(spell->EffectFrame, c.Effect) << c.Spell;
  }
  // Spell 82 falls from a fixed height, whatever the two points.
  EXPECT_EQ(Started(82, 0, 0, 0, 0)->FlightLength, 121u);
  EXPECT_EQ(Started(82, 0, 0, 600, 0)->FlightLength, 121u);
}

TEST_F(SpellCourse, EffectInExactlyOneStepAndFinishedAfterTheLast) {
  auto bare = Record(2);
  bare.CastSpriteID = bare.FlightSpriteID = bare.ImpactSpriteID = 0;
  AddSpells({bare, Record(17), Record(33), Record(21)});
  for (i32 number : {2, 17, 33, 21}) {
    auto spell = Started(number, 100, 100, 220, 260);
    i32 effects = 0, effectStep = -1, finishedStep = -1;
    for (i32 step = 0; step < 400 && finishedStep < 0; ++step) {
      spell->Tick();
      if (spell->EffectFlag) {
        ++effects;
        effectStep = step;
      }
      if (spell->Finished) finishedStep = step;
    }
    EXPECT_EQ(effects, 1) << number;
    EXPECT_EQ(effectStep, static_cast<i32>(spell->EffectFrame)) << number;
    EXPECT_EQ(finishedStep, static_cast<i32>(spell->TotalLength) + 1) << number;
  }
}

TEST_F(SpellCourse, SoundsAtThePhaseStartsForThoseWhoSeeThem) {
  AddSpells({Record(17), Record(98), Record(7), Record(2)});
  TPlayer* viewer = Scenario->Players[1];
  const auto run = [&](i32 number, i32 sx, i32 sy, i32 tx, i32 ty) {
    Sounds.Calls.clear();
    auto spell = Started(number, sx, sy, tx, ty);
    std::vector<std::pair<i32, i32>> heard;  // step, which sound
    for (i32 step = 0; step < 300 && !spell->Finished; ++step) {
      const std::size_t before = Sounds.Calls.size();
      spell->Tick();
      for (std::size_t k = before; k < Sounds.Calls.size(); ++k)
        for (int w = 0; w < 3; ++w)
          if (Sounds.Calls[k].Sound == FakeSound(w)) heard.emplace_back(step, w);
    }
    return heard;
  };
  using H = std::vector<std::pair<i32, i32>>;
  SeeAll(viewer);
  EXPECT_EQ(run(17, 100, 100, 220, 260), (H{{0, 0}, {0, 1}, {80, 2}})) << "no cast phase: cast and flight together";
  EXPECT_EQ(run(98, 100, 100, 220, 260), (H{{0, 0}, {12, 1}, {92, 2}}));
  EXPECT_EQ(run(2, 100, 100, 220, 260), (H{{0, 0}, {0, 1}, {0, 2}})) << "no cast and no flight: all three at once";
  SeeOnly(viewer, {{5, 6}});
  EXPECT_EQ(run(17, 100, 100, 220, 260), (H{{80, 2}})) << "only the target field is seen";
  EXPECT_EQ(run(98, 100, 100, 220, 260).size(), 3u) << "a battle spell is always heard";
  SeeOnly(viewer, {{2, 2}});
  EXPECT_EQ(run(17, 100, 100, 220, 260), (H{{0, 0}, {0, 1}})) << "only the source is seen";
  Scenario->ViewingPlayer = nullptr;
  EXPECT_TRUE(run(17, 100, 100, 220, 260).empty()) << "nobody views";
  EXPECT_EQ(Sounds.Calls.empty() ? 100 : Sounds.Calls[0].Volume, 100);
}

TEST_F(SpellCourse, WhoMaySeeTheTargetBySpellNumber) {
  auto rain = Record(33);
  rain.Params[9] = 2;
  AddSpells({Record(7), Record(26), Record(21), rain, Record(12)});
  TPlayer* viewer = Scenario->Players[2];
  Scenario->CurrentPlayerIndex = 1;
  Scenario->Players[2]->Relations[1] = rHostile;
  struct TCase {
    i32 Spell, SeenX, SeenY;
    bool Visible;
  } cases[] = {
      {7, 10, 3, true},  {7, 11, 3, false}, {26, 9, 6, true},  {26, 10, 6, false}, {21, 2, 2, true},
      {21, 8, 5, true},  {21, 9, 5, false}, {33, 8, 7, true},  {33, 10, 7, false}, {33, 10, 6, true},  {33, 11, 5, false},
      {12, 8, 5, true},  {12, 8, 4, false},
  };
  for (const TCase& c : cases) {
    SeeOnly(viewer, {{c.SeenX, c.SeenY}});
    // Source field (2, 2), target field (8, 5).
    EXPECT_EQ(Started(c.Spell, 100, 100, 340, 220)->IsTargetVisible(), c.Visible)
        << c.Spell << " seeing " << c.SeenX << "," << c.SeenY;
  }
  SeeOnly(viewer, {});
  Scenario->Players[2]->Relations[1] = rAllied;
  EXPECT_TRUE(Started(33, 100, 100, 340, 220)->IsTargetVisible()) << "an ally of the caster's player hears it";
}

TEST_F(SpellCourse, InitKeepsTheSpritesItHoldsAndTheDestructorGivesThemBack) {
  AddSpells({Record(17)});
  auto spell = Started(17, 0, 0, 100, 0);
  Gfx::TSprite* cast = spell->CastSprite;
  ASSERT_NE(cast, nullptr);
  ASSERT_NE(spell->ImpactSprite, nullptr);
  auto other = Started(17, 0, 0, 100, 0);
  EXPECT_EQ(other->CastSprite, cast) << "shared by reference";
  spell->Init(&SpellRecord(17), 50);
  EXPECT_EQ(spell->CastSprite, cast);
  EXPECT_EQ(spell->Volume, 50);
  EXPECT_FALSE(spell->Started);
  spell.reset();
  EXPECT_EQ(Global->SpellSpriteList.FindLoadedSprite(CastSprite), cast) << "the other spell still holds it";
  other.reset();
}

TEST_F(SpellCourse, AnUnknownSpriteFailsThePreparationAndTheCastReportsIt) {
  auto broken = Record(12);
  broken.FlightSpriteID = 4242;
  AddSpells({broken});
  TSpell spell;
  EXPECT_THROW(
      {
        try {
          spell.Init(&SpellRecord(12), 100);
        } catch (const std::exception& e) {
          EXPECT_STREQ(e.what(), "Sprite with given ID not found (4242).");
          throw;
        }
      },
      std::exception);

  TGroup* group = NewGroup(1, 3, 3, {WorldTest::Knight});
  group->CastSpell(group->Units[0]->ID, 12, 5, 5);
  EXPECT_THROW(
      {
        try {
          group->FinishSpellPreparation();
        } catch (const std::runtime_error& e) {
          EXPECT_STREQ(e.what(), "Sprite with given ID not found (4242).");
          throw;
        }
      },
      std::runtime_error);
  EXPECT_FALSE(group->PreparedSpell);
}

TEST_F(SpellCourse, TheCastIsPreparedOnTheWorkerWhileTheMainThreadTicks) {
  AddSpells({Record(17)});
  TGroup* casters = NewGroupOf<THeldGroup>(1, 3, 3, {WorldTest::Knight});
  NewGroup(2, 7, 3, {WorldTest::Wolf});
  for (i32 round = 0; round < 20; ++round) {
    casters->CastSpell(casters->Units[0]->ID, 17, 7, 3);
    for (i32 k = 0; k < 3; ++k) Scenario->Tick();
    casters->FinishSpellPreparation();
    ASSERT_TRUE(casters->PreparedSpell);
    auto* spell = dynamic_cast<TSpell*>(casters->PreparedSpell.get());
    ASSERT_NE(spell, nullptr) << "the module's spell";
    EXPECT_TRUE(spell->Started);
    EXPECT_EQ(spell->FlightLength, 160u * 10 / 25);
    EXPECT_EQ(spell->TargetX, 7);
    EXPECT_EQ(spell->CasterID, casters->Units[0]->ID);
  }
}

}  // namespace
}  // namespace CombatTest
