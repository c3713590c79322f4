#include "tests/ai/ai_fixture.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "world/scenario/player.h"
#include "world/scenario/scenario.h"

namespace AITest {

using namespace GameData;

void TAIFixture::SetUp() {
  TWorldFixture::SetUp();
  AIHandler::ConnectToWorld();
  MakeScenario(16, 16, 3);
}

AIHandler::TAIHandler& TAIFixture::Handler(i32 player) {
  return static_cast<AIHandler::TAIHandler&>(*Scenario->PlayerAt(player)->AIHandler);
}

AIHandler::TAIUnit* TAIFixture::AI(i32 player, const TUnit* unit) {
  AIHandler::TAIUnit* a = Handler(player).FindAIUnit(unit);
  EXPECT_NE(a, nullptr);
  return a;
}

std::vector<TActionRecord> TAIFixture::Serve(i32 player, const std::function<void()>& op,
                                             const std::function<u32(const TActionRecord&)>& answer) {
  TPlayer* p = Scenario->PlayerAt(player);
  std::vector<TActionRecord> posted;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    try {
      op();
    } catch (const EThreadTermination&) {
    }
    done = true;
  });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done && std::chrono::steady_clock::now() < deadline) {
    TActionRecord r;
    p->TakeAction(r);
    if (r.Type() == atNone) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      continue;
    }
    posted.push_back(r);
    p->SetResult(answer(r));
  }
  if (!done) p->StopRequested = 1;
  worker.join();
  p->StopRequested = 0;
  EXPECT_TRUE(done) << "the operation ended";
  return posted;
}

std::string Bytes(const Data::TDataObject& object) {
  Data::TMemoryStream s;
  object.Save(s);
  return s.AsString();
}

}  // namespace AITest
