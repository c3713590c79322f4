// Conversation commands on the map's dressing, the view, merchants and other
// conversations: weather, doodles, centring, merchants on and off, calls,
// active flags and the round.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "script/conversation_commands.h"
#include "tests/script/script_test_support.h"
#include "tests/world/world_fixture.h"
#include "world/locations/city.h"
#include "world/locations/merchant.h"
#include "world/map/doodle.h"
#include "world/scenario/conversation.h"
#include "world/units/group.h"

namespace ScriptTest {
namespace {

using namespace GameData;
using Script::TConversationCommands;

TDoodlePrototype Prototype(u32 id, u16 fieldEffect, i16 moveCostChange, u16 layer) {
  TDoodlePrototype p{};
  p.ID = id;
  p.FieldEffect = fieldEffect;
  p.MoveCostChange = moveCostChange;
  p.Layer = layer;
  p.Valid = 1;
  return p;
}

class ViewCommands : public WorldTest::TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    MakeScenario(64, 48, 3);
    Scenario->CurrentPlayerIndex = 1;
    Scenario->ViewingPlayer = Scenario->Players[1];
    // Two records share ID 7: the last one counts.
    Scenario->DoodlePrototypes.Add(Prototype(7, 1, 50, 3));
    Scenario->DoodlePrototypes.Add(Prototype(7, 1, 100, 4));
    Scenario->DoodlePrototypes.Add(Prototype(8, 0, 0, 5));
    Knights = NewGroup(1, 20, 10, {WorldTest::Knight});
    Talk.ID = 77;
    Talk.SetScenario(Scenario.get());
    Talk.SetGroup(Knights);
  }

  void Run(const std::string& text) { TConversationCommands(Talk).ProcessText(text); }
  std::string ErrorOfRun(const std::string& text) {
    return ErrorOf([&] { Run(text); });
  }
  i32 Local0(const std::string& text) {
    Run(text);
    return Talk.Locals[0];
  }
  TDoodle* DoodleOf(i32 id) {
    TMapObject* o = Scenario->FindMapObject(static_cast<u32>(id));
    return o && o->Type == otDoodle ? static_cast<TDoodle*>(o) : nullptr;
  }
  u8 CostAt(i32 px, i32 py) { return Scenario->CostAt(px / 40, py / 40); }
  TConversation* AddConversation(const std::string& text) {
    auto* c = new TConversation;
    c->ID = Scenario->NewID();
    c->Texts.push_back(text);
    c->SetScenario(Scenario.get());
    Scenario->Conversations->AddSorted(c);
    return c;
  }

  TConversation Talk;
  TGroup* Knights = nullptr;
};

TEST_F(ViewCommands, WeatherStatesZeroToFourAreSetOthersRaise) {
  for (i32 state : {2, 2, 4, 0, 1, 3}) {
    Run("<SETWEATHERSTATE(" + std::to_string(state) + ")>");
    EXPECT_EQ(Scenario->Weather, static_cast<u32>(state));
  }
  for (i32 state : {5, -1}) {
    const std::string command = "SETWEATHERSTATE(" + std::to_string(state) + ")";
    const std::string message = "Bad weather state! State=" + std::to_string(state);
    EXPECT_EQ(ErrorOfRun("<" + command + ">"), Framed(message, command, 77));
    EXPECT_EQ(Scenario->Weather, static_cast<u32>(wsSandStorm));
  }
}

