// The city screen over the first demo mission: opening and leaving, the
// building buttons, dragging and double-clicking units between the lists,
// the merchants' checks in order, and the city actions executed for players
// who do not view the game, sound or damaged.
#include <gtest/gtest.h>

#include <string>

#include "controls/sprite_scroll_bar.h"
#include "controls/text_buttons.h"
#include "game/city/city_window.h"
#include "game/map/map_window.h"
#include "game/panels/face_control.h"
#include "game/panels/spell_list_box.h"
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

class CityScreen : public TGameFixture {
 protected:
  void SetUp() override {
    TGameFixture::SetUp();
    StartMission(1);
    for (TMapObject* o : S().MapObjects)
      if (o->Type == otCity) City = static_cast<TCity*>(o);
    ASSERT_NE(City, nullptr);
    Win = Game->CityWindow.get();
  }
  void Enter() {
    Act({atSelect, GroupOf(1)});
    Act({atEnterCity, City->ID});
  }
  // Runs what the window posted.
  void Settle() { Headless->Settle(); }
  std::string LastMessage() const { return Game->Messages.empty() ? "" : Game->Messages.back(); }
  // The centre of a grid's cell in screen coordinates.
  Plat::TPoint CellCentre(Main::TFaceControl* grid, i32 row, i32 column) const {
    const Base::TRect r = grid->GetCellRect(row, column);
    return grid->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
  }
  void Press(Main::TFaceControl* grid, i32 row, i32 column) {
    const Base::TRect r = grid->GetCellRect(row, column);
    Win->GridPressed(grid, DXWin::mbLeft, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }

  TCity* City = nullptr;
  Main::TCityWindow* Win = nullptr;
};

TEST(CityLayout, ButtonsThresholdAndRecruitRows) {
  struct TButton {
    i32 I, N, Width, X;
  };
  const TButton buttons[] = {{0, 1, 160, 30 + 290}, {0, 4, 160, 30 + 12}, {3, 4, 160, 30 + 3 * 185 + 12},
                             {1, 3, 100, 30 + 246 + 73}, {5, 6, 120, 30 + 5 * 123 + 1}};
  for (const TButton& b : buttons) EXPECT_EQ(Main::BuildingButtonX(b.I, b.N, b.Width), b.X) << b.I << " of " << b.N;
  const std::pair<i32, i32> moves[] = {{5, 0}, {0, -5}, {5, 5}, {6, 0}, {0, -6}, {-6, 3}};
  for (auto [dx, dy] : moves) EXPECT_EQ(Main::DragDistanceReached(dx, dy), std::abs(dx) >= 6 || std::abs(dy) >= 6);
  const std::pair<i32, i32> rows[] = {{0, 2}, {1, 2}, {13, 2}, {14, 2}, {15, 3}, {22, 4}};
  for (auto [n, r] : rows) EXPECT_EQ(Main::RecruitRows(n), r) << n;
  u32 prices[64] = {};
  prices[0] = 60;
  prices[44] = 120;
  prices[63] = 1;
  Main::TOfferTable table;
  Main::FillOffers(table, prices);
  const u32 expected[] = {3, 0, 60, 44, 120, 63, 1};
  for (i32 i = 0; i < 7; ++i) EXPECT_EQ(table[i], expected[i]) << i;
}

// Entering opens the screen instead of the map; Esc in a building goes back
// to the square, Esc in the square walks the departure group out.
TEST_F(CityScreen, OpensAndLeavesNeverTrappingThePlayer) {
  Enter();
  ASSERT_TRUE(S().CityScreenOpen);
  EXPECT_TRUE(Win->IsVisible());
  EXPECT_FALSE(Game->MapWindow->IsVisible());
  EXPECT_EQ(Win->City, City);
  EXPECT_EQ(Win->Building, Main::cbSquare);
  EXPECT_EQ(Win->SelectedUnit, City->DepartureGroup->Units[0]);
  EXPECT_EQ(Win->LeaveButton->Hint, "Stadt verlassen");
  for (i32 i = 0; i < 4; ++i) EXPECT_TRUE(Win->BuildingButtons[i]->IsVisible()) << i;
  EXPECT_FALSE(Win->BuildingButtons[4]->IsVisible());
  EXPECT_FALSE(Win->GoldDisplay->IsVisible());

  Win->EnterBuilding(Main::cbHealer);
  Settle();
  EXPECT_EQ(Win->Building, Main::cbHealer);
  EXPECT_EQ(Win->LeaveButton->Hint, "Heiler verlassen");
  EXPECT_TRUE(Win->Panels[Main::cbHealer]->IsVisible());
  EXPECT_TRUE(Win->PriceDisplay->IsVisible());
  EXPECT_EQ(Win->GoldDisplay->Caption, std::to_string(Player(1).Gold));
  Win->LeavePressed();
  EXPECT_EQ(Win->Building, Main::cbSquare);
  EXPECT_TRUE(Win->DefenderGroup->IsVisible());

  Win->LeavePressed();
  Settle();
  EXPECT_FALSE(S().CityScreenOpen);
  EXPECT_FALSE(Win->IsVisible());
  EXPECT_TRUE(Game->MapWindow->IsVisible());
  EXPECT_EQ(Player(1).GetSelectedCity(), City);
  EXPECT_EQ(City->DepartureGroup->GetUnitCount(), 2) << "the group waits at the gate";
}

// Entering a city executes for every player; hiding the game leaves it.
TEST_F(CityScreen, DeactivatingLeavesAnOpenCity) {
  Enter();
  EXPECT_TRUE(S().CityScreenOpen);
  EXPECT_EQ(Game->CityWindow->City, City);
  EXPECT_EQ(City->DepartureGroup->GetUnitCount(), 2);
  EXPECT_FALSE(Game->MapWindow->IsVisible()) << "the city hides the map";
  Game->Deactivate();
  EXPECT_FALSE(S().CityScreenOpen);
  EXPECT_EQ(Game->CityWindow->City, nullptr);
  EXPECT_EQ(Player(1).GetSelectedCity(), City);
  EXPECT_FALSE(Game->Active);
}

TEST_F(CityScreen, ABuildingNeedsASelectedUnitAndMerchantsComeAndGo) {
  Enter();
  while (City->DepartureGroup->GetUnitCount() > 0)
    Win->MoveUnit(clDeparture, City->DepartureGroup->Units[0]->ID, clUnits, -1);
  Win->EnterBuilding(Main::cbTavern);
  EXPECT_EQ(LastMessage(), "Zum Betreten muss eine Einheit ausgew\xE4hlt sein");
  City->Merchants[1]->Present = 0;
  City->Merchants[2]->Present = 0;
  City->Merchants[3]->Present = 0;
  Win->LayoutBuildingButtons();
  EXPECT_EQ(Win->BuildingButtons[0]->Left, 30 + (740 - Win->BuildingButtons[0]->Width) / 2) << "one button, centred";
  EXPECT_FALSE(Win->BuildingButtons[1]->IsVisible() || Win->BuildingButtons[1]->IsEnabled());
  City->Merchants[0]->Present = 0;
  Win->LayoutBuildingButtons();
  for (Main::TMenuButton* b : Win->BuildingButtons) EXPECT_FALSE(b->IsVisible());
}

// A press that moves less than 6 pixels moves nothing but selects; a drag to
// the other units moves the unit and selects the one left.
TEST_F(CityScreen, DraggingAndDoubleClickingMoveUnits) {
  Enter();
  TUnit* first = City->DepartureGroup->Units[0];
  TUnit* second = City->DepartureGroup->Units[1];
  const i32 others = City->Units.Count();
  Press(Win->DepartureGrid, 0, 1);
  EXPECT_EQ(Win->SelectedUnit, second);
  EXPECT_TRUE(Win->DragPending);
  const Plat::TPoint from = CellCentre(Win->DepartureGrid, 0, 1);
  Win->PointerMoved(from.X + 5, from.Y - 5);
  EXPECT_FALSE(Win->Dragging);
  Win->ButtonReleased(from.X + 5, from.Y - 5);
  Settle();
  EXPECT_FALSE(Win->DragPending);
  EXPECT_EQ(City->DepartureGroup->GetUnitCount(), 2);

  Press(Win->DepartureGrid, 0, 1);
  Win->PointerMoved(from.X + 6, from.Y);
  EXPECT_TRUE(Win->Dragging);
  const Plat::TPoint to = CellCentre(Win->OthersGrid, 0, 0);
  Win->ButtonReleased(to.X, to.Y);
  EXPECT_FALSE(Win->Dragging);
  EXPECT_EQ(Win->DragUnit, nullptr);
  EXPECT_EQ(Win->SelectedUnit, first) << "the unit left behind is selected";
  EXPECT_EQ(second->Container, City->DepartureGroup.get()) << "only posted so far";
  Settle();
  EXPECT_EQ(City->DepartureGroup->GetUnitCount(), 1);
  EXPECT_EQ(City->Units.Count(), others + 1);

  // A double click on the last unit of the group sends it to the others too.
  const Base::TRect cell = Win->DepartureGrid->GetCellRect(0, 0);
  Win->GridDoubleClicked(Win->DepartureGrid, DXWin::mbLeft, cell.Left + 5, cell.Top + 5);
  EXPECT_EQ(Win->SelectedUnit, nullptr);
  Settle();
  EXPECT_EQ(City->DepartureGroup->GetUnitCount(), 0);
  // And one of the city's own units double-clicked joins the empty group, selected.
  const i32 row = City->Units.IndexOf(first);
  ASSERT_GE(row, 0);
  Win->ShowAllOthers = 1;
  Win->LayoutGrids();
  const i32 shown = row - (Win->OthersScroll->IsVisible() ? Win->OthersScroll->Position : 0);
  ASSERT_GE(shown, 0);
  const Base::TRect otherCell = Win->OthersGrid->GetCellRect(shown, 0);
  Win->GridDoubleClicked(Win->OthersGrid, DXWin::mbLeft, otherCell.Left + 5, otherCell.Top + 5);
  EXPECT_EQ(Win->SelectedUnit, first);
  Settle();
  EXPECT_EQ(City->DepartureGroup->Units[0], first);
}

TEST_F(CityScreen, CollapsedGridsShowOneRowAndExpandedOnesScroll) {
  Enter();
  while (City->Units.Count() < 6) {
    auto* unit = new TUnit;
    unit->SetPrototype(City->DepartureGroup->Units[0]->Prototype);
    unit->OwnerIndex = NoOwner;
    City->AddUnit(unit, true, false, true);
  }
  Win->LayoutGrids();
  EXPECT_EQ(Win->OthersGrid->ShownRows(), 1);
  EXPECT_FALSE(Win->OthersScroll->IsVisible());
  EXPECT_EQ(Win->OthersGrid->Top, 600 - 130);
  Win->ShowAllOthers = 1;
  Win->LayoutGrids();
  EXPECT_EQ(Win->OthersGrid->ShownRows(), 4);
  EXPECT_TRUE(Win->OthersScroll->IsVisible());
  EXPECT_EQ(Win->OthersScroll->Max, City->Units.Count() - 4);
  EXPECT_EQ(Win->OthersGrid->Top, 600 - 4 * 130);
}

// Every refusal of the mage and the battle master in order: the first
// failing check speaks; gold equal to the price buys.
TEST_F(CityScreen, PurchaseChecksRefuseInOrder) {
  Enter();
  TUnit& u = *Win->SelectedUnit;
  Data2::TGlobalData& g = *Data2::GlobalData;
  TSpellPrototype& spell1 = g.SpellPrototypes[g.FindSpellPrototype(1)];
  const i16 spellLevel = spell1.Level;
  struct TCase {
    const char* Name;
    bool Knows, Allowed, LevelHigh;
    u32 Gold;
    const char* Message;  // null: posted
  };
  const u32 price = City->Mage()->SpellPrices[0];
  const TCase spells[] = {
      {"known and too dear", true, true, false, 0, "Die Einheit kennt diesen Zauberspruch bereits"},
      {"not allowed", false, false, true, price, "Einheit kann diesen Zauberspruch nicht erlernen"},
      {"level", false, true, false, price, "Der Level dieser Einheit ist zu niedrig, um diesen Zauberspruch zu erlernen"},
      {"one short", false, true, true, price - 1, "Nicht gen\xFCgend Gold f\xFC" "r diesen Zauberspruch "},
      {"exact", false, true, true, price, nullptr},
  };
  Win->EnterBuilding(Main::cbMageShop);
  Settle();
  ASSERT_EQ(Win->Building, Main::cbMageShop);
  ASSERT_GT(Win->SpellItems[0], 0u);
  for (const TCase& c : spells) {
    Game->Messages.clear();
    u.Effective.KnownSpells = c.Knows ? MaskBit(1) : 0;
    u.Effective.AllowedSpells = c.Allowed ? MaskBit(1) : 0;
    spell1.Level = static_cast<i16>(c.LevelHigh ? 1 : u.Effective.Level + 1);
    Player(1).Gold = c.Gold;
    Win->OfferLists[0]->ItemIndex = 0;
    const u32 counter = S().ActionCounter;
    Win->SecondActionPressed();
    if (c.Message) {
      EXPECT_EQ(LastMessage(), c.Message) << c.Name;
      EXPECT_EQ(S().ActionCounter, counter) << c.Name;
    } else {
      EXPECT_EQ(S().ActionCounter, counter + 1) << c.Name;
      Settle();
      EXPECT_TRUE(u.KnowsSpell(1)) << c.Name;
      EXPECT_EQ(Player(1).Gold, 0u);
      EXPECT_EQ(LastMessage(), "Zauberspruch schon erworben");
    }
  }
  spell1.Level = spellLevel;

  Win->LeavePressed();
  Win->EnterBuilding(Main::cbBattleMaster);
  Settle();
  ASSERT_EQ(Win->Building, Main::cbBattleMaster);
  ASSERT_GT(Win->BattleMasterItems[0], 0u);
  const i32 skill = static_cast<i32>(Win->BattleMasterItems[1]) + 1;
  const u32 skillPrice = Win->BattleMasterItems[2];
  TSkillPrototype& proto = g.SkillPrototypes[g.FindSkillPrototype(static_cast<i16>(skill))];
  const TSkillPrototype saved = proto;
  struct TSkillCase {
    bool Knows, Allowed, LevelHigh;
    u32 Gold;
    i16 AP;
    const char* Message;
  };
  const TSkillCase skills[] = {
      {true, false, false, 0, 0, "Einheit verf\xFCgt bereits \xFC" "ber diese F\xE4higkeit"},
      {false, false, false, 0, 0, "Einheit kann diese F\xE4higkeit nicht erwerben"},
      {false, true, false, 0, 0, "Level der Einheit zu niedrig, um diese F\xE4higkeit zu erwerben"},
      {false, true, true, skillPrice - 1, 0, "Nicht gen\xFCgend Gold, um diese F\xE4higkeit zu verbessern"},
      {false, true, true, skillPrice, 99, "Nicht gen\xFCgend Aktionspunkte!"},
      {false, true, true, skillPrice, 0, nullptr},
  };
  for (const TSkillCase& c : skills) {
    Game->Messages.clear();
    u.Effective.KnownSkills = c.Knows ? MaskBit(skill) : 0;
    u.Effective.AllowedSkills = c.Allowed ? MaskBit(skill) : 0;
    proto.Level = static_cast<i16>(c.LevelHigh ? 0 : u.Effective.Level + 1);
    proto.APCost = c.AP;
    Player(1).Gold = c.Gold;
    const u32 counter = S().ActionCounter;
    Win->SecondActionPressed();
    if (c.Message) {
      EXPECT_EQ(LastMessage(), c.Message);
      EXPECT_EQ(S().ActionCounter, counter);
    } else {
      Settle();
      EXPECT_TRUE(u.KnowsSkill(skill));
      EXPECT_EQ(LastMessage(), "F\xE4higkeit erworben");
    }
  }
  proto = saved;
}

TEST_F(CityScreen, TavernPricesAndHiringTheLastRecruit) {
  Enter();
  TUnit* unit = Win->SelectedUnit;
  Win->EnterBuilding(Main::cbTavern);
  Settle();
  ASSERT_EQ(Win->Building, Main::cbTavern);
  const bool human = unit->Prototype->Kind == 1;
  EXPECT_EQ(Win->FirstAction->Caption, "Buy drink");
  EXPECT_EQ(Win->FirstAction->IsEnabled(), human);
  EXPECT_EQ(Win->PriceDisplay->Caption, human ? std::to_string(City->Innkeeper()->DrinkPrice) : "0");
  ASSERT_EQ(City->Recruits.Count(), 1);
  TUnit* recruit = City->Recruits[0];
  const u32 price = static_cast<u32>(recruit->Effective.Level * recruit->Effective.HirePrice);
  Player(1).Gold = price - 1;
  Win->SecondActionPressed();
  EXPECT_EQ(LastMessage(), "Nicht gen\xFCgend Gold, um Einheit anzuheuern");
  Player(1).Gold = price;
  Win->SecondActionPressed();
  Settle();
  EXPECT_EQ(LastMessage(), "Einheit angeheuert");
  EXPECT_EQ(City->Recruits.Count(), 0);
  EXPECT_TRUE(City->ContainsUnit(recruit));
  EXPECT_EQ(Player(1).Gold, 0u);
  EXPECT_EQ(Win->SelectedRecruit, -1);
  EXPECT_FALSE(Win->SecondAction->IsEnabled());
  EXPECT_EQ(Win->GoldDisplay->Caption, "0");
}

// The city actions of a player who does not view the game change the city
// and leave the screen alone; records that name the wrong things change nothing.
TEST_F(CityScreen, ActionsOfAPlayerWhoDoesNotViewChangeOnlyTheWorld) {
  Act({atSelect, GroupOf(1)});
  TGroup* group = Player(1).GetSelectedGroup();
  ASSERT_NE(group, nullptr);
  TPlayer* viewer = S().ViewingPlayer;
  S().ViewingPlayer = &Player(0);  // player 1 plays on another machine
  Win->Open(City, group);
  EXPECT_FALSE(Win->IsVisible());
  EXPECT_TRUE(Game->MapWindow->IsVisible());
  const std::size_t messages = Game->Messages.size();
  TUnit* unit = City->DepartureGroup->Units[0];
  ASSERT_NE(unit, nullptr);
  Player(1).Gold = 10000;

  // Damaged records first: nothing changes.
  struct TBad {
    const char* Name;
    u32 Kind, Unit;
    i32 Payer, Number;
  };
  const u32 stranger = GroupOf(0) ? S().FindGroup(GroupOf(0))->Units[0]->ID : 0;
  const TBad bad[] = {
      {"kind 7", 7, unit->ID, 1, 0},
      {"no such unit", pkBuyDrink, 0xFFFFFF, 1, 0},
      {"a unit outside the city", pkHealUnit, stranger, 1, 0},
      {"another payer", pkBuyDrink, unit->ID, 0, 0},
      {"a spell not for sale", pkLearnSpell, unit->ID, 1, 50},
      {"spell 0", pkLearnSpell, unit->ID, 1, 0},
      {"skill 65", pkBuySkill, unit->ID, 1, 65},
      {"hiring a city unit", pkHireUnit, unit->ID, 1, 0},
  };
  for (const TBad& b : bad) {
    const u64 known = unit->Effective.KnownSpells | unit->Effective.KnownSkills;
    Win->ExecutePurchase(b.Kind, b.Unit, b.Payer, b.Number);
    EXPECT_EQ(Player(1).Gold, 10000u) << b.Name;
    EXPECT_EQ(unit->Effective.KnownSpells | unit->Effective.KnownSkills, known) << b.Name;
  }
  Player(1).Gold = 4;
  Win->ExecutePurchase(pkBuyDrink, unit->ID, 1, 0);
  EXPECT_EQ(Player(1).Gold, 4u) << "one short of the drink";
  Player(1).Gold = 10000;
  Win->MoveUnit(5, unit->ID, 2, -1);
  Win->MoveUnit(0, unit->ID, 1, 9);
  Win->MoveUnit(0, 0xFFFFFF, 2, -1);
  Win->VisitMerchant(6);
  Win->VisitMerchant(-1);
  EXPECT_EQ(City->DepartureGroup->Units[0], unit);
  EXPECT_EQ(Win->Building, Main::cbSquare);

  // Every kind of purchase and move, sound.
  Win->VisitMerchant(Main::cbTavern);
  EXPECT_EQ(Win->Building, Main::cbTavern);
  EXPECT_EQ(Win->BuildingPicture, nullptr) << "nothing fetched for the screen";
  TUnit* recruit = City->Recruits[0];
  Win->ExecutePurchase(pkHireUnit, recruit->ID, 1, 0);
  EXPECT_TRUE(City->ContainsUnit(recruit));
  unit->Base.HitPoints.Current = 1;
  unit->RecalcEffective(true);
  Win->ExecutePurchase(pkHealUnit, unit->ID, 1, 0);
  EXPECT_EQ(unit->Effective.HitPoints.Current, unit->Effective.HitPoints.ValueAt(unit->Effective.Level));
  const u32 beforeDrink = Player(1).Gold;
  Win->ExecutePurchase(pkBuyDrink, unit->ID, 1, 0);
  EXPECT_EQ(Player(1).Gold, beforeDrink - City->Innkeeper()->DrinkPrice);
  unit->Effective.AllowedSpells = unit->Base.AllowedSpells = MaskBit(2);
  Win->ExecutePurchase(pkLearnSpell, unit->ID, 1, 2);
  EXPECT_TRUE(unit->KnowsSpell(2));
  Win->ExecutePurchase(pkBuySkill, unit->ID, 1, 1);
  EXPECT_TRUE(unit->KnowsSkill(1));
  Win->ExecutePurchase(pkBuyHealerSkill, unit->ID, 1, 45);
  EXPECT_TRUE(unit->KnowsSkill(45));
  Win->ExecutePurchase(pkRestoreMana, unit->ID, 1, 0);
  EXPECT_EQ(unit->Effective.Mana.Current, unit->Effective.Mana.ValueAt(unit->Effective.Level));
  Win->MoveUnit(clDeparture, unit->ID, clUnits, -1);
  EXPECT_TRUE(City->ContainsUnit(unit));
  EXPECT_EQ(Game->Messages.size(), messages) << "no ticker line";
  EXPECT_FALSE(Win->IsVisible());
  Win->CloseCity();
  EXPECT_FALSE(S().CityScreenOpen);
  EXPECT_TRUE(Game->MapWindow->IsVisible());
  S().ViewingPlayer = viewer;
}

}  // namespace
}  // namespace GameTest
