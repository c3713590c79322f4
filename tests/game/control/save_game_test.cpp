// Save games: what they hold, damaged files, failed writes, and the list.
#include "game/control/save_game.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "engine/base/errors.h"
#include "engine/platform/system/files.h"
#include "game/battle/fight_dialog.h"
#include "game/city/city_window.h"
#include "game/control/start_up.h"
#include "game/panels/group_panel.h"
#include "game/map/map_window.h"
#include "tests/engine/dxapp/app_fixture.h"
#include "tests/game/game_fixture.h"
#include "tests/support/write_fault.h"
#include "tools/databuilder/archive_builder.h"
#include "world/data2/global_data.h"
#include "world/locations/city.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/quest_objective.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace GameTest {
namespace {

using namespace GameData;

class SaveGame : public TGameFixture {
 protected:
  std::string SavePath(const std::string& name) const { return Data2::SaveDirectory + name; }
  TCity* City() const {
    for (TMapObject* o : S().MapObjects)
      if (o->Type == otCity) return static_cast<TCity*>(o);
    return nullptr;
  }
};

TEST_F(SaveGame, ASaveLoadsToTheSameGame) {
  StartMission(1);
  Act({atSelect, GroupOf(1)});
  Act({atMove, 6, 7, 0, 0, 0, 0, 1});
  Player(1).Gold = 4321;
  // What later turns read besides the scenario: the selections and what the
  // computer has seen and not yet read.
  Player(2).LastSelectionID = GroupOf(2);
  Player(2).AddNotification(new TNotification{1, 6, 7, 77, 0});
  Player(2).AddNotification(new TNotification{4, 3, 2, 78, 1001});
  const u64 state = Main::GameStateHash();
  Game->SaveGame("01.sav", false, false);
  EXPECT_EQ(Game->Messages.back(), "Spiel gespeichert.");
  const Main::TSaveGameHeader header = Main::ReadSaveGameHeader(SavePath("01.sav"));
  EXPECT_EQ(header.MissionNumber, 1u);
  EXPECT_STREQ(header.Title, "Die Grenzmark");
  EXPECT_EQ(header.Round, 1);
  EXPECT_EQ(header.Gold, 4321u);
  EXPECT_EQ(header.MissionStart + header.TransferFollows, 0);

  GameData::TScenario* before = Game->Scenario.get();
  Game->LoadGame("01.sav");
  EXPECT_NE(Game->Scenario.get(), before);
  EXPECT_EQ(Main::GameStateHash(), state);
  ASSERT_NE(Player(1).GetSelectedGroup(), nullptr);
  EXPECT_EQ(Player(1).GetSelectedGroup()->ID, GroupOf(1));
  EXPECT_EQ(Player(1).Selection->Selected, 1);
  EXPECT_EQ(Player(2).Selection, nullptr);
  EXPECT_EQ(Player(2).LastSelectionID, GroupOf(2));
  ASSERT_EQ(Player(2).GetNotificationCount(), 2);
  const TNotification& seen = *Player(2).GetNotification(1);
  EXPECT_EQ(std::vector<u32>({seen.Kind, u32(seen.X), u32(seen.Y), seen.UnitID, seen.Extra}),
            std::vector<u32>({4, 3, 2, 78, 1001}));
  EXPECT_EQ(Game->MapWindow->Scenario, Game->Scenario.get()) << "an ordinary save is bound at once";
  EXPECT_EQ(Game->Messages.back(), "Spiel geladen.");
}

// A save never holds a group leaving a city: its units are back in the city.
TEST_F(SaveGame, ADepartureGroupGoesBackIntoTheCity) {
  StartMission(1);
  TCity* city = City();
  Act({atSelect, GroupOf(1)});
  Act({atEnterCity, city->ID});
  Act({atLeaveCity});
  ASSERT_EQ(Player(1).GetSelectedCity(), city);
  ASSERT_EQ(city->DepartureGroup->GetUnitCount(), 2);
  const i32 cityUnits = city->Units.Count();
  Game->SaveGame("02.sav", false, false);
  EXPECT_EQ(city->DepartureGroup->GetUnitCount(), 0);
  Game->LoadGame("02.sav");
  EXPECT_EQ(City()->DepartureGroup->GetUnitCount(), 0);
  EXPECT_EQ(City()->Units.Count(), cityUnits + 2);
}

// The texts come from the installed mission; the state stays as saved. A
// conversation the mission does not know keeps its own texts.
TEST_F(SaveGame, TextsComeFromTheMissionFile) {
  StartMission(1);
  TConversation* welcome = S().Conversations->Items[0];
  const std::vector<std::string> texts = welcome->Texts;
  welcome->Texts = {"alt"};
  welcome->OwnerName = "alt";
  welcome->Locals[0] = 5;
  welcome->Active = 0;
  auto* own = new TConversation;
  own->ID = 5000;
  own->Texts = {"nur hier"};
  S().Conversations->AddSorted(own);
  TQuestObjective* objective = S().QuestObjectives->Items[0];
  const std::string text = objective->Text;
  const std::string script = objective->Check.Script;
  objective->Text = "alt";
  objective->Check.Script = "alt";
  objective->State = qsSolved;
  Game->SaveGame("03.sav", false, false);

  const u32 welcomeID = welcome->ID;
  Game->LoadGame("03.sav");
  welcome = S().Conversations->LookupByID(welcomeID);
  EXPECT_EQ(welcome->Texts, texts);
  EXPECT_EQ(welcome->OwnerName, "Erz\xE4hler");
  EXPECT_EQ(welcome->Locals[0], 5);
  EXPECT_EQ(welcome->Active, 0);
  EXPECT_EQ(S().Conversations->LookupByID(5000)->Texts, std::vector<std::string>{"nur hier"});
  objective = S().QuestObjectives->Items[0];
  EXPECT_EQ(objective->Text, text);
  EXPECT_EQ(objective->Check.Script, script);
  EXPECT_EQ(objective->State, qsSolved);
}

// Saves from other machines and older builds: each is refused with a clear
// message, and the game that runs stays as it was.
TEST_F(SaveGame, DamagedSavesAreRefusedAndTheGameGoesOn) {
  StartMission(1);
  for (i32 i = 0; i < S().PlayerCount(); ++i) Player(i).ClearNotifications();
  Player(2).AddNotification(new TNotification{3, 4, 5, 6, 0});
  Game->SaveGame("04.sav", false, false);
  const std::string good = Builder::ReadEnciphered(SavePath("04.sav"));
  // The players' selections and notifications end the file: the player
  // count, then per player the selection, the remembered one and the
  // notifications (player 2's one at 40).
  const std::size_t selections = good.size() - (4 + 3 * 12 + 16);
  auto patched = [&](std::size_t at, const std::string& bytes) {
    std::string b = good;
    b.replace(at, bytes.size(), bytes);
    return b;
  };
  const std::string mission99 = std::string("\x63\x00\x00\x00", 4);
  struct {
    const char* Name;
    std::string Bytes;
    const char* Message;  // part of the message, or null for any
  } cases[] = {
      {"empty", "", nullptr},
      {"truncated header", good.substr(0, 100), nullptr},
      {"header only", good.substr(0, Main::TSaveGameHeader::StreamSize), nullptr},
      {"truncated scenario", good.substr(0, good.size() / 2), nullptr},
      {"wrong signature", patched(0, "SAVX"), "Invalid data."},
      {"title without its end", patched(8, std::string(128, 'A')), "Invalid data."},
      {"a transfer said to follow", patched(145, "\x01"), nullptr},
      {"mission 0", patched(4, std::string(4, '\0')), "not installed"},
      {"mission 99", patched(4, mission99), "not installed"},
      {"selections of another number of players", patched(selections, "\x02"), "Invalid data."},
      {"a selection of no object", patched(selections + 4, "\xF0\xFF\xFF\x0F"), "Invalid data."},
      {"notifications past the end", patched(selections + 12, "\xFF\xFF\x00\x00"), nullptr},
      {"a notification of no kind", patched(selections + 40, "\x09"), "Invalid data."},
      {"truncated selections", good.substr(0, good.size() - 3), nullptr},
  };
  GameData::TScenario* running = Game->Scenario.get();
  const u64 state = Main::GameStateHash();
  for (const auto& c : cases) {
    Builder::WriteEnciphered(SavePath("bad.sav"), c.Bytes);
    try {
      Game->LoadGame("bad.sav");
      ADD_FAILURE() << c.Name << " loads";
    } catch (const std::exception& e) {
      if (c.Message) {
        EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos) << c.Name << ": " << e.what();
      }
    }
    EXPECT_EQ(Game->Scenario.get(), running) << c.Name;
    EXPECT_EQ(Game->MissionNumber, 1u) << c.Name;
  }
  EXPECT_EQ(Main::GameStateHash(), state);
  EXPECT_THROW(Game->LoadGame("missing.sav"), Base::EFOpenError);
}

