// The stored classes of the scenario file that stand outside the map
// objects join the round-trip check of every stored class.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "tests/engine/data/stored_class_check.h"
#include "world/map/weather.h"
#include "world/scenario/conversation.h"
#include "world/scenario/quest_objective.h"

namespace {

using namespace GameData;

std::unique_ptr<Data::TDataObject> FullConversation() {
  auto c = std::make_unique<TConversation>();
  c->ID = 4001;
  c->Name = "Gespr\xE4" "ch";
  c->OwnerType = coMerchant;
  c->OwnerID = 77;
  c->OwnerFaceID = 3;
  c->OwnerName = "H\xE4ndler";
  c->ActivationRound = 5;
  c->TargetPlayers = 0x8005;
  for (i32 i = 0; i < ScriptLocalCount; ++i) c->Locals[i] = i * 7 - 100;
  c->Active = 0;
  c->Aliases = {{"ZAEHLER", 4}, {"RUNDE", 31}};
  c->Texts = {"<TEXT><1>Eins<ENDTEXT>", ""};
  return c;
}

std::unique_ptr<Data::TDataObject> FullObjective() {
  auto q = std::make_unique<TQuestObjective>();
  q->ID = 4002;
  q->Name = "Der Schatz";
  q->Type = qtObjective;
  q->HeroID = 12;
  q->State = qsSolved;
  q->PlayerIndex = 2;
  q->Hidden = 1;
  q->Text = "Finde den Schatz.<1>Gefunden.<1>";
  q->FinalConversationID = 4001;
  for (i32 i = 0; i < 32; ++i) q->Check.Locals[i] = 1000 - i;
  q->Check.Script = "<IF 1><SETRESULT 1><ENDIF><CRLF>";
  q->HeroName = "Ritter";
  q->GivenSerial = 4711;
  return q;
}

std::unique_ptr<Data::TDataObject> FullCheck() {
  auto c = std::make_unique<TCheck>();
  for (i32 i = 0; i < 32; ++i) c->Locals[i] = i * i - 3;
  c->Script = "<GETTURN><CRLF><IFGREATER(LOCAL0,5)><SETRESULT(-1)><ENDIF>";
  return c;
}

template <class T>
std::unique_ptr<Data::TDataObject> FullParticle(i16 phase) {
  auto p = std::make_unique<T>();
  p->Init(12, 250, 400, 3, -7, phase, 0xBEEF);
  p->Update();
  return p;
}

template <class T>
TestSupport::TStoredClass Case(const char* name, std::function<std::unique_ptr<Data::TDataObject>()> full) {
  return {.Name = name,
          .Make = [] { return std::make_unique<T>(); },
          .Fill = [full](Data::TDataObject& o) {
            auto filled = full();
            Data::TMemoryStream s;
            filled->Save(s);
            Data::TMemoryStream in(s.AsString());
            o.Load(in);
          }};
}

TEST(StoredScenarioClasses, EveryClassRoundTrips) {
  const TestSupport::TStoredClass cases[] = {
      Case<TConversation>("conversation", FullConversation),
      Case<TQuestObjective>("quest objective", FullObjective),
      Case<TCheck>("condition script", FullCheck),
      Case<TRainDrop>("rain drop", [] { return FullParticle<TRainDrop>(0); }),
      Case<TSnowFlake>("snow flake", [] { return FullParticle<TSnowFlake>(33); }),
      Case<TSandSeed>("sand seed", [] { return FullParticle<TSandSeed>(66); }),
  };
  for (const auto& c : cases) TestSupport::ExpectStoredClassRoundTrip(c);
}

TEST(StoredScenarioClasses, ConversationStateThatIsNotStored) {
  auto saved = FullConversation();
  auto& c = static_cast<TConversation&>(*saved);
  c.Running = 1;
  c.ChosenAnswer = 2;
  c.Delete = 1;
  Data::TMemoryStream s;
  c.Save(s);
  TConversation loaded;
  loaded.Running = 1;
  Data::TMemoryStream in(s.AsString());
  loaded.Load(in);
  EXPECT_EQ(loaded.Running, 0);
  EXPECT_EQ(loaded.ChosenAnswer, 0);
  EXPECT_EQ(loaded.Delete, 0);
  EXPECT_TRUE(loaded.IsTargetPlayer(0) && loaded.IsTargetPlayer(2) && !loaded.IsTargetPlayer(1));
  EXPECT_TRUE(loaded.IsTargetPlayer(20)) << "bit 15 reaches the upper bits";

  // Scripts index the locals with an alias: an index outside them is refused.
  c.Aliases = {{"X", ScriptLocalCount}};
  Data::TMemoryStream bad;
  c.Save(bad);
  Data::TMemoryStream badIn(bad.AsString());
  EXPECT_THROW(loaded.Load(badIn), Data::EInvalidData);
}

}  // namespace