TEST_F(ViewCommands, AddDoodleTakesTheLastPrototypeTwoIDsAndChangesTheFields) {
  const u32 next = Scenario->NextID;
  const i32 id = Local0("<ADDDOODLE(7,820,420)>");
  EXPECT_EQ(static_cast<u32>(id), next + 1) << "the registry's ID, one after the doodle's own";
  EXPECT_EQ(Scenario->NextID, next + 2);
  TDoodle* doodle = DoodleOf(id);
  ASSERT_NE(doodle, nullptr);
  EXPECT_EQ(doodle->Prototype, &Scenario->DoodlePrototypes[1]);
  EXPECT_EQ(doodle->Layer, 4);
  EXPECT_EQ(doodle->X, 820);
  EXPECT_EQ(doodle->Y, 420);
  EXPECT_EQ(CostAt(820, 420), 2 + 100) << "the field maps are rebuilt";

  TDoodle* outside = DoodleOf(Local0("<ADDDOODLE(8)>"));
  ASSERT_NE(outside, nullptr);
  EXPECT_EQ(outside->X, -1000);
  EXPECT_EQ(outside->Y, -1000);
  EXPECT_EQ(ErrorOfRun("<ADDDOODLE(9,1,1)>"), Framed("No doodle prototype found with ID = 9!", "ADDDOODLE(9,1,1)", 77));
}

TEST_F(ViewCommands, APageAddsAtMostAThousandDoodlesAndAnimations) {
  const i32 objects = Scenario->MapObjects.Count();
  EXPECT_EQ(ErrorOfRun("<LOOP(2000)><ADDDOODLE(8)><ENDLOOP>"),
            Framed("Too many doodles and animations added by one page!", "ADDDOODLE(8)", 77));
  EXPECT_EQ(Scenario->MapObjects.Count(), objects + TConversationCommands::MaxAddedMapObjects);
  EXPECT_EQ(ErrorOfRun("<ADDDOODLE(8)>"), "(no error)") << "the next page counts afresh";
}

TEST_F(ViewCommands, ChangeDoodleKeepsWhatItIsNotGivenAndLeavesTheFieldMaps) {
  const i32 id = Local0("<ADDDOODLE(8,300,300)>");
  TDoodle* doodle = DoodleOf(id);
  ASSERT_NE(doodle, nullptr);
  doodle->Active = 0;
  const std::string d = std::to_string(id);
  Run("<CHANGEDOODLE(" + d + ",7)>");
  EXPECT_EQ(doodle->Prototype, &Scenario->DoodlePrototypes[1]);
  EXPECT_EQ(doodle->X, 300);
  EXPECT_EQ(doodle->Active, 0) << "the active flag is kept";
  EXPECT_EQ(CostAt(300, 300), 2) << "not rebuilt";

  Run("<CHANGEDOODLE(" + d + ",8,100,140,1)>");
  EXPECT_EQ(doodle->X, 100);
  EXPECT_EQ(doodle->Y, 140);
  EXPECT_EQ(doodle->Active, 1);
  Run("<CHANGEDOODLE(" + d + ",8,100,-1000,0)>");
  EXPECT_EQ(doodle->Y, 140) << "a position needs both x and y";
  EXPECT_EQ(doodle->Active, 0);

  EXPECT_EQ(ErrorOfRun("<CHANGEDOODLE(99999,7)>"), "(no error)") << "an ID that names nothing";
  const std::string group = std::to_string(Knights->ID);
  EXPECT_EQ(ErrorOfRun("<CHANGEDOODLE(" + group + ",7)>"),
            Framed("No doodle found with ID = " + group + "!", "CHANGEDOODLE(" + group + ",7)", 77));
  EXPECT_EQ(ErrorOfRun("<CHANGEDOODLE(" + d + ",3)>"),
            Framed("No doodle prototype found with ID = 3!", "CHANGEDOODLE(" + d + ",3)", 77));
}

TEST_F(ViewCommands, DeleteDoodleRemovesOnlyDoodlesAndRebuildsTheFields) {
  const i32 id = Local0("<ADDDOODLE(7,500,500)>");
  ASSERT_EQ(CostAt(500, 500), 102);
  Run("<DELETEDOODLE(" + std::to_string(id) + ")>");
  EXPECT_EQ(Scenario->FindMapObject(static_cast<u32>(id)), nullptr);
  EXPECT_EQ(CostAt(500, 500), 2);
  EXPECT_EQ(ErrorOfRun("<DELETEDOODLE(99999)>"), "(no error)");
  const std::string group = std::to_string(Knights->ID);
  EXPECT_EQ(ErrorOfRun("<DELETEDOODLE(" + group + ")>"),
            Framed("No doodle found with ID = " + group + "!", "DELETEDOODLE(" + group + ")", 77));
  EXPECT_NE(Scenario->FindMapObject(Knights->ID), nullptr);
}