// A save written before the selections were kept loads with none: the
// next turn start chooses as in a new game.
TEST_F(SaveGame, ASaveWithoutSelectionsLoadsWithNone) {
  StartMission(1);
  Player(2).AddNotification(new TNotification{3, 4, 5, 6, 0});
  Game->SaveGame("06.sav", false, false);
  const std::string bytes = Builder::ReadEnciphered(SavePath("06.sav"));
  ASSERT_NE(Player(1).Selection, nullptr);
  Builder::WriteEnciphered(SavePath("06.sav"), bytes.substr(0, bytes.size() - (4 + 3 * 12 + 16)));
  Game->LoadGame("06.sav");
  for (i32 i = 0; i < S().PlayerCount(); ++i) {
    EXPECT_EQ(Player(i).Selection, nullptr) << i;
    EXPECT_EQ(Player(i).LastSelectionID, 0u) << i;
    EXPECT_EQ(Player(i).GetNotificationCount(), 0) << i;
  }
}

// A save that cannot be written to the end leaves the previous one.
TEST_F(SaveGame, AFailedWriteKeepsThePreviousSave) {
  StartMission(1);
  Game->SaveGame("05.sav", false, false);
  const std::string first = Builder::ReadEnciphered(SavePath("05.sav"));
  Player(1).Gold = 1;
  Game->AddMessage("x");
  {
    TestSupport::TWriteFault fault(30000);
    EXPECT_THROW(Game->SaveGame("05.sav", false, false), Base::EStreamError);
  }
  EXPECT_EQ(Game->Messages.back(), "x");
  EXPECT_EQ(Builder::ReadEnciphered(SavePath("05.sav")), first);
  EXPECT_TRUE(Plat::FindFiles(SavePath("*.tmp")).empty());

  // A save folder that cannot be made says so.
  Builder::WriteEnciphered(ProgramDir.File("blocker"), "");
  Data2::SaveDirectory = ProgramDir.Path() + "blocker\\Save\\";
  try {
    Game->SaveGame("06.sav", false, false);
    ADD_FAILURE() << "saved";
  } catch (const Base::EFCreateError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot create folder \"" + ProgramDir.Path() + "blocker/Save/\". ", 0), 0u)
        << e.what();
  }
}

