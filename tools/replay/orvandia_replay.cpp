// Plays a game without a screen from a script of actions and prints a hash
// of the game's state after every executed action (see replay_script.h).
#include <cstdio>
#include <exception>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/base/base.h"
#include "engine/data/archive.h"
#include "engine/platform/system/files.h"
#include "engine/platform/system/text.h"
#include "game/control/game.h"
#include "game/control/headless_game.h"
#include "tools/replay/replay_script.h"
#include "world/data2/global_data.h"
#include "world/locations/city.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace {

// What a script refers to: the players and the IDs of groups, cities and
// buildings with their fields.
void ListScenario(const std::string& name) {
  Main::THeadlessGame headless(1);
  Game->LoadScenario(name, 1);
  const GameData::TScenario& s = *Game->Scenario;
  for (i32 i = 0; i < s.PlayerCount(); ++i)
    std::printf("player %d kind %d gold %u\n", i, s.Players[i]->Kind, s.Players[i]->Gold);
  for (const GameData::TMapObject* o : s.MapObjects) {
    if (o->Type == GameData::otGroup) {
      const auto* g = static_cast<const GameData::TGroup*>(o);
      std::printf("group %u at %d %d owner %d units %d\n", g->ID, g->FieldX(), g->FieldY(), g->OwnerIndex,
                  g->GetUnitCount());
    } else if (o->Type == GameData::otCity) {
      const auto* c = static_cast<const GameData::TCity*>(o);
      std::printf("city %u at %d %d owner %d\n", c->ID, c->FieldX(), c->FieldY(), c->Owner);
    } else if (o->Type == GameData::otBuilding) {
      std::printf("building %u at %d %d\n", o->ID, o->FieldX(), o->FieldY());
    }
  }
}

// Every page the campaign's conversations make, with every answer from none
// to the second, one file each: the pages as the conversation window gets them.
void WritePages(const std::string& folder) {
  Main::THeadlessGame headless(1);
  const Data2::TGlobalData& global = *Data2::GlobalData;
  for (i32 mission = 1; mission <= global.MissionCount; ++mission) {
    Game->LoadScenario(global.MissionFiles[mission - 1], mission);
    for (GameData::TConversation* c : Game->Scenario->Conversations->Items)
      for (i32 answer = 0; answer <= 2; ++answer) {
        c->ChosenAnswer = answer;
        for (i32 i = 0; i < static_cast<i32>(c->Texts.size()); ++i) {
          const std::string page = c->GetText(i);
          if (page.empty()) continue;
          const std::string name = Base::Format("%s/page-%d-%u-%d-%d", folder.c_str(), mission,
                                                static_cast<unsigned>(c->ID), i, answer);
          std::ofstream out(name, std::ios::binary);
          out << page;
          if (!out) throw std::runtime_error("cannot write " + name);
        }
      }
  }
}

}  // namespace

int main(int argc, char** argv) {
  // The first word names the command; a data folder called "list" would
  // need "./list".
  const std::string command = argc > 1 ? argv[1] : "";
  const bool list = command == "list", settings = command == "settings", pages = command == "pages";
  if (argc != (list || pages ? 4 : 3)) {
    std::fprintf(stderr,
                 "usage:\n"
                 "  orvandia-replay DATADIR SCRIPT       play the script, one line per executed action\n"
                 "  orvandia-replay list DATADIR NAME    the players and objects of a scenario file\n"
                 "  orvandia-replay settings DIR         write DIR/orvandia.ini with the default settings\n"
                 "  orvandia-replay pages DATADIR DIR    write the campaign's conversation pages into DIR\n");
    return 2;
  }
  try {
    if (settings) {
      Base::AppDir = Plat::Utf8ToCp1252(argv[2]) + "/";
      Main::TGame().SaveSettings();
      return 0;
    }
    Data::DataPath = Plat::Utf8ToCp1252(argv[list || pages ? 2 : 1]);
    if (!Data::DataPath.empty() && Data::DataPath.back() != '/') Data::DataPath += '/';
    if (list) {
      ListScenario(Plat::Utf8ToCp1252(argv[3]));
      return 0;
    }
    if (pages) {
      WritePages(argv[3]);
      return 0;
    }
    if (Plat::DirectoryExists(Plat::Utf8ToCp1252(argv[2])))
      throw std::runtime_error(Plat::Utf8ToCp1252(argv[2]) + " is a folder, not a script");
    std::ifstream in(argv[2], std::ios::binary);
    std::stringstream script;
    if (in) script << in.rdbuf();
    if (!in || in.bad()) throw std::runtime_error("cannot read " + Plat::Utf8ToCp1252(argv[2]));
    // The script's text is UTF-8 like the arguments: names in it (saves)
    // become the game's Windows-1252.
    Replay::RunScript(Plat::Utf8ToCp1252(script.str()),
                      [](const std::string& line) { std::printf("%s\n", line.c_str()); });
  } catch (const std::exception& e) {
    std::fflush(stdout);
    Plat::WriteErrorLine(std::string("orvandia-replay: ") + e.what());
    return 1;
  }
  return 0;
}
