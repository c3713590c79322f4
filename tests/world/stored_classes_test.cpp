// Every stored class of the game world through the one round-trip check. A
// new stored class joins this table.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/data/data_list.h"
#include "engine/gfx/sprite_list.h"
#include "tests/engine/data/stored_class_check.h"
#include "tests/world/world_fixture.h"
#include "tools/databuilder/sprite_builder.h"
#include "tools/demodata/art/demo_sprites.h"
#include "world/locations/city.h"
#include "world/locations/location.h"
#include "world/locations/merchant.h"
#include "world/map/background.h"
#include "world/map/doodle.h"
#include "world/map/drawing.h"
#include "world/map/fog.h"
#include "world/scenario/player.h"
#include "world/scenario/transfer.h"
#include "world/units/group.h"

namespace WorldTest {
namespace {

using namespace GameData;
using TestSupport::TStoredClass;

constexpr u32 Picture = 5;
constexpr u32 DieSprite = 100;

std::unique_ptr<Gfx::TSprite> Sprite(u32 id, i32 frames) {
  Builder::TSpriteShape shape;
  shape.ID = id;
  shape.Width = shape.Height = 8;
  shape.Frames = frames;
  return Builder::MakeSprite16(shape, Builder::SolidPixels(id));
}

class StoredClasses : public TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    MakeScenario(8, 8, 3);
    std::vector<std::unique_ptr<Gfx::TSprite>> scene;
    scene.push_back(Sprite(Picture, 4));
    Scenario->Sprites->OpenIndex(new Data::TMemoryStream(Builder::SpriteListBytes(1, std::move(scene))));
    std::vector<std::unique_ptr<Gfx::TSprite>> units;
    units.push_back(Sprite(DieSprite, 3));
    Global->UnitSpriteList.OpenIndex(new Data::TMemoryStream(Builder::SpriteListBytes(2, std::move(units))));
    TDoodlePrototype tree{};
    tree.ID = 41;
    tree.SpriteID = Picture;
    tree.Layer = 11;
    tree.Valid = 1;
    Scenario->DoodlePrototypes.Add(tree);
    auto* area = new TArea;
    area->ID = 900;
    area->AddField(1, 1);
    Scenario->Areas.AddSorted(area);
  }

  // The common map-object fields.
  static void Place(TMapObject& o, u32 id) {
    o.ID = id;
    o.X = -12;
    o.Y = 345;
    o.Layer = 17;
  }
  static TAfterEffect* Effect(i32 id) {
    auto* e = new TAfterEffect{};
    e->Properties.Attack.Delta = 3;
    e->TurnsLeft = 4;
    e->Reserved1 = 5;
    e->EffectID = id;
    e->Kept = 1;
    e->Reserved2 = 6;
    return e;
  }
  static void FillMerchant(TMerchant& m) {
    m.ID = 2001;
    m.Present = 1;
    m.Reserved[7] = 8;
    m.Name = "Laden";
    m.PictureID = 11;
    m.ReservedText = "x";
    m.IconID = 12;
    m.Reserved2 = 13;
  }
  // Loading pointed the units at the loaded copy; point them back.
  static void Reattach(TGroup& group) {
    for (TUnit* u : group.Units)
      if (u) u->Container = &group;
  }

  std::vector<TStoredClass> Cases();
};

