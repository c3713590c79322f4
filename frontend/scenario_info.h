// A scenario of the "scenario" archive that can be played over the network:
// what the multiplayer pages show of it and how machines name it.
#pragma once

#include <memory>
#include <string>

#include "engine/base/types.h"
#include "frontend/lobby_rules.h"

namespace Data {
class TArchive;
}
namespace Gfx {
class TSprite;
}

namespace Main {

class TScenarioInfo {
 public:
  TScenarioInfo();
  ~TScenarioInfo();
  TScenarioInfo(const TScenarioInfo&) = delete;
  TScenarioInfo& operator=(const TScenarioInfo&) = delete;

  // The object ID, the header, description and preview of an archive entry;
  // false (and nothing kept) when any of it cannot be read.
  bool Read(const Data::TArchive& archive, const std::string& fileName);
  // Offered for network games: a network identity and 1 to 4 parties.
  bool Offered() const { return ScenarioNetworkID != 0 && Parties >= 1 && Parties <= MaxParties; }
  TSessionScenario RowFacts() const { return {Description, MapWidth, MapHeight}; }

  std::string FileName;
  // The same scenario on every machine (header byte 80); 0: not offered.
  u32 ScenarioNetworkID = 0;
  u32 Parties = 0;  // header byte 84
  std::string Description;
  std::unique_ptr<Gfx::TSprite> Preview;
  i32 MapWidth = 0, MapHeight = 0;
};

}  // namespace Main
