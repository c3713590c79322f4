// The demo scenarios, the files they name, and a generator of large
// scenarios for benchmarks, fuzzing and tests. The scenarios are built with
// the game world's own classes and written by its own stream.
//
// A player's stream holds its computer opponent's: the opponent connected
// to the world when a scenario is made writes it (a plain one when none is).
#pragma once

#include <string>
#include <vector>

#include "engine/base/types.h"

namespace Builder {

// The resources the scenarios name in the "scenario" archive.
constexpr const char* ScenarioSpriteFile = "demo.gfl";
constexpr const char* DoodleFileName = "doodles.txt";
constexpr const char* FaceFileName = "faces.gfl";

// The doodle prototypes of DoodleFileName: their IDs.
constexpr u32 TreeDoodle = 1, RockDoodle = 2, SpringDoodle = 3, FlowersDoodle = 4;
// A bridge makes its river field passable (the river costs 255).
constexpr u32 BridgeDoodle = 5;
std::string DoodleFile();

// Mission 1 ("demo1.scn", 16 x 16 flat fields) or 2 ("demo2.scn", 40 x 32
// with hills, a river and a ford, a camp, a wood, rain and player 1's fog of
// war): three players with GLOBAL0 to GLOBAL2 set, a hero group for player 1,
// creatures for player 2, a city of player 1 with merchants, a defender and a
// recruit, doodles, an area, and a conversation for player 1 in round 1.
// Mission 3 ("demo3.scn", 16 x 16) is short: a pack of player 2 by a tower,
// and off the map two units that wait for player 1, one of them required, so
// that the transfer window shows before it.
constexpr i32 DemoMissionCount = 3;
std::string DemoScenario(i32 mission);
// "net1.scn", offered only for network games: 16 x 16, the neutral player
// and two parties, each with a group and a city.
constexpr const char* NetworkScenarioFile = "net1.scn";
constexpr u32 NetworkScenarioID = 7001;
constexpr u32 NetworkScenarioParties = 2;
std::string NetworkScenario();
// The computer opponents' streams of every player of every mission, as
// their files hold them.
std::vector<std::string> DemoOpponentStreams();
// The texts of every mission's quests and objectives, as the diary reads them.
std::vector<std::string> DemoObjectiveTexts();
// The mission's ground picture ("demo1.bkg" and so on), painted from its
// terrain.
std::string DemoBackground(i32 mission);

struct TScenarioParams {
  i32 Width = 128;
  i32 Height = 128;
  i32 Players = 3;
  // Groups of one to three units, owned in turn by the players from 1 on.
  i32 Groups = 300;
  i32 Doodles = 3000;
  i32 Cities = 8;
  // Hills and valleys with move costs from 1 to 8 and blocked fields.
  bool VariedTerrain = true;
  u32 Seed = 1;
  // Every computer group holds a task to go to the middle of the map (which
  // varied terrain may cut off).
  bool Marches = false;
  // Every computer group holds one of three tasks in turn: attack the
  // nearest group of the human player, go into the nearest city (its own to
  // defend it, the human's to take it), or march as above.
  bool Campaigns = false;
  // The ground picture it names in the "scenario" archive.
  std::string BackgroundFile = "demo1.bkg";
};

// A scenario filled at random (the seed decides), naming the resources of
// "demo1.scn" (but its own ground picture, when asked): it loads wherever the
// demo data set is the data path. Parameters the game or the generator
// cannot take (a side it refuses, fewer than three players) raise.
// What a generated scenario holds; fewer than asked when the map has no room.
struct TScenarioCounts {
  i32 Groups = 0, Doodles = 0, Cities = 0;
};
std::string GenerateScenario(const TScenarioParams& params, TScenarioCounts* placed = nullptr);

}  // namespace Builder