std::vector<TStoredClass> StoredClasses::Cases() {
  TScenario* scenario = Scenario.get();
  auto merchant = [](const char* name, auto make, auto fill) {
    return TStoredClass{.Name = name,
                        .Make = [make] { return std::unique_ptr<Data::TDataObject>(make()); },
                        .Fill =
                            [fill](Data::TDataObject& o) {
                              FillMerchant(static_cast<TMerchant&>(o));
                              fill(o);
                            }};
  };
  return {
      {.Name = "area",
       .Make = [] { return std::make_unique<TArea>(); },
       .Fill =
           [](Data::TDataObject& o) {
             auto& a = static_cast<TArea&>(o);
             a.ID = 7;
             a.AddField(3, -2);
             a.AddField(1, 4);
             a.Value = 99;
           }},
      {.Name = "area list",
       .Make = [] { return std::make_unique<Data::TDataList<TArea>>(true); },
       .Fill =
           [](Data::TDataObject& o) {
             auto& list = static_cast<Data::TDataList<TArea>&>(o);
             list.ID = 3;
             for (u32 id : {4u, 6u}) {
               auto* a = new TArea;
               a->ID = id;
               a->AddField(static_cast<i32>(id), 1);
               list.AddSorted(a);
             }
           }},
      {.Name = "fog",
       .Make = [scenario] { return std::make_unique<TFog>(scenario->PlayerAt(0)); },
       .Fill =
           [](Data::TDataObject& o) {
             auto& f = static_cast<TFog&>(o);
             f.ID = 8;
             f.SetState(2, 3, fsExplored);
             f.SetState(7, 7, fsVisible);
           },
       .Copies = true},
      {.Name = "unit",
       .Make = [] { return std::make_unique<TUnit>(); },
       .Fill =
           [](Data::TDataObject& o) {
             auto& u = static_cast<TUnit&>(o);
             u.ID = 31;
             u.SetPrototype(FindUnitPrototype(Knight));
             u.Base.Experiences = 17;
             u.Base.Reserved[1] = 2;
             u.Base.AllowedSpells = 0x8000000000000001ull;
             u.Kind = -3;
             u.Hero = 1;
             u.Name = "Ritter Kunibert";
             u.AddAfterEffect(Effect(65));
             u.AddAfterEffect(Effect(5001));
             u.OwnerIndex = 2;
           },
       .Copies = true},
      {.Name = "group",
       .Make = [scenario] { return std::make_unique<TGroup>(scenario); },
       .Fill =
           [this](Data::TDataObject& o) {
             auto& g = static_cast<TGroup&>(o);
             Place(g, 40);
             g.Direction = dNorthWest;
             g.OwnerIndex = 2;
             for (u32 p : {Soldier, Knight}) g.AddUnit(NewUnit(p), false, false, false);
             g.TickCounter = 0x01020304;
             g.TicksPerStep = 7;
             g.Frame = 3;
             g.PendingAction = 2;
             g.AnimationState = 4;
             g.TurnTarget = 5;
             g.OrderedDirection = 6;
             g.WalkStartField = {1, 2};
             g.CurrentField = {3, 4};
             g.NextField = {-5, 6};
             g.DestinationField = {7, 8};
             g.PathIndex = -9;
             g.JoinFlag = 1;
             g.ApproachMode = 2;
             g.EncounterMode = 3;
             g.ApproachedMark = 4;
             g.InBattle = 1;
             g.DeferredStop = 1;
             g.ShortStop = 1;
             g.StopField = {10, 11};
             g.CampState = csCamped;
             g.CampStyle = 3;
           },
       // Clear keeps the camp; loading reads it anyway.
       .AfterClear =
           [](Data::TDataObject& o) {
             auto& g = static_cast<TGroup&>(o);
             g.CampState = csNone;
             g.CampStyle = 0;
           },
       .AfterLoad = [](Data::TDataObject& o) { Reattach(static_cast<TGroup&>(o)); }},
      {.Name = "building",
       .Make = [scenario] { return std::make_unique<TBuilding>(scenario); },
       .Fill =
           [](Data::TDataObject& o) {
             auto& b = static_cast<TBuilding&>(o);
             Place(b, 50);
             b.Name = "M\xFChle";
             b.OccupiedArea->AddField(2, 2);
             b.EntranceArea->AddField(2, 3);
             b.SightArea->AddField(4, 4);
           }},
      {.Name = "city",
       .Make = [scenario] { return std::make_unique<TCity>(scenario); },
       .Fill =
           [this](Data::TDataObject& o) {
             auto& c = static_cast<TCity&>(o);
             Place(c, 60);
             c.Name = "Burg";
             c.OccupiedArea->AddField(5, 5);
             c.PictureID = 11;
             c.Reserved1 = 12;
             c.Owner = 1;
             c.SetSlotCount(2);
             c.Reserved2 = 13;
             c.MusicID = 14;
             c.AddUnit(NewUnit(Soldier), false, false, false);
             c.AddToSlot(1, NewUnit(Knight), false, false, false);
             c.AddRecruit(NewUnit(Wolf), false, false, false);
             c.AnchorFieldX = 7;
             c.AnchorFieldY = -8;
             c.Area->AddField(3, 4);
             c.Flags.Add({3, 0x12345, -6});
             c.Closed = 1;
             for (auto& m : c.Merchants) FillMerchant(*m);
             c.Mage()->SpellPrices[5] = 99;
             c.Innkeeper()->DrinkPrice = 4;
           },
       .ClearSavesAsNew = false,
       .AfterLoad =
           [](Data::TDataObject& o) {
             auto& c = static_cast<TCity&>(o);
             for (TUnit* u : c.Units) u->Container = &c;
             for (TUnit* u : c.DefenderSlots)
               if (u) u->Container = &c;
             for (TUnit* u : c.Recruits) u->Container = &c;
           }},
      merchant("innkeeper", [] { return new TInnkeeperMerchant; },
               [](Data::TDataObject& o) { static_cast<TInnkeeperMerchant&>(o).DrinkPrice = 3; }),
      merchant("mage", [] { return new TMageMerchant; },
               [](Data::TDataObject& o) {
                 auto& m = static_cast<TMageMerchant&>(o);
                 m.ManaPrice = 2;
                 m.SpellPrices[63] = 64;
               }),
      merchant("battle master", [] { return new TBattleMasterMerchant; },
               [](Data::TDataObject& o) {
                 auto& m = static_cast<TBattleMasterMerchant&>(o);
                 m.Reserved3 = 1;
                 m.SkillPrices[0] = 30;
               }),
      merchant("herbalist", [] { return new THerbalistMerchant; },
               [](Data::TDataObject& o) {
                 auto& m = static_cast<THerbalistMerchant&>(o);
                 m.HealPrice = 3;
                 m.Reserved3 = 4;
                 m.SkillPrices[0] = 50;
               }),
      merchant("custom", [] { return new TCustomMerchant; }, [](Data::TDataObject&) {}),
      {.Name = "doodle",
       .Make = [scenario] { return std::make_unique<TDoodle>(scenario); },
       .Fill =
           [scenario](Data::TDataObject& o) {
             auto& d = static_cast<TDoodle&>(o);
             d.SetPrototype(&scenario->DoodlePrototypes[0]);
             Place(d, 70);
             d.PauseChance = 9;
             d.Active = 0;
             d.Frame = 3;
             d.TickCounter = 77;
           }},
      {.Name = "drawing",
       .Make = [scenario] { return std::make_unique<TDrawing>(scenario); },
       .Fill = [](Data::TDataObject& o) { Place(static_cast<TDrawing&>(o), 80); }},
      {.Name = "animation",
       .Make = [scenario] { return std::make_unique<TAnimation>(scenario); },
       .Fill =
           [](Data::TDataObject& o) {
             auto& a = static_cast<TAnimation&>(o);
             a.Init(Picture, 80, 90, 14, 3, 5);
             Place(a, 81);
             a.Reserved = 2;
             for (int i = 0; i < 8; ++i) a.Tick();
           },
       // The reserved flag is 1 when made; only loading changes it.
       .AfterClear = [](Data::TDataObject& o) { static_cast<TAnimation&>(o).Reserved = 1; }},
      {.Name = "corpse",
       .Make = [scenario] { return std::make_unique<TCorpse>(scenario); },
       .Fill =
           [](Data::TDataObject& o) {
             auto& c = static_cast<TCorpse&>(o);
             c.Init(DieSprite, 2, 60, 100, 9);
             Place(c, 82);
             c.Reserved = 3;
           },
       // The reserved flag is 1 when made and 0 when cleared.
       .AfterClear = [](Data::TDataObject& o) { static_cast<TCorpse&>(o).Reserved = 1; }},
      {.Name = "natural corpse",
       .Make = [scenario] { return std::make_unique<TNaturalCorpse>(scenario); },
       .Fill =
           [](Data::TDataObject& o) {
             auto& c = static_cast<TNaturalCorpse&>(o);
             c.Init(DieSprite, 1, 61, 101, 9, 4);
             Place(c, 83);
             c.Reserved = 4;
           },
       .AfterClear = [](Data::TDataObject& o) { static_cast<TCorpse&>(o).Reserved = 1; }},
      {.Name = "background",
       .Make = [] { return std::make_unique<TBackground>(); },
       .Fill =
           [](Data::TDataObject& o) {
             Data::TMemoryStream s(Builder::Background(2, 1));
             o.Load(s);
             o.ID = 90;
           }},
      {.Name = "player",
       .Make = [scenario] { return std::make_unique<TPlayer>(scenario); },
       .Fill =
           [scenario](Data::TDataObject& o) {
             auto& p = static_cast<TPlayer&>(o);
             p.ID = 95;
             p.Kind = pkComputer;
             p.Gold = 1234;
             p.Colour = 3;
             p.Name = "Gr\xFCn";
             p.PortraitID = 55;
             p.Fog->SetState(2, 3, fsExplored);
             p.Relations[2] = rHostile;
             p.OutOfActionPoints = 1;
             p.SightingStop = 1;
             p.SightAreas.push_back(scenario->Areas[0]);
             p.AIHandler->ID = 96;
             p.StartArea->AddField(4, 4);
             p.Notes = {"eins", "zwei"};
             p.ConversationLog = {"Hallo"};
             p.NoteSeenPrototype(2);
           },
       // An ID outlives Clear, the opponent's as the player's own.
       .AfterClear = [](Data::TDataObject& o) { static_cast<TPlayer&>(o).AIHandler->ID = 0; }},
      {.Name = "campaign transfer",
       .Make = [] { return std::make_unique<TTransfer>(); },
       .Fill =
           [](Data::TDataObject& o) {
             auto& t = static_cast<TTransfer&>(o);
             for (u32 id : {70u, 71u, 72u}) {
               auto* unit = new TUnit;
               unit->SetPrototype(FindUnitPrototype(id == 72 ? Knight : Wolf));
               unit->ID = id;
               unit->TransferRequired = id == 71;
               unit->TransferNew = id == 72;
               (id == 72 ? t.Transferred : t.Available).Items.Add(unit);
             }
           }},
  };
}

TEST_F(StoredClasses, EveryWorldClassRoundTrips) {
  for (const TStoredClass& c : Cases()) TestSupport::ExpectStoredClassRoundTrip(c);
}

}  // namespace
}  // namespace WorldTest
