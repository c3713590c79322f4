// The battle screen over demo mission 1: its geometry and rules of motion,
// the orders it takes from records, clicks and keys, and battles through
// the real dispatcher, shown and unseen.
#include <gtest/gtest.h>

#include <vector>

#include "engine/dxwin/button.h"
#include "game/battle/fight_dialog.h"
#include "game/control/game.h"
#include "game/control/shortcut_keys.h"
#include "game/panels/unit_panel.h"
#include "tests/game/game_fixture.h"
#include "world/data2/global_data.h"
#include "world/locations/city.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace GameTest {
namespace {

using namespace GameData;
using Main::TFightDialog;

TEST(FightGeometry, CellsFacingsAndNeighbours) {
  struct {
    i32 Pixel, Cell;
  } cells[] = {{0, 0}, {63, 0}, {64, 1}, {-1, -1}, {-64, -1}, {-65, -2}};
  for (const auto& c : cells) EXPECT_EQ(Main::CellOf(c.Pixel), c.Cell) << c.Pixel;
  struct {
    i32 X1, Y1, X2, Y2, Facing;
  } facings[] = {{0, 0, 0, 0, 0}, {0, 0, 1, 0, 2}, {0, 1, 1, 0, 3}, {0, 0, 0, 1, 0}, {1, 0, 0, 0, 6},
                 {0, 1, 0, 0, 4}, {1, 1, 0, 0, 5}, {0, 0, 1, 1, 1}, {1, 0, 0, 1, 7}, {0, 0, 5, 1, 2}};
  for (const auto& f : facings)
    EXPECT_EQ(Main::FacingTo(f.X1, f.Y1, f.X2, f.Y2), f.Facing) << f.X1 << "," << f.Y1 << " to " << f.X2 << "," << f.Y2;
  EXPECT_TRUE(Main::IsAdjacent(2, 2, 3, 3));
  EXPECT_TRUE(Main::IsAdjacent(2, 2, 2, 2));
  EXPECT_FALSE(Main::IsAdjacent(2, 2, 4, 2));
}

TEST(FightGeometry, DrawOrder) {
  auto unit = [](i32 x, i32 y, i32 anim) {
    Main::TUnitData d;
    d.X = x, d.Y = y, d.Anim = anim;
    return d;
  };
  struct {
    Main::TUnitData A, B;
    bool ABefore;
  } cases[] = {
      {unit(100, 50, Main::faStanding), unit(100, 60, Main::faStanding), true},   // higher first
      {unit(100, 60, Main::faStanding), unit(40, 60, Main::faStanding), true},    // same row: right first
      {unit(40, 60, Main::faStanding), unit(100, 60, Main::faStanding), false},
      {unit(40, 300, Main::faDead), unit(40, 10, Main::faWalking), true},         // the dead never cover
      {unit(40, 10, Main::faHit), unit(40, 300, Main::faDying), false},
  };
  for (const auto& c : cases) EXPECT_EQ(TFightDialog::DrawsBefore(c.A, c.B), c.ABefore);
}

class FightDialogTest : public TGameFixture {
 protected:
  void SetUp() override {
    TGameFixture::SetUp();
    StartMission(1);
    Own = S().FindGroup(GroupOf(1));
    Foe = S().FindGroup(GroupOf(2));
    ASSERT_TRUE(Own && Foe);
    F = Game->FightDialog.get();
  }
  void TearDown() override {
    if (F && F->Fight.Attacker) F->End();
    TGameFixture::TearDown();
  }
  // Prepares a battle of the human's group on the computer's without showing it.
  void Prepare() { F->StartBattle(Own, Foe); }
  // The 16-byte orders as words.
  static std::vector<u32> Orders(std::initializer_list<TFightAction> orders) {
    std::vector<u32> words(12, 0);
    i32 i = 0;
    for (const TFightAction& a : orders) {
      words[4 * i] = a.Present, words[4 * i + 1] = a.Kind;
      words[4 * i + 2] = static_cast<u32>(a.Spell), words[4 * i + 3] = static_cast<u32>(a.Target);
      ++i;
    }
    return words;
  }
  static TFightAction Order(u32 kind, i32 target, i32 spell = -1) {
    TFightAction a;
    a.Present = 1, a.Kind = kind, a.Target = target, a.Spell = spell;
    return a;
  }

