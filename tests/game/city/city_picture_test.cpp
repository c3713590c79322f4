// The city screen's and the creature book's pictures on the demo data: the
// square's unit strip, the tavern's top area and a creature's text page.
#include <gtest/gtest.h>

#include "game/city/city_window.h"
#include "game/pedia/creature_pedia.h"
#include "tests/game/panel_fixture.h"
#include "world/locations/city.h"

namespace PanelTest {
namespace {

class CityPicture : public TPanelFixture {
 protected:
  void SetUp() override {
    TPanelFixture::SetUp();
    for (GameData::TMapObject* o : Scenario->MapObjects)
      if (o->Type == GameData::otCity && !City) City = static_cast<GameData::TCity*>(o);
    ASSERT_NE(City, nullptr);
    Game->CityWindow = std::make_unique<Main::TCityWindow>(Sys.get());
    Win = Game->CityWindow.get();
    Win->SetScenario(Scenario.get());
  }
  void TearDown() override {
    if (Win) Win->CloseCity();
    TPanelFixture::TearDown();
  }
  GameData::TCity* City = nullptr;
  Main::TCityWindow* Win = nullptr;
};

TEST_F(CityPicture, SquareAndTavern) {
  GameData::TGroup* group = nullptr;
  for (GameData::TMapObject* o : Scenario->MapObjects)
    if (o->Type == GameData::otGroup && static_cast<GameData::TGroup*>(o)->OwnerIndex == Scenario->CurrentPlayerIndex)
      group = static_cast<GameData::TGroup*>(o);
  ASSERT_NE(group, nullptr);
  Win->Open(City, group);
  ASSERT_TRUE(Win->IsVisible());
  DrawScreen();
  ExpectPicture("city_square", {0, 470, 800, 600});
  Win->VisitMerchant(Main::cbTavern);
  Step();
  DrawScreen();
  ExpectPicture("city_tavern", {200, 80, 800, 176});
}

TEST_F(CityPicture, CreaturePage) {
  GameData::TPlayer* campaignPlayer = Scenario->PlayerAt(1);
  ASSERT_NE(campaignPlayer, nullptr);
  campaignPlayer->SeenPrototypes.Clear();
  campaignPlayer->SeenPrototypes.Add(3);
  auto book = std::make_unique<Main::TCreaturePediaWindow>(Sys.get(), Scenario.get());
  book->Show();
  DrawScreen();
  ExpectPicture("creature_page", {410, 60, 760, 300});
}

}  // namespace
}  // namespace PanelTest
