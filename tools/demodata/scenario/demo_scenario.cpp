#include "tools/demodata/scenario/demo_scenario.h"
#include "tools/demodata/screens/demo_battle.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <stdexcept>
#include <vector>

#include "engine/base/base.h"
#include "engine/data/stream.h"
#include "engine/gfx/sprite_list.h"
#include "tools/databuilder/sprite_builder.h"
#include "tools/databuilder/text_builder.h"
#include "tools/demodata/art/demo_sprites.h"
#include "tools/demodata/rules/demo_rules.h"
#include "tools/demodata/scenario/demo_events_properties.h"
#include "tools/demodata/scenario/demo_events_units.h"
#include "tools/demodata/scenario/demo_events_world.h"
#include "tools/demodata/scenario/demo_opponent.h"
#include "tools/demodata/screens/demo_city.h"
#include "tools/demodata/screens/demo_map_screen.h"
#include "world/data2/global_data.h"
#include "world/locations/city.h"
#include "world/map/doodle.h"
#include "world/map/drawing.h"
#include "world/map/fog.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/quest_objective.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/scenario/scenario_header.h"
#include "world/units/group.h"

namespace Builder {

namespace {

using namespace GameData;

// Unit prototypes of the demo rules.
constexpr u32 Knight = 1, Sorceress = 2, Wolf = 3, Skeleton = 4, Spearman = 5;

// While a scenario is made, the world sees the demo's own prototypes and
// unit sprites, players get the demo's opponent (whatever is connected, so
// that the files are the same in every program), and the game's random stream (new
// groups draw their camp style from it) starts from the seed, so that equal
// seeds make equal files.
class TBuildWorld {
 public:
  explicit TBuildWorld(u32 seed) : Saved(Data2::GlobalData), SavedRandom(RandomMain) {
    SeedRandom(RandomMain, seed);
    Data::TMemoryStream units(UnitPrototypeFile());
    ReadUnitPrototypes(units, Global.UnitPrototypes, [](u32) { return nullptr; });
    Global.UnitSpriteList.OpenIndex(new Data::TMemoryStream(UnitSprites()));
    Data2::GlobalData = &Global;
  }
  ~TBuildWorld() {
    Data2::GlobalData = Saved;
    RandomMain = SavedRandom;
  }
  TBuildWorld(const TBuildWorld&) = delete;
  TBuildWorld& operator=(const TBuildWorld&) = delete;

 private:
  Data2::TGlobalData Global{Data2::TGlobalData::TEmpty{}};
  Data2::TGlobalData* Saved;
  TRandomState SavedRandom;
  TDemoOpponentConnection Opponent;
};

TField Field(i32 x, i32 y) { return {static_cast<i16>(x), static_cast<i16>(y)}; }
i16 Centre(i32 field) { return static_cast<i16>(field * FieldSize + FieldSize / 2); }

class TScenarioMaker {
 public:
  TScenarioMaker(i32 width, i32 height, const std::string& title, const std::string& background, u32 seed)
      : World(seed) {
    TScenario& s = *Scenario;
    s.SetSize(width, height);
    s.Title = title;
    s.SpriteFile = ScenarioSpriteFile;
    s.DoodleFile = DoodleFileName;
    s.FaceFile = FaceFileName;
    s.BackgroundFile = background;
    s.Sprites->OpenIndex(new Data::TMemoryStream(ScenarioSprites()));
    Data::TMemoryStream doodles(DoodleFile());
    ReadDoodlePrototypes(doodles, s.DoodlePrototypes);
    std::fill(s.BaseCosts.begin(), s.BaseCosts.end(), 2);
  }

  TScenario& S() { return *Scenario; }

  // Player 0 is neutral, 1 the human, the others computers; 1 and 2 are
  // enemies, the neutral player is hostile to the human only.
  void AddPlayers(i32 count) {
    const char* names[MaxPlayers] = {"Neutral", "Spieler", "Gegner", "Bergvolk", "Seefahrer"};
    for (i32 i = 0; i < count; ++i) {
      auto* p = new TPlayer(Scenario.get());
      p->ID = S().NewID();
      p->Kind = i == 1 ? pkHuman : pkComputer;
      p->Colour = static_cast<u8>(i);
      p->Name = names[i];
      p->Gold = i == 0 ? 0 : 300;
      p->PortraitID = FirstFaceID + static_cast<u32>(i);
      S().Players.Add(p);
    }
    for (i32 i = 0; i < count; ++i)
      for (i32 j = 0; j < count; ++j)
        if (i != j) S().Players[i]->Relations[j] = static_cast<i8>(i == 1 || j == 1 ? rHostile : rNeutral);
  }

  TUnit* NewUnit(u32 prototype, u8 owner) {
    auto* unit = new TUnit;
    unit->SetPrototype(FindUnitPrototype(prototype));
    unit->OwnerIndex = owner;
    return unit;
  }

  TGroup* AddGroup(u8 owner, i32 fx, i32 fy, std::initializer_list<u32> prototypes) {
    auto* group = new TGroup(Scenario.get());
    group->X = Centre(fx);
    group->Y = Centre(fy);
    group->OwnerIndex = owner;
    group->CurrentField = Field(fx, fy);
    S().AddMapObject(group);
    for (u32 p : prototypes) group->AddUnit(NewUnit(p, owner), true, false, true);
    return group;
  }

  TDoodle* AddDoodle(u32 prototype, i32 px, i32 py) {
    auto* doodle = new TDoodle(Scenario.get());
    doodle->X = static_cast<i16>(px);
    doodle->Y = static_cast<i16>(py);
    for (const TDoodlePrototype& p : S().DoodlePrototypes)
      if (p.ID == prototype) doodle->SetPrototype(&p);
    // The layer comes with the prototype: insert only now.
    doodle->Frame = 0;
    S().AddMapObject(doodle);
    return doodle;
  }

