// Conversation commands on units: properties by name, one unit or all that
// two masks select; after-effects from the conversation's work record;
// spells and skills through the masks of the property record.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "script/conversation_commands.h"
#include "tests/world/world_fixture.h"
#include "world/scenario/conversation.h"
#include "world/units/group.h"

namespace ScriptTest {
namespace {

using namespace GameData;
using Script::TConversationCommands;
using WorldTest::Knight;
using WorldTest::Skeleton;
using WorldTest::Wolf;

std::string Id(const TUnit* unit) { return std::to_string(unit->ID); }

class UnitCommands : public WorldTest::TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    MakeScenario(16, 16, 3);
    Talk.ID = 31;
    Talk.SetScenario(Scenario.get());
    Ours = NewGroup(1, 2, 2, {Knight, Wolf, Skeleton});
    Theirs = NewGroup(2, 9, 9, {Knight, Wolf});
    Offline = NewUnit(Wolf);
    Hero = Ours->Units[0];
  }

  // Runs the tags (upper-cased by the mark-up) and gives LOCAL0.
  i32 Run(const std::string& tags) {
    TConversationCommands(Talk).ProcessText(tags);
    return Talk.Locals[0];
  }
  std::string ErrorOf(const std::string& tag) {
    try {
      std::string out;
      TConversationCommands(Talk).ExecuteCommand(tag, out);
    } catch (const std::exception& e) {
      return e.what();
    }
    return "(no error)";
  }
  std::string Framed(const std::string& message, const std::string& tag) {
    return "[TConversation]\n" + message + "\nCommand:" + tag.substr(1, tag.size() - 2) + " ConversationID=31";
  }

  TConversation Talk;
  TGroup* Ours = nullptr;
  TGroup* Theirs = nullptr;
  TUnit* Offline = nullptr;
  TUnit* Hero = nullptr;
};

TEST_F(UnitCommands, GetPropertyReadsTheBaseRecordAndComputesMaxima) {
  Hero->Base.Level = 3;
  Hero->Base.Mana.Current = -7;
  Hero->RecalcEffective(false);
  Hero->AddAfterEffect(new TAfterEffect{});
  Hero->AfterEffects[0]->Properties.Attack.Current = 9;
  Hero->RecalcEffective(true);
  const struct {
    const char* Name;
    i32 Value;
  } cases[] = {
      {"LEVEL", 3},          {"HITPOINTSBASE", 40}, {"HITPOINTSMAX", 50}, {"MANA", -7},  {"MANAMAX", 24},
      {"ACTIONPOINTSMAX", 12}, {"ATTACK", 20} /* the base, not the effective 29 */, {"SIGHTEVERY", 0},
      {"EXPERIENCEBASE", 100}, {"EXPERIENCEDELTA", 50}, {"MORALEREGENERATEBASE", 15},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Run("<GETPROPERTY(" + Id(Hero) + "," + c.Name + ")>"), c.Value) << c.Name;
}

