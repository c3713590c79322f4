#include "tests/game/game_fixture.h"

#include "engine/base/base.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace GameTest {

void TGameFixture::SetUp() {
  SavedAppDir = Base::AppDir;
  Base::AppDir = ProgramDir.Path();
  Headless = std::make_unique<Main::THeadlessGame>(1);
  // The headless game deletes it with the other windows.
  delete VideoWindow;
  VideoWindow = Videos = new TVideoRecorder;
  for (std::size_t i = 0; i < Main::VideoNames.size(); ++i) Main::VideoNames[i] = "video" + std::to_string(i) + ".avi";
}

void TGameFixture::TearDown() {
  Headless.reset();
  Main::VideoNames = {};
  Base::AppDir = SavedAppDir;
}

void TGameFixture::StartMission(i32 number) { Headless->StartMission(number); }

GameData::TScenario& TGameFixture::S() const { return *Game->Scenario; }
GameData::TPlayer& TGameFixture::Player(i32 index) const { return *S().PlayerAt(index); }

void TGameFixture::Act(std::initializer_list<u32> words) {
  GameData::TActionRecord record;
  u32* w = record.Words;
  for (u32 word : words) *w++ = word;
  Headless->Act(record);
}

u32 TGameFixture::GroupOf(u8 owner) const { return FirstGroupOf(S(), owner); }

u32 FirstGroupOf(const GameData::TScenario& s, u8 owner) {
  for (const GameData::TMapObject* o : s.MapObjects)
    if (o->Type == GameData::otGroup && static_cast<const GameData::TGroup*>(o)->OwnerIndex == owner) return o->ID;
  return 0;
}

void TeachBattleSpells(GameData::TScenario& s) {
  for (u8 owner : {u8{1}, u8{2}})
    if (GameData::TGroup* g = s.FindGroup(FirstGroupOf(s, owner)))
      for (GameData::TUnit* u : g->Units)
        if (u) {
          for (i32 n : {65, 69, 78, 104, 120, 121})
            u->Base.KnownSpells |= u->Base.AllowedSpells |= GameData::MaskBit(n);
          u->Base.Level = 5;
          u->Base.Recalc();
          u->RecalcEffective(true);
        }
}

}  // namespace GameTest
