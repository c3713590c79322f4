#include "tests/world/demo_world.h"

#include "tests/world/world_fixture.h"
#include "world/data2/global_data.h"

namespace WorldTest {

TDemoWorld::TDemoWorld() {
  ConnectTestOpponent();
  Data2::CreateArchives();
  Data2::CreateGlobalData();
}

TDemoWorld::~TDemoWorld() {
  Data2::FreeGlobalData();
  Data2::FreeArchives();
}

std::string TDemoWorld::ScenarioFile(const std::string& name) const {
  std::unique_ptr<Data::TStream> file(Data2::ScenarioArchive->OpenFile(name));
  std::string bytes(static_cast<std::size_t>(file->GetSize()), '\0');
  file->ReadBuffer(bytes.data(), static_cast<i32>(bytes.size()));
  return bytes;
}

std::unique_ptr<GameData::TScenario> TDemoWorld::Load(const std::string& bytes) {
  auto scenario = std::make_unique<GameData::TScenario>();
  Data::TMemoryStream s(bytes);
  scenario->Load(s);
  return scenario;
}

std::string TDemoWorld::Save(const GameData::TScenario& scenario) {
  Data::TMemoryStream s;
  scenario.Save(s);
  return s.AsString();
}

}  // namespace WorldTest
