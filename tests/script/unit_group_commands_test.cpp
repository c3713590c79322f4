// Conversation commands on units, groups and cities: placing new units in
// rings round a field, deleting, sending off the map, killing, taking into a
// city, moving groups, and the questions about where units stand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>

#include "script/conversation_commands.h"
#include "tests/world/world_fixture.h"
#include "world/locations/city.h"
#include "world/map/area.h"
#include "world/scenario/conversation.h"
#include "world/units/group.h"

namespace ScriptTest {
namespace {

using namespace GameData;
using WorldTest::Knight;
using WorldTest::Skeleton;
using WorldTest::Wolf;

std::string Id(const Data::TDataObject* o) { return std::to_string(o->ID); }

class UnitGroupCommands : public WorldTest::TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    MakeScenario(16, 16, 3);
    Scenario->CurrentPlayerIndex = 1;
    Scenario->Players[2]->Kind = pkComputer;
    Talk.ID = 77;
    Talk.SetScenario(Scenario.get());
    Mine = NewGroup(1, 2, 2, {Knight, Wolf});
    Talk.SetGroup(Mine);
    Town = new TCity(Scenario.get());
    Town->OccupiedArea->AddField(12, 2);
    Town->EntranceArea->AddField(12, 3);
    Town->Owner = 2;
    Town->SetSlotCount(3);
    Scenario->AddMapObject(Town);
    Pass = new TArea;
    Pass->ID = Scenario->NewID();
    for (i32 x = 6; x <= 8; ++x) Pass->AddField(x, 8);
    Scenario->Areas.AddSorted(Pass);
  }

  std::string Page(const std::string& text) { return Script::TConversationCommands(Talk).ProcessText(text); }
  std::string ErrorOfPage(const std::string& text) {
    try {
      Page(text);
    } catch (const std::exception& e) {
      return e.what();
    }
    return "(no error)";
  }
  static std::string Framed(const std::string& message, const std::string& command) {
    return "[TConversation]\n" + message + "\nCommand:" + command + " ConversationID=77";
  }
  i32 Local(i32 i) const { return Talk.Locals[i]; }
  TUnit* OffMap(u32 prototype) {
    TUnit* unit = NewUnit(prototype);
    Scenario->OffMapUnits.Add(unit);
    return unit;
  }

  TConversation Talk;
  TGroup* Mine = nullptr;
  TCity* Town = nullptr;
  TArea* Pass = nullptr;
};

TEST_F(UnitGroupCommands, BadParametersRaiseTheirMessages) {
  TGroup* theirs = NewGroup(2, 9, 9, {Wolf});
  TUnit* loose = OffMap(Skeleton);
  const std::string city = Id(Town), group = Id(Mine), area = Id(Pass), off = Id(loose);
  const struct {
    std::string Tag, Message;
  } cases[] = {
      {"PLACEUNITOFPROTOTYPE(5,2,1,3,3)", "[PlaceUnitOfPrototype] Bad player index: 5"},
      {"PLACEUNITOFPROTOTYPE(-2,2,1,3,3)", "[PlaceUnitOfPrototype] Bad player index: -2"},
      {"PLACEUNITOFPROTOTYPE(3,2,1,3,3)", "[PlaceUnitOfPrototype] Bad player index: 3"},
      {"PLACEUNITOFPROTOTYPE(1,2,0,3,3)", "Level cannot be less than 1! Level = 0"},
      {"PLACEUNITOFPROTOTYPE(1,99,1,3,3)", "Bad prototype ID! ID = 99"},
      {"PLACEUNITOFPROTOTYPE(1,-7,1,3,3)", "Bad prototype ID! ID = -7"},
      {"PLACEUNITSTOCITY(" + city + ",2," + off + ")", "Flag can be only 0 or 1"},
      {"PLACEUNITSTOCITY(" + city + ",1)", "Command should have at least 3 parameters!"},
      {"PLACEUNITSTOCITY(99999,1," + off + ")", "City object not found! ID = 99999."},
      {"PLACEUNITSTOCITY(" + group + ",1," + off + ")", "Object not city! ID=" + group},
      {"MOVEGROUP(3,3,99999)", "Unit not found: 99999."},
      {"MOVEGROUP(3,3," + off + ")", "Unit " + off + " is not in group"},
      {"MOVEGROUP(16,3)", "Field outside the map: 16,3."},
      {"MOVEGROUP(3,-1," + Id(theirs->Units[0]) + ")", "Field outside the map: 3,-1."},
      {"GETUNITPOSITION(99999)", "Unit not found: 99999."},
      {"GETUNITID(2)", "Bad unit index!"},
      {"GETUNITID(-1)", "Bad unit index!"},
      {"UNITINAREA(99999," + off + ")", "Area not found: 99999."},
      {"UNITSINCITY(99999)", "City object not found! ID = 99999."},
      {"UNITSINCITY(" + group + "," + off + ")", "City object not found! ID = " + group + "."},
      {"GETUNITSINAREA(" + area + ",5)", "GetUnitsInArea: bad player index: 5."},
      {"GETUNITSINAREA(" + area + ",-2)", "GetUnitsInArea: bad player index: -2."},
      {"GETUNITSINAREA(0)", "Area not found: 0."},
      {"LIVESUNIT(1,2)", "Parameter(s) 2 NOT expected!"},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorOfPage("<" + c.Tag + ">"), Framed(c.Message, c.Tag)) << c.Tag;

  Talk.SetGroup(nullptr);
  for (const auto& [tag, message] : {std::pair<std::string, std::string>{"PLACEUNITOFPROTOTYPE(-1,2,1,3,3)",
                                                                          "No group to get PlayerIndex from!"},
                                     {"GETUNITID(0)", "No group to get UnitID from!"},
                                     {"MOVEGROUP(1,1)", "No group to move!"}})
    EXPECT_EQ(ErrorOfPage("<" + tag + ">"), Framed(message, tag));
  EXPECT_EQ(Scenario->Units.Count(), 4) << "nothing was made";
}