  // A city of 2 x 2 fields from (fx, fy), entered from the two fields below.
  TCity* AddCity(const std::string& name, u8 owner, i32 fx, i32 fy) {
    auto* city = new TCity(Scenario.get());
    city->Name = city->Caption = name;
    city->X = static_cast<i16>((fx + 1) * FieldSize);
    city->Y = static_cast<i16>((fy + 1) * FieldSize);
    for (i32 y = fy; y < fy + 2; ++y)
      for (i32 x = fx; x < fx + 2; ++x) city->OccupiedArea->AddField(x, y);
    city->EntranceArea->AddField(fx, fy + 2);
    city->EntranceArea->AddField(fx + 1, fy + 2);
    city->Owner = owner;
    city->PictureID = CityPictureID;
    city->MusicID = 1;
    city->AnchorFieldX = fx;
    city->AnchorFieldY = fy + 1;
    city->SetSlotCount(2);
    city->Flags.Add({0, city->X - 12, city->Y - 24});
    S().AddMapObject(city);
    for (i32 i = 0; i < 4; ++i) {
      TMerchant& m = *city->Merchants[i];
      m.ID = S().NewID();
      m.Present = 1;
      m.PictureID = BuildingPictureID + static_cast<u32>(i);
      m.IconID = MerchantIconID + static_cast<u32>(i);
    }
    for (i32 i = 4; i < MerchantCount; ++i) city->Merchants[i]->ID = S().NewID();
    city->Innkeeper()->Name = "Gasthaus";
    city->Innkeeper()->DrinkPrice = 5;
    city->Mage()->Name = "Magierturm";
    city->Mage()->ManaPrice = 2;
    city->Mage()->SpellPrices[0] = 60;
    city->Mage()->SpellPrices[1] = 90;
    city->Mage()->SpellPrices[2] = 70;
    city->BattleMaster()->Name = "Waffenmeister";
    city->BattleMaster()->SkillPrices[0] = 40;
    city->BattleMaster()->SkillPrices[1] = 75;
    city->Herbalist()->Name = "Kr\xE4uterfrau";
    city->Herbalist()->HealPrice = 1;
    city->Herbalist()->SkillPrices[44] = 120;
    // Units kept by the city belong to its owner.
    city->AddToSlot(0, NewUnit(Spearman, NoOwner), true, false, true);
    city->AddRecruit(NewUnit(Spearman, NoOwner), true, false, true);
    return city;
  }

  TArea* AddArea(std::initializer_list<TField> fields) {
    auto* area = new TArea;
    area->ID = S().NewID();
    for (const TField& f : fields) area->AddField(f.x, f.y);
    S().Areas.AddSorted(area);
    return area;
  }

  TConversation* AddConversation(const std::string& name, u32 ownerType, u32 ownerID, u16 players,
                                 std::initializer_list<const char*> texts) {
    auto* c = new TConversation;
    c->ID = S().NewID();
    c->Name = name;
    c->OwnerType = ownerType;
    c->OwnerID = ownerID;
    c->OwnerName = "Erz\xE4hler";
    c->ActivationRound = 1;
    c->TargetPlayers = players;
    for (const char* t : texts) c->Texts.emplace_back(t);
    c->SetScenario(Scenario.get());
    S().Conversations->AddSorted(c);
    return c;
  }

  // An area's conversation that switches itself off after its first showing:
  // the area is sighted again on every fog update and entered again on every
  // crossing.
  TConversation* AddAreaConversation(const std::string& name, u32 ownerType, u32 areaID, u16 players,
                                     const std::string& text) {
    TConversation* c = AddConversation(name, ownerType, areaID, players, {});
    c->Texts.emplace_back(text + "<SETACTIVE(" + std::to_string(c->ID) + ",0)>");
    return c;
  }

  void AddObjective(const std::string& name, const std::string& text, i32 player) {
    auto* q = new TQuestObjective;
    q->ID = S().NewID();
    q->Name = name;
    q->Type = qtObjective;
    q->PlayerIndex = player;
    q->Text = text;
    q->SetScenario(Scenario.get());
    S().QuestObjectives->AddSorted(q);
  }

  // Ready to play: every player of GLOBAL0.. still in the game.
  std::string Bytes(i16 currentPlayer, i16 round) {
    TScenario& s = S();
    for (i32 i = 0; i < s.PlayerCount(); ++i) s.Globals[i] = 1;
    s.CurrentPlayerIndex = currentPlayer;
    s.Round = round;
    s.RebuildFieldMaps();
    GiveUnitsToOpponents();
    // As loading will see it, so the file saves back unchanged.
    s.UpdateFogOf(currentPlayer);
    s.Thumbnail = MapThumbnail(s.Width, s.Height, Ground ? Ground : FieldGround());
    Data::TMemoryStream out;
    s.Save(out);
    return out.AsString();
  }

  // Loading creates no AI units: each unit of a player's groups and cities
  // gets its own here, in map-object order (a city's units kept for no
  // owner belong to the city's owner).
  void GiveUnitsToOpponents() {
    TScenario& s = S();
    for (TMapObject* o : s.MapObjects) {
      if (o->Type == otGroup) {
        auto* g = static_cast<TGroup*>(o);
        for (TUnit* u : g->Units)
          if (u && g->GetOwner()) g->GetOwner()->AIHandler->AddUnit(u);
      } else if (o->Type == otCity) {
        auto* c = static_cast<TCity*>(o);
        auto give = [c](TUnit* u) {
          if (TPlayer* p = u ? c->GetUnitOwner(u) : nullptr) p->AIHandler->AddUnit(u);
        };
        for (i32 i = 0; i < c->DefenderSlots.Count(); ++i) give(c->DefenderSlots[i]);
        for (TUnit* u : c->Units) give(u);
        for (TUnit* u : c->Recruits) give(u);
      }
    }
  }