TEST_F(ViewCommands, AnAnimationWithoutAPictureIsNotPlayed) {
  const i32 objects = Scenario->MapObjects.Count();
  Scenario->NoAnimationRunning = 1;
  EXPECT_EQ(ErrorOfRun("<PLAYANIMATION(0,100,100,9,2)>"), "(no error)");
  EXPECT_EQ(Scenario->MapObjects.Count(), objects);
  EXPECT_EQ(Scenario->NoAnimationRunning, 1) << "nothing for the runner to wait for";
  EXPECT_EQ(ErrorOfRun("<PLAYANIMATION(4711,100,100,9,2,5)>"),
            Framed("Sprite with given ID not found (4711).", "PLAYANIMATION(4711,100,100,9,2,5)", 77));
  EXPECT_EQ(Scenario->MapObjects.Count(), objects);
}

TEST_F(ViewCommands, TheViewIsCentredOnlyForTheViewingPlayer) {
  // The map is 2560 x 1920 pixels, the view 800 x 600.
  Run("<CENTERVIEWTO(1000,800,0)>");
  EXPECT_EQ(Scenario->ViewX, 600);
  EXPECT_EQ(Scenario->ViewY, 500);
  Run("<CENTERVIEWTO(1400,1100)>");
  EXPECT_EQ(Scenario->ViewX, 600) << "one step: the tick moves it";
  EXPECT_EQ(Scenario->ScrollTargetX, 1000);
  EXPECT_EQ(Scenario->ScrollTargetY, 800);
  EXPECT_EQ(Scenario->ScrollSteps, 1);
  Run("<CENTERVIEWTO(-2147483647-1,2147483647,0)>");
  EXPECT_EQ(Scenario->ViewX, 0);
  EXPECT_EQ(Scenario->ViewY, 1920 - 600);

  Run("<CENTERVIEWTOUNIT(" + std::to_string(Knights->Units[0]->ID) + ",-3)>");
  EXPECT_EQ(Scenario->ViewX, 20 * 40 + 20 - 400);  // 420
  EXPECT_EQ(Scenario->ViewY, 10 * 40 + 20 - 300);
  const TUnit* offMap = NewUnit(WorldTest::Wolf);
  for (const std::string& tag : {"<CENTERVIEWTOUNIT(" + std::to_string(offMap->ID) + ",0)>",
                                 std::string("<CENTERVIEWTOUNIT(99999,0)>")}) {
    EXPECT_EQ(ErrorOfRun(tag), "(no error)");
    EXPECT_EQ(Scenario->ViewX, 420) << tag;
  }

  Scenario->ViewingPlayer = Scenario->Players[2];
  Run("<CENTERVIEWTO(2000,1500,0)><CENTERVIEWTOUNIT(" + std::to_string(Knights->Units[0]->ID) + ",0)>");
  EXPECT_EQ(Scenario->ViewX, 420) << "another player's turn on this machine";
}

