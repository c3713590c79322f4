#include "tests/world/world_fixture.h"
#include "world/units/group.h"

namespace WorldTest {
namespace {

class Smoke : public TWorldFixture {};

TEST_F(Smoke, GroupHoldsUnits) {
  MakeScenario();
  GameData::TGroup* g = NewGroup(1, 3, 4, {Wolf, Knight});
  EXPECT_EQ(g->GetUnitCount(), 2);
  EXPECT_TRUE(g->Units[0]->Hero);
  EXPECT_EQ(Scenario->GetObjectIndexAtField(3, 4), g->ListPosition);
  EXPECT_EQ(Scenario->GetGroupAt(3, 4, nullptr), g);
}

}  // namespace
}  // namespace WorldTest