TEST_F(UnitGroupCommands, NewUnitsJoinOwnGroupsOrTakeTheNearestFreeFieldInRings) {
  const TRandomState before = RandomMain;
  Talk.Refresh = 0;
  // The group spoken to has room for one: the first joins it, the second
  // takes the nearest free field of the first ring.
  Page("<PLACEUNITOFPROTOTYPE(-1,4,3,2,2)><SET(LOCAL5,LOCAL0)><PLACEUNITOFPROTOTYPE(1,2,1,2,2,4242)>");
  EXPECT_EQ(Talk.Refresh, 1);
  EXPECT_NE(std::memcmp(&before, &RandomMain, sizeof before), 0) << "the base record is varied on the main stream";
  TUnit* joined = Scenario->FindUnit(static_cast<u32>(Local(5)));
  ASSERT_NE(joined, nullptr);
  EXPECT_EQ(joined->GetGroup(), Mine);
  EXPECT_EQ(joined->Base.Level, 3);
  EXPECT_EQ(joined->Base.Experiences, joined->Base.ExperienceForLevel(3));
  EXPECT_EQ(joined->Effective.HitPoints.Current, joined->Base.HitPoints.Current);
  EXPECT_TRUE(WorldTest::OpponentOf(Scenario->Players[1]).Knows(joined));
  EXPECT_EQ(Local(0), 4242);
  TUnit* ringed = Scenario->FindUnit(4242);
  ASSERT_NE(ringed, nullptr);
  ASSERT_NE(ringed->GetGroup(), nullptr);
  EXPECT_EQ(ringed->GetGroup()->OwnerIndex, 1);
  EXPECT_EQ(std::max(std::abs(ringed->GetGroup()->FieldX() - 2), std::abs(ringed->GetGroup()->FieldY() - 2)), 1);

  // The registry's own message, outside the frame; nothing is left behind.
  const i32 units = Scenario->Units.Count();
  EXPECT_EQ(ErrorOfPage("<PLACEUNITOFPROTOTYPE(2,2,1,9,9,4242)>"), "Object with given ID is already in list (4242).");
  EXPECT_EQ(Scenario->Units.Count(), units);
  // A level past what the record holds is the highest it holds.
  Page("<PLACEUNITOFPROTOTYPE(2,2,100000,9,9)>");
  EXPECT_EQ(Scenario->FindUnit(static_cast<u32>(Local(0)))->Base.Level, 32767);

  // A map without a field to stand on.
  std::fill(Scenario->BaseCosts.begin(), Scenario->BaseCosts.end(), 255);
  Scenario->RebuildFieldMaps();
  EXPECT_EQ(ErrorOfPage("<PLACEUNITOFPROTOTYPE(2,2,1,5,5)>"), "There is no place for new unit in scenario!");
  EXPECT_EQ(Scenario->Units.Count(), units + 1);
}