TEST_F(ViewCommands, OnlyFlagOneEnablesAMerchant) {
  auto* city = new TCity(Scenario.get());
  city->OccupiedArea->AddField(12, 2);
  city->Owner = 1;
  Scenario->AddMapObject(city);
  for (i32 i = 0; i < MerchantCount; ++i) city->Merchants[i]->ID = 900 + static_cast<u32>(i);
  const struct {
    const char* flag;
    u8 present;
  } cases[] = {{"1", 1}, {"2", 0}, {"1", 1}, {"0", 0}, {"-1", 0}};
  for (const auto& c : cases) {
    Run(std::string("<ENABLEMERCHANT(903,") + c.flag + ")>");
    EXPECT_EQ(city->Merchants[3]->Present, c.present) << c.flag;
    EXPECT_EQ(Local0("<MERCHANTENABLED(903)>"), c.present);
  }
  city->Merchants[5]->Present = 7;
  EXPECT_EQ(Local0("<MERCHANTENABLED(905)>"), 1);
  EXPECT_EQ(ErrorOfRun("<ENABLEMERCHANT(906,1)>"), Framed("Merchant not found! ID=906", "ENABLEMERCHANT(906,1)", 77));
  EXPECT_EQ(ErrorOfRun("<MERCHANTENABLED(12)>"), Framed("Merchant not found! ID=12", "MERCHANTENABLED(12)", 77));
}

TEST_F(ViewCommands, CallQueuesAConversationOnceAndNeverTheRunningOne) {
  TConversation* other = AddConversation("");
  TConversation* running = AddConversation("");
  running->Running = 1;
  const std::string id = std::to_string(other->ID);
  Run("<CALL(" + id + ")><CALL(" + id + ")><CALL(" + std::to_string(running->ID) + ")>");
  ASSERT_EQ(Scenario->PendingConversations.Count(), 1);
  EXPECT_EQ(Scenario->PendingConversations[0], other);
  for (const char* missing : {"0", "99999"})
    EXPECT_EQ(ErrorOfRun(std::string("<CALL(") + missing + ")>"),
              Framed(std::string("Conversation not found! ID=") + missing, std::string("CALL(") + missing + ")", 77));
}

TEST_F(ViewCommands, ConversationsCallingEachOtherInARingAreStopped) {
  TConversation* a = AddConversation("");
  TConversation* b = AddConversation("<CALL(" + std::to_string(a->ID) + ")>");
  a->Texts[0] = "<CALL(" + std::to_string(b->ID) + ")>";
  Scenario->QueueConversation(a);
  // As the runner: each conversation popped runs its text.
  std::string error;
  i32 runs = 0;
  while (TConversation* c = Scenario->PopConversation()) {
    c->Running = 1;
    error = ErrorOf([&] { TConversationCommands(*c).ProcessText(c->Texts[0]); });
    c->Running = 0;
    if (error != "(no error)") break;
    ++runs;
  }
  EXPECT_EQ(runs, TConversationCommands::MaxCalledConversations);
  EXPECT_EQ(error.find("[TConversation]\nToo many conversations called in a row! ID="), 0u) << error;

  // The count starts afresh once the queue has run empty.
  while (Scenario->PopConversation()) {
  }
  EXPECT_EQ(Scenario->CalledConversations, 0);
  Run("<CALL(" + std::to_string(a->ID) + ")>");
  EXPECT_EQ(Scenario->CalledConversations, 1);
}

TEST_F(ViewCommands, ActiveFlagsAndTheRound) {
  TConversation* other = AddConversation("");
  const std::string id = std::to_string(other->ID);
  for (const auto& [flag, active] : {std::pair{"0", 0}, {"5", 1}, {"-1", 1}, {"0", 0}}) {
    Run("<SETACTIVE(" + id + "," + flag + ")>");
    EXPECT_EQ(other->Active, active) << flag;
    EXPECT_EQ(Local0("<ACTIVE(" + id + ")>"), active);
  }
  EXPECT_EQ(ErrorOfRun("<SETACTIVE(99999,1)>"), Framed("Conversation not found! ID=99999", "SETACTIVE(99999,1)", 77));
  EXPECT_EQ(ErrorOfRun("<ACTIVE(0)>"), Framed("Conversation not found! ID=0", "ACTIVE(0)", 77));
  Scenario->Round = 7;
  EXPECT_EQ(Local0("<GETTURN>"), 7);
}

}  // namespace
}  // namespace ScriptTest
