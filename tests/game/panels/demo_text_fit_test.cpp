// The demo fonts against the fixed layouts of the panels, the detail window
// and the spell book: the widest text the demo can put in each place, in
// the font that place uses, fits its room, measured as the program lays it
// out (advances) and as it inks it (drawn rows).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controls/standard_font.h"
#include "engine/gfx/font.h"
#include "engine/gfx/screen.h"
#include "game/panels/unit_panel.h"
#include "tests/game/panel_fixture.h"
#include "tools/demodata/screens/demo_panel_art.h"
#include "world/data2/global_data.h"
#include "world/data2/prototypes.h"

namespace PanelTest {
namespace {

using GameData::TUnit;
using GameData::TUnitProperties;
using GameData::TUnitProperty;

// Every text the demo's units give each place.
struct TDemoTexts {
  std::vector<std::string> Gauges, Column, Levels, Values, Names, HeroNames;

  void Add(const TUnit& unit) {
    const TUnitProperties& e = unit.Effective;
    const auto gauge = [this](i32 max, i32 value) {
      Gauges.push_back(Main::GaugeNumber(max, max));
      Gauges.push_back(Main::GaugeNumber(value, max));
    };
    gauge(e.HitPoints.ValueAt(e.Level), e.HitPoints.Current);
    gauge(e.ActionPoints.ValueAt(e.Level), e.ActionPoints.Current);
    gauge(e.Mana.ValueAt(e.Level), e.Mana.Current);
    gauge(e.ExperienceForLevel(e.Level + 1), e.Experiences);
    for (i32 n : {i32{e.Morale}, i32{e.Sight.Current}, i32{e.Attack.Current}, i32{e.CounterAttack.Current},
                  i32{e.Defence.Current}})
      Column.push_back(std::to_string(n));
    Levels.push_back(std::to_string(e.Level));
    Values.push_back(std::to_string(e.Experiences) + " (" + std::to_string(e.ExperienceForLevel(e.Level + 1)) + ")");
    Values.push_back(std::to_string(e.Morale) + "/100");
    for (i32 i = 0; i < TUnitProperties::PropertyCount; ++i) {
      const TUnitProperty& p = e.Property(i);
      std::string line = std::to_string(p.Current) + "/" + std::to_string(p.ValueAt(e.Level));
      if (p.Delta >= 1 && p.Every > 0) line += " + " + std::to_string(p.Delta) + "/" + std::to_string(p.Every);
      Values.push_back(line);
    }
    (unit.Hero ? HeroNames : Names).push_back(unit.GetDisplayName());
  }
};

class DemoTextFit : public TPanelFixture {
 protected:
  void SetUp() override {
    TPanelFixture::SetUp();
    Other = WorldTest::TDemoWorld::Load(World->ScenarioFile("demo1.scn"));
    for (const GameData::TScenario* s : {Scenario.get(), Other.get()})
      for (const TUnit* u : s->Units.Items) Texts.Add(*u);
    ASSERT_FALSE(Texts.HeroNames.empty());
  }

  // The rows (top, bottom exclusive) that the text inks when drawn with its
  // top at row 0.
  std::pair<i32, i32> InkRows(Gfx::TFont* font, const std::string& text) {
    Plat::TSurface* back = Display->Back();
    constexpr i32 Top = 100;
    constexpr i32 Rows = 2 * Top, Columns = 400;
    Gfx::FillRect(back, 0, 0, Columns, Rows, 0xFFFF, nullptr);
    font->DrawText(back, 10, Top, text, 0, nullptr);
    i32 first = Rows, last = -1;
    for (i32 y = 0; y < Rows; ++y)
      for (i32 x = 0; x < Columns; ++x)
        if (Pixel(x, y) != 0xFFFF) {
          first = std::min(first, y);
          last = std::max(last, y);
        }
    return {first - Top, last + 1 - Top};
  }

