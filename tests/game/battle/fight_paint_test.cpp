// The battle screen's picture on the software display: the attacker's order
// phase with a selected unit, its attack line and a spell on itself, and a
// frame with a battle spell in flight and a damage number rising.
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
  // The demo's battle spells fly without a picture: this one borrows the
  // flight picture of the map spell 1.
  const TSpellPrototype* map = FindSpellRecord(1);
  ASSERT_TRUE(map);
  F->CurrentSpell->FlightSprite = Data2::GlobalData->SpellSpriteList.GetSprite(map->FlightSpriteID);
  ASSERT_TRUE(F->CurrentSpell->FlightSprite);
  F->CurrentSpell->FlightSprite->Upload(true);
  F->CurrentSpell->Init(spell, 100);
  F->CurrentSpell->Start(F->Units[1].X, F->Units[1].Y, F->Units[4].X, F->Units[4].Y);
  const u32 steps = F->CurrentSpell->CastLength + F->CurrentSpell->FlightLength / 2;
  for (u32 i = 0; i < steps; ++i) F->CurrentSpell->Tick();
  Foe->Units[0]->AddWound(12);
  Expect("battle_spell_flight");
}

}  // namespace
}  // namespace GameTest
