#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/gfx/sprite.h"
#include "tests/world/world_fixture.h"
#include "world/locations/city.h"
#include "world/map/fog.h"
#include "world/units/group.h"

namespace WorldTest {
namespace {

using namespace GameData;

class FogTest : public TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    Global->SightAngleTolerance = 5;
    Global->SightEyeHeight = 1;
    Global->SightDistanceScale = 1;
    MakeScenario(16, 16, 3);
  }

  TPlayer* P(i32 i) const { return Scenario->PlayerAt(i); }
  TFog& FogOf(i32 i) const { return *P(i)->Fog; }

  // A one-unit group whose sight is the given value.
  TGroup* Watcher(u8 owner, i32 fx, i32 fy, i16 sight = 3) {
    TGroup* g = NewGroup(owner, fx, fy, {Wolf});
    g->Units[0]->Effective.Sight.Current = sight;
    return g;
  }

  void SetHeight(i32 fx, i32 fy, u16 height) {
    Scenario->BaseHeights[Scenario->FieldIndex(fx, fy)] = height;
    Scenario->RebuildFieldMaps();
  }

  // The states of the square of radius r around a field: '.' unexplored,
  // 'e' explored, 'V' visible; rows joined by '/'.
  std::string Around(const TFog& fog, i32 cx, i32 cy, i32 r) const {
    std::string out;
    for (i32 y = cy - r; y <= cy + r; ++y) {
      if (y != cy - r) out += '/';
      for (i32 x = cx - r; x <= cx + r; ++x) out += ".eV"[fog.GetState(x, y, fsUnexplored)];
    }
    return out;
  }

  u32 Pixel(const TFog& fog, i32 x, i32 y) const {
    const u8* p = fog.Overlay->Frames[0].Pixels + 4 * (y * fog.Width + x);
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<u32>(p[3]) << 24;
  }
};

TEST_F(FogTest, SightReachesFartherStraightThanDiagonallyOnLevelGround) {
  struct TCase {
    i16 sight;
    const char* expected;
  } cases[] = {
      // The group's field and the ring around it; reach 9 leaves 3 straight, 0 diagonal.
      {2, "...../.VVV./.VVV./.VVV./....."},
      {3, "......./..VVV../.VVVVV./.VVVVV./.VVVVV./..VVV../......."},
      {4, "........./...VVV.../..VVVVV../.VVVVVVV./.VVVVVVV./.VVVVVVV./..VVVVV../...VVV.../........."},
  };
  for (const TCase& c : cases) {
    MakeScenario(16, 16, 3);
    Watcher(1, 8, 8, c.sight);
    Scenario->UpdateFogOf(1);
    EXPECT_EQ(Around(FogOf(1), 8, 8, c.sight), c.expected) << "sight " << c.sight;
  }
}

TEST_F(FogTest, ARidgeHidesTheValleyBehindIt) {
  // Looking east along row 8: one field, the ridge (or not), then a valley.
  for (bool ridge : {false, true}) {
    MakeScenario(16, 16, 3);
    SetHeight(4, 8, ridge ? 200 : 0);
    for (i32 x = 5; x < 8; ++x) SetHeight(x, 8, 65516);  // 20 below the group: the heights wrap
    Scenario->RebuildFieldMaps();
    Watcher(1, 2, 8, 8);
    Scenario->UpdateFogOf(1);
    EXPECT_EQ(FogOf(1).GetState(4, 8, 9), fsVisible) << "the ridge itself is seen";
    EXPECT_EQ(FogOf(1).GetState(5, 8, 9), ridge ? fsUnexplored : fsVisible) << "ridge " << ridge;
    EXPECT_EQ(FogOf(1).GetState(6, 8, 9), ridge ? fsUnexplored : fsVisible) << "ridge " << ridge;
  }
}

