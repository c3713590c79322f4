// The main menu over the demo data on an 800 x 600 software display, the
// window system on the headless platform with a fake clock, and a game
// controller stand-in that records what the menu asks of it.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "engine/dxwin/window_system.h"
#include "engine/gfx/screen.h"
#include "frontend/game_link.h"
#include "frontend/loading_screen.h"

#include "frontend/main_menu.h"
#include "tests/engine/dxwin/window_fixture.h"
#include "tests/engine/gfx/gfx_display.h"
#include "tests/engine/gfx/golden.h"
#include "tests/world/demo_data_dir.h"

namespace MenuTest {

class TRecordingLink : public Main::TGameLink {
 public:
  bool ScenarioRunning() const override { return Running; }
  void Activate() override { Calls.push_back("activate"); }
  void LoadScenario(const std::string& name, i32 mission) override {
    Calls.push_back("load scenario " + name + " " + std::to_string(mission));
    if (!Failure.empty()) throw std::runtime_error(Failure);
    Running = true;
  }
  void AutoSaveMission() override { Calls.push_back("auto save"); }
  void StartGame(const Main::TGameParams& params) override {
    std::string kinds;
    for (const Main::TPlayerParams& p : params.Players) kinds += std::to_string(p.Kind);
    Calls.push_back("start " + std::to_string(params.GameType) + " " + kinds);
  }
  void SaveGame(const std::string& name, bool missionStart, bool withTransfer) override {
    Calls.push_back("save " + name + " " + std::to_string(missionStart) + std::to_string(withTransfer));
    if (!Failure.empty()) throw std::runtime_error(Failure);
  }
  void LoadGame(const std::string& name) override {
    Calls.push_back("load " + name);
    if (!Failure.empty()) throw std::runtime_error(Failure);
  }
  // The windows may be bound only on the main thread.
  void BindLoadedGame() override {
    Calls.push_back(std::this_thread::get_id() == MainThread ? "bind" : "bind off the main thread");
  }
  void CloseScenario() override {
    Calls.push_back("close");
    Running = false;
  }
  void SaveSettings() override { Calls.push_back("save settings"); }
  GameData::TScenario* CurrentScenario() const override { return Scenario; }

  bool Running = false;
  std::string Failure;  // what the next operation raises, when not empty
  std::vector<std::string> Calls;
  std::thread::id MainThread = std::this_thread::get_id();
  GameData::TScenario* Scenario = nullptr;  // what the lobby reads names from
};

class TMenuFixture : public WinTest::TWindowFixture {
 protected:
  static constexpr int W = 800, H = 600;

  void SetUp() override;
  void TearDown() override;

  // A save file in the save folder, written minutes ago (newer with more).
  void WriteSave(const std::string& name, u32 mission, i32 round, u32 gold, bool missionStart, int minutesAgo);
  // Bytes as they are, no save header.
  void WriteRaw(const std::string& name, const std::string& bytes, bool enciphered);
  void SetAge(const std::string& name, int minutesAgo);
  std::string SaveDir() const;

  // One frame of the window system on the display.
  void DrawScreen();
  void ExpectPicture(const char* name);
  // The screen centre of a main button or page button.
  void ClickButton(const DXWin::TDXControl* b);
  std::vector<std::string> MessageBoxes() const;

  std::unique_ptr<TestSupport::TGfxDisplay> Display;
  std::unique_ptr<TestSupport::TDemoDataDir> Data;
  TRecordingLink Link;
  Main::TMainMenu* Menu = nullptr;
};

}  // namespace MenuTest
