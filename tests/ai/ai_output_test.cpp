// The action records the computer posts, word by word, and how it reads
// their results.
#include <gtest/gtest.h>

#include "ai/ai_handler.h"
#include "tests/ai/ai_fixture.h"
#include "world/locations/city.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

using namespace AIHandler;
using namespace GameData;

class AIOutput : public AITest::TAIFixture {
 protected:
  // The one record op posts, answered with result.
  TActionRecord One(const std::function<void()>& op, u32 result = arDone) {
    auto posted = Serve(2, op, [result](const TActionRecord&) { return result; });
    EXPECT_EQ(posted.size(), 1u);
    return posted.empty() ? TActionRecord{} : posted[0];
  }
  static std::vector<u32> W(const TActionRecord& r) { return {std::begin(r.Words), std::end(r.Words)}; }
  static std::vector<u32> W(std::initializer_list<u32> words) {
    std::vector<u32> w(words);
    w.resize(14);
    return w;
  }
};

TEST_F(AIOutput, EachRecordCarriesItsArgumentsInItsWords) {
  TAIHandler& h = Handler(2);
  TGroup* g = NewGroup(2, 3, 3, {WorldTest::Wolf, WorldTest::Skeleton});
  auto* city = new TCity(Scenario.get());
  Scenario->AddMapObject(city);
  Scenario->PlayerAt(2)->Select(g);
  const u32 second = g->Units[1]->ID;
  const u8 marks[3] = {0, 1, 1};
  const struct {
    const char* name;
    std::function<void()> op;
    std::vector<u32> words;
  } cases[] = {
      {"end of turn", [&] { h.PostEndTurn(); }, W({atEndTurn})},
      {"turn start", [&] { h.PostTurnStart(); }, W({atResult, 1})},
      {"select nothing", [&] { h.PostSelect(nullptr); }, W({atSelect, 0})},
      {"move", [&] { h.PostMove(7, 9, true, 2, true, city, 5, true); },
       W({atMove, 7, 9, 2, 0x0101, 5, city->ID, 1})},
      {"move without extras", [&] { h.PostMove(7, 9, false, 1, false, nullptr, 0, false); }, W({atMove, 7, 9, 1})},
      {"cast by slot 1", [&] { h.PostCastSpell(1, 65, 4, 5); }, W({atCastSpell, second, 65, 4, 5})},
      {"camp", [&] { h.PostMakeCamp(g); }, W({atMakeCamp, g->ID})},
      {"break camp", [&] { h.PostBreakCamp(g); }, W({atBreakCamp, g->ID})},
      {"marks", [&] { h.PostMarkUnits(marks); }, W({atMarkUnits, 0x010100})},
      {"enter city", [&] { h.PostEnterCity(city); }, W({atEnterCity, city->ID})},
      {"leave city", [&] { h.PostLeaveCity(); }, W({atLeaveCity})},
      {"city unit", [&] { h.PostMoveCityUnit(2, 77, 1, 3); }, W({atMoveCityUnit, 2, 77, 1, 3})},
  };
  for (const auto& c : cases) EXPECT_EQ(W(One(c.op)), c.words) << c.name;
}

TEST_F(AIOutput, MarksKeepOrFlipTheOtherSlots) {
  TAIHandler& h = Handler(2);
  TGroup* three = NewGroup(2, 3, 3, {WorldTest::Wolf, WorldTest::Wolf, WorldTest::Skeleton});
  TGroup* two = NewGroup(2, 5, 5, {WorldTest::Wolf, WorldTest::Skeleton});
  three->SplitMarks[2] = 1;
  TUnit* middle = three->Units[1];
  TAIVirtualUnitList listed;
  listed.Add(AI(2, three->Units[0]));
  const struct {
    const char* name;
    std::function<void()> op;
    u32 marks;
  } cases[] = {
      {"only the middle stays", [&] { h.MarkOnlyUnit(three, middle, 1); }, 0x000100},
      {"only the middle moves", [&] { h.MarkOnlyUnit(three, middle, 0); }, 0x010001},
      {"the middle stays, the others keep theirs", [&] { h.MarkUnit(three, middle, 1); }, 0x010100},
      {"listed units stay", [&] { h.MarkListedUnits(three, listed, 1); }, 0x010001},
      {"an empty slot stays", [&] { h.MarkUnit(two, two->Units[0], 0); }, 0x010000},
  };
  for (const auto& c : cases) {
    const TActionRecord r = One(c.op);
    EXPECT_EQ(r.Type(), atMarkUnits) << c.name;
    EXPECT_EQ(r.Words[1], c.marks) << c.name;
  }
  auto posted = Serve(2, [&] { EXPECT_EQ(h.PostSelectGroup(two), arDone); }, [](const TActionRecord&) { return arDone; });
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(W(posted[0]), W({atSelect, two->ID}));
  EXPECT_EQ(W(posted[1]), W({atMarkUnits, 0x010000})) << "0, 0, 1";
  posted = Serve(2, [&] { EXPECT_EQ(h.PostSelectGroup(two), 3u); }, [](const TActionRecord&) { return 3u; });
  EXPECT_EQ(posted.size(), 1u) << "no marks after a refused selection";
}

// An interrupted move counts as done when the group arrived or is gone;
// a stop elsewhere reads as a sighting.
TEST_F(AIOutput, MoveResultsFoldStopsAndSightings) {
  TAIHandler& h = Handler(2);
  TPlayer* p = Scenario->PlayerAt(2);
  TGroup* g = NewGroup(2, 3, 3, {WorldTest::Wolf});
  TGroup* friendGroup = NewGroup(2, 6, 6, {WorldTest::Wolf});
  const struct {
    const char* name;
    u32 raw;
    bool selected;
    i32 x, y;
    bool join;
    u32 expected;
  } cases[] = {
      {"sighted, arrived", arSighted, true, 3, 3, false, arDone},
      {"stopped, arrived", arStopped, true, 3, 3, false, arDone},
      {"stopped on the way", arStopped, true, 5, 5, false, arSighted},
      {"sighted on the way", arSighted, true, 5, 5, false, arSighted},
      {"joined: no selected group", arSighted, false, 6, 6, true, arDone},
      {"join target elsewhere", arStopped, true, 3, 3, true, arSighted},
      {"done", arDone, true, 9, 9, false, arDone},
      {"other results pass", 5, true, 9, 9, false, 5},
  };
  for (const auto& c : cases) {
    p->Select(c.selected ? g : nullptr);
    u32 got = 0;
    Serve(2, [&] { got = h.PostMove(c.x, c.y, c.join, 2, false, c.join ? friendGroup : nullptr, 0, false); },
          [&](const TActionRecord&) { return c.raw; });
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

TEST_F(AIOutput, AStopRequestEndsTheWaitWithoutAnotherRecord) {
  TAIHandler& h = Handler(2);
  TPlayer* p = Scenario->PlayerAt(2);
  bool ended = false;
  std::thread t([&] {
    try {
      h.PostTurnStart();
      h.PostEndTurn();
    } catch (const EThreadTermination&) {
      ended = true;
    }
  });
  TActionRecord r;
  for (int i = 0; i < 2000 && r.Type() == atNone; ++i) {
    p->TakeAction(r);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(r.Type(), atResult);
  p->StopRequested = 1;
  t.join();
  p->StopRequested = 0;
  EXPECT_TRUE(ended);
  p->TakeAction(r);
  EXPECT_EQ(r.Type(), atNone);
}

}  // namespace
