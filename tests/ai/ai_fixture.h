// A small world whose players carry the real computer opponent, and a
// helper that plays the main thread for the opponent's posted records.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ai/ai_handler.h"
#include "tests/world/world_fixture.h"
#include "world/scenario/action.h"

namespace AITest {

class TAIFixture : public WorldTest::TWorldFixture {
 protected:
  void SetUp() override;
  AIHandler::TAIHandler& Handler(i32 player);
  // The AI unit of the game unit in player's handler (fails the test when none).
  AIHandler::TAIUnit* AI(i32 player, const GameData::TUnit* unit);

  // Runs op on a thread of its own, as the player thread would, and answers
  // each record it posts with answer(record) on this thread; returns the records.
  std::vector<GameData::TActionRecord> Serve(i32 player, const std::function<void()>& op,
                                             const std::function<u32(const GameData::TActionRecord&)>& answer);
};

std::string Bytes(const Data::TDataObject& object);

}  // namespace AITest