TEST_F(UnitCommands, BadUnitsNamesIndexesAndParametersRaiseTheirMessages) {
  const std::string hero = Id(Hero);
  const struct {
    std::string Tag;
    std::string Message;
  } cases[] = {
      {"<GETPROPERTY(999,MORALE)>", "Unit not found: 999."},
      {"<GETPROPERTY(" + hero + ",FOO)>", "Unknown property: FOO."},
      {"<GETPROPERTY(" + hero + ",level)>", "Unknown property: level."},
      {"<SETPROPERTY(" + hero + ",HITPOINTSMAX,5)>", "Unknown property: HITPOINTSMAX."},
      {"<CHANGEPROPERTY(-4,MORALE,1)>", "Unit not found: -4."},
      {"<SETPROPERTY(" + hero + ",MORALE)>", "Parameter expected!"},
      {"<GETPROPERTY(" + hero + ",MORALE,1)>", "Parameter(s) 1 NOT expected!"},
      {"<SETPROPERTYTOALL(2,-1,FOO,1)>", "Unknown property: FOO."},
      {"<CHANGEPROPERTYTOALL(-1,-1,MANAMAX,1)>", "Unknown property: MANAMAX."},
      {"<SETPROPERTYTOALL(16,-1,FOO,1)>", "(no error)"},  // nobody matches, nothing to tell
      {"<CLEARAFTEREFFECT(1)>", "Parameter(s) 1 NOT expected!"},
      {"<ADDAFTEREFFECT(999,3,5)>", "Unit not found: 999."},
      {"<ADDAFTEREFFECTS(3,5)>", "Command should have at least 1 parameters!"},
      {"<ADDAFTEREFFECTS(3,5,0)>", "Command should have at least 1 parameters!"},
      {"<ADDAFTEREFFECTS(3,5,0," + hero + ")>", "Parameter(s) " + hero + " NOT expected!"},
      {"<ADDAFTEREFFECTTOALL(1,2,3)>", "Parameter expected!"},
      {"<DELETEALLAFTEREFFECTSOFTYPE(1,2,3,4)>", "Parameter(s) 4 NOT expected!"},
      {"<LEARNSPELL(" + hero + ",65)>", "Bad spell index: 65."},
      {"<ALLOWSPELL(" + hero + ",-1)>", "Bad spell index: -1."},
      {"<KNOWSSKILL(" + hero + ",0)>", "Bad skill index: 0."},
      {"<HASALLOWEDSKILL(" + hero + ",2147483647)>", "Bad skill index: 2147483647."},
      {"<LEARNSPELL(999,65)>", "Unit not found: 999."},
      {"<KNOWSSPELL(0,1)>", "Unit not found: 0."},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ErrorOf(c.Tag), c.Message == "(no error)" ? c.Message : Framed(c.Message, c.Tag)) << c.Tag;
  EXPECT_EQ(Theirs->Units[0]->Base.Morale, Hero->Base.Morale) << "a bad name writes nothing";
  EXPECT_EQ(Hero->AfterEffects.Count(), 0);
}

TEST_F(UnitCommands, LevelRisesOnlyThroughExperienceAndNeverFalls) {
  const std::string hero = Id(Hero);
  const auto level = [&] { return Run("<GETPROPERTY(" + hero + ",LEVEL)>"); };
  Run("<SETPROPERTY(" + hero + ",LEVEL,5)>");
  ASSERT_EQ(level(), 5);
  EXPECT_EQ(Hero->Effective.HitPoints.Current, 60) << "the pools grow with the level";
  Hero->LevelledUp = 0;

  Run("<SETPROPERTY(" + hero + ",LEVEL,3)><CHANGEPROPERTY(" + hero + ",LEVEL,0)><CHANGEPROPERTY(" + hero +
      ",LEVEL,-2)><SETPROPERTY(" + hero + ",EXPERIENCES,0)>");
  EXPECT_EQ(level(), 5);
  EXPECT_EQ(Hero->LevelledUp, 0);

  Hero->Base.Experiences = static_cast<i16>(Hero->Base.ExperienceForLevel(5));
  Run("<SETPROPERTY(" + hero + ",LEVEL,7)>");
  EXPECT_EQ(level(), 7);
  EXPECT_EQ(Hero->Base.Experiences, 1650);
  EXPECT_EQ(Hero->LevelledUp, 1);

  Run("<CHANGEPROPERTY(" + hero + ",LEVEL,2)>");
  EXPECT_EQ(level(), 9);
  Run("<CHANGEPROPERTY(" + hero + ",EXPERIENCES,550)>");
  EXPECT_EQ(level(), 10) << "enough points for level 10 raise it";

  // Far levels stop at the last one with saturated points rather than
  // wrapping the 16-bit points below the current ones.
  Run("<SETPROPERTY(" + hero + ",LEVEL,40)>");
  EXPECT_EQ(level(), MaxLevel);
  EXPECT_EQ(Hero->Base.Experiences, 32767);
  Run("<CHANGEPROPERTY(" + hero + ",LEVEL,2147483647)>");
  EXPECT_EQ(level(), MaxLevel);
}

