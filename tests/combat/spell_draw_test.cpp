// Spell drawing: golden pictures of four spell kinds in flight through the
// software device, the instructions the viewing player may see, the field
// rain's fixed offsets, and data whose times, speeds and frame counts are 0.
#include <gtest/gtest.h>

#include <memory>

#include "engine/gfx/colors.h"
#include "engine/gfx/screen.h"
#include "tests/combat/spell_fixture.h"
#include "tests/engine/gfx/gfx_display.h"
#include "tests/engine/gfx/golden.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"

namespace CombatTest {
namespace {

using namespace GameData;

constexpr int CanvasWidth = 240, CanvasHeight = 160;

class SpellDrawing : public TSpellFixture {
 protected:
  void SetUp() override {
    TSpellFixture::SetUp();
    Scenario->CurrentPlayerIndex = 1;
    SeeAll(Scenario->Players[1]);
  }
  void TearDown() override {
    Display.reset();
    TSpellFixture::TearDown();
  }
  void StartDisplay() {
    Display = std::make_unique<TestSupport::TGfxDisplay>(CanvasWidth, CanvasHeight);
    Back = Display->Back();
    for (int i = 0; i < 4; ++i)
      Gfx::FillRect(Back, i * 60, 0, 60, CanvasHeight, Gfx::PackRGB565(0x203040 + static_cast<u32>(i) * 0x141008),
                    nullptr);
    Display->Framework().Device3D->BeginScene();
  }
  // The spell ticked to step t, drawn with the map's origin at (ox, oy).
  std::unique_ptr<TSpell> DrawnAt(i32 number, u32 t, i32 sx, i32 sy, i32 tx, i32 ty, i32 ox = 0, i32 oy = 0) {
    auto spell = Started(number, sx, sy, tx, ty);
    for (u32 k = 0; k < t; ++k) spell->Tick();
    spell->Draw(Back, -ox, -oy, 0);
    return spell;
  }
  void Expect(const char* name) {
    Display->Framework().Device3D->EndScene();
    TestSupport::ExpectGoldenPicture(std::string(ORV_GOLDEN_DIR "/") + name, Back->Bits(), Back->Pitch(),
                                     Back->Width(), Back->Height(), !Gfx::ScreenIs565);
  }

