#include "frontend/scenario_info.h"

#include <exception>

#include "engine/data/archive.h"
#include "engine/data/data_object.h"
#include "engine/gfx/sprite.h"
#include "world/scenario/scenario_header.h"

namespace Main {

TScenarioInfo::TScenarioInfo() = default;
TScenarioInfo::~TScenarioInfo() = default;

bool TScenarioInfo::Read(const Data::TArchive& archive, const std::string& fileName) {
  try {
    std::unique_ptr<Data::TStream> s(archive.OpenFile(fileName));
    Data::TDataObject id;
    id.Load(*s);
    GameData::TScenarioThumbNail head;
    GameData::LoadScenarioThumbNail(*s, &head);
    FileName = fileName;
    // Header bytes 80 and 84 hold the network identity and the parties.
    ScenarioNetworkID = head.Header.NotCampaign;
    Parties = head.Header.HeaderValue;
    Description = std::move(head.Description);
    MapWidth = head.Header.Width;
    MapHeight = head.Header.Height;
    Preview = std::move(head.Sprite);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace Main