TEST_F(FogTest, FieldsSeenBeforeStayExplored) {
  TGroup* g = Watcher(1, 3, 3, 2);
  Scenario->UpdateFogOf(1);
  Scenario->MoveMapObject(Scenario->IndexOfMapObject(g), 10 * 40 + 20, 3 * 40 + 20);
  Scenario->UpdateFogOf(1);
  EXPECT_EQ(Around(FogOf(1), 3, 3, 1), "eee/eee/eee");
  EXPECT_EQ(Around(FogOf(1), 10, 3, 1), "VVV/VVV/VVV");
  Scenario->ResetFogAll();
  EXPECT_EQ(Around(FogOf(1), 3, 3, 1), ".../.../...") << "a reset forgets what was explored";
  EXPECT_EQ(Around(FogOf(1), 10, 3, 1), "VVV/VVV/VVV");
}

TEST_F(FogTest, SightComesFromOwnAndAlliedGroupsCitiesAndSightAreas) {
  P(1)->Relations[2] = rAllied;
  P(2)->Relations[1] = rAllied;
  P(1)->Relations[0] = rHostile;
  Watcher(1, 1, 1, 2);
  TGroup* ally = Watcher(2, 5, 1, 2);
  Watcher(0, 9, 1, 2);
  Watcher(NoOwner, 13, 1, 2);
  auto city = [&](u8 owner, i32 fx, i32 fy) {
    auto* c = new TCity(Scenario.get());
    c->OccupiedArea->AddField(fx, fy);
    c->SightArea->AddField(fx, fy + 1);
    c->Owner = owner;
    Scenario->AddMapObject(c);
    return c;
  };
  city(1, 1, 8);
  city(2, 5, 8);
  TCity* guest = city(0, 9, 8);
  city(0, 13, 8);
  TUnit* visitor = NewUnit(Soldier);
  visitor->OwnerIndex = 1;
  guest->AddUnit(visitor, false, false, false);
  TArea scripted;
  scripted.AddField(15, 15);
  P(1)->SightAreas.push_back(&scripted);

  Scenario->UpdateFogOf(1);
  const TFog& fog = FogOf(1);
  EXPECT_EQ(fog.GetState(1, 1, 9), fsVisible) << "own group";
  EXPECT_EQ(fog.GetState(5, 1, 9), fsVisible) << "allied group";
  EXPECT_EQ(fog.GetState(9, 1, 9), fsUnexplored) << "hostile group";
  EXPECT_EQ(fog.GetState(13, 1, 9), fsUnexplored) << "group without owner";
  EXPECT_EQ(fog.GetState(1, 9, 9), fsVisible) << "own city: its sight area";
  EXPECT_EQ(fog.GetState(1, 8, 9), fsUnexplored) << "the sight area, not the occupied one";
  EXPECT_EQ(fog.GetState(5, 9, 9), fsVisible) << "allied city";
  EXPECT_EQ(fog.GetState(9, 9, 9), fsVisible) << "a city holding a unit of the player";
  EXPECT_EQ(fog.GetState(13, 9, 9), fsUnexplored) << "a foreign city";
  EXPECT_EQ(fog.GetState(15, 15, 9), fsVisible) << "a sight area of the scripts";

  // The ally's fog follows, since the player's group gives it sight.
  Scenario->MoveMapObject(Scenario->IndexOfMapObject(ally), 5 * 40 + 20, 4 * 40 + 20);
  Scenario->UpdateFogOf(1);
  EXPECT_EQ(FogOf(2).GetState(1, 1, 9), fsVisible);
  EXPECT_EQ(FogOf(2).GetState(5, 4, 9), fsVisible);
  EXPECT_EQ(FogOf(0).GetState(1, 1, 9), fsUnexplored) << "not the hostile player's";
}

