#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "engine/gfx/sprite.h"
#include "engine/gfx/sprite_list.h"
#include "tests/world/demo_world.h"
#include "tools/demodata/scenario/demo_scenario.h"
#include "world/data2/global_data.h"
#include "world/locations/city.h"
#include "world/map/background.h"
#include "world/map/doodle.h"
#include "world/map/drawing.h"
#include "world/map/fog.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/quest_objective.h"
#include "world/scenario/scenario_header.h"
#include "world/units/group.h"

namespace WorldTest {
namespace {

using namespace GameData;

class ScenarioFile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { World = new TDemoWorld; }
  static void TearDownTestSuite() {
    delete World;
    World = nullptr;
  }

  // A small generated scenario: quick to load many times.
  static std::string Small() {
    Builder::TScenarioParams p;
    p.Width = p.Height = 16;
    p.Groups = 4;
    p.Doodles = 6;
    p.Cities = 1;
    return Builder::GenerateScenario(p);
  }

  // Loads the bytes, expecting the load to fail with the message.
  static void ExpectRefused(const std::string& bytes, const std::string& message, const std::string& what) {
    try {
      TDemoWorld::Load(bytes);
      ADD_FAILURE() << what << ": loaded";
    } catch (const std::exception& e) {
      EXPECT_EQ(e.what(), message) << what;
    }
  }

  // Changes a loaded scenario and saves it again.
  static std::string Edited(const std::string& bytes, const std::function<void(TScenario&)>& edit) {
    auto s = TDemoWorld::Load(bytes);
    edit(*s);
    return TDemoWorld::Save(*s);
  }

