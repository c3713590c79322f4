// Two games from the same seed, fed the same action records, must end in
// byte-identical scenario streams and the same random streams: what network
// machines rely on. Each row is one sequence; later work adds rows (spells
// on the map, scripts, computer turns); the records executed, the computer
// players' own among them, must agree as well.
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "ai/ai_handler.h"
#include "engine/data/stream.h"
#include "tests/game/game_fixture.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace GameTest {
namespace {

using namespace GameData;

struct TDeterminismCase {
  const char* Name;
  i32 Mission;
  // Changes made to the freshly started game before the records, alike in both runs.
  std::function<void(TScenario&)> Prepare;
  // The records, built from the started game (IDs agree in both runs).
  std::function<std::vector<TActionRecord>(TScenario&)> Records;
};

struct TOutcome {
  std::vector<u8> Stream;
  TRandomState Main, Thread;
  // Every executed record's words, the computer players' ones included.
  std::vector<std::vector<u32>> Executed;
};

TActionRecord Record(std::initializer_list<u32> words) {
  TActionRecord r;
  u32* w = r.Words;
  for (u32 word : words) *w++ = word;
  return r;
}

// The pack's first unit knows the scouting rain and has the mana for it:
// the computer's turn casts it on the map.
void TeachScouting(TScenario& s) {
  if (TGroup* g = s.FindGroup(FirstGroupOf(s, 2))) {
    TUnit* u = g->Units[0];
    u->Base.KnownSpells |= u->Base.AllowedSpells |= MaskBit(33);
    u->Base.Mana = {40, 40, 0, 0};
    u->RecalcEffective(true);
  }
}

// The computer's pack by the ford of mission 2 is sent against the human's
// first group, beside the mission's own guard, protect, follow and city tasks.
void SendPackToAttack(TScenario& s) {
  auto& h = static_cast<AIHandler::TAIHandler&>(*s.PlayerAt(2)->AIHandler);
  const TGroup* prey = s.FindGroup(FirstGroupOf(s, 1));
  if (h.Armies.Count() == 0 || !prey) return;
  auto* task = new AIHandler::TAITask(&h, true);
  task->Header.TaskType = AIHandler::ttAttackUnit;
  task->Header.Target.Kind = AIHandler::tkUnit;
  task->Header.Target.SetObject(prey->Units[0]);
  task->Header.Target.SetField(prey->FieldX(), prey->FieldY());
  task->Priority = 90;
  task->AssignArmy(h.Armies[0]);
  h.Tasks.Items.Add(task);
}

const TDeterminismCase Cases[] = {
    {"ends of turns", 1, [](TScenario&) {},
     [](TScenario&) { return std::vector<TActionRecord>{Record({atEndTurn}), Record({atEndTurn})}; }},
    {"computer turns marching a pack over four rounds", 1, [](TScenario&) {},
     [](TScenario&) { return std::vector<TActionRecord>(4, Record({atEndTurn})); }},
    {"an attack fought out with battle spells", 1, TeachBattleSpells,
     [](TScenario& s) {
       return std::vector<TActionRecord>{Record({atSelect, FirstGroupOf(s, 1)}),
                                         Record({atAttackGroup, FirstGroupOf(s, 2)}), Record({atEndTurn})};
     }},
    {"computer turns casting on the map", 1, TeachScouting,
     [](TScenario&) { return std::vector<TActionRecord>(2, Record({atEndTurn})); }},
    {"computer turns on mission 2: a pack attacking, guards, a city's defence set", 2, SendPackToAttack,
     [](TScenario&) { return std::vector<TActionRecord>(4, Record({atEndTurn})); }},
};

class Determinism : public TGameFixture {
 protected:
  TOutcome Play(const TDeterminismCase& c, u32 seed) {
    Headless.reset();
    Headless = std::make_unique<Main::THeadlessGame>(seed);
    delete VideoWindow;
    VideoWindow = Videos = new TVideoRecorder;
    std::vector<std::vector<u32>> executed;
    Headless->OnAction = [&](const TActionRecord& r, u64) { executed.emplace_back(std::begin(r.Words), std::end(r.Words)); };
    Headless->StartMission(c.Mission);
    c.Prepare(S());
    for (const TActionRecord& r : c.Records(S())) Headless->Act(r);
    Headless->OnAction = nullptr;
    Data::TMemoryStream stream;
    S().Save(stream);
    return {stream.Memory(), RandomMain, RandomThread, std::move(executed)};
  }
};

TEST_F(Determinism, SameSeedSameRecordsSameGame) {
  for (const TDeterminismCase& c : Cases) {
    SCOPED_TRACE(c.Name);
    const TOutcome a = Play(c, 7);
    const TOutcome b = Play(c, 7);
    EXPECT_TRUE(a.Stream == b.Stream) << "the scenario streams differ";
    EXPECT_TRUE(a.Executed == b.Executed) << "the executed records differ";
    EXPECT_EQ(a.Main.Low, b.Main.Low);
    EXPECT_EQ(a.Main.High, b.Main.High);
    EXPECT_EQ(a.Thread.Low, b.Thread.Low);
    EXPECT_EQ(a.Thread.High, b.Thread.High);
  }
}

}  // namespace
}  // namespace GameTest