TEST_F(FogTest, TheCurrentPlayerSightsWhatComesIntoView) {
  Scenario->CurrentPlayerIndex = 1;
  TGroup* scout = Watcher(1, 2, 2, 2);
  TGroup* enemy = Watcher(0, 5, 2);
  Scenario->UpdateFogOf(1);
  EXPECT_FALSE(enemy->Sighted);
  Scenario->MoveMapObject(Scenario->IndexOfMapObject(scout), 4 * 40 + 20, 2 * 40 + 20);
  scout->UpdateOwnerFog();
  EXPECT_TRUE(enemy->Sighted);
  EXPECT_EQ(P(1)->SightingStop, 1);
  EXPECT_EQ(P(1)->GroupSighted, 1);
  EXPECT_EQ(P(1)->SeenPrototypes.Count(), 1) << "a human notes the creatures it saw";
}

TEST_F(FogTest, OverlayShowsStatesAndGroupsInSight) {
  std::fill(FogOf(1).States.begin(), FogOf(1).States.end(), fsExplored);
  FogOf(1).UpdateOverlay();
  for (i32 y = 0; y < 16; ++y)
    for (i32 x = 0; x < 16; ++x) ASSERT_EQ(Pixel(FogOf(1), x, y), 0x80000000u) << x << "," << y;

  P(2)->Colour = 4;
  Watcher(1, 0, 0, 3);  // at the map's corner: no neighbour pixel outside
  Watcher(2, 2, 1, 2);
  Scenario->UpdateFogOf(1);
  const TFog& fog = FogOf(1);
  EXPECT_EQ(Pixel(fog, 0, 0), 0xFF0000FFu) << "colour 1";
  EXPECT_EQ(Pixel(fog, 1, 0), 0x000000FFu) << "a neighbour without alpha";
  EXPECT_EQ(Pixel(fog, 2, 1), 0xFFFFFF00u) << "colour 4 on a visible field";
  EXPECT_EQ(Pixel(fog, 3, 1), 0x00FFFF00u);
  EXPECT_EQ(Pixel(fog, 0, 2), 0x00000000u) << "visible";
  EXPECT_EQ(Pixel(fog, 8, 8), 0x80000000u) << "explored";
}

TEST_F(FogTest, EdgeSpritesFollowTheBlockAroundAField) {
  std::vector<std::unique_ptr<Gfx::TSprite>> table;
  for (Gfx::TSprite*& slot : Global->SpriteTable) {
    table.push_back(std::make_unique<Gfx::TSprite>());
    slot = table.back().get();
  }
  auto slotOf = [&](const Gfx::TSprite* sprite) {
    for (i32 i = 0; sprite && i < Data2::SpriteTableSize; ++i)
      if (Global->SpriteTable[i] == sprite) return i;
    return -1;
  };
  TFog& fog = FogOf(1);
  fog.SetState(5, 5, fsVisible);
  fog.SetState(6, 5, fsVisible);
  fog.SetState(5, 6, fsExplored);
  Gfx::TSprite *first, *second;
  fog.GetEdgeSprites(5, 5, first, second);
  EXPECT_EQ(slotOf(first), 10 + 16 + 32);
  EXPECT_EQ(slotOf(second), 10 + 512 + 16 + 32 + 128);
  fog.GetEdgeSprites(0, 0, first, second);
  EXPECT_EQ(slotOf(first), 10) << "outside the map counts as unexplored";
  EXPECT_EQ(slotOf(second), 522);
  for (i32 y = 0; y < 16; ++y)
    for (i32 x = 0; x < 16; ++x) fog.SetState(x, y, fsVisible);
  fog.GetEdgeSprites(7, 7, first, second);
  EXPECT_EQ(first, nullptr) << "nothing to soften";
  EXPECT_EQ(slotOf(second), 1033);
  std::fill(std::begin(Global->SpriteTable), std::end(Global->SpriteTable), nullptr);
}

TEST_F(FogTest, AGroupBesideTheMapSeesNothing) {
  TGroup* g = Watcher(1, 2, 2, 2);
  Scenario->MoveMapObject(Scenario->IndexOfMapObject(g), -100, 100);
  Scenario->UpdateFogOf(1);
  EXPECT_EQ(std::count(FogOf(1).States.begin(), FogOf(1).States.end(), fsVisible), 0);
}

}  // namespace
}  // namespace WorldTest