TEST_F(UnitCommands, WritesWrapIn16BitsAndLeaveTheBaseUnclamped) {
  const std::string hero = Id(Hero);
  Run("<CHANGEPROPERTY(" + hero + ",HITPOINTS,-1000)><CHANGEPROPERTY(" + hero + ",ATTACKBASE,65536)><SETPROPERTY(" +
      hero + ",DEFENCEDELTA,65539)>");
  EXPECT_EQ(Hero->Base.HitPoints.Current, 40 - 1000);
  EXPECT_EQ(Hero->Effective.HitPoints.Current, 0);
  EXPECT_EQ(Hero->Base.Attack.Base, 20);
  EXPECT_EQ(Hero->Base.Defence.Delta, 3);
  Run("<CHANGEPROPERTY(" + hero + ",MORALE,2147483647)>");
  EXPECT_EQ(Hero->Base.Morale, static_cast<i16>(50 + 0xFFFF));
}

TEST_F(UnitCommands, ToAllSelectsOwnedUnitsByPlayerBitAndKindMask) {
  Offline->Base.Morale = 7;
  const auto morale = [](const TGroup* g) {
    std::string m;
    for (const TUnit* u : g->Units)
      if (u) m += std::to_string(u->Base.Morale) + " ";
    return m;
  };
  Run("<SETPROPERTYTOALL(2,-1,MORALE,44)>");
  EXPECT_EQ(morale(Ours), "44 44 44 ");
  EXPECT_EQ(morale(Theirs), "50 50 ");
  Run("<SETPROPERTYTOALL(-1,0,MORALE,1)>");
  EXPECT_EQ(morale(Ours) + morale(Theirs), "44 44 44 50 50 ") << "kind mask 0 takes only units of kind 0";
  Run("<CHANGEPROPERTYTOALL(6,5,MORALE,-4)>");
  EXPECT_EQ(morale(Ours) + morale(Theirs), "40 44 40 46 50 ") << "humans and undead, not wolves";
  Run("<CHANGEPROPERTYTOALL(34,2,MORALE,1)>");  // players 1 and 5: only our wolf
  EXPECT_EQ(morale(Ours) + morale(Theirs), "40 45 40 46 50 ");
  EXPECT_EQ(Offline->Base.Morale, 7) << "units off the map take no part";
}

