// The creature book over the first demo mission: what the campaign player
// has seen, by category, paging by keys, the value texts and a description
// too long for its box.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/dxwin/button.h"
#include "engine/dxwin/window_system.h"
#include "game/pedia/creature_pedia.h"
#include "tests/game/game_fixture.h"
#include "world/data2/global_data.h"
#include "world/data2/prototypes.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"

namespace GameTest {
namespace {

using namespace GameData;

// Demo prototypes: 1 knight and 2 mage (humans, heroes), 3 wolf, 4 skeleton, 5 spearman (human).
class CreatureBook : public TGameFixture {
 protected:
  void SetUp() override {
    TGameFixture::SetUp();
    StartMission(1);
  }
  std::unique_ptr<Main::TCreaturePediaWindow> Open(std::initializer_list<i32> seen) {
    Player(1).SeenPrototypes.Clear();
    for (i32 id : seen) Player(1).SeenPrototypes.Add(id);
    return std::make_unique<Main::TCreaturePediaWindow>(WindowSystem, &S());
  }
  static std::vector<u32> IDs(const Main::TCreatureCategory& c) {
    std::vector<u32> ids;
    for (const TUnitPrototype* u : c.Entries) ids.push_back(u->ID);
    return ids;
  }
  TUnitPrototype& Prototype(u32 id) const {
    return Data2::GlobalData->UnitPrototypes[Data2::GlobalData->FindUnitPrototype(id)];
  }
  void Key(Main::TCreaturePediaWindow& book, Plat::WPARAM key) {
    book.OnKeyDown(key, 0);
  }
};

TEST_F(CreatureBook, SortsWhatPlayerOneHasSeenIntoItsCategories) {
  auto book = Open({4, 5, 99, 3, 1, 5});
  EXPECT_EQ(IDs(book->Animals), std::vector<u32>{3});
  EXPECT_EQ(IDs(book->Humans), (std::vector<u32>{5, 1, 5}));
  EXPECT_EQ(IDs(book->Undead), std::vector<u32>{4});
  EXPECT_EQ(book->Category, &book->Animals) << "animals come first";
  ASSERT_NE(book->Shown(), nullptr);
  EXPECT_EQ(book->Shown()->ID, 3u);
  EXPECT_NE(book->CreaturePicture, nullptr);

  // Without its book picture a creature stays out; humans first then.
  const u32 picture = Prototype(3).BookPictureID;
  Prototype(3).BookPictureID = 0;
  book = Open({3, 1});
  Prototype(3).BookPictureID = picture;
  EXPECT_TRUE(book->Animals.Entries.empty());
  EXPECT_EQ(book->Category, &book->Humans);
  EXPECT_FALSE(book->Areas[Main::caAnimals]->IsEnabled());
  EXPECT_TRUE(book->Areas[Main::caHumans]->IsEnabled());
  EXPECT_FALSE(book->Areas[Main::caUndead]->IsEnabled());
}

TEST_F(CreatureBook, AnEmptyBookShowsNothingAndEscapeCloses) {
  auto book = Open({});
  EXPECT_EQ(book->Category, nullptr);
  EXPECT_EQ(book->CreaturePicture, nullptr);
  for (i32 a : {Main::caAnimals, Main::caHumans, Main::caUndead}) EXPECT_FALSE(book->Areas[a]->IsEnabled());
  EXPECT_FALSE(book->Areas[Main::caNext]->IsVisible());
  Key(*book, 27);
  EXPECT_EQ(book->ModalResult, 1);
}

// F2 opens the humans, PgDown and PgUp page with the areas following, a
// category remembers its page, and a disabled category's key does nothing.
TEST_F(CreatureBook, KeysPageAndChooseCategories) {
  auto book = Open({3, 5, 1, 2});
  Key(*book, 0x71);  // F2
  EXPECT_EQ(book->Category, &book->Humans);
  EXPECT_FALSE(book->Areas[Main::caPrevious]->IsVisible());
  EXPECT_TRUE(book->Areas[Main::caNext]->IsVisible());
  Key(*book, 0x22);  // PgDown
  EXPECT_EQ(book->Humans.Index, 1);
  EXPECT_TRUE(book->Areas[Main::caPrevious]->IsVisible());
  Key(*book, 0x23);  // End
  EXPECT_EQ(book->Humans.Index, 2);
  EXPECT_FALSE(book->Areas[Main::caNext]->IsVisible());
  Key(*book, 0x22);
  EXPECT_EQ(book->Humans.Index, 2) << "no page past the last";
  Key(*book, 0x70);  // F1
  EXPECT_EQ(book->Category, &book->Animals);
  Key(*book, 0x72);  // F3: no undead seen
  EXPECT_EQ(book->Category, &book->Animals);
  Key(*book, 0x71);
  EXPECT_EQ(book->Humans.Index, 2) << "the remembered page";
  Key(*book, 0x24);  // Home
  EXPECT_EQ(book->Humans.Index, 0);
  Plat::WPARAM esc = 27;
  book->OnKeyDown(esc, DXWin::ssShift);
  EXPECT_EQ(book->ModalResult, 0) << "keys with Shift are ignored";
}

TEST(CreatureValues, GrowthAndColumns) {
  struct TCase {
    TUnitProperty Property;
    i32 Level;
    const char* Text;
  };
  const TCase cases[] = {{{0, 10, 2, 3}, 1, "10 + 2/3"}, {{0, 10, 2, 0}, 1, "10"}, {{0, 10, 0, 3}, 1, "10"},
                         {{0, 10, 2, 3}, 4, "12 + 2/3"}, {{0, 0, 0, 0}, 1, "0"}};
  for (const TCase& c : cases) EXPECT_EQ(Main::CreatureValueText(c.Property, c.Level), c.Text);

  TUnitPrototype u{};
  u.Properties.Level = 1;
  u.Properties.HitPoints = {0, 35, 5, 1};
  u.Properties.HPRegenerate = {0, 0, 1, 3};
  u.Properties.ActionPoints = {0, 12, 0, 0};
  u.Properties.Sight = {0, 4, 1, 10};
  u.Hero = true;
  using L = Main::TCreatureLine;
  const std::vector<L> lines = Main::CreatureLines(u, 50);
  const std::vector<L> expected = {
      {429, 122, "Attribute auf Level 1:"},
      {429, 152, "Trefferpunkte:"}, {519, 152, "35 + 5/1"},
      {439, 168, "Regeneration"}, {519, 168, "0 + 1/3"},
      {429, 184, "Aktionspunkte:"}, {519, 184, "12"},
      {429, 200, "Mana:"}, {519, 200, "0"},
      {429, 216, "Moral:"}, {519, 216, "50"},
      {590, 152, "Sicht:"}, {670, 152, "4 + 1/10"},
      {590, 168, "Angriff:"}, {670, 168, "0"},
      {590, 184, "Gegenangriff:"}, {670, 184, "0"},
      {590, 200, "Abwehr:"}, {670, 200, "0"},
  };
  EXPECT_EQ(lines, expected);
  u.Hero = false;
  EXPECT_EQ(Main::CreatureLines(u, 50)[0].Text, "Typische Attribute auf Level 1:");
}

TEST_F(CreatureBook, ALongDescriptionContinuesInTheHint) {
  TUnitPrototype& wolf = Prototype(3);
  char saved[sizeof wolf.Description];
  std::memcpy(saved, wolf.Description, sizeof saved);
  std::string text;
  for (i32 i = 0; i < 60; ++i) text += "Der Wolf jagt im Rudel durch den Wald. ";
  std::snprintf(wolf.Description, sizeof wolf.Description, "%s", text.c_str());
  auto book = Open({3});
  std::memcpy(wolf.Description, saved, sizeof saved);
  ASSERT_FALSE(book->MoreText.empty());
  EXPECT_EQ(book->MoreText.rfind("...", 0), 0u);
  EXPECT_NE(book->MoreText.substr(3, 1), " ") << "the rest starts at a word";
  EXPECT_LE(book->DescriptionText.GetHeight(), 190 + 20);

  auto shortBook = Open({3});
  EXPECT_TRUE(shortBook->MoreText.empty());
}

}  // namespace
}  // namespace GameTest
