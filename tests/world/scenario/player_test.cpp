#include <chrono>
#include <thread>

#include "tests/world/world_fixture.h"
#include "world/locations/city.h"
#include "world/map/fog.h"
#include "world/scenario/settings.h"
#include "world/units/group.h"

namespace WorldTest {
namespace {

using namespace GameData;

class Players : public TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    MakeScenario();
  }
  TPlayer* P(i32 i) { return Scenario->PlayerAt(i); }

  // Takes the next record the player thread posts, waiting a bounded time.
  bool TakePosted(TPlayer* player, TActionRecord& out) {
    for (int i = 0; i < 500; ++i) {
      player->TakeAction(out);
      if (out.Type() != atNone) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
  }
};

TEST_F(Players, Relations) {
  P(1)->Relations[2] = rHostile;
  P(1)->Relations[0] = rAllied;
  EXPECT_EQ(P(1)->GetRelation(P(1)), rSelf);
  EXPECT_EQ(P(1)->GetRelation(nullptr), rNone);
  EXPECT_EQ(P(1)->GetRelation(P(2)), rHostile);
  EXPECT_EQ(P(1)->GetRelation(P(0)), rAllied);
  EXPECT_EQ(P(2)->GetRelation(P(1)), rNeutral) << "relations are one-sided";
  TScenario other;
  TPlayer stranger(&other);
  EXPECT_EQ(P(1)->GetRelation(&stranger), rNone);

  TGroup* g = NewGroup(2, 4, 4, {Wolf});
  EXPECT_EQ(P(1)->GetRelationToGroup(g), rHostile);
  auto* city = new TCity(Scenario.get());
  Scenario->AddMapObject(city);
  EXPECT_EQ(P(1)->GetRelationToCity(city), rNone) << "a city without owner";
  city->Owner = 0;
  EXPECT_EQ(P(1)->GetRelationToCity(city), rAllied);
}

TEST_F(Players, DifficultyScalesOnlyCampaignComputersHostileToPlayerOne) {
  Main::Difficulty = 2;  // 150 percent
  TPlayer* ai = P(2);
  ai->Kind = pkComputer;
  ai->Relations[1] = rHostile;
  EXPECT_EQ(ai->ScaleForDifficulty(11), 17) << "16.5 rounds up";
  Scenario->NotCampaign = 1;
  EXPECT_EQ(ai->ScaleForDifficulty(11), 11);
  Scenario->NotCampaign = 0;
  ai->Relations[1] = rNeutral;
  EXPECT_EQ(ai->ScaleForDifficulty(11), 11);
  ai->Relations[1] = rHostile;
  ai->Kind = pkHuman;
  EXPECT_EQ(ai->ScaleForDifficulty(11), 11);
  Main::Difficulty = 1;
}

TEST_F(Players, HumanTurnDrawsOneNumberAndStartsNoThread) {
  NewGroup(1, 3, 3, {Wolf});
  TRandomState before = RandomMain;
  NextRandom(before);
  P(1)->BeginTurn();
  EXPECT_EQ(RandomMain.Low, before.Low);
  EXPECT_EQ(RandomMain.High, before.High);
  EXPECT_FALSE(P(1)->ThreadRunning());
  EXPECT_NE(P(1)->GetSelectedGroup(), nullptr) << "the own group with the lowest unit ID";
  P(1)->EndTurn();
  EXPECT_EQ(P(1)->Selection, nullptr);
  EXPECT_NE(P(1)->LastSelectionID, 0u);
}

TEST_F(Players, ComputerTurnRunsOnItsThreadAndEndsWithTheEndTurnRecord) {
  TPlayer* ai = P(2);
  ai->Kind = pkComputer;
  Scenario->CurrentPlayerIndex = 2;
  TRandomState before = RandomMain;
  u32 threadSeed = static_cast<u32>(NextRandom(before));
  ai->BeginTurn();
  EXPECT_EQ(RandomMain.Low, before.Low) << "one draw from the main stream";
  TActionRecord r;
  ASSERT_TRUE(TakePosted(ai, r));
  EXPECT_EQ(r.Type(), atResult);
  EXPECT_EQ(r.Words[1], 1u);
  ai->SetResult(arDone);
  ASSERT_TRUE(TakePosted(ai, r));
  EXPECT_EQ(r.Type(), atEndTurn);
  ai->EndTurn();
  EXPECT_FALSE(ai->ThreadRunning());
  TRandomState expected{threadSeed, 0};
  NextRandom(expected);
  EXPECT_EQ(RandomThread.Low, expected.Low) << "the thread stream was seeded from the main stream";
  EXPECT_EQ(Scenario->ActionCounter, 2u);
}

TEST_F(Players, StoppingAWaitingThreadEndsIt) {
  TPlayer* ai = P(2);
  ai->Kind = pkComputer;
  ai->BeginTurn();
  TActionRecord r;
  ASSERT_TRUE(TakePosted(ai, r));
  // The thread now waits for a result that never comes.
  auto start = std::chrono::steady_clock::now();
  ai->StopThread();
  EXPECT_FALSE(ai->ThreadRunning());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  ai->StopThread();  // nothing to stop
}

// A turn that begins while the thread of an earlier turn was never joined
// ends that thread first instead of ending the program.
TEST_F(Players, ANewTurnEndsAThreadThatWasNeverJoined) {
  TPlayer* ai = P(2);
  ai->Kind = pkComputer;
  Scenario->CurrentPlayerIndex = 2;
  ai->BeginTurn();
  TActionRecord r;
  ASSERT_TRUE(TakePosted(ai, r));
  ai->BeginTurn();
  ASSERT_TRUE(TakePosted(ai, r));
  EXPECT_EQ(r.Type(), atResult) << "the new turn's thread announces itself";
  ai->SetResult(arDone);
  ASSERT_TRUE(TakePosted(ai, r));
  EXPECT_EQ(r.Type(), atEndTurn);
  ai->EndTurn();
  EXPECT_FALSE(ai->ThreadRunning());
}

TEST_F(Players, DestroyingTheScenarioStopsTheCurrentPlayersThread) {
  TPlayer* ai = P(2);
  ai->Kind = pkComputer;
  Scenario->CurrentPlayerIndex = 2;
  ai->BeginTurn();
  Scenario.reset();  // must neither hang nor leave the thread running
  SUCCEED();
}

TEST_F(Players, MailboxAndNotifications) {
  TPlayer* p = P(1);
  EXPECT_EQ(p->Result, 1u);
  p->PostResult(arNoPath);
  u32 code = 99;
  p->GetResult(code);
  EXPECT_EQ(code, 0u) << "a post clears the result word";
  TActionRecord r;
  p->TakeAction(r);
  EXPECT_EQ(r.Type(), atResult);
  EXPECT_EQ(r.Words[1], arNoPath);
  p->TakeAction(r);
  EXPECT_EQ(r.Type(), atNone);

  p->AddNotification(new TNotification{3, 1, 2, 77, 0});
  p->AddNotification(new TNotification{4, 3, 4, 78, 9});
  EXPECT_EQ(p->GetNotificationCount(), 2);
  EXPECT_EQ(p->GetNotification(1)->UnitID, 78u);
  EXPECT_EQ(p->GetNotification(5), nullptr);
  std::unique_ptr<TNotification> n(p->PopNotification());
  EXPECT_EQ(n->UnitID, 77u);
  p->ClearNotifications();
  EXPECT_EQ(p->PopNotification(), nullptr);
}

TEST_F(Players, SightingsHappenOncePerTurnAndReachAllies) {
  TPlayer* p = P(1);
  P(1)->Relations[0] = rAllied;
  TGroup* foreign = NewGroup(2, 6, 6, {Wolf, Soldier});
  p->Fog->SetState(6, 6, fsVisible);
  p->UpdateSightings(true);
  EXPECT_TRUE(foreign->Sighted);
  EXPECT_EQ(p->SightingStop, 1);
  EXPECT_EQ(p->GroupSighted, 1);
  EXPECT_EQ(p->GetNotificationCount(), 2) << "one per unit";
  EXPECT_EQ(P(0)->GetNotificationCount(), 2) << "the ally hears of it";
  EXPECT_EQ(P(2)->GetNotificationCount(), 0);
  p->UpdateSightings(true);
  EXPECT_EQ(p->GetNotificationCount(), 2) << "no second sighting";

  // The viewing player in its own turn sees foreign groups only once sighted.
  Scenario->ViewingPlayer = p;
  Scenario->CurrentPlayerIndex = 1;
  foreign->Sighted = 0;
  EXPECT_FALSE(p->CanSee(foreign));
  EXPECT_TRUE(P(0)->CanSee(NewGroup(0, 1, 1, {Wolf}))) << "own groups are always seen";
}

TEST_F(Players, StreamRoundTrip) {
  TPlayer* p = P(1);
  p->Kind = pkComputer;
  p->Gold = 1234;
  p->Colour = 3;
  p->Name = "Gr\xFCn";
  p->PortraitID = 55;
  p->Relations[2] = rHostile;
  p->Fog->SetState(2, 3, fsExplored);
  auto* area = new TArea;
  area->ID = 900;
  area->AddField(1, 1);
  Scenario->Areas.AddSorted(area);
  p->SightAreas.push_back(area);
  p->StartArea->AddField(4, 4);
  p->Notes = {"eins", "zwei"};
  p->ConversationLog = {"Hallo"};
  p->NoteSeenPrototype(2);
  p->NoteSeenPrototype(2);
  Data::TMemoryStream s;
  p->Save(s);

  TPlayer copy(Scenario.get());
  s.SetPosition(0);
  copy.Load(s);
  Data::TMemoryStream again;
  copy.Save(again);
  EXPECT_EQ(again.AsString(), s.AsString());
  EXPECT_EQ(copy.Name, "Gr\xFCn");
  EXPECT_EQ(copy.Fog->GetState(2, 3, 9), fsExplored);
  ASSERT_EQ(copy.SightAreas.size(), 1u);
  EXPECT_EQ(copy.SightAreas[0], area);
  EXPECT_EQ(copy.SeenPrototypes.Count(), 1);

  for (std::size_t cut : {std::size_t{3}, s.Memory().size() / 2, s.Memory().size() - 1}) {
    Data::TMemoryStream truncated(s.AsString().substr(0, cut));
    TPlayer broken(Scenario.get());
    EXPECT_THROW(broken.Load(truncated), std::runtime_error) << cut;
  }
  std::string bad = s.AsString();
  bad[4] = 7;  // no such kind
  Data::TMemoryStream badKind(bad);
  EXPECT_THROW(copy.Load(badKind), Data::EInvalidData);
}

}  // namespace
}  // namespace WorldTest
