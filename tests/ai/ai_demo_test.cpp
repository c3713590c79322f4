// The demo scenarios carry the computer opponent's view of every unit:
// loading creates no AI units, so the files must hold them.
#include <gtest/gtest.h>

#include <map>

#include "ai/ai_handler.h"
#include "engine/data/stream.h"
#include "tests/world/demo_world.h"
#include "tools/demodata/scenario/demo_scenario.h"
#include "world/locations/city.h"
#include "world/scenario/player.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

using namespace GameData;

// Each unit of a player's groups and cities (a city's units kept for no
// owner belong to the city's owner), by player.
std::map<const TPlayer*, std::vector<const TUnit*>> UnitsByPlayer(const TScenario& s) {
  std::map<const TPlayer*, std::vector<const TUnit*>> out;
  for (const TMapObject* o : s.MapObjects) {
    if (o->Type == otGroup) {
      const auto* g = static_cast<const TGroup*>(o);
      for (const TUnit* u : g->Units)
        if (u && g->GetOwner()) out[g->GetOwner()].push_back(u);
    } else if (o->Type == otCity) {
      const auto* c = static_cast<const TCity*>(o);
      auto add = [&](const TUnit* u) {
        if (const TPlayer* p = u ? c->GetUnitOwner(u) : nullptr) out[p].push_back(u);
      };
      for (i32 i = 0; i < c->DefenderSlots.Count(); ++i) add(c->DefenderSlots[i]);
      for (const TUnit* u : c->Units) add(u);
      for (const TUnit* u : c->Recruits) add(u);
    }
  }
  return out;
}

TEST(AIDemoData, EveryUnitOfAPlayerHasExactlyOneAIUnitOnLoad) {
  WorldTest::TDemoWorld world;
  AIHandler::ConnectToWorld();
  Builder::TScenarioParams small;
  small.Width = small.Height = 32;
  small.Groups = 30;
  small.Doodles = 20;
  small.Cities = 3;
  const struct {
    const char* name;
    std::string bytes;
  } files[] = {{"demo1.scn", world.ScenarioFile("demo1.scn")},
               {"demo2.scn", world.ScenarioFile("demo2.scn")},
               {"generated", Builder::GenerateScenario(small)}};
  for (const auto& f : files) {
    SCOPED_TRACE(f.name);
    auto s = WorldTest::TDemoWorld::Load(f.bytes);
    EXPECT_EQ(WorldTest::TDemoWorld::Save(*s), f.bytes) << "saved back unchanged";
    const auto units = UnitsByPlayer(*s);
    i32 total = 0;
    for (i32 i = 0; i < s->PlayerCount(); ++i) {
      const TPlayer* p = s->PlayerAt(i);
      const auto& h = static_cast<const AIHandler::TAIHandler&>(*p->AIHandler);
      const auto it = units.find(p);
      const std::vector<const TUnit*> own = it == units.end() ? std::vector<const TUnit*>{} : it->second;
      EXPECT_EQ(h.Units.Count(), static_cast<i32>(own.size())) << "player " << i;
      for (const TUnit* u : own) {
        i32 n = 0;
        for (const AIHandler::TAIUnit* a : h.Units.Items) n += a->Fitness.UnitID == u->ID;
        EXPECT_EQ(n, 1) << "unit " << u->ID << " of player " << i;
      }
      for (i32 k = 0; k < h.Units.Count(); ++k) {
        EXPECT_EQ(h.Units[k]->ID, AIHandler::FirstID + static_cast<u32>(k)) << "IDs from 10000";
        EXPECT_EQ(h.Units[k]->Alive, 1);
      }
      EXPECT_GT(h.NextIDValue, h.Units.Count() ? h.Units[h.Units.Count() - 1]->ID : 0u);
      total += h.Units.Count();
    }
    EXPECT_GT(total, 0);
  }
}

}  // namespace

namespace {

// One planning pass of every computer player but the first, without
// executing anything; the handlers' streams hold the resulting plans.
std::string PlanAll(const std::string& file, bool caching, u64& fills) {
  auto s = WorldTest::TDemoWorld::Load(file);
  std::string out;
  for (i32 i = 1; i < s->PlayerCount(); ++i) {
    auto& h = static_cast<AIHandler::TAIHandler&>(*s->PlayerAt(i)->AIHandler);
    h.CostMap.Caching = caching;
    for (i32 pass = 0; pass < 2; ++pass) {
      h.RefreshUnitPool();
      h.RefreshTargets();
      if (!h.UpdateTasks()) break;
      h.RefreshTargets();
      h.AssignUnitsToTasks();
      h.BuildMultiTasks();
      for (AIHandler::TAIMultiTask* m : h.MultiTasks.Items) m->Prepare();
    }
    fills += h.CostMap.Fills;
    Data::TMemoryStream stream;
    h.Save(stream);
    out += stream.AsString();
  }
  return out;
}

}  // namespace

// The cost maps kept between records answer as fresh fills would: the plans
// are the same byte for byte, with fewer fills.
TEST(AIDemoData, KeptCostMapsGiveTheSamePlans) {
  WorldTest::TDemoWorld world;
  AIHandler::ConnectToWorld();
  Builder::TScenarioParams p;
  p.Width = p.Height = 48;
  p.Players = 5;
  p.Groups = 40;
  p.Doodles = 100;
  p.Cities = 2;
  const std::string generated = Builder::GenerateScenario(p);
  const std::string demo2 = world.ScenarioFile("demo2.scn");
  for (const std::string* file : {&generated, &demo2}) {
    u64 cachedFills = 0, freshFills = 0;
    const std::string cached = PlanAll(*file, true, cachedFills);
    const std::string fresh = PlanAll(*file, false, freshFills);
    EXPECT_EQ(cached, fresh);
    EXPECT_LE(cachedFills, freshFills);
    if (file == &generated) {
      EXPECT_LT(cachedFills, freshFills) << "some maps are asked for more than once";
    }
  }
}
