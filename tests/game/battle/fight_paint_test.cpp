// The battle screen's picture on the software display: the attacker's order
// phase with a selected unit, its attack line and a spell on itself, a frame
// with a battle spell in flight and a damage number rising, and a frame of a
// round with figures walking, casting, striking, flinching and falling.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "combat/spell.h"
#include "engine/d3dframe/d3dframe.h"
#include "game/battle/fight_dialog.h"
#include "tests/engine/gfx/gfx_display.h"
#include "tests/engine/gfx/golden.h"
#include "tests/game/game_fixture.h"
#include "world/data2/global_data.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace GameTest {
namespace {

using namespace GameData;

class FightPicture : public TGameFixture {
 protected:
  // The display first: the global data's sprites are made for it.
  void SetUp() override {
    Display = std::make_unique<TestSupport::TGfxDisplay>(800, 600);
    TGameFixture::SetUp();
    StartMission(1);
    Own = S().FindGroup(GroupOf(1));
    Foe = S().FindGroup(GroupOf(2));
    ASSERT_TRUE(Own && Foe);
    F = Game->FightDialog.get();
    F->StartBattle(Own, Foe);
  }
  void TearDown() override {
    if (F && F->Fight.Attacker) F->End();
    TGameFixture::TearDown();
    Display.reset();
  }
  void Expect(const char* name) {
    Plat::TSurface* back = Display->Back();
    Display->Framework().Device3D->BeginScene();
    F->Paint(back, {0, 0, 800, 600});
    Display->Framework().Device3D->EndScene();
    TestSupport::ExpectGoldenPicture(std::string(ORV_GOLDEN_DIR "/") + name, back->Bits(), back->Pitch(), 800, 600,
                                     false);
  }
  std::unique_ptr<TestSupport::TGfxDisplay> Display;
  TGroup* Own = nullptr;
  TGroup* Foe = nullptr;
  Main::TFightDialog* F = nullptr;
};

TEST_F(FightPicture, OrderPhase) {
  F->Selected = 0;
  F->Fight.SetAttackAction(0, 4);
  F->Fight.SetSpellAction(1, 1, 66);
  F->StatusText = "Gew\xE4hlter Einheit Befehle geben";
  Expect("battle_orders");
}

TEST_F(FightPicture, SpellInFlight) {
  const TSpellPrototype* spell = FindSpellRecord(77);
  ASSERT_TRUE(spell);
  F->State = 4;
  F->StatusText = "Der Kampf beginnt...";
  F->CurrentSpell = new TSpell();
  F->CurrentSpell->Scenario = &S();
  F->CurrentSpell->Init(spell, 100);
  ASSERT_TRUE(F->CurrentSpell->FlightSprite);
  F->CurrentSpell->Start(F->Units[1].X, F->Units[1].Y, F->Units[4].X, F->Units[4].Y);
  const u32 steps = F->CurrentSpell->CastLength + F->CurrentSpell->FlightLength / 2;
  for (u32 i = 0; i < steps; ++i) F->CurrentSpell->Tick();
  Foe->Units[0]->AddWound(12);
  Expect("battle_spell_flight");
}

TEST_F(FightPicture, MidRound) {
  // A walker between two cells, a caster with the spell at its hands, a
  // striking wolf, a wolf flinching and a skeleton falling.
  struct {
    i32 C, Anim, Facing, Frame, Dx;
  } poses[] = {{0, Main::faWalking, 2, 2, 30},
               {1, Main::faCasting, 3, 4, 0},
               {3, Main::faAttacking, 7, 3, 0},
               {4, Main::faHit, 6, 1, 0},
               {5, Main::faDying, 5, 4, 0}};
  F->State = 9;
  F->StatusText = "Der Kampf beginnt...";
  for (const auto& p : poses) {
    TUnit* u = F->Fight.UnitOf(p.C);
    ASSERT_TRUE(u) << p.C;
    Main::TUnitData& d = F->Units[p.C];
    d.Anim = p.Anim, d.Facing = p.Facing, d.Frame = p.Frame, d.X += p.Dx;
    if (p.Anim == Main::faWalking) u->LoadFightWalkSprites();
    if (p.Anim == Main::faAttacking) u->LoadFightAttackSprite(p.Facing);
    if (p.Anim == Main::faCasting) u->LoadFightCastSprite(p.Facing);
  }
  Expect("battle_mid_round");
  for (const auto& p : poses) {
    TUnit* u = F->Fight.UnitOf(p.C);
    u->ReleaseFightWalkSprites();
    u->ReleaseFightAttackSprite();
    u->ReleaseFightCastSprite();
  }
}

}  // namespace
}  // namespace GameTest