TEST_F(UnitCommands, TheWorkRecordGivesTimedCopiesAndIsTakenAwayByID) {
  TUnit* wolf = Theirs->Units[1];
  EXPECT_EQ(Run("<CLEARAFTEREFFECT><GETPROPERTY(0,HITPOINTS)>"), 0);
  Run("<ADDAFTEREFFECT(" + Id(Hero) + ",0,300)>");
  ASSERT_EQ(Hero->AfterEffects.Count(), 1);
  EXPECT_EQ(Hero->AfterEffects[0]->TurnsLeft, 0);
  EXPECT_EQ(Hero->AfterEffects[0]->EffectID, 300);
  EXPECT_EQ(Hero->Effective.Attack.Current, 20) << "an empty record changes nothing";

  // The record outlives one run of commands.
  Run("<SETPROPERTY(0,ATTACK,5)><CHANGEPROPERTY(0,ATTACK,1)><SETPROPERTY(0,EXPERIENCEBASE,10)><SETPROPERTY(0,LEVEL,3)>");
  EXPECT_EQ(Talk.AfterEffect.Properties.Experiences, 20) << "a level through unit 0 sets only the points";
  Run("<ADDAFTEREFFECTS(3,5001," + Id(Hero) + ",999," + Id(wolf) + ")>");
  EXPECT_EQ(Hero->Effective.Attack.Current, 26);
  EXPECT_EQ(wolf->Effective.Attack.Current, 26);
  EXPECT_EQ(wolf->AfterEffects[0]->TurnsLeft, 3);
  EXPECT_EQ(wolf->AfterEffects[0]->EffectID, 5001);

  Run("<ADDAFTEREFFECTTOALL(4,-1,2,90)><ADDAFTEREFFECT(" + Id(Offline) + ",2,90)>");
  EXPECT_TRUE(Theirs->Units[0]->HasAfterEffect(90));
  EXPECT_TRUE(wolf->HasAfterEffect(90));
  EXPECT_FALSE(Hero->HasAfterEffect(90));
  Run("<DELETEALLAFTEREFFECTSOFTYPE(0,-1,90)>");
  EXPECT_FALSE(Offline->HasAfterEffect(90)) << "offline units lose it whatever the masks";
  EXPECT_TRUE(wolf->HasAfterEffect(90));
  Run("<DELETEALLAFTEREFFECTSOFTYPE(4,2,90)>");
  EXPECT_FALSE(wolf->HasAfterEffect(90));
  EXPECT_TRUE(Theirs->Units[0]->HasAfterEffect(90)) << "the knight's kind is outside mask 2";
  EXPECT_TRUE(wolf->HasAfterEffect(5001));

  // A loop cannot heap up copies without end.
  const std::string hero = Id(Hero);
  EXPECT_EQ(ErrorOf("<ADDAFTEREFFECT(" + hero + ",1,7)>"), "(no error)");
  try {
    Run("<LOOP(100)><ADDAFTEREFFECT(" + hero + ",1,7)><ENDLOOP>");
    ADD_FAILURE() << "no error";
  } catch (const std::exception& e) {
    EXPECT_EQ(std::string(e.what()),
              Framed("Too many after-effects on unit " + hero + ".", "<ADDAFTEREFFECT(" + hero + ",1,7)>"));
  }
  EXPECT_EQ(Hero->AfterEffects.Count(), TConversationCommands::MaxAfterEffects);
}

TEST_F(UnitCommands, SpellsAndSkillsAreTaughtInTheBaseAndTestedInTheEffectiveRecord) {
  const std::string hero = Id(Hero);
  const auto test = [&](const std::string& command, i32 index) {
    return Run("<" + command + "(" + hero + "," + std::to_string(index) + ")>");
  };
  Run("<ALLOWSPELL(" + hero + ",3)><LEARNSKILL(" + hero + ",64)>");
  EXPECT_EQ(test("HASALLOWEDSPELL", 3), 1);
  EXPECT_EQ(test("KNOWSSPELL", 3), 0);
  EXPECT_EQ(test("KNOWSSKILL", 64), 1);
  EXPECT_EQ(test("HASALLOWEDSKILL", 64), 1);
  EXPECT_EQ(Hero->Base.AllowedSpells, 1ull << 61);
  EXPECT_EQ(Hero->Base.KnownSkills, 1ull);
  Run("<LEARNSPELL(" + hero + ",3)><ALLOWSKILL(" + hero + ",1)>");
  EXPECT_EQ(test("KNOWSSPELL", 3), 1);
  EXPECT_EQ(test("HASALLOWEDSKILL", 1), 1);
  EXPECT_EQ(test("KNOWSSKILL", 1), 0);
  EXPECT_EQ(Hero->Base.AllowedSkills, 1ull << 63 | 1ull);

  // A spell known only through an after-effect counts.
  Run("<CLEARAFTEREFFECT>");
  Talk.AfterEffect.Properties.KnownSpells = MaskBit(10);
  Run("<ADDAFTEREFFECT(" + hero + ",2,10)>");
  EXPECT_EQ(test("KNOWSSPELL", 10), 1);
  EXPECT_EQ(Hero->Base.KnownSpells & MaskBit(10), 0u);
}

}  // namespace
}  // namespace ScriptTest
