// Whole computer turns through the game's own dispatcher and player
// threads, on the demo missions and a generated map: each computer turn
// announces itself, plans, marches its groups and ends, and the same seed
// gives the same turns.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "ai/ai_handler.h"
#include "tests/game/game_fixture.h"
#include "tools/demodata/scenario/demo_scenario.h"
#include "world/locations/city.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace GameTest {
namespace {

using namespace GameData;

// Record type, acting player and state hash after each executed record.
using TTrace = std::vector<std::tuple<u32, i32, u64>>;

class AITurns : public TGameFixture {
 protected:
  // The demo missions and a generated map beside them in the data folder.
  void AddGeneratedMap() {
    Builder::TDemoData d = Builder::BuildDemoData();
    Builder::TScenarioParams p;
    p.Width = p.Height = 40;
    p.Players = 4;
    p.Groups = 24;
    p.Doodles = 60;
    p.Cities = 2;
    p.Marches = true;
    p.VariedTerrain = false;
    d.Scenario.Add("generated.scn", Builder::GenerateScenario(p));
    d.Scenario.WritePacked(Data.Folder().Path(), "scenario");
  }
  // Starts the game afresh and plays the rounds, the human only ending turns.
  TTrace Play(i32 mission, const char* scenario, i32 rounds) {
    Headless.reset();
    Headless = std::make_unique<Main::THeadlessGame>(1);
    TTrace trace;
    Headless->OnAction = [&](const TActionRecord& r, u64 hash) {
      trace.emplace_back(r.Type(), Game->Scenario ? Game->Scenario->CurrentPlayerIndex : -1, hash);
    };
    if (scenario)
      Headless->StartScenario(scenario);
    else
      Headless->StartMission(mission);
    StartFields = ComputerFields();
    for (i32 i = 0; i < rounds; ++i) {
      Act({atEndTurn});
      EXPECT_EQ(S().CurrentPlayerIndex, 1) << "every computer turn has ended, round " << i;
    }
    Headless->OnAction = nullptr;
    return trace;
  }
  // Where each unit of a computer player stands, by unit ID.
  std::map<u32, std::pair<i32, i32>> ComputerFields() const {
    std::map<u32, std::pair<i32, i32>> fields;
    for (const TUnit* u : S().Units.Items)
      if (const TGroup* g = u->GetGroup(); g && g->GetOwner() && g->GetOwner()->Kind == pkComputer)
        fields[u->ID] = {g->FieldX(), g->FieldY()};
    return fields;
  }
  std::map<u32, std::pair<i32, i32>> StartFields;
};

TEST_F(AITurns, ComputerTurnsPlanAndEndAndRepeatWithTheSameSeed) {
  AddGeneratedMap();
  // Mission 2's computer holds guard, protect, follow, city and attack
  // tasks: its free units gather and walk to its city.
  const struct {
    i32 mission;
    const char* scenario;
    bool marches;
  } games[] = {{1, nullptr, true}, {2, nullptr, true}, {0, "generated.scn", true}};
  for (const auto& g : games) {
    SCOPED_TRACE(g.scenario ? g.scenario : ("mission " + std::to_string(g.mission)).c_str());
    const TTrace first = Play(g.mission, g.scenario, 3);
    ASSERT_FALSE(first.empty());
    // After an end of turn hands over to a computer player (the record is
    // seen with the next player current), its turn opens with its announcement.
    i32 computerTurns = 0;
    for (std::size_t i = 0; i + 1 < first.size(); ++i) {
      const auto [type, player, hash] = first[i];
      if (type != atEndTurn || Player(player).Kind != pkComputer) continue;
      EXPECT_EQ(std::get<0>(first[i + 1]), atResult) << "record " << i + 1;
      EXPECT_EQ(std::get<1>(first[i + 1]), player);
      ++computerTurns;
    }
    EXPECT_GE(computerTurns, 3);
    // Computer groups march: moves are posted and units stand elsewhere.
    const bool moves = std::any_of(first.begin(), first.end(), [&](const auto& t) {
      return std::get<0>(t) == atMove && Player(std::get<1>(t)).Kind == pkComputer;
    });
    const auto endFields = ComputerFields();
    i32 moved = 0;
    for (const auto& [unit, field] : StartFields)
      if (endFields.count(unit) && endFields.at(unit) != field) ++moved;
    EXPECT_EQ(moves, g.marches);
    // Mission 2's scripts move a computer group of their own accord.
    if (g.marches) {
      EXPECT_GT(moved, 0);
    }
    // Every computer player with a hostile unit in sight of the map plans against it.
    bool planned = false;
    for (i32 i = 1; i < S().PlayerCount(); ++i)
      if (Player(i).Kind == pkComputer)
        planned = planned || static_cast<AIHandler::TAIHandler&>(*Player(i).AIHandler).Tasks.Count() > 0;
    EXPECT_TRUE(planned);
    EXPECT_EQ(Play(g.mission, g.scenario, 3), first) << "same seed, same records, same states";
  }
}

// A unit of the pack that knows the scouting rain casts it on the unseen
// field it marches to: the record goes through the game's dispatcher on the
// computer's turn, and the spell costs the caster its mana.
TEST_F(AITurns, TheComputerCastsThroughTheDispatcherOnItsTurn) {
  Headless.reset();
  Headless = std::make_unique<Main::THeadlessGame>(1);
  std::vector<std::vector<u32>> casts;
  Headless->OnAction = [&](const TActionRecord& r, u64) {
    if (r.Type() == atCastSpell) casts.push_back({static_cast<u32>(S().CurrentPlayerIndex), r.Words[1], r.Words[2]});
  };
  Headless->StartMission(1);
  TGroup* pack = S().FindGroup(GroupOf(2));
  ASSERT_NE(pack, nullptr);
  TUnit* caster = pack->Units[0];
  caster->Base.KnownSpells |= caster->Base.AllowedSpells |= MaskBit(33);
  caster->Base.Mana = {40, 40, 0, 0};
  caster->RecalcEffective(true);
  Act({atEndTurn});
  Headless->OnAction = nullptr;
  ASSERT_FALSE(casts.empty());
  EXPECT_EQ(casts[0], (std::vector<u32>{2, caster->ID, 33}));
  EXPECT_LT(caster->Effective.Mana.Current, 40);
}

// Mission 2's city task: the computer enters its city through the
// dispatcher, sets its defenders by the city's own orders and leaves; the
// game ends the turn with the city screen shut and the slots filled.
TEST_F(AITurns, TheComputerSetsItsCitysDefendersThroughTheCityOrders) {
  Headless.reset();
  Headless = std::make_unique<Main::THeadlessGame>(1);
  std::vector<std::pair<i32, std::vector<u32>>> executed;
  Headless->OnAction = [&](const TActionRecord& r, u64) {
    executed.emplace_back(S().CurrentPlayerIndex, std::vector<u32>(std::begin(r.Words), std::end(r.Words)));
  };
  Headless->StartMission(2);
  TCity* den = nullptr;
  for (TMapObject* o : S().MapObjects)
    if (o->Type == otCity && static_cast<TCity*>(o)->Owner == 2) den = static_cast<TCity*>(o);
  ASSERT_NE(den, nullptr);
  // The city's defender is in good heart, so that a new turn does not send
  // it from its slot.
  TUnit* defender = den->DefenderSlots[0];
  ASSERT_NE(defender, nullptr);
  defender->Base.Morale = defender->Effective.Morale = 100;
  Act({atEndTurn});
  Headless->OnAction = nullptr;
  std::vector<u32> sequence;
  for (const auto& [player, w] : executed)
    if (player == 2 && (w[0] == atEnterCity || w[0] == atMoveCityUnit || w[0] == atLeaveCity))
      sequence.push_back(w[0] == atMoveCityUnit ? 100 + w[3] : w[0]);
  // Each pass: enter, out of the slot into the city units, back into the
  // slot, leave.
  const std::vector<u32> pass{atEnterCity, 100 + clUnits, 100 + clDefenders, atLeaveCity};
  ASSERT_GE(sequence.size(), pass.size());
  EXPECT_EQ(sequence.size() % pass.size(), 0u);
  for (std::size_t i = 0; i < sequence.size(); ++i) EXPECT_EQ(sequence[i], pass[i % pass.size()]) << "record " << i;
  EXPECT_EQ(S().CityScreenOpen, 0);
  EXPECT_EQ(S().CurrentPlayerIndex, 1);
  EXPECT_EQ(den->FindSlotOfUnit(defender), 0);
}

}  // namespace
}  // namespace GameTest