TEST_F(UnitGroupCommands, DeletedUnitsGoAwayOrOffTheMapAndKilledOnesDie) {
  TGroup* theirs = NewGroup(2, 9, 9, {Wolf, Skeleton});
  TUnit* wolf = theirs->Units[0];
  const std::string w = Id(wolf), s = Id(theirs->Units[1]);

  Page("<DELETEUNIT(99999,0)><DELETEUNIT(" + w + ",1)><GETUNITPOSITION(" + w + ")><SET(LOCAL5,LOCAL1)><LIVESUNIT(" + w + ")>");
  EXPECT_EQ(Local(0), 1) << "off the map counts as alive";
  EXPECT_EQ(Local(1), 0);
  EXPECT_EQ(Local(5), 0);
  Page("<GETUNITPOSITION(" + w + ")>");
  EXPECT_EQ(Local(0), -2);
  EXPECT_EQ(wolf->Container, nullptr);
  EXPECT_GE(Scenario->OffMapUnits.IndexOf(wolf), 0);
  EXPECT_FALSE(WorldTest::OpponentOf(Scenario->Players[2]).Knows(wolf));
  EXPECT_EQ(theirs->GetUnitCount(), 1);

  // In the computer owner's own turn the unit may not go off the map.
  Scenario->CurrentPlayerIndex = 2;
  EXPECT_EQ(ErrorOfPage("<DELETEUNIT(" + s + ",1)>"),
            Framed("[DeleteUnit] Moving unit to offline in same player's turn!", "DELETEUNIT(" + s + ",1)"));
  Page("<DELETEUNIT(" + s + ",0)><LIVESUNIT(" + s + ")>");
  EXPECT_EQ(Local(0), 0);
  EXPECT_EQ(Scenario->FindUnit(static_cast<u32>(std::stoi(s))), nullptr);

  // The group spoken to loses its last units: it is gone, and so is the
  // conversation's hold on it.
  Page("<DELETEUNIT(" + Id(Mine->Units[1]) + ",0)><DELETEUNIT(" + Id(Mine->Units[0]) + ",1)><GETUNITSINGROUP>");
  EXPECT_EQ(Talk.Group, nullptr);
  EXPECT_EQ(Local(0), 0);

  TGroup* tough = NewGroup(2, 5, 5, {Wolf, Wolf, Wolf});
  tough->Units[1]->Base.HitPoints.Current = 1500;
  tough->Units[1]->RecalcEffective(false);
  tough->Units[2]->Base.HitPoints.Current = -32000;
  Page("<KILLUNIT(99999)><KILLUNIT(" + Id(tough->Units[0]) + ")><KILLUNIT(" + Id(tough->Units[1]) + ")><KILLUNIT(" +
       Id(tough->Units[2]) + ")><LIVESUNIT(" + Id(tough->Units[0]) + ")>");
  EXPECT_EQ(Local(0), 0);
  EXPECT_TRUE(tough->Units[0]->IsDead());
  EXPECT_TRUE(tough->Units[0]->KilledByScript) << "its corpse stays";
  EXPECT_FALSE(tough->Units[1]->IsDead()) << "more than 1000 hit points";
  EXPECT_TRUE(tough->Units[2]->IsDead()) << "hit points far below 0 do not wrap round";
  EXPECT_EQ(Scenario->WaitingForDeaths, 1) << "the dying has begun";
}