  TDemoOpponent& Opponent(i32 player) { return static_cast<TDemoOpponent&>(*S().Players[player]->AIHandler); }

  // The ground the thumbnail shows; the fields' heights and costs without one.
  TGroundFunction Ground;

 private:
  TGroundFunction FieldGround() {
    const TScenario& s = S();
    return [&s](i32 px, i32 py) -> u32 {
      const i32 i = s.FieldIndex(px / FieldSize, py / FieldSize);
      if (s.BaseCosts[i] == 255) return Rgb565(44, 92, 160);
      const i32 h = std::min<i32>(s.BaseHeights[i], 255);
      return Rgb565(static_cast<u8>(72 + h * 78 / 255), static_cast<u8>(128 + h * 10 / 255), static_cast<u8>(52 + h * 32 / 255));
    };
  }

  // Made first, gone last.
  TBuildWorld World;
  std::unique_ptr<TScenario> Scenario = std::make_unique<TScenario>();
};

// The named objective is given to the player from the start and solved once
// no unit of the computer player's groups lives; its final conversation then
// tells the player so.
void GiveBeatTheGroupObjective(TScenarioMaker& m, const std::string& name, i32 player, i32 computer,
                               const char* finalText, const std::vector<std::string>& more = {}) {
  TScenario& s = m.S();
  std::vector<std::string> lines{"<SET(LOCAL1,0)>"};
  for (const TUnit* unit : s.Units.Items)
    if (unit->GetGroup() && unit->GetGroup()->OwnerIndex == computer)
      lines.push_back("<LIVESUNIT(" + std::to_string(unit->ID) + ")><SET(LOCAL1,LOCAL1+LOCAL0)>");
  lines.push_back("<IFEQUAL(LOCAL1,0)>");
  lines.push_back("<SETRESULT(1)>");
  lines.push_back("<ENDIF>");
  lines.insert(lines.end(), more.begin(), more.end());
  // Queued by the quest pass alone: no round is -1.
  TConversation* final = m.AddConversation(name, coRound, 0, static_cast<u16>(1 << player), {finalText});
  final->ActivationRound = -1;
  for (TQuestObjective* q : s.QuestObjectives->Items) {
    if (q->Name != name) continue;
    q->Check.SetLines(lines);
    q->FinalConversationID = final->ID;
    q->GiveToPlayer(player);
  }
}

// Player 2's pack sets out for the border fortress: a march the player sees
// from the first computer turn on.
void Demo1Plan(TScenarioMaker& m, TOpponent* opponent, const TGroup* pack) {
  auto* plan = dynamic_cast<TDemoOpponent*>(opponent);
  if (!plan) return;
  m.GiveUnitsToOpponents();
  std::vector<u32> units;
  for (const TUnit* u : pack->Units)
    if (u) units.push_back(u->ID);
  plan->AddTask(3, TDemoOpponent::TTarget{0, 3, 6, 9, 1}, 80, units);
}

void Demo1(TScenarioMaker& m) {
  TScenario& s = m.S();
  // The introduction's mark-up: fonts and a colour.
  s.IntroText =
      "Die <B>W\xF6lfe <N>kommen aus den Bergen. Seit dem ersten Frost heulen sie n\xE4her an den H\xF6" "fen, "
      "und die Hirten wagen sich nicht mehr auf die Weiden. <I>Halte die Grenzmark! <N>Das Rudel lagert "
      "<RGB(160,32,32)>im Osten hinter dem Wald<RGB(0,0,0)>, die Stadt liegt im Westen.";
  s.AddAlias("NEUTRAL", 0);
  s.AddAlias("SPIELER", 1);
  s.AddAlias("GEGNER", 2);
  m.AddPlayers(3);
  const TCity* fortress = m.AddCity("Grenzfeste", 1, 2, 2);
  m.AddGroup(1, 4, 6, {Knight, Sorceress});
  const TGroup* pack = m.AddGroup(2, 12, 11, {Wolf, Wolf, Skeleton});
  m.AddGroup(0, 13, 3, {Skeleton});
  m.AddDoodle(TreeDoodle, Centre(7), Centre(4));
  m.AddDoodle(RockDoodle, Centre(9), Centre(9));
  m.AddDoodle(SpringDoodle, Centre(5), Centre(12));
  s.Players[1]->StartArea->AddField(4, 6);
  s.Players[2]->StartArea->AddField(12, 11);
  TArea* pass = m.AddArea({Field(10, 7), Field(10, 8), Field(11, 7), Field(11, 8)});
  m.AddConversation("Willkommen", coRound, 0, 1 << 1, {"<TEXT><0>Willkommen!<ENDTEXT>"});
  m.AddAreaConversation("Der Pass", coArea, pass->ID, 1 << 1, "<TEXT><0>Hier beginnt der Pass.<ENDTEXT>");
  // The diary shows the fortress's part of the text in the colour of LOCAL2:
  // held by the player or lost.
  m.AddObjective("Die Grenzmark",
                 "Vertreibe die W\xF6lfe aus der Grenzmark. <2>Die Grenzfeste bleibt in deiner Hand.<2> "
                 "Das Rudel lagert im Osten.",
                 1);
  const std::string fortressID = std::to_string(fortress->ID);
  GiveBeatTheGroupObjective(m, "Die Grenzmark", 1, 2,
                            "<TEXT><0>Die W\xF6lfe sind vertrieben. Die Grenzmark ist sicher.<ENDTEXT>",
                            {"<GETCONTROLLER(" + fortressID + ")><IFEQUAL(LOCAL0,1)><SET(LOCAL2,1)><ELSE>"
                             "<SET(LOCAL2,-1)><ENDIF>"});
  s.MaxLevel = 10;
  s.MusicTracks[0] = s.MusicTracks[2] = s.MusicTracks[3] = 1;
  s.TransferLimit = 3;
  // The scout's welcome: two answers; the second ends the mission, the first
  // pays the troops and notes the order in the diary. Made last, so that the
  // IDs of everything before it stay as they were.
  TConversation* scout = m.AddConversation(
      "Der Sp\xE4her", coRound, 0, 1 << 1,
      {"<TEXT><1>Hauptmann, die W\xF6lfe kommen aus den Bergen.<CRLF>Was sollen wir tun?<ENDTEXT>"
       "<CHOICE>Die Grenzmark halten<ENDCHOICE><CHOICE>Die Grenzmark ist sicher<ENDCHOICE>",
       "<GETCHOSEN><IFEQUAL(LOCAL0,2)><TEXT><0>Die Grenzmark ist sicher.<ENDTEXT><SET(GLOBAL1,0)>"
       "<ELSE><TEXT><0>Nimm diese 100 Goldst\xFC" "cke f\xFC" "r die Truppe.<ENDTEXT><GIVEMONEY(100,1)>"
       "<NOTE(1)>Die Grenzmark halten.<ENDNOTE><ENDIF>"});
  scout->OwnerName = "Sp\xE4her";
  scout->OwnerFaceID = FirstFaceID;
  Demo1Plan(m, s.Players[2]->AIHandler.get(), pack);
  SetBattleBackgrounds(s);
}

// The valley of mission 2: a hill north of the ford and a ridge in the south
// east, by fractional field coordinates.
double Demo2Height(double fx, double fy) {
  const double hill = 120 - 12 * std::abs(fx - 15) - 8 * std::abs(fy - 4);
  const double ridge = 90 - 6 * std::abs(fx - 31) - 9 * std::abs(fy - 22);
  return std::max({0.0, hill, ridge});
}
constexpr i32 RiverColumn = 9, FordRow = 13;

// Player 1 sees around its groups and its city, knows a wider belt and the
// land up to the hill's east side, and nothing of the far east.
void Demo2Fog(TScenario& s) {
  TFog& fog = *s.Players[1]->Fog;
  const TField eyes[] = {Field(5, 14), Field(7, 21), Field(20, 12), Field(3, 3), Field(4, 4)};
  for (i32 y = 0; y < s.Height; ++y)
    for (i32 x = 0; x < s.Width; ++x) {
      i32 near = 1000;
      for (const TField& e : eyes) near = std::min(near, std::max(std::abs(x - e.x), std::abs(y - e.y)));
      fog.SetState(x, y, near <= 4 ? fsVisible : (near <= 9 || x < 24) ? fsExplored : fsUnexplored);
    }
}

// Player 2's authored plan: tasks of the types only files hold and an army
// of the two creatures by the ford.
void Demo2Plan(TScenarioMaker& m, TOpponent* opponent) {
  auto* plan = dynamic_cast<TDemoOpponent*>(opponent);
  if (!plan) return;
  m.GiveUnitsToOpponents();
  TScenario& s = m.S();
  auto groupAt = [&s](i32 fx, i32 fy) -> TGroup* {
    for (TMapObject* o : s.MapObjects)
      if (o->Type == otGroup && o->FieldX() == fx && o->FieldY() == fy) return static_cast<TGroup*>(o);
    throw std::logic_error("no group on the field");
  };
  TGroup* ford = groupAt(15, 12);
  TGroup* lone = groupAt(16, 16);
  TGroup* camp = groupAt(24, 9);
  TGroup* knight = groupAt(20, 12);
  TCity* den = nullptr;
  for (TMapObject* o : s.MapObjects)
    if (o->Type == otCity && static_cast<TCity*>(o)->Owner == 2) den = static_cast<TCity*>(o);
  using TTarget = TDemoOpponent::TTarget;
  plan->AddTask(4, TTarget{0, 3, 16, 16, 3}, 60, {lone->Units[0]->ID});
  plan->AddTask(5, TTarget{camp->Units[0]->ID, 1, 24, 9}, 55, {camp->Units[1]->ID});
  plan->AddTask(8, TTarget{knight->Units[0]->ID, 1, 20, 12}, 50, {});
  plan->AddTask(6, TTarget{den->ID, 4, den->AnchorFieldX, den->AnchorFieldY}, 40, {den->DefenderSlots[0]->ID});
  plan->AddArmy("Rudel", {ford->Units[0]->ID, ford->Units[1]->ID});
}

// Two casters join the computer's wolves and its camp, knowing a spell of
// each family its casting rules use: healing, defence and shield, points,
// morale, sight, summoning, scouting, attacks on a group and on a cluster,
// the spells it weighs by trying them, and 36.
void GiveComputerCasters(TScenarioMaker& m, u8 owner, std::initializer_list<TGroup*> groups) {
  u64 spells = 0;
  for (i32 n : {1, 12, 54, 44, 11, 26, 58, 2, 4, 3, 13, 23, 33, 17, 24, 57, 29, 19, 18, 10, 40, 5, 48, 31, 36})
    spells |= MaskBit(n);
  for (TGroup* g : groups) {
    TUnit* u = m.NewUnit(Sorceress, owner);
    u->Base.KnownSpells = u->Base.AllowedSpells = spells;
    u->Base.Level = 5;
    u->Base.Recalc();
    u->RecalcEffective(true);
    g->AddUnit(u, true, false, true);
  }
}

void Demo2(TScenarioMaker& m) {
  TScenario& s = m.S();
  s.IntroText = "Der Fluss teilt das Tal. Nur eine Furt f\xFChrt hin\xFC" "ber.";
  for (i32 y = 0; y < s.Height; ++y)
    for (i32 x = 0; x < s.Width; ++x) {
      i32 i = s.FieldIndex(x, y);
      s.BaseHeights[i] = static_cast<u16>(Demo2Height(x, y));
      s.BaseCosts[i] = static_cast<u8>(s.BaseHeights[i] > 40 ? 4 : 2);
      if (x == RiverColumn) s.BaseCosts[i] = y == FordRow ? 6 : 255;  // the river and its ford
    }
  s.Weather = wsRain;
  m.AddPlayers(3);
  TCity* furtheim = m.AddCity("Furtheim", 1, 3, 3);
  m.AddCity("Wolfsbau", 2, 30, 5);
  m.AddGroup(1, 5, 14, {Knight, Spearman});
  TGroup* wolves = m.AddGroup(2, 15, 12, {Wolf, Skeleton});
  m.AddGroup(2, 16, 16, {Wolf});
  m.AddGroup(1, 7, 21, {Sorceress});
  m.AddGroup(1, 20, 12, {Knight});
  m.AddGroup(0, 33, 25, {Skeleton, Skeleton});
  // A camp of the wolves' master east of the hill.
  TGroup* camp = m.AddGroup(2, 24, 9, {Skeleton, Spearman});
  camp->CampState = csCamped;
  auto* tower = new TBuilding(&s);
  tower->Name = tower->Caption = "Wachturm";
  tower->X = Centre(14);
  tower->Y = Centre(5);
  tower->OccupiedArea->AddField(14, 5);
  tower->EntranceArea->AddField(14, 6);
  s.AddMapObject(tower);
  for (i32 i = 0; i < 6; ++i) m.AddDoodle(i % 2 ? TreeDoodle : FlowersDoodle, Centre(2 + 3 * i), Centre(18));
  // A wood on the ridge, rocks and a spring by the river.
  std::mt19937 rng(2);
  for (i32 i = 0; i < 40; ++i) {
    const i32 fx = 26 + static_cast<i32>(rng() % 12), fy = 17 + static_cast<i32>(rng() % 11);
    if (fx == 33 && fy == 25) continue;
    m.AddDoodle(TreeDoodle, fx * FieldSize + 8 + static_cast<i32>(rng() % 24), fy * FieldSize + 10 + static_cast<i32>(rng() % 20));
  }
  for (i32 i = 0; i < 6; ++i) m.AddDoodle(RockDoodle, Centre(20 + 2 * i), Centre(2 + i % 3));
  m.AddDoodle(SpringDoodle, Centre(11), Centre(15));
  m.AddDoodle(SpringDoodle, Centre(12), Centre(24));
  for (i32 i = 0; i < 5; ++i) m.AddDoodle(FlowersDoodle, Centre(14 + 2 * i), Centre(27));
  auto* corpse = new TNaturalCorpse(&s);
  corpse->Init(UnitSpriteID(Wolf, MapDie), 3, Centre(11), Centre(9), 9, 3);
  s.AddMapObject(corpse);
  // A hero who waits off the map for the next mission.
  TUnit* waiting = m.NewUnit(Knight, 1);
  s.AddUnit(waiting, true);
  s.OffMapUnits.Add(waiting);
  s.WaitingUnitIDs.Add(waiting->ID);
  TArea* ford = m.AddArea({Field(RiverColumn, FordRow)});
  m.AddConversation("Willkommen", coRound, 0, 1 << 1, {"<TEXT><0>Willkommen!<ENDTEXT>"});
  m.AddAreaConversation("Die Furt", coAreaEntered, ford->ID, 1 << 1, "<TEXT><0>Das Wasser ist kalt.<ENDTEXT>");
  m.AddObjective("Die Furt", "Halte die Furt gegen die W\xF6lfe.", 1);
  s.MaxLevel = 12;
  s.DefeatVideo = 1;
  s.MusicTracks[0] = s.MusicTracks[2] = 1;
  s.BattleBackgrounds.Add(CityPictureID);
  SetCityBattleBackgrounds(s);
  s.TransferLimit = 2;
  GiveComputerCasters(m, 2, {wolves, camp});
  Demo2Fog(s);
  Demo2Plan(m, s.Players[2]->AIHandler.get());
  // Scripted events, made last so that the IDs before them stay.
  AddTowerBookEvent(s, *tower);
  AddUnitEvents(s);
  // Made last, so that the IDs of everything before it stay as they were.
  if (auto* computer = dynamic_cast<TDemoOpponent*>(s.Players[2]->AIHandler.get()))
    AddBridgeEvent(s, *furtheim, *computer, *camp->Units[0]);
}

// The short way home: the survivors of the ford, a spearman who must come
// along and a sorceress who may, against the last of the pack by a tower.
void Demo3(TScenarioMaker& m) {
  TScenario& s = m.S();
  // Heroes keep their IDs from mission to mission: this mission's own IDs
  // start far above those of the missions before it.
  s.NextID = 30000;
  s.IntroText = "Die letzten W\xF6lfe fliehen zum alten Turm. W\xE4hle, wer dich begleitet, und jage sie.";
  s.AddAlias("NEUTRAL", 0);
  s.AddAlias("SPIELER", 1);
  s.AddAlias("GEGNER", 2);
  m.AddPlayers(3);
  m.AddGroup(2, 12, 4, {Wolf, Skeleton});
  m.AddDoodle(TreeDoodle, Centre(8), Centre(9));
  m.AddDoodle(RockDoodle, Centre(6), Centre(5));
  m.AddDoodle(FlowersDoodle, Centre(4), Centre(10));
  for (const TField& f : {Field(3, 12), Field(4, 12), Field(3, 13), Field(4, 13)})
    s.Players[1]->StartArea->AddField(f.x, f.y);
  s.Players[2]->StartArea->AddField(12, 4);
  // They wait off the map for the transfer; the spearman is required.
  for (u32 prototype : {Spearman, Sorceress}) {
    TUnit* waiting = m.NewUnit(prototype, 1);
    s.AddUnit(waiting, true);
    s.OffMapUnits.Add(waiting);
    s.WaitingUnitIDs.Add(waiting->ID);
    if (prototype == Spearman) s.RequiredUnitIDs.Add(waiting->ID);
  }
  m.AddConversation("Willkommen", coRound, 0, 1 << 1, {"<TEXT><0>Willkommen!<ENDTEXT>"});
  m.AddObjective("Der Heimweg", "Jage die letzten W\xF6lfe am alten Turm.", 1);
  GiveBeatTheGroupObjective(m, "Der Heimweg", 1, 2, "<TEXT><0>Das Rudel ist zerschlagen.<ENDTEXT>");
  s.MaxLevel = 12;
  s.MusicTracks[0] = s.MusicTracks[2] = 1;
  s.TransferLimit = 3;
  SetBattleBackgrounds(s);
}

// A walled town seen from above on the 2 x 2 fields from (fx, fy): roofs on
// cobbles, a gate in the south wall. 0 outside it.
u32 Town(i32 fx, i32 fy, i32 px, i32 py) {
  const i32 x = px - fx * FieldSize, y = py - fy * FieldSize, size = 2 * FieldSize;
  if (x < 0 || y < 0 || x >= size || y >= size) return 0;
  const bool gate = y > size - 4 && std::abs(x - size / 2) < 6;
  if ((x < 3 || y < 3 || x >= size - 3 || y >= size - 3) && !gate) return Rgb565(120, 116, 108);
  const i32 hx = (x - 7) % 24, hy = (y - 7) % 24;
  if (x >= 7 && y >= 7 && x < size - 9 && y < size - 9 && hx < 16 && hy < 13)
    return hy == 6 ? Rgb565(110, 40, 30) : Rgb565(hy < 6 ? 176 : 150, 64, 44);
  return (x * 5 + y * 3) % 11 == 0 ? Rgb565(140, 132, 116) : Rgb565(168, 160, 140);
}

// A round stone tower on its field. 0 outside it.
u32 Tower(i32 fx, i32 fy, i32 px, i32 py) {
  const i32 dx = px - fx * FieldSize - FieldSize / 2, dy = py - fy * FieldSize - FieldSize / 2;
  const i32 d2 = dx * dx + dy * dy;
  if (d2 > 15 * 15) return 0;
  return d2 > 12 * 12 ? Rgb565(80, 78, 74) : ((dx + 20) / 5 + (dy + 20) / 4) % 2 ? Rgb565(150, 146, 138)
                                                                                  : Rgb565(132, 128, 120);
}

// Grass, lighter and browner up the hills, darker dots scattered, the towns
// and the towers; in mission 2 the river with its banks and the shallow ford.
u32 DemoGround(i32 mission, i32 px, i32 py) {
  const double fx = (px + 0.5) / FieldSize - 0.5, fy = (py + 0.5) / FieldSize - 0.5;
  const u32 building = mission == 2   ? Town(3, 3, px, py) | Town(30, 5, px, py) | Tower(14, 5, px, py)
                        : mission == 3 ? Tower(13, 3, px, py)
                                       : Town(2, 2, px, py);
  if (building) return building;
  if (mission == 2) {
    const double river = RiverColumn * FieldSize + FieldSize / 2 + 5 * std::sin(py / 70.0);
    const double d = std::abs(px - river);
    const bool ford = py >= FordRow * FieldSize && py < (FordRow + 1) * FieldSize;
    if (d < 16) {
      if (ford) return (px * 7 + py * 3) % 23 == 0 ? Rgb565(150, 150, 140) : Rgb565(96, 150, 176);
      return (py + static_cast<i32>(d)) % 19 == 0 ? Rgb565(90, 140, 200) : Rgb565(44, 92, 160);
    }
    if (d < 20) return Rgb565(172, 152, 104);
  }
  const double h = mission == 2 ? Demo2Height(fx, fy) / 120.0 : 0.15 + 0.1 * std::sin(fx * 0.7) * std::cos(fy * 0.5);
  const u32 speck = static_cast<u32>(px) * 2654435761u ^ static_cast<u32>(py) * 40503u;
  const double shade = (speck >> 7) % 29 == 0 ? 0.8 : 1.0;
  const auto mix = [&](double low, double high) { return static_cast<u8>((low + (high - low) * h) * shade); };
  return Rgb565(mix(72, 150), mix(128, 138), mix(52, 84));
}

}  // namespace

std::string DoodleFile() {
  TTextBuilder t;
  t.Comment("doodles: ID, sprite, pause chance, animation, delay, field effect, height, move cost, layer, sound, "
            "volume, name");
  t.Int(5);
  t.Ints({TreeDoodle, TreeSpriteID, 0, 0, 0, 1, 0, 2, 10, 0, 0}).Token("Baum");
  t.Ints({RockDoodle, RockSpriteID, 0, 0, 0, 1, 10, 255, 10, 0, 0}).Token("Felsen");
  t.Ints({SpringDoodle, SpringSpriteID, 4, 2, 12, 0, 0, 0, 8, 0, 60}).Token("Quelle");
  t.Ints({FlowersDoodle, FlowersSpriteID, 0, 0, 0, 2, 0, 1, 5, 0, 0}).Token("Blumenwiese");
  t.Ints({BridgeDoodle, BridgeSpriteID, 0, 0, 0, 1, 0, -251, 4, 0, 0}).Token("Br\xFC" "cke");
  return t.Text();
}

std::string DemoBackground(i32 mission) {
  const i16 w = mission == 2 ? 10 : 4, h = mission == 2 ? 8 : 4;
  return PaintedBackground(w, h, [mission](i32, i32 x, i32 y) { return DemoGround(mission, x, y); });
}

namespace {
// The mission's file; then, for each player, its opponent's stream, and the
// texts of its quests and objectives.
std::string MakeDemo(i32 mission, std::vector<std::string>* opponents, std::vector<std::string>* objectives = nullptr) {
  if (mission < 1 || mission > DemoMissionCount) throw std::invalid_argument("no such demo mission");
  const bool second = mission == 2;
  const char* const titles[DemoMissionCount] = {"Die Grenzmark", "Die Furt", "Der Heimweg"};
  TScenarioMaker m(second ? 40 : 16, second ? 32 : 16, titles[mission - 1], Base::Format("demo%d.bkg", mission),
                   static_cast<u32>(mission));
  if (mission == 1) Demo1(m);
  if (mission == 2) Demo2(m);
  if (mission == 3) Demo3(m);
  m.Ground = [mission](i32 px, i32 py) { return DemoGround(mission, px, py); };
  std::string bytes = second ? m.Bytes(1, 1) : m.Bytes(-1, 0);
  if (opponents)
    for (i32 i = 0; i < m.S().PlayerCount(); ++i) {
      Data::TMemoryStream s;
      m.S().Players[i]->AIHandler->Save(s);
      opponents->push_back(s.AsString());
    }
  if (objectives)
    for (const TQuestObjective* q : m.S().QuestObjectives->Items) objectives->push_back(q->Text);
  return bytes;
}
}  // namespace

std::string DemoScenario(i32 mission) { return MakeDemo(mission, nullptr); }

std::string NetworkScenario() {
  TScenarioMaker m(16, 16, "Grenzland zu zweit", "demo1.bkg", NetworkScenarioID);
  TScenario& s = m.S();
  m.AddPlayers(3);
  s.Players[1]->Name = "Nordwacht";
  s.Players[2]->Name = "S\xFC" "dbund";
  // Both parties fight each other; the neutral player stays out of it.
  for (i32 i = 0; i < 3; ++i)
    for (i32 j = 0; j < 3; ++j)
      if (i != j) s.Players[i]->Relations[j] = static_cast<i8>(i != 0 && j != 0 ? rHostile : rNeutral);
  s.NotCampaign = NetworkScenarioID;
  s.HeaderValue = NetworkScenarioParties;
  m.AddCity("Nordburg", 1, 2, 1);
  m.AddCity("S\xFC" "dtor", 2, 11, 11);
  m.AddGroup(1, 4, 5, {Knight, Spearman});
  m.AddGroup(2, 11, 9, {Knight, Spearman});
  m.AddDoodle(TreeDoodle, Centre(7), Centre(7));
  m.AddDoodle(RockDoodle, Centre(9), Centre(5));
  s.Players[1]->StartArea->AddField(4, 5);
  s.Players[2]->StartArea->AddField(11, 9);
  s.MaxLevel = 10;
  s.MusicTracks[0] = s.MusicTracks[2] = s.MusicTracks[3] = 1;
  SetBattleBackgrounds(s);
  m.Ground = [](i32 px, i32 py) { return DemoGround(1, px, py); };
  return m.Bytes(-1, 0);
}

std::vector<std::string> DemoOpponentStreams() {
  std::vector<std::string> out;
  for (i32 mission = 1; mission <= DemoMissionCount; ++mission) MakeDemo(mission, &out);
  return out;
}

std::vector<std::string> DemoObjectiveTexts() {
  std::vector<std::string> out;
  for (i32 mission = 1; mission <= DemoMissionCount; ++mission) MakeDemo(mission, nullptr, &out);
  return out;
}

std::string GenerateScenario(const TScenarioParams& params, TScenarioCounts* placed) {
  TScenarioCounts counts;
  // The game refuses other sides, and the owners are dealt out among the
  // players from 1 on.
  if (!IsValidMapSide(params.Width) || !IsValidMapSide(params.Height))
    throw std::invalid_argument(
        Base::Format("a map side is a multiple of 4 from 4 to %d fields, not %d x %d", MaxMapFields, params.Width,
                     params.Height));
  // The neutral player counts: a game loads no scenario with fewer than three.
  if (params.Players < 3 || params.Players > MaxPlayers)
    throw std::invalid_argument(Base::Format("a scenario has 3 to %d players, not %d", MaxPlayers, params.Players));
  if (params.Groups < 0 || params.Doodles < 0 || params.Cities < 0)
    throw std::invalid_argument("the numbers of groups, doodles and cities cannot be negative");
  TScenarioMaker m(params.Width, params.Height, "Weites Land", params.BackgroundFile, params.Seed);
  TScenario& s = m.S();
  std::mt19937 rng(params.Seed);
  auto random = [&rng](i32 n) { return static_cast<i32>(rng() % static_cast<u32>(n)); };
  if (params.VariedTerrain) {
    const double a = random(100) / 16.0, b = random(100) / 16.0;
    for (i32 y = 0; y < s.Height; ++y)
      for (i32 x = 0; x < s.Width; ++x) {
        double h = 150 + 80 * std::sin(x * 0.11 + a) + 60 * std::cos(y * 0.07 + b) + 20 * std::sin((x + y) * 0.3);
        i32 i = s.FieldIndex(x, y);
        s.BaseHeights[i] = static_cast<u16>(std::max(0.0, h));
        s.BaseCosts[i] = h < 45 ? 255 : static_cast<u8>(1 + static_cast<i32>(h) % 8);
      }
  }
  m.AddPlayers(params.Players);
  s.RebuildFieldMaps();

  // Each field takes one city, group or standing doodle.
  std::vector<bool> taken(s.BaseCosts.size(), false);
  auto free = [&](i32 x, i32 y) { return s.IsFieldOnMap(x, y) && !taken[s.FieldIndex(x, y)] && s.Costs[s.FieldIndex(x, y)] < 255; };
  auto take = [&](i32 x, i32 y) { taken[s.FieldIndex(x, y)] = true; };
  for (i32 c = 0, tries = 0; c < params.Cities && tries < 100 * (params.Cities + 1); ++tries) {
    i32 x = random(std::max(1, s.Width - 2)), y = random(std::max(1, s.Height - 3));
    bool room = true;
    for (i32 dy = 0; dy < 3; ++dy)
      for (i32 dx = 0; dx < 2; ++dx) room = room && free(x + dx, y + dy);
    if (!room) continue;
    for (i32 dy = 0; dy < 3; ++dy)
      for (i32 dx = 0; dx < 2; ++dx) take(x + dx, y + dy);
    m.AddCity("Stadt " + std::to_string(c + 1), static_cast<u8>(1 + c % (params.Players - 1)), x, y);
    counts.Cities = ++c;
  }
  const u32 kinds[] = {TreeDoodle, RockDoodle, SpringDoodle, FlowersDoodle};
  for (i32 d = 0, tries = 0; d < params.Doodles && tries < 10 * (params.Doodles + 1); ++tries) {
    i32 x = random(s.Width), y = random(s.Height);
    if (!free(x, y)) continue;
    u32 kind = kinds[random(4)];
    // Rocks block their field: no group may stand there.
    if (kind == RockDoodle) take(x, y);
    m.AddDoodle(kind, x * FieldSize + 5 + random(30), y * FieldSize + 5 + random(30));
    counts.Doodles = ++d;
  }
  s.RebuildFieldMaps();
  const u32 units[] = {Knight, Sorceress, Wolf, Skeleton, Spearman};
  for (i32 g = 0, tries = 0; g < params.Groups && tries < 10 * (params.Groups + 1); ++tries) {
    i32 x = random(s.Width), y = random(s.Height);
    if (!free(x, y)) continue;
    take(x, y);
    u8 owner = static_cast<u8>(1 + g % (params.Players - 1));
    TGroup* group = m.AddGroup(owner, x, y, {units[random(5)]});
    for (i32 extra = random(3); extra > 0; --extra)
      group->AddUnit(m.NewUnit(units[2 + random(3)], owner), true, false, true);
    counts.Groups = ++g;
  }
  for (i32 p = 1; p < params.Players; ++p) {
    m.AddConversation("Willkommen", coRound, 0, static_cast<u16>(1 << p), {"<TEXT><0>Willkommen!<ENDTEXT>"});
    m.AddObjective("Das weite Land", "Behaupte dich im weiten Land.", p);
  }
  m.AddArea({Field(0, 0), Field(1, 0), Field(0, 1)});
  if (params.Marches) {
    // Each computer group sets out for the middle of the map.
    m.GiveUnitsToOpponents();
    for (const TMapObject* o : s.MapObjects) {
      if (o->Type != otGroup) continue;
      const auto* g = static_cast<const TGroup*>(o);
      auto* plan = dynamic_cast<TDemoOpponent*>(s.Players[g->OwnerIndex]->AIHandler.get());
      if (!plan || s.Players[g->OwnerIndex]->Kind != pkComputer) continue;
      std::vector<u32> units;
      for (const TUnit* u : g->Units)
        if (u) units.push_back(u->ID);
      plan->AddTask(3, TDemoOpponent::TTarget{0, 3, s.Width / 2, s.Height / 2, s.Width / 16}, 60, units);
    }
  }
  if (params.Campaigns) {
    m.GiveUnitsToOpponents();
    auto distance = [](const TMapObject* a, const TMapObject* b) {
      return std::max(std::abs(a->FieldX() - b->FieldX()), std::abs(a->FieldY() - b->FieldY()));
    };
    auto nearest = [&](const TGroup* from, auto accept) {
      const TMapObject* best = nullptr;
      for (const TMapObject* o : s.MapObjects)
        if (accept(o) && (!best || distance(from, o) < distance(from, best))) best = o;
      return best;
    };
    i32 turn = 0;
    for (const TMapObject* o : s.MapObjects) {
      if (o->Type != otGroup) continue;
      const auto* g = static_cast<const TGroup*>(o);
      auto* plan = dynamic_cast<TDemoOpponent*>(s.Players[g->OwnerIndex]->AIHandler.get());
      if (!plan || s.Players[g->OwnerIndex]->Kind != pkComputer) continue;
      std::vector<u32> units;
      for (const TUnit* u : g->Units)
        if (u) units.push_back(u->ID);
      const TMapObject* prey = nullptr;
      const TMapObject* city = nullptr;
      switch (turn++ % 3) {
        case 0:
          prey = nearest(g, [](const TMapObject* x) { return x->Type == otGroup && static_cast<const TGroup*>(x)->OwnerIndex == 1; });
          break;
        case 1: city = nearest(g, [](const TMapObject* x) { return x->Type == otCity; }); break;
        default: break;
      }
      if (prey) {
        const TUnit* u = static_cast<const TGroup*>(prey)->Units[0];
        plan->AddTask(1, TDemoOpponent::TTarget{u->ID, 1, prey->FieldX(), prey->FieldY()}, 70, units);
      } else if (city) {
        const auto* c = static_cast<const TCity*>(city);
        plan->AddTask(6, TDemoOpponent::TTarget{c->ID, 4, c->AnchorFieldX, c->AnchorFieldY}, 65, units);
      } else {
        plan->AddTask(3, TDemoOpponent::TTarget{0, 3, s.Width / 2, s.Height / 2, s.Width / 16}, 60, units);
      }
    }
  }
  if (placed) *placed = counts;
  return m.Bytes(-1, 0);
}

}  // namespace Builder