// The loading screen's worker loads the mission while the main thread
// presents the loading picture; only the main thread reads the back buffer.
TEST_F(SaveGame, ANewCampaignsStartSaveTakesItsPictureOnTheMainThread) {
  struct TWatchedDisplay : AppTest::TFakeDisplay {
    std::vector<std::thread::id> Lockers;
    bool LockBackBuffer(void*& pixels, int& pitch, int& width, int& height) override {
      Lockers.push_back(std::this_thread::get_id());
      return TFakeDisplay::LockBackBuffer(pixels, pitch, width, height);
    }
  } display;
  display.Buffer.assign(display.Buffer.size(), 0x1234);
  DXApp::TDisplayLink* saved = DXApplication->Display;
  DXApplication->Display = &display;
  StartMission(1);
  DXApplication->Display = saved;

  ASSERT_NE(Game->Scenario, nullptr);
  EXPECT_EQ(Game->MissionNumber, 1u);
  ASSERT_FALSE(display.Lockers.empty());
  for (const std::thread::id& id : display.Lockers) EXPECT_EQ(id, std::this_thread::get_id());
  EXPECT_EQ(display.Locks, display.Unlocks);
  const Main::TSaveGameHeader header = Main::ReadSaveGameHeader(SavePath("auto01.sav"));
  EXPECT_EQ(header.MissionStart, 1);
  for (i32 i = 0; i < Main::TSaveGameHeader::ThumbnailSize; i += 2)
    ASSERT_TRUE(header.Thumbnail[i] == 0x34 && header.Thumbnail[i + 1] == 0x12) << "byte " << i;
}

TEST_F(SaveGame, TheListTakesWellNamedSavesWithGoodHeaders) {
  struct {
    const char* Name;
    bool Listed;
    i32 Slot;
  } names[] = {{"07.sav", true, 7},    {"auto07.sav", true, 7}, {"autosave.sav", true, 0}, {"AUTO12.SAV", true, 12},
               {"7.sav", false, 0},    {"auto7.sav", false, 0}, {"save1.sav", false, 0},   {"07.txt", false, 0},
               {"007.sav", false, 0},  {"0x.sav", false, 0}};
  for (const auto& n : names) {
    i32 slot = -1;
    EXPECT_EQ(Main::TSaveGame::SlotOfName(n.Name, slot), n.Listed) << n.Name;
    if (n.Listed) {
      EXPECT_EQ(slot, n.Slot) << n.Name;
    }
  }
  StartMission(1);  // writes auto01.sav
  Game->SaveGame("07.sav", false, false);
  Game->SaveGame("7.sav", false, false);
  Builder::WriteEnciphered(SavePath("08.sav"), "SAVE");
  const std::vector<Main::TSaveGame> saves = Main::TSaveGame::List();
  std::vector<std::string> listed;
  for (const auto& s : saves) listed.push_back(s.FileName);
  EXPECT_EQ(listed, (std::vector<std::string>{"07.sav", "auto01.sav", "autosave.sav"}));
  EXPECT_EQ(saves[1].MissionStart, 1);
  EXPECT_EQ(saves[1].Slot, 1);
}

}  // namespace
}  // namespace GameTest
