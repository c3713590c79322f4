// The unit detail window: values coloured against the base record, the
// active spells and skills it lists, skill lines that keep their turns when
// shortened, the ways it closes, and its picture.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/gfx/font.h"
#include "game/panels/unit_detail_window.h"
#include "game/panels/unit_panel.h"
#include "tests/game/panel_fixture.h"
#include "world/data2/global_data.h"

namespace PanelTest {
namespace {

using Main::TDetailPiece;

constexpr u32 Black = 0, Raised = 0x0000C0, Lowered = 0xC00000;
constexpr i32 HitPoints = 0, Attack = 6, Defence = 8;

GameData::TAfterEffect* Effect(i32 id, i32 turns) {
  auto* e = new GameData::TAfterEffect{};
  e->EffectID = id;
  e->TurnsLeft = turns;
  return e;
}

class UnitDetail : public TPanelFixture {
 protected:
  void SetUp() override {
    TPanelFixture::SetUp();
    Unit = GroupAt(7, 21)->Units[0];
    Detail = Game->UnitDetailWindow.get();
    Detail->PanelLeft = 130;
  }
  // Skills 3..14 as prototypes, so that twelve can be known.
  void AddSkills() {
    for (i16 n = 3; n <= 14; ++n) {
      GameData::TSkillPrototype p{};
      p.Number = n;
      std::snprintf(p.Name, sizeof p.Name, "Kunst %d", n);
      std::snprintf(p.Description, sizeof p.Description, "Die Kunst Nummer %d.", n);
      Data2::GlobalData->SkillPrototypes.Add(p);
    }
  }
  GameData::TUnit* Unit = nullptr;
  Main::TUnitDetailWindow* Detail = nullptr;
};

TEST_F(UnitDetail, ValuesColouredAgainstTheBase) {
  GameData::TAfterEffect* curse = Effect(2, 3);
  curse->Properties.Attack.Current = -3;
  Unit->AddAfterEffect(curse);
  GameData::TAfterEffect* blessing = Effect(1, 2);
  blessing->Properties.HitPoints.Base = 10;
  Unit->AddAfterEffect(blessing);
  Unit->RecalcEffective(true);
  const GameData::TUnitProperties &e = Unit->Effective, &b = Unit->Base;

  const std::vector<TDetailPiece> attack = Main::PropertyPieces(*Unit, Attack);
  ASSERT_GE(attack.size(), 3u);
  EXPECT_EQ(attack[0], (TDetailPiece{std::to_string(e.Attack.Current), Lowered}));
  EXPECT_EQ(attack[1], (TDetailPiece{"/", Black}));
  EXPECT_EQ(attack[2].Colour, Black);
  const std::vector<TDetailPiece> hits = Main::PropertyPieces(*Unit, HitPoints);
  EXPECT_EQ(hits[2], (TDetailPiece{std::to_string(b.HitPoints.ValueAt(b.Level) + 10), Raised}));
  // Growth: " + delta/every" when the property grows.
  ASSERT_EQ(hits.size(), 7u);
  EXPECT_EQ(hits[3], (TDetailPiece{" + ", Black}));
  EXPECT_EQ(hits[4], (TDetailPiece{std::to_string(e.HitPoints.Delta), Black}));
  EXPECT_EQ(hits[5], (TDetailPiece{"/", Black}));
  EXPECT_EQ(hits[6], (TDetailPiece{std::to_string(e.HitPoints.Every), Black}));
  // A current value of 0 is black whatever the base holds.
  Unit->Base.Defence.Current = 4;
  GameData::TAfterEffect* broken = Effect(3, 1);
  broken->Properties.Defence.Current = -4;
  Unit->AddAfterEffect(broken);
  Unit->RecalcEffective(true);
  EXPECT_EQ(Main::PropertyPieces(*Unit, Defence)[0], (TDetailPiece{"0", Black}));
}

TEST_F(UnitDetail, ListsTwelveSpellsAndTenSkills) {
  for (i32 i = 0; i < 14; ++i) Unit->AddAfterEffect(Effect(i % 2 ? 1 : 65, i + 1));
  Unit->AddAfterEffect(Effect(5001, 4));  // a skill's effect is no active spell
  AddSkills();
  Unit->Base.KnownSkills = 0;
  for (i32 n = 3; n <= 14; ++n) Unit->Base.KnownSkills |= GameData::MaskBit(n);
  Unit->RecalcEffective(true);
  Detail->SetUnit(Unit);
  const auto spells = Detail->ShownSpells();
  ASSERT_EQ(spells.size(), 12u);
  EXPECT_EQ(spells[5].Square.Left, 40 + 50);
  EXPECT_EQ(spells[5].Square.Top, 370 + 50);
  const auto skills = Detail->ShownSkills();
  ASSERT_EQ(skills.size(), 10u);
  EXPECT_EQ(skills[0].SkillID, 3);
  EXPECT_EQ(skills[9].SkillID, 12);
  EXPECT_EQ(skills[9].Line.Top, 370 + 16 * 9);
  // Hints: a spell square, a skill line, nothing.
  EXPECT_EQ(Detail->HintAt(45, 375), "Wundsegen\nDer Kampfzauber Wundsegen.");
  EXPECT_EQ(Detail->HintAt(95, 375), "Heilung\nDer Zauber Heilung.");
  EXPECT_EQ(Detail->HintAt(272, 370 + 16 + 3), "Kunst 4\nDie Kunst Nummer 4.");
  EXPECT_EQ(Detail->HintAt(85, 375), "");  // between two icons
  EXPECT_EQ(Detail->HintAt(519, 375), "");  // beyond the line's text
  Detail->CloseDetail();
}

TEST_F(UnitDetail, SkillLineKeepsItsTurns) {
  Gfx::TFont* font = Main::StandardFont(4);
  ASSERT_NE(font, nullptr);
  Unit->AddAfterEffect(Effect(5001, 3));
  const std::string longName = "Schwertkampf der alten Meister aus dem fernen Norden";
  const std::string line = Main::SkillLine(*Unit, longName, 1, font, 250);
  EXPECT_LE(font->TextWidth(line), 250);
  ASSERT_GE(line.size(), 7u);
  EXPECT_EQ(line.substr(line.size() - 7), "... (3)");
  EXPECT_EQ(Main::SkillLine(*Unit, "Kurz", 1, font, 250), "Kurz (3)");
  EXPECT_EQ(Main::SkillLine(*Unit, "Kurz", 2, font, 250), "Kurz");
}

TEST_F(UnitDetail, EscapeAndEitherButtonClose) {
  struct TCase {
    const char* Name;
    std::function<void()> Input;
  };
  const TCase cases[] = {
      {"Esc", [&] { Os->KeyDown(27); }},
      {"left", [&] { Os->MouseButton(DXWin::mbLeft, true, 700, 580); }},
      {"right", [&] { Os->MouseButton(DXWin::mbRight, true, 5, 5); }},
  };
  for (const TCase& c : cases) {
    Detail->SetUnit(Unit);
    EXPECT_NE(Unit->Picture, nullptr) << c.Name;
    const int result = RunModal(*Detail, [&](u32 step) {
      if (step == 5) c.Input();
    });
    EXPECT_EQ(result, 1) << c.Name;
    EXPECT_EQ(Unit->Picture, nullptr) << c.Name << ": the picture is given back";
  }
}

TEST_F(UnitDetail, Picture) {
  GameData::TAfterEffect* curse = Effect(2, 3);
  curse->Properties.Attack.Current = -3;
  Unit->AddAfterEffect(curse);
  GameData::TAfterEffect* blessing = Effect(13, 2);
  blessing->Properties.HitPoints.Base = 10;
  blessing->Properties.Sight.Delta = 1;
  Unit->AddAfterEffect(blessing);
  Unit->AddAfterEffect(Effect(66, 7));
  Unit->AddAfterEffect(Effect(5002, 2));
  Unit->Base.KnownSkills = GameData::MaskBit(1) | GameData::MaskBit(2) | GameData::MaskBit(45);
  Unit->RecalcEffective(true);
  Detail->SetUnit(Unit);
  Detail->Show();
  Sys->ProcessRequests();
  DrawScreen();
  ExpectPicture("unit_detail", {130, 0, 130 + 540, 560});
  Detail->CloseDetail();
}

}  // namespace
}  // namespace PanelTest