  std::unique_ptr<GameData::TScenario> Other;
  TDemoTexts Texts;
};

std::vector<std::string> SpellTexts(const char* label, i16 GameData::TSpellPrototype::* field) {
  std::vector<std::string> texts;
  for (const GameData::TSpellPrototype& s : Data2::GlobalData->SpellPrototypes)
    texts.push_back(std::string(label) + ": " + std::to_string(s.*field));
  return texts;
}

TEST_F(DemoTextFit, EveryTextFitsItsPlace) {
  std::vector<std::string> spellNames;
  for (const GameData::TSpellPrototype& s : Data2::GlobalData->SpellPrototypes) spellNames.push_back(s.Name);
  std::vector<std::string> ranges;
  for (i32 level = 1; level <= GameData::MaxLevel; ++level) ranges.push_back("Reichweite: " + std::to_string(level + 2));
  std::vector<std::string> names = Texts.Names;
  names.insert(names.end(), Texts.HeroNames.begin(), Texts.HeroNames.end());
  std::vector<std::string> costs = SpellTexts("Level", &GameData::TSpellPrototype::Level);
  for (const auto& more : {SpellTexts("AP", &GameData::TSpellPrototype::APCost),
                           SpellTexts("Mana", &GameData::TSpellPrototype::ManaCost)})
    costs.insert(costs.end(), more.begin(), more.end());

  struct TPlace {
    const char* Name;
    i32 Font;
    std::vector<std::string> Texts;
    i32 Width;
  };
  const TPlace places[] = {
      // Gauges stand 16 pixels apart, their numbers centred over them.
      {"group panel: gauge numbers", 3, Texts.Gauges, 15},
      {"group panel: gauge labels", 3, {"HP", "AP", "M", "E"}, 15},
      // Centred on x 225 of a panel 238 wide with a rim of 2.
      {"group panel: number column", 3, Texts.Column, 22},
      {"group panel: level", 3, Texts.Levels, 16},
      {"battle panels: number row", 3, Texts.Column, 35},
      {"detail window: labels", 4,
       {"Level:", "Erfahrung:", "Trefferpunkte:", "Aktionspunkte:", "Mana:", "Moral:", "Sicht:", "Angriff:",
        "Gegenangriff:", "Abwehr:"},
       89},
      {"detail window: indented labels", 4, {"Regeneration"}, 79},
      {"detail window: values", 4, Texts.Values, 120},
      {"detail window: captions", 4, {"Aktive Spr\xFC" "che:", "F\xE4higkeiten/Gegenst\xE4nde:"}, 229},
      {"detail window: name", 27, names, 540},
      {"spell book: spell names", 3, spellNames, 140},
      {"spell book: costs", 2, costs, 54},
      {"spell book: third line", 2, [&] {
         std::vector<std::string> t = ranges;
         for (const char* kind : {"Neutral", "Angreifen", "Verteidigen"}) t.push_back(std::string("Typ: ") + kind);
         return t;
       }(), 85},
  };
  for (const TPlace& place : places) {
    Gfx::TFont* font = Main::StandardFont(place.Font);
    ASSERT_NE(font, nullptr) << place.Name;
    ASSERT_FALSE(place.Texts.empty()) << place.Name;
    const auto widest = std::max_element(place.Texts.begin(), place.Texts.end(), [font](const auto& a, const auto& b) {
      return font->TextWidth(a) < font->TextWidth(b);
    });
    EXPECT_LE(font->TextWidth(*widest), place.Width) << place.Name << ": \"" << *widest << "\"";
  }
}

TEST_F(DemoTextFit, TextsStayInTheirRows) {
  Gfx::TFont* numbers = Main::StandardFont(3);
  ASSERT_NE(numbers, nullptr);
  // A gauge's maximum is drawn from 18, its value from 8 rows above the tube,
  // each less half the font's height.
  const auto [top, bottom] = InkRows(numbers, "0123456789K");
  const i32 half = numbers->Height / 2;
  EXPECT_LE(-18 - half + bottom, -8 - half + top) << "the maximum ends above the value";
  EXPECT_LE(-8 - half + bottom, 0) << "the value ends above the tube";
  EXPECT_GE(38 - 18 - half + top, Builder::PanelOverlap) << "the maximum stays below the panel above";

  // The name sits 93 rows down a panel 114 high whose last 10 rows lie under
  // the open band of the next panel.
  for (i32 id : {3, 5}) {
    Gfx::TFont* font = Main::StandardFont(id);
    ASSERT_NE(font, nullptr);
    for (const std::string& name : id == 5 ? Texts.HeroNames : Texts.Names)
      EXPECT_LE(93 + InkRows(font, name).second, 114) << name;
  }
  Gfx::TSprite* background = Data2::GlobalData->SpriteTable[1054];
  ASSERT_NE(background, nullptr);
  Gfx::FillRect(Display->Back(), 0, 0, W, H, 0x1234, nullptr);
  background->Draw(Display->Back(), 0, 0, 0, nullptr);
  for (i32 y = 0; y < 114; ++y)
    for (i32 x = 0; x < 238; x += 7)
      ASSERT_EQ(Pixel(x, y) == 0x1234, y < Builder::PanelOverlap) << x << "," << y;

  // The detail window's lines are 16 rows apart; a spell book entry holds the
  // name and three lines in 64 rows.
  EXPECT_LE(Main::StandardFont(4)->Height, 16);
  EXPECT_LE(Main::StandardFont(3)->Height + 3 * Main::StandardFont(2)->Height, 64);
}

}  // namespace
}  // namespace PanelTest
