// The transfer window's picture on the demo data: the title, "FERTIG", both
// labels, a required unit in the transferred grid and a new one among the
// available units.
#include <gtest/gtest.h>

#include <memory>

#include "game/transfer/transfer_window.h"
#include "tests/game/panel_fixture.h"
#include "world/scenario/transfer.h"

namespace PanelTest {
namespace {

GameData::TUnit* NewUnit(u32 prototype) {
  auto* unit = new GameData::TUnit;
  unit->SetPrototype(GameData::FindUnitPrototype(prototype));
  unit->OwnerIndex = 1;
  return unit;
}

class TransferPicture : public TPanelFixture {};

TEST_F(TransferPicture, RequiredAndNewUnits) {
  GameData::TTransfer transfer;
  for (u32 p : {5u, 1u, 2u, 5u}) transfer.Available.Items.Add(NewUnit(p));
  transfer.Available[2]->TransferNew = 1;
  GameData::TUnit* required = transfer.Available[0];
  transfer.TransferUnit(required);
  required->TransferRequired = 1;
  Scenario->TransferLimit = 2;
  {
    auto window = std::make_unique<Main::TTransferWindow>(Sys.get(), Scenario.get(), &transfer);
    window->Show();
    DrawScreen();
    ExpectPicture("transfer_window", {40, 10, 780, 400});
  }
  transfer.Clear();
}

}  // namespace
}  // namespace PanelTest