  static TDemoWorld* World;
};

TDemoWorld* ScenarioFile::World = nullptr;

template <class T>
T* First(const TScenario& s, u16 type) {
  for (TMapObject* o : s.MapObjects)
    if (o->Type == type) return static_cast<T*>(o);
  return nullptr;
}

TEST_F(ScenarioFile, DemoScenariosLoadThroughTheArchiveAndSaveByteIdentical) {
  for (const char* name : {"demo1.scn", "demo2.scn"}) {
    SCOPED_TRACE(name);
    const std::string bytes = World->ScenarioFile(name);
    TScenario s;
    s.LoadFromArchive(Data2::ScenarioArchive, name);
    EXPECT_EQ(TDemoWorld::Save(s), bytes);
    EXPECT_EQ(TDemoWorld::Save(*TDemoWorld::Load(TDemoWorld::Save(s))), bytes);

    ASSERT_EQ(s.PlayerCount(), 3);
    EXPECT_EQ(s.Players[1]->Kind, pkHuman);
    for (i32 i = 0; i < 3; ++i) EXPECT_NE(s.Globals[i], 0);
    EXPECT_GE(s.Width, 16);
    auto* heroes = First<TGroup>(s, otGroup);
    ASSERT_NE(heroes, nullptr);
    bool heroGroup = false, creatureGroup = false;
    for (TMapObject* o : s.MapObjects)
      if (o->Type == otGroup) {
        auto* g = static_cast<TGroup*>(o);
        heroGroup |= g->OwnerIndex == 1 && g->HasHero();
        creatureGroup |= g->OwnerIndex == 2 && !g->HasHero();
        for (i32 k = 0; k < g->GetUnitCount(); ++k) EXPECT_EQ(g->Units[k]->Container, g);
      }
    EXPECT_TRUE(heroGroup && creatureGroup);
    auto* city = First<TCity>(s, otCity);
    ASSERT_NE(city, nullptr);
    EXPECT_EQ(city->Owner, 1);
    EXPECT_EQ(city->Recruits.Count(), 1);
    EXPECT_TRUE(city->HasDefenders());
    EXPECT_TRUE(city->Mage()->Present && city->Mage()->SpellPrices[0] > 0);
    auto* doodle = First<TDoodle>(s, otDoodle);
    ASSERT_NE(doodle, nullptr);
    EXPECT_NE(doodle->GetSprite(), nullptr) << "from the scenario's sprite file";
    EXPECT_EQ(s.DoodlePrototypes.Count(), 5);
    s.Round = 1;
    EXPECT_NE(s.FindConversation(1, coRound, 0, 1), nullptr) << "for player 1 in round 1";
    EXPECT_EQ(s.QuestObjectives->Count(), 1);
    EXPECT_NE(s.Players[1]->GetPortrait(), nullptr) << "portraits are locked in the face sprites";
    EXPECT_GT(s.Background->Width, 0);
    // The size the mini map shows the map at: 110 high for a square map,
    // 137 wide for a wider one.
    EXPECT_EQ(s.Width > s.Height ? s.Thumbnail->Width : s.Thumbnail->Height, s.Width > s.Height ? 137 : 110);
    EXPECT_EQ(s.NotCampaign, 0u) << "a campaign mission";
    EXPECT_GT(s.NextID, s.Units[s.Units.Count() - 1]->ID);
  }
  auto demo2 = TDemoWorld::Load(World->ScenarioFile("demo2.scn"));
  EXPECT_EQ(demo2->ViewingPlayer, demo2->Players[1]);
  EXPECT_EQ(demo2->Weather, wsRain);
  EXPECT_EQ(demo2->OffMapUnits.Count(), 1);
  EXPECT_EQ(demo2->CostAt(9, 2), 255) << "the river";
  EXPECT_NE(First<TNaturalCorpse>(*demo2, otNaturalCorpse), nullptr);
}

// The third mission begins with the transfer: nothing of player 1 on the
// map, two units waiting off it (one of them required), room on the start
// area for as many as the limit lets go, and IDs that a hero who keeps his
// from an earlier mission cannot meet.
TEST_F(ScenarioFile, TheThirdMissionWaitsForTransferredUnits) {
  const std::string bytes = World->ScenarioFile("demo3.scn");
  TScenario s;
  s.LoadFromArchive(Data2::ScenarioArchive, "demo3.scn");
  EXPECT_EQ(TDemoWorld::Save(s), bytes);
  ASSERT_EQ(s.PlayerCount(), 3);
  for (const TMapObject* o : s.MapObjects) {
    if (o->Type != otGroup) continue;
    EXPECT_NE(static_cast<const TGroup*>(o)->OwnerIndex, 1) << o->ID;
  }
  ASSERT_EQ(s.WaitingUnitIDs.Count(), 2);
  ASSERT_EQ(s.RequiredUnitIDs.Count(), 1);
  EXPECT_EQ(s.RequiredUnitIDs[0], s.WaitingUnitIDs[0]);
  for (u32 id : s.WaitingUnitIDs) {
    ASSERT_NE(s.FindOffMapUnit(id), nullptr) << id;
    EXPECT_GE(id, 30000u);
  }
  EXPECT_EQ(s.TransferLimit, 3u);
  EXPECT_GE(s.Players[1]->StartArea->Count(), 3);
  EXPECT_EQ(s.QuestObjectives->Count(), 1);
  EXPECT_GT(s.Background->Width, 0);
}

TEST_F(ScenarioFile, HeaderAloneAgreesWithTheFullRead) {
  for (const std::string& bytes : {World->ScenarioFile("demo1.scn"), World->ScenarioFile("demo2.scn"), Small()}) {
    Data::TMemoryStream s(bytes);
    Data::ReadU32(s);  // the object's ID
    TScenarioThumbNail head;
    LoadScenarioThumbNail(s, &head);
    auto full = TDemoWorld::Load(bytes);
    EXPECT_EQ(head.Header.Width, full->Width);
    EXPECT_EQ(head.Header.Height, full->Height);
    EXPECT_EQ(TScenarioHeader::Name(head.Header.SpriteFile), full->SpriteFile);
    EXPECT_EQ(TScenarioHeader::Name(head.Header.DoodleFile), full->DoodleFile);
    EXPECT_EQ(TScenarioHeader::Name(head.Header.FaceFile), full->FaceFile);
    EXPECT_EQ(TScenarioHeader::Name(head.Header.BackgroundFile), full->BackgroundFile);
    EXPECT_EQ(head.Header.CurrentPlayer, full->CurrentPlayerIndex);
    EXPECT_EQ(head.Header.Round, full->Round);
    EXPECT_EQ(head.Description, full->Title);
    EXPECT_EQ(head.Sprite->Width, full->Thumbnail->Width);
    EXPECT_EQ(head.Sprite->FrameCount(), full->Thumbnail->FrameCount());
  }
}

// The header's fields stand at fixed offsets after the object's ID.
TEST_F(ScenarioFile, HeaderLayout) {
  const std::string bytes = World->ScenarioFile("demo1.scn");
  auto u32At = [&](std::size_t at) {
    return static_cast<u32>(static_cast<u8>(bytes[at]) | static_cast<u8>(bytes[at + 1]) << 8 |
                            static_cast<u8>(bytes[at + 2]) << 16 | static_cast<u32>(static_cast<u8>(bytes[at + 3])) << 24);
  };
  const std::size_t h = 4;
  EXPECT_EQ(bytes.substr(h, 4), "SCEN");
  EXPECT_EQ(u32At(h + 4), 16u | 16u << 16);
  EXPECT_STREQ(bytes.c_str() + h + 8, "doodles.txt");
  EXPECT_STREQ(bytes.c_str() + h + 24, "demo.gfl");
  EXPECT_STREQ(bytes.c_str() + h + 40, "faces.gfl");
  EXPECT_STREQ(bytes.c_str() + h + 56, "demo1.bkg");
  EXPECT_EQ(u32At(h + 72), 0x0000FFFFu) << "no current player, round 0";
  EXPECT_EQ(u32At(h + 76), 19u);
  EXPECT_EQ(u32At(h + 88), 0u);
}

TEST_F(ScenarioFile, MapSizes) {
  for (i32 side : {4, 128}) {
    Builder::TScenarioParams p;
    p.Width = p.Height = side;
    p.Groups = 2;
    p.Doodles = 2;
    p.Cities = 0;
    auto s = TDemoWorld::Load(Builder::GenerateScenario(p));
    EXPECT_EQ(s->Width, side);
    EXPECT_EQ(s->Players[0]->Fog->States.size(), static_cast<std::size_t>(side * side));
  }
  const std::string good = Small();
  for (i16 side : {130, 0, 6, 127, -4}) {
    for (std::size_t at : {8u, 10u}) {
      std::string bad = good;
      bad[at] = static_cast<char>(side);
      bad[at + 1] = static_cast<char>(side >> 8);
      ExpectRefused(bad, "Invalid data.", "side " + std::to_string(side));
    }
  }
}

// Benchmarks and other tests rely on what the generator was asked for.
TEST_F(ScenarioFile, GeneratedScenarioHoldsWhatItWasAskedFor) {
  Builder::TScenarioParams p;
  p.Players = 4;
  auto s = TDemoWorld::Load(Builder::GenerateScenario(p));
  i32 groups = 0, doodles = 0, cities = 0, blocked = 0;
  for (const TMapObject* o : s->MapObjects) {
    groups += o->Type == otGroup;
    doodles += o->Type == otDoodle;
    cities += o->Type == otCity;
    if (o->Type == otGroup) {
      EXPECT_LT(s->CostAt(o->FieldX(), o->FieldY()), 255);
    }
  }
  for (u8 c : s->Costs) blocked += c == 255;
  EXPECT_EQ(s->Width, 128);
  EXPECT_EQ(s->PlayerCount(), 4);
  EXPECT_EQ(groups, p.Groups);
  EXPECT_EQ(doodles, p.Doodles);
  EXPECT_EQ(cities, p.Cities);
  EXPECT_GT(blocked, 0);
  EXPECT_GT(*std::max_element(s->Heights.begin(), s->Heights.end()), 100);
  EXPECT_TRUE(Builder::GenerateScenario(p) == Builder::GenerateScenario(p)) << "the seed decides";
}

// What the game would refuse to load is refused when asked for.
TEST_F(ScenarioFile, TheGeneratorRefusesScenariosTheGameRefuses) {
  const struct {
    i32 Players, Side;
    const char* Message;
  } cases[] = {
      {2, 16, "a scenario has 3 to 5 players, not 2"},
      {MaxPlayers + 1, 16, "a scenario has 3 to 5 players, not 6"},
      {3, 18, "a map side is a multiple of 4 from 4 to 128 fields, not 18 x 18"},
  };
  for (const auto& c : cases) {
    Builder::TScenarioParams p;
    p.Players = c.Players;
    p.Width = p.Height = c.Side;
    try {
      Builder::GenerateScenario(p);
      ADD_FAILURE() << c.Message;
    } catch (const std::invalid_argument& e) {
      EXPECT_STREQ(e.what(), c.Message);
    }
  }
  Builder::TScenarioParams three;
  three.Players = 3;
  three.Width = three.Height = 16;
  three.Groups = three.Doodles = three.Cities = 2;
  EXPECT_EQ(TDemoWorld::Load(Builder::GenerateScenario(three))->PlayerCount(), 3);
}

TEST_F(ScenarioFile, ResourceNames) {
  auto s = TDemoWorld::Load(Small());
  s->SpriteFile = "abcdefgh.gfl";  // exactly 12
  s->FaceFile = "much-too-long-name.gfl";
  Data::TMemoryStream out;
  s->Save(out);
  Data::TMemoryStream in(out.AsString());
  Data::ReadU32(in);
  TScenarioThumbNail head;
  LoadScenarioThumbNail(in, &head);
  EXPECT_EQ(TScenarioHeader::Name(head.Header.SpriteFile), "abcdefgh.gfl");
  EXPECT_EQ(TScenarioHeader::Name(head.Header.FaceFile), "much-too-lon");

  std::string unterminated = Small();
  for (std::size_t i = 4 + 24; i < 4 + 40; ++i) unterminated[i] = 'x';
  ExpectRefused(unterminated, "Invalid data.", "sprite file name without its zero");

  // Empty names leave the lists and the picture empty.
  const std::string bare = Edited(Small(), [](TScenario& sc) {
    for (i32 i = sc.MapObjects.Count() - 1; i >= 0; --i)
      if (sc.MapObjects[i]->Type == otDoodle) sc.RemoveMapObjectAt(i, false);
    sc.SpriteFile = sc.DoodleFile = sc.FaceFile = sc.BackgroundFile = "";
    for (TPlayer* p : sc.Players) p->PortraitID = 0;
  });
  auto loaded = TDemoWorld::Load(bare);
  EXPECT_EQ(loaded->Sprites->IndexCount(), 0);
  EXPECT_EQ(loaded->DoodlePrototypes.Count(), 0);
  EXPECT_EQ(loaded->FaceSprites->IndexCount(), 0);
  EXPECT_EQ(loaded->Background->Width, 0);
}

TEST_F(ScenarioFile, CitiesLoadOnTheirLayerAndTheListMustBeInDrawOrder) {
  const std::string layered = Edited(World->ScenarioFile("demo1.scn"), [](TScenario& s) {
    // Still the last object, so the list stays in order.
    First<TCity>(s, otCity)->Layer = 30;
  });
  EXPECT_EQ(First<TCity>(*TDemoWorld::Load(layered), otCity)->Layer, 20);

  const std::string unsorted = Edited(World->ScenarioFile("demo1.scn"), [](TScenario& s) {
    s.MapObjects.Exchange(0, s.MapObjects.Count() - 1);
  });
  ExpectRefused(unsorted, "Invalid data.", "objects out of draw order");
}

TEST_F(ScenarioFile, ACurrentPlayerOfMinusOneHasNoViewer) {
  auto s = TDemoWorld::Load(World->ScenarioFile("demo1.scn"));
  EXPECT_EQ(s->CurrentPlayerIndex, -1);
  EXPECT_EQ(s->ViewingPlayer, nullptr);
}

// Finds the n-th (from 0) occurrence of a four-byte tag.
std::size_t TagAt(const std::string& bytes, const char* tag, int n) {
  std::size_t at = 0;
  for (int i = 0; i <= n; ++i) at = bytes.find(tag, i == 0 ? 0 : at + 1);
  return at;
}

std::string WithU32(std::string bytes, std::size_t at, u32 value) {
  for (int b = 0; b < 4; ++b) bytes[at + b] = static_cast<char>(value >> (8 * b));
  return bytes;
}

TEST_F(ScenarioFile, DamagedFilesAreRefused) {
  const std::string good = World->ScenarioFile("demo1.scn");
  const std::string invalid = "Invalid data.", badObject = "Error loading object!";
  // The three particle lists and the units each start with their ID, "list" and a count.
  const std::size_t unitCount = TagAt(good, "list", 3) + 4;
  ASSERT_EQ(good.substr(unitCount - 8, 4), std::string(4, '\0')) << "the unit list's ID";
  auto group = [](TScenario& s) { return First<TGroup>(s, otGroup); };
  // Units that the registry does not hold.
  std::string offMapMissing, groupMissing;
  {
    auto s = TDemoWorld::Load(good);
    TUnit ghost;
    ghost.ID = 99999;
    s->OffMapUnits.Add(&ghost);
    offMapMissing = TDemoWorld::Save(*s);
    s->OffMapUnits.Clear();
    TUnit* real = group(*s)->Units[0];
    group(*s)->Units[0] = &ghost;
    groupMissing = TDemoWorld::Save(*s);
    group(*s)->Units[0] = real;
  }

  struct TCase {
    std::string Name, Bytes, Message;
  };
  const TCase cases[] = {
      {"signature", [&] { std::string b = good; b[4] = 'X'; return b; }(), invalid},
      {"version", WithU32(good, 4 + 76, 20), "Invalid version:20 Current version is: 19"},
      {"unit count beyond the file", WithU32(good, unitCount, 0x7FFFFFFF), "Stream read error."},
      {"negative unit count", WithU32(good, unitCount, 0xFFFFFFFF), invalid},
      {"particle count beyond the file", WithU32(good, TagAt(good, "list", 0) + 4, 100000), "Stream read error."},
      {"too many particles", Edited(good, [](TScenario& s) { s.RainDrops.Items.Add(new TRainDrop); }), invalid},
      {"weather state", Edited(good, [](TScenario& s) { s.Weather = 9; }), invalid},
      {"particle target", Edited(good, [](TScenario& s) { s.ParticleTargets[wkSand] = 801; }), invalid},
      {"alias index", Edited(good, [](TScenario& s) { s.AddAlias("WEIT", GlobalCount); }), invalid},
      {"view far outside", Edited(good, [](TScenario& s) { s.ViewX = -2000000000; }), invalid},
      {"group unit that is not there", groupMissing, badObject},
      {"off-map unit that is not there", offMapMissing, "Object with given ID not found (99999)."},
      {"two units with one ID",
       Edited(good, [](TScenario& s) { s.Units[1]->ID = s.Units[0]->ID; }),
       "Object with given ID is already in list (" + std::to_string(TDemoWorld::Load(good)->Units[0]->ID) + ")."},
      {"two objects with one ID",
       Edited(good, [](TScenario& s) { s.MapObjects[1]->ID = s.MapObjects[0]->ID; }),
       "Object with given ID is already in list (" + std::to_string(TDemoWorld::Load(good)->MapObjects[0]->ID) +
           ")."},
      {"a unit in two places", Edited(good, [&](TScenario& s) { group(s)->Units[1] = group(s)->Units[0]; }), invalid},
      {"a unit in a group and off the map", Edited(good, [&](TScenario& s) { s.OffMapUnits.Add(group(s)->Units[0]); }),
       invalid},
      {"empty group", Edited(good, [&](TScenario& s) { group(s)->ClearSlots(); }), invalid},
      {"group off the map", Edited(good, [&](TScenario& s) { s.MoveMapObject(group(s)->ListPosition, 660, 60); }),
       invalid},
      {"group owner", Edited(good, [&](TScenario& s) { group(s)->OwnerIndex = 3; }), invalid},
      {"area off the map", Edited(good, [](TScenario& s) { s.Areas[0]->AddField(16, 0); }), invalid},
      {"conversation alias",
       Edited(good, [](TScenario& s) { (*s.Conversations)[0]->Aliases.emplace_back("X", ScriptLocalCount); }),
       invalid},
      {"abstract location",
       Edited(good,
              [](TScenario& s) {
                auto* b = new TBuilding(&s);
                b->Type = otLocation;
                s.AddMapObject(b);
              }),
       invalid},
      {"two players", Edited(good, [](TScenario& s) { s.Players.Delete(2); }), invalid},
      {"six players",
       Edited(good,
              [](TScenario& s) {
                for (i32 i = 0; i < 3; ++i) s.Players.Add(new TPlayer(&s));
              }),
       invalid},
      {"current player", Edited(good, [](TScenario& s) { s.CurrentPlayerIndex = 3; }), invalid},
  };
  for (const TCase& c : cases) ExpectRefused(c.Bytes, c.Message, c.Name);
}

// Every cut of a scenario file fails cleanly, the whole file loads.
TEST_F(ScenarioFile, TruncatedFilesAreRefused) {
  const std::string good = World->ScenarioFile("demo2.scn");
  for (std::size_t n = 0; n < good.size(); n += n < 200 ? 7 : 613) {
    try {
      TDemoWorld::Load(good.substr(0, n));
      ADD_FAILURE() << "loaded " << n << " of " << good.size() << " bytes";
    } catch (const std::exception&) {
    }
  }
  EXPECT_NO_THROW(TDemoWorld::Load(good));
}

TEST_F(ScenarioFile, NextIDStaysAboveTheIDsInUse) {
  auto s = TDemoWorld::Load(Edited(Small(), [](TScenario& sc) { sc.NextID = 1; }));
  for (TMapObject* o : s->MapObjects) EXPECT_LT(o->ID, s->NextID);
  for (TUnit* u : s->Units.Items) EXPECT_LT(u->ID, s->NextID);
}

TEST_F(ScenarioFile, ConversationsAndObjectivesKnowTheirScenario) {
  auto s = TDemoWorld::Load(World->ScenarioFile("demo1.scn"));
  for (const TConversation* c : s->Conversations->Items) EXPECT_EQ(c->Scenario, s.get());
  for (const TQuestObjective* q : s->QuestObjectives->Items) {
    EXPECT_EQ(q->Scenario, s.get());
    EXPECT_EQ(q->Check.Scenario, s.get());
    EXPECT_EQ(q->Check.ID, q->ID);
  }
}

}  // namespace
}  // namespace WorldTest