  std::unique_ptr<TestSupport::TGfxDisplay> Display;
  Plat::TSurface* Back = nullptr;
};

TEST_F(SpellDrawing, AProjectileGrowsFromItsCastIntoItsFlight) {
  AddSpells({Record(17), Record(29)});
  StartDisplay();
  DrawnAt(17, 20, 20, 140, 220, 20);  // 50 pixels out: the cast sprite
  DrawnAt(17, 50, 20, 140, 220, 20);  // 125 pixels: the flight sprite, turned along the path
  DrawnAt(29, 40, 20, 20, 220, 140);  // the growing projectile's cast sprite, scaled
  Expect("spell_projectile");
}

TEST_F(SpellDrawing, ASalvoOfTwentyProjectiles) {
  AddSpells({Record(31)});
  StartDisplay();
  DrawnAt(31, 100, 20, 80, 220, 60);
  Expect("spell_salvo");
}

TEST_F(SpellDrawing, TheFieldRainPlaysOnEveryFieldOfTheDisc) {
  auto rain = Record(33);
  rain.Params[9] = 2;
  AddSpells({rain});
  StartDisplay();
  DrawnAt(33, 30, 100, 100, 100, 100, -20, -20);
  Expect("spell_rain");
}

TEST_F(SpellDrawing, BeamsAlongTheLineAndADoubledImpact) {
  AddSpells({Record(57), Record(26), Record(121)});
  StartDisplay();
  DrawnAt(57, 6, 20, 60, 220, 100);
  DrawnAt(26, 12, 60, 110, 60, 110);
  DrawnAt(121, 3, 20, 150, 200, 150);  // a battle spell: no visibility test
  Expect("spell_beam");
}

TEST_F(SpellDrawing, OnlyWhatTheViewerMaySeeIsListedWhileTheEffectStillComes) {
  AddSpells({Record(12), Record(57)});
  SeeOnly(Scenario->Players[1], {{0, 0}});
  auto spell = Started(12, 100, 100, 340, 220);
  bool effect = false;
  while (!spell->Finished) {
    spell->Tick();
    effect = effect || spell->EffectFlag;
    EXPECT_EQ(spell->DrawInfoList.Count(), 0);
  }
  EXPECT_TRUE(effect);
  // A line is seen when either end is.
  SeeOnly(Scenario->Players[1], {{2, 2}});
  auto beam = Started(57, 100, 100, 340, 220);
  beam->Tick();
  ASSERT_EQ(beam->DrawInfoList.Count(), 1);
  EXPECT_EQ(beam->DrawInfoList[0]->Kind, sdAlongLine);
  EXPECT_EQ(beam->DrawInfoList[0]->Y, 80);
  EXPECT_EQ(beam->DrawInfoList[0]->Y2, 200);
  Scenario->ViewingPlayer = nullptr;
  beam->Tick();
  EXPECT_EQ(beam->DrawInfoList.Count(), 0) << "nobody views";
}

TEST_F(SpellDrawing, TheRainStartsEachFieldAtItsOwnFixedStep) {
  auto rain = Record(33);
  rain.Params[9] = 1;
  AddSpells({rain});
  const auto framesAt = [&](u32 t) {
    auto spell = Started(33, 300, 300, 300, 300);
    for (u32 k = 0; k < t; ++k) spell->Tick();
    std::vector<std::tuple<i32, i32, u32>> out;
    for (const TSpellDrawInfo* d : spell->DrawInfoList) out.emplace_back(d->X, d->Y, d->Frame);
    return out;
  };
  using F = std::vector<std::tuple<i32, i32, u32>>;
  // h(0, 0) = 1000 rem 8 = 0, h(0, 1) = 1005 rem 8 = 5, h(-1, 0) = (-1467 rem 137 + 1000) rem 8 = 7.
  const F early = framesAt(9);  // u = 3
  EXPECT_NE(std::find(early.begin(), early.end(), std::tuple<i32, i32, u32>{340, 300, 0}), early.end());
  for (const auto& [x, y, f] : early) EXPECT_FALSE(x == 300 && y == 300) << "the centre starts later";
  const F centre = framesAt(24);  // u = 8
  EXPECT_NE(std::find(centre.begin(), centre.end(), std::tuple<i32, i32, u32>{300, 300, 0}), centre.end());
  EXPECT_NE(std::find(centre.begin(), centre.end(), std::tuple<i32, i32, u32>{300, 260, 7}), centre.end());
  EXPECT_EQ(framesAt(9), early) << "the same in every game";
  EXPECT_TRUE(framesAt(48).empty()) << "two passes and it is over";

  // Under fog: drawn in full for the player whose turn it is, for others
  // only when the target field is seen.
  SeeOnly(Scenario->Players[1], {});
  EXPECT_FALSE(framesAt(24).empty());
  SeeOnly(Scenario->Players[2], {{1, 1}});
  EXPECT_TRUE(framesAt(24).empty());
  SeeOnly(Scenario->Players[2], {{7, 7}});
  EXPECT_FALSE(framesAt(24).empty());
}

TEST_F(SpellDrawing, ZeroTimesSpeedsAndFramesNeitherDivideByZeroNorHang) {
  std::vector<TSpellPrototype> records;
  for (i32 number : {17, 29, 31, 34, 23, 33, 57, 8, 21, 12, 77, 82, 83, 93, 95, 98, 121, 66}) {
    auto r = Record(static_cast<i16>(number));
    r.CastFrameTime = r.FlightFrameTime = r.ImpactFrameTime = r.FlightSpeed = 0;
    if (number % 2) r.CastSpriteID = 0;
    r.Params[9] = 32000;  // a rain far larger than the map
    records.push_back(r);
  }
  for (const TSpellPrototype& r : records) AddSpells({r});
  StartDisplay();
  for (const TSpellPrototype& r : records) {
    auto spell = Started(r.Number, 100, 100, 100, 100);
    for (i32 k = 0; k < 400 && !spell->Finished; ++k) {
      spell->Tick();
      spell->Draw(Back, 0, 0, 0);
    }
    EXPECT_TRUE(spell->Finished) << r.Number;
    EXPECT_LE(spell->DrawInfoList.Count(), 16 * 16) << r.Number;
  }
  // An instruction without its sprite is skipped.
  auto spell = Started(12, 100, 100, 100, 100);
  spell->AddDrawInfo(sdRotated, 0, 100, 100, 0, 0, 1, 1, 0, nullptr);
  spell->DrawInfos(Back, 0, 0);
}

}  // namespace
}  // namespace CombatTest
