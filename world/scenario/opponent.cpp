#include "world/scenario/opponent.h"

#include <stdexcept>

namespace GameData {

namespace {
TOpponentMaker ConnectedMaker = nullptr;
}

void ConnectOpponent(TOpponentMaker maker) { ConnectedMaker = maker; }
bool IsOpponentConnected() { return ConnectedMaker != nullptr; }
TOpponentMaker ConnectedOpponent() { return ConnectedMaker; }

std::unique_ptr<TOpponent> MakeOpponent(TPlayer* player) {
  if (!ConnectedMaker) throw std::logic_error("No computer opponent connected.");
  return ConnectedMaker(player);
}

}  // namespace GameData