TEST_F(UnitGroupCommands, OffMapUnitsEnterCitiesAndCitiesAnswerForTheirUnits) {
  TUnit* recruit = OffMap(Wolf);
  TUnit* keeper = OffMap(Skeleton);
  const std::string city = Id(Town), r = Id(recruit), k = Id(keeper), walker = Id(Mine->Units[0]);
  Page("<PLACEUNITSTOCITY(" + city + ",1," + r + ",99999," + walker + ")><PLACEUNITSTOCITY(" + city + ",0," + k + ")>");
  EXPECT_EQ(recruit->GetCity(), Town);
  EXPECT_TRUE(recruit->IsRecruit());
  EXPECT_EQ(keeper->GetCity(), Town);
  EXPECT_EQ(Town->Units.IndexOf(keeper), 0);
  EXPECT_EQ(recruit->OwnerIndex, NoOwner) << "the city's owner";
  EXPECT_EQ(Scenario->OffMapUnits.Count(), 0);
  EXPECT_TRUE(WorldTest::OpponentOf(Scenario->Players[2]).Knows(keeper));
  EXPECT_EQ(Mine->Units[0]->GetGroup(), Mine) << "a unit on the map is skipped";

  const struct {
    std::string Ids;
    i32 All;
  } cases[] = {{"", 1}, {"," + r + "," + k, 1}, {"," + r + ",0," + walker, 1}, {"," + r + "," + walker, 0},
               {",99999", 0}};
  for (const auto& c : cases) {
    Page("<UNITSINCITY(" + city + c.Ids + ")>");
    EXPECT_EQ(Local(0), c.All) << c.Ids;
  }
  Page("<GETUNITPOSITION(" + k + ")>");
  EXPECT_EQ(Local(0), -1);
  EXPECT_EQ(Local(1), static_cast<i32>(Town->ID));
}

TEST_F(UnitGroupCommands, GroupsMoveAtOnceAndAreasCountTheLivingInGroups) {
  TGroup* theirs = NewGroup(2, 9, 9, {Wolf, Skeleton});
  const std::string area = Id(Pass), knight = Id(Mine->Units[0]);
  Page("<GETUNITSINGROUP><SET(LOCAL5,LOCAL0)><GETUNITID(1)><SET(LOCAL6,LOCAL0)><SQUAREEMPTY(7,8)>");
  EXPECT_EQ(Local(5), 2);
  EXPECT_EQ(Local(6), static_cast<i32>(Mine->Units[1]->ID));
  EXPECT_EQ(Local(0), 1);

  Page("<MOVEGROUP(7,8)><GETUNITPOSITION(" + knight + ")><SET(LOCAL5,LOCAL1)><UNITINAREA(" + area + "," + knight +
       ")><SET(LOCAL6,LOCAL0)><SQUAREEMPTY(7,8)>");
  EXPECT_EQ(Mine->X, 300);
  EXPECT_EQ(Mine->Y, 340);
  EXPECT_EQ(Scenario->OccupantAt(7, 8), Mine);
  EXPECT_EQ(Scenario->OccupantAt(2, 2), nullptr);
  EXPECT_EQ(Local(5), 8);
  EXPECT_EQ(Local(6), 1);
  EXPECT_EQ(Local(0), 0) << "taken now";
  EXPECT_EQ(Scenario->MoveCosts[Scenario->FieldIndex(7, 8)], 0) << "move costs from the new field";

  Page("<MOVEGROUP(6,8," + Id(theirs->Units[1]) + ")>");
  EXPECT_EQ(theirs->FieldX(), 6);
  theirs->Units[0]->Base.HitPoints.Current = -5;
  theirs->Units[0]->RecalcEffective(true);
  OffMap(Wolf);
  const struct {
    std::string Params;
    i32 Count;
  } cases[] = {{area, 3}, {area + ",-1", 3}, {area + ",1", 2}, {area + ",2", 1}, {area + ",0", 0}};
  for (const auto& c : cases) {
    Page("<GETUNITSINAREA(" + c.Params + ")>");
    EXPECT_EQ(Local(0), c.Count) << c.Params;
  }
  const struct {
    std::string Tag;
    i32 Value;
  } answers[] = {{"SQUAREEMPTY(-1,3)", 0}, {"SQUAREEMPTY(16,0)", 0}, {"SQUAREEMPTY(0,0)", 1},
                 {"UNITINAREA(" + area + ",99999)", 0}, {"UNITINAREA(" + area + "," + Id(theirs->Units[0]) + ")", 1}};
  for (const auto& a : answers) {
    Page("<" + a.Tag + ">");
    EXPECT_EQ(Local(0), a.Value) << a.Tag;
  }
}

}  // namespace
}  // namespace ScriptTest