  TGroup* Own = nullptr;
  TGroup* Foe = nullptr;
  TFightDialog* F = nullptr;
};

TEST_F(FightDialogTest, StartPlacesBothSidesOnTheirDiagonals) {
  Prepare();
  EXPECT_EQ(S().BattleRunning, 1);
  for (i32 i = 0; i < 3; ++i) {
    EXPECT_EQ(F->Units[i].X, 64 * i + 32);
    EXPECT_EQ(F->Units[i].Y, 64 * (i + 3) + 32);
    EXPECT_EQ(F->Units[i].Facing, 3);
    EXPECT_EQ(F->Units[3 + i].X, 64 * (i + 3) + 32);
    EXPECT_EQ(F->Units[3 + i].Y, 64 * i + 32);
    EXPECT_EQ(F->Units[3 + i].Facing, 7);
  }
  for (i32 k = 0; k < CombatantCount; ++k) EXPECT_EQ(F->Panels[k]->IsVisible(), F->Fight.IsCombatant(k)) << k;
}

TEST_F(FightDialogTest, HitTestBoxes) {
  Prepare();
  const i32 sx = F->ScreenX(0), sy = F->ScreenY(0);
  struct {
    i32 Dx, Dy, Hit;
  } cases[] = {{0, 0, 0}, {-20, -20, 0}, {19, 19, 0}, {20, 0, -1}, {0, 20, -1}, {-21, 0, -1}};
  for (const auto& c : cases) EXPECT_EQ(F->HitTest(sx + c.Dx, sy + c.Dy), c.Hit) << c.Dx << "," << c.Dy;
  Own->Units[0]->Base.HitPoints.Current = 0;
  Own->Units[0]->RecalcEffective(false);
  EXPECT_EQ(F->HitTest(sx, sy), -1) << "the dead are not hit";
}

TEST_F(FightDialogTest, NextStepAvoidsOccupiedAndRecentCells) {
  Prepare();
  // Combatant 0 at cell (2, 2), heading for (5, 2); (3, 2) is taken by a
  // living defender, (3, 1) and (3, 3) are its last cells.
  auto place = [&](i32 c, i32 cx, i32 cy) {
    F->Units[c].X = 64 * cx + 32, F->Units[c].Y = 64 * cy + 32, F->Units[c].Anim = Main::faStanding;
  };
  for (i32 c = 0; c < CombatantCount; ++c) place(c, 5, 5 - (c % 3));  // out of the way
  place(0, 2, 2);
  ASSERT_TRUE(F->Fight.IsCombatantAlive(3));
  place(3, 3, 2);
  Main::TUnitData& u = F->Units[0];
  u.LastCellX = 3, u.LastCellY = 1, u.BeforeLastCellX = 3, u.BeforeLastCellY = 3;
  // Pass 1 leaves out the taken (3,2) and the last cells (3,1) and (3,3);
  // south (2,3) and north (2,1) are nearest, south first in direction order.
  EXPECT_EQ(F->NextStep(0, 5, 2), 0);
  // With (2,3) taken as well, north.
  place(4, 2, 3);
  EXPECT_EQ(F->NextStep(0, 5, 2), 4);
  // A walker occupies the cell it is entering, not the one it leaves.
  place(4, 5, 5);
  F->Units[3].Anim = Main::faWalking;
  F->Units[3].Facing = 4;  // leaving (3,2) for (3,1)
  F->Units[3].Y -= 10;
  u.LastCellX = u.LastCellY = u.BeforeLastCellX = u.BeforeLastCellY = -1;
  EXPECT_EQ(F->NextStep(0, 5, 2), 2) << "east is free again";
}

TEST_F(FightDialogTest, RecordsOfPeersAreCheckedOrderByOrder) {
  Prepare();
  Own->Units[1]->Base.HitPoints.Current = 0;
  Own->Units[1]->RecalcEffective(false);
  struct {
    const char* Name;
    i32 State;
    u32 Request;
    TFightAction In;
    u32 Kind;
    i32 Target;
    i32 RequestAfter;
  } cases[] = {
      {"an attack on a foe", 0, 3, Order(fakAttack, 3), fakAttack, 3, Main::frAccept},
      {"an attack on the own side", 0, 3, Order(fakAttack, 0), fakNone, -1, Main::frAccept},
      {"a target beyond the six", 0, 3, Order(fakAttack, 99), fakNone, -1, Main::frAccept},
      {"a negative target", 0, 3, Order(fakAttack, -7), fakNone, -1, Main::frAccept},
      {"an unknown kind", 0, 3, Order(9, 3), fakNone, -1, Main::frAccept},
      {"a spell that does not exist", 0, 3, Order(fakSpell, 3, 5000), fakNone, -1, Main::frAccept},
      {"a protect order of a defender", 1, 3, Order(fakProtect, 4), fakProtect, 4, Main::frAccept},
      {"an unknown request", 0, 77, Order(fakAttack, 3), fakNone, -1, Main::frNone},
      {"the automatic request never travels", 0, 1, Order(fakAttack, 3), fakNone, -1, Main::frNone},
      {"a retreat of the defender", 1, 2, Order(fakAttack, 0), fakNone, -1, Main::frNone},
      {"a retreat carries no orders", 0, 2, Order(fakAttack, 3), fakNone, -1, Main::frRetreat},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    F->Fight.ClearActions();
    F->State = c.State;
    F->Request = Main::frNone;
    const std::vector<u32> words = Orders({c.In, c.In, c.In});
    F->SetOrders(c.Request, words.data());
    const i32 first = c.State == 0 ? 0 : 3;
    EXPECT_EQ(F->Fight.Actions[first].Kind, c.Kind);
    EXPECT_EQ(F->Fight.Actions[first].Target, c.Target);
    EXPECT_EQ(F->Request, c.RequestAfter);
    if (c.State == 0) {
      EXPECT_EQ(F->Fight.Actions[1].Kind, fakNone) << "a dead combatant takes no order";
    }
  }
  F->State = 5;
  F->Request = Main::frNone;
  const std::vector<u32> words = Orders({Order(fakAttack, 3)});
  F->SetOrders(3, words.data());
  EXPECT_EQ(F->Request, Main::frNone) << "outside the order phases nothing is taken";
  F->State = 0;
}

TEST_F(FightDialogTest, OrdersRecordRoundTrip) {
  Prepare();
  F->Fight.SetAttackAction(0, 4);
  F->Fight.SetProtectAction(2, 1);
  const TActionRecord r = Main::FillOrdersRecord(F->Fight, Main::frAccept, 0);
  EXPECT_EQ(r.Type(), atBattleOrders);
  EXPECT_EQ(r.Words[1], 3u);
  EXPECT_EQ(r.Words[2] & 0xFF, 1u) << "present";
  EXPECT_EQ(r.Words[3], u32{fakAttack});
  EXPECT_EQ(r.Words[5], 4u);
  const TActionRecord retreat = Main::FillOrdersRecord(F->Fight, Main::frRetreat, 0);
  for (i32 w = 2; w < 14; ++w) EXPECT_EQ(retreat.Words[w], 0u) << w;
}

TEST_F(FightDialogTest, ClicksAndKeysPerPhase) {
  Prepare();
  ASSERT_TRUE(F->IsAttackerLocal());
  struct {
    const char* Name;
    i32 Selected, Click;
    i32 SelectedAfter;
    u32 Kind0;
  } clicks[] = {
      {"an attacker is selected", -1, 0, 0, fakNone},
      {"a foe is attacked", 0, 3, 0, fakAttack},
      {"another attacker changes nothing", 0, 1, 0, fakNone},
      {"the selected one clears its order", 0, 0, 0, fakNone},
      {"a foe cannot be selected", -1, 4, -1, fakNone},
  };
  for (const auto& c : clicks) {
    SCOPED_TRACE(c.Name);
    F->Fight.ClearActions();
    if (c.Kind0 == fakNone && c.Click == 0 && c.Selected == 0) F->Fight.SetAttackAction(0, 3);
    F->Selected = c.Selected;
    F->ClickCombatant(c.Click);
    EXPECT_EQ(F->Selected, c.SelectedAfter);
    EXPECT_EQ(F->Fight.Actions[0].Kind, c.Kind0);
  }
  // Keys: "2" selects combatant 1, Ctrl+Enter does not accept, BkSpace drops the selection.
  F->Selected = -1;
  Plat::WPARAM key = '2';
  F->FightKeyDown(key, 0);
  EXPECT_EQ(F->Selected, 1);
  key = '2';
  F->FightKeyDown(key, 0);
  key = Plat::VK_BACK;
  F->FightKeyDown(key, 0);
  EXPECT_EQ(F->Selected, -1);
  key = Plat::VK_RETURN;
  F->FightKeyDown(key, DXWin::ssCtrl);
  EXPECT_EQ(F->OrdersPosted, 0);
  key = Plat::VK_SPACE;
  F->FightKeyDown(key, 0);
  EXPECT_EQ(F->Request, Main::frAutomatic);
  // The defender's phase belongs to the computer: clicks do nothing.
  F->Request = Main::frNone;
  F->State = 1;
  F->Selected = -1;
  F->ClickCombatant(3);
  EXPECT_EQ(F->Selected, -1);
  F->State = 0;
}

TEST_F(FightDialogTest, ButtonsFollowThePhaseAndTheSide) {
  Prepare();
  struct {
    const char* Name;
    i32 State;
    u8 Auto;
    bool Accept, Retreat;
  } cases[] = {
      {"the local attacker's phase", 0, 0, true, true},
      {"automatic orders asked for", 0, 1, false, false},
      {"the computer defender's phase", 1, 0, false, false},
      {"the round plays", 7, 0, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    F->State = c.State;
    F->AutoFlag = c.Auto;
    F->UpdateButtons();
    EXPECT_EQ(F->AcceptButton->IsVisible(), c.Accept);
    EXPECT_EQ(F->AutoButton->IsVisible(), c.Accept);
    EXPECT_EQ(F->RetreatButton->IsVisible(), c.Retreat && Own->CanRetreat());
  }
  // Without the retreat cost there is no retreat.
  F->State = 0;
  F->AutoFlag = 0;
  for (TUnit* u : Own->Units)
    if (u) u->Base.ActionPoints.Current = 0, u->RecalcEffective(false);
  F->UpdateButtons();
  EXPECT_FALSE(F->RetreatButton->IsVisible());
  EXPECT_TRUE(F->AcceptButton->IsVisible());
}

TEST_F(FightDialogTest, OccupiedCells) {
  Prepare();
  Main::TUnitData& u = F->Units[0];
  const i32 x = u.X, y = u.Y;
  struct {
    i32 Anim, Facing, Dx, Dy, CellDx, CellDy;
  } cases[] = {
      {Main::faStanding, 2, 0, 0, 0, 0},    // standing: its own cell
      {Main::faWalking, 2, 0, 0, 1, 0},     // at a centre heading east: the next cell
      {Main::faWalking, 2, 10, 0, 1, 0},    // on the way east
      {Main::faWalking, 6, -10, 0, -1, 0},  // on the way west
      {Main::faWalking, 4, 0, -63, 0, -1},  // almost at the next centre north
      {Main::faAttacking, 0, 0, 0, 0, 1},   // any other state: the cell ahead
  };
  for (const auto& c : cases) {
    u.Anim = c.Anim, u.Facing = c.Facing, u.X = x + c.Dx, u.Y = y + c.Dy;
    EXPECT_EQ(F->OccupiedCellX(0), Main::CellOf(x) + c.CellDx) << c.Anim << " " << c.Facing;
    EXPECT_EQ(F->OccupiedCellY(0), Main::CellOf(y) + c.CellDy) << c.Anim << " " << c.Facing;
  }
  u.Anim = Main::faStanding, u.X = x, u.Y = y;
  F->QueueSound(nullptr, 100);
  EXPECT_EQ(F->Sounds.Count(), 0) << "a missing sound is not queued";
}

// Battles through the dispatcher.

class FightThroughGame : public FightDialogTest {
 protected:
  void CollectOrders() {
    Headless->OnAction = [this](const TActionRecord& r, u64) {
      if (r.Type() == atBattleOrders) OrderRecords.push_back(r);
    };
  }
  std::vector<TActionRecord> OrderRecords;
};

TEST_F(FightThroughGame, AShownBattleTakesTheClickedOrders) {
  for (TUnit* u : Own->Units)
    if (u) u->Base.Attack.Current = 150, u->RecalcEffective(true);
  for (TUnit* u : Foe->Units)
    if (u) u->Base.HitPoints.Current = 3, u->RecalcEffective(true);
  CollectOrders();
  i32 clicked = 0;
  Headless->OnBattle = [&](TFightDialog& battle) {
    if (battle.State != 0) return;
    // Select the first attacker, click the first living foe, accept.
    battle.FightMouseDown(DXWin::mbLeft, 0, battle.ScreenX(0), battle.ScreenY(0));
    for (i32 f = 3; f < 6; ++f)
      if (battle.Fight.IsCombatantAlive(f)) {
        battle.FightMouseDown(DXWin::mbLeft, 0, battle.ScreenX(f), battle.ScreenY(f));
        break;
      }
    battle.Accept();
    ++clicked;
  };
  const u32 foeID = Foe->ID;
  Act({atSelect, Own->ID});
  Act({atAttackGroup, foeID});
  Headless->OnBattle = nullptr;
  EXPECT_GE(clicked, 1);
  ASSERT_GE(OrderRecords.size(), 2u);
  EXPECT_EQ(OrderRecords[0].Words[1], 3u);
  EXPECT_EQ(OrderRecords[0].Words[3], u32{fakAttack}) << "the clicked attack travelled";
  EXPECT_GE(OrderRecords[0].Words[5], 3u);
  EXPECT_EQ(S().FindGroup(foeID), nullptr) << "the beaten group left the map";
  EXPECT_EQ(S().BattleRunning, 0);
  EXPECT_FALSE(F->IsVisible());
  EXPECT_EQ(F->Fight.Attacker, nullptr);
}

TEST_F(FightThroughGame, AShownBattleWithSpellsPlaysToItsEnd) {
  // Every side knows battle spells: the spell worker prepares each cast
  // while the order thread decides the computer's orders.
  for (TGroup* g : {Own, Foe})
    for (TUnit* u : g->Units)
      if (u) {
        for (i32 n : {65, 69, 78, 104, 120, 121}) u->Base.KnownSpells |= u->Base.AllowedSpells |= MaskBit(n);
        u->Base.Level = 5;
        u->Base.Recalc();
        u->RecalcEffective(true);
      }
  CollectOrders();
  Act({atSelect, Own->ID});
  Act({atAttackGroup, Foe->ID});
  Headless->OnAction = nullptr;
  EXPECT_EQ(S().BattleRunning, 0);
  EXPECT_EQ(F->Fight.Attacker, nullptr);
  bool spell = false;
  for (const TActionRecord& r : OrderRecords)
    for (i32 i = 0; i < 3; ++i) spell = spell || r.Words[3 + 4 * i] == u32{fakSpell};
  EXPECT_TRUE(spell) << "some side cast a spell";
}

TEST_F(FightThroughGame, AnUnseenBattleTradesRecordsAndLeavesNoTrace) {
  // Two computer players' groups: the computer attacks the neutral group.
  TGroup* neutral = S().FindGroup(GroupOf(0));
  ASSERT_TRUE(neutral);
  for (TUnit* u : Foe->Units)
    if (u) u->Base.Attack.Current = 150, u->RecalcEffective(true);
  CollectOrders();
  const u32 neutralID = neutral->ID;
  S().ViewingPlayer = nullptr;  // nobody sees it
  F->ResolveBattle(Foe, neutral);
  Headless->OnAction = nullptr;
  EXPECT_EQ(S().BattleRunning, 0);
  EXPECT_FALSE(F->IsVisible());
  EXPECT_EQ(F->MarkerMode, 0);
  ASSERT_GE(OrderRecords.size(), 2u) << "each side's orders travel as a record";
  EXPECT_EQ(OrderRecords.size() % 2, 0u);
  EXPECT_EQ(Foe->InBattle, 0);
  const bool beaten = S().FindGroup(neutralID) == nullptr;
  EXPECT_TRUE(beaten || !Foe->CanAttack());
}

TEST_F(FightThroughGame, ACityBattleUsesTheCitysBonusAndGivesItsDefendersBack) {
  TCity* city = nullptr;
  for (TMapObject* o : S().MapObjects)
    if (o->Type == otCity && !city && static_cast<TCity*>(o)->Units.Count() > 0) city = static_cast<TCity*>(o);
  ASSERT_TRUE(city);
  // A timid defender left its slot at the turn start: it stands in again.
  TUnit* kept = city->Units[0];
  city->RemoveAnyUnit(kept, false, false);
  city->AddToSlot(0, kept, false, false, false);
  const i32 slot = 0;
  ASSERT_GE(slot, 0);
  TUnit* defender = city->DefenderSlots[3 * slot];
  ASSERT_TRUE(defender);
  defender->Base.HitPoints.Current = 1000;
  defender->RecalcEffective(false);
  S().ViewingPlayer = nullptr;
  F->ResolveCityBattle(Foe, city, slot);
  EXPECT_EQ(defender->DefenceBonus, Data2::GlobalData->CityDefenceBonus);
  EXPECT_EQ(defender->Container, city) << "back in the city";
  EXPECT_EQ(city->DefenderGroup->GetUnitCount(), 0);
  EXPECT_EQ(S().BattleRunning, 0);
}

// Mission 2 holds a city of the computer's: the player's attack on it opens
// the battle screen.
class CityBattleOnScreen : public TGameFixture {};

TEST_F(CityBattleOnScreen, ThePlayersAttackOnACityIsFoughtOnTheScreen) {
  StartMission(2);
  TGroup* own = S().FindGroup(GroupOf(1));
  ASSERT_TRUE(own);
  TCity* city = nullptr;
  for (TMapObject* o : S().MapObjects)
    if (o->Type == otCity && static_cast<TCity*>(o)->GetOwner() == &Player(2)) city = static_cast<TCity*>(o);
  ASSERT_TRUE(city);
  ASSERT_NE(city->Reserved1, 0u) << "the city has a battle background of its own";
  // Its defender stands in the first slot and outlasts the attack.
  TUnit* defender = city->DefenderSlots[0];
  ASSERT_TRUE(defender);
  defender->Base.HitPoints.Current = 1000;
  defender->RecalcEffective(false);
  TFightDialog* f = Game->FightDialog.get();
  bool seen = false;
  u32 background = 0;
  i32 bonus = -1;
  Headless->OnBattle = [&](TFightDialog& battle) {
    if (seen) return;
    seen = battle.IsVisible() && battle.BattleShown();
    background = battle.Background ? battle.Background->ID : 0;
    EXPECT_EQ(battle.City, city);
    EXPECT_EQ(battle.Fight.UnitOf(3), defender);
    bonus = defender->DefenceBonus;
  };
  Act({atSelect, own->ID});
  Act({atAttackCity, city->ID});
  Headless->OnBattle = nullptr;
  EXPECT_TRUE(seen) << "the battle screen was shown";
  EXPECT_EQ(background, city->Reserved1);
  EXPECT_EQ(bonus, Data2::GlobalData->CityDefenceBonus);
  EXPECT_GT(bonus, 0);
  EXPECT_EQ(defender->Container, city) << "back in the city";
  EXPECT_EQ(city->DefenderGroup->GetUnitCount(), 0);
  EXPECT_EQ(S().BattleRunning, 0);
  EXPECT_FALSE(f->IsVisible());
  EXPECT_EQ(f->Fight.Attacker, nullptr);
}

}  // namespace
}  // namespace GameTest
