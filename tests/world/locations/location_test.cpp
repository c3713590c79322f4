#include <functional>
#include <memory>
#include <string>

#include "tests/world/world_fixture.h"
#include "world/locations/city.h"
#include "world/locations/location.h"
#include "world/locations/merchant.h"

namespace WorldTest {
namespace {

using namespace GameData;

// A location of any type code, for what only the type decides.
class TPlainLocation : public TLocation {
 public:
  TPlainLocation(TScenario* scenario, u16 type) : TLocation(scenario, type, "") {}
  Gfx::TSprite* GetSprite() const override { return nullptr; }
};

class Locations : public TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    MakeScenario(16, 16, 3);
  }
};

TEST_F(Locations, BuildingRectangleAndHitTest) {
  TBuilding b(Scenario.get());
  EXPECT_EQ(b.Caption, "Geb\xE4ude");
  EXPECT_EQ(b.Type, otBuilding);
  EXPECT_EQ(b.GetSprite(), nullptr);
  EXPECT_EQ(b.GetRect(), Base::TRect{}) << "no fields, no rectangle";
  EXPECT_FALSE(b.HitTest(0, 0));
  EXPECT_FALSE(b.HitTest(20, 20));

  b.OccupiedArea->AddField(3, 5);
  const Base::TRect one{120, 200, 160, 240};
  EXPECT_EQ(b.GetRect(), one);
  EXPECT_EQ(b.GetMarkerRect(), one);
  EXPECT_EQ(b.GetDrawRect(), Base::TRect{}) << "nothing drawn while not selected";
  b.Select();
  EXPECT_EQ(b.GetDrawRect(), one) << "the marker when selected";
  struct {
    i32 x, y;
    bool hit;
  } points[] = {{159, 239, true}, {160, 239, false}, {120, 200, true}, {119, 200, false}, {140, 240, false}};
  for (const auto& p : points) EXPECT_EQ(b.HitTest(p.x, p.y), p.hit) << p.x << "," << p.y;

  // The rectangle spans all fields; a hit needs one of them.
  b.OccupiedArea->AddField(5, 3);
  b.OccupiedArea->AddField(4, 6);
  EXPECT_EQ(b.GetRect(), (Base::TRect{120, 120, 240, 280}));
  EXPECT_TRUE(b.HitTest(5 * 40 + 39, 3 * 40));
  EXPECT_FALSE(b.HitTest(4 * 40 + 20, 4 * 40 + 20)) << "inside the rectangle, on no field";

  // The entrance and sight fields do not count.
  b.EntranceArea->AddField(7, 7);
  EXPECT_FALSE(b.HitTest(7 * 40 + 20, 7 * 40 + 20));
}

TEST_F(Locations, ScenarioFindsBuildingsAtTheirFields) {
  auto* b = new TBuilding(Scenario.get());
  b->OccupiedArea->AddField(3, 5);
  Scenario->AddMapObject(b);
  EXPECT_EQ(Scenario->GetObjectIndexAt(159, 239), b->ListPosition);
  EXPECT_EQ(Scenario->GetObjectIndexAt(160, 239), -1);
  EXPECT_EQ(Scenario->FindBuilding(b->ID), b);
}

TEST_F(Locations, SightFieldsFallBackToOccupiedFields) {
  TBuilding b(Scenario.get());
  b.OccupiedArea->AddField(2, 2);
  EXPECT_EQ(&b.SightFields(), b.OccupiedArea.get());
  b.SightArea->AddField(1, 1);
  EXPECT_EQ(&b.SightFields(), b.SightArea.get());
}

TEST_F(Locations, StreamRoundTripAndCaption) {
  TBuilding b(Scenario.get());
  b.ID = 1234;
  b.X = 140;
  b.Y = 220;
  b.Name = "M\xFChle";
  b.OccupiedArea->AddField(3, 5);
  b.OccupiedArea->AddField(4, 5);
  b.EntranceArea->AddField(3, 6);
  b.SightArea->AddField(9, 9);
  b.SightArea->Value = 3;
  Data::TMemoryStream s;
  b.Save(s);

  TBuilding copy(Scenario.get());
  s.SetPosition(0);
  copy.Load(s);
  EXPECT_EQ(copy.Caption, "M\xFChle") << "the stored name, not the default caption";
  EXPECT_EQ(copy.Name, b.Name);
  EXPECT_EQ(copy.OccupiedArea->Count(), 2);
  EXPECT_TRUE(copy.EntranceArea->ContainsField(3, 6));
  EXPECT_TRUE(copy.SightArea->ContainsField(9, 9));
  EXPECT_EQ(copy.GetRect(), (Base::TRect{120, 200, 200, 240}));
  Data::TMemoryStream again;
  copy.Save(again);
  EXPECT_EQ(again.AsString(), s.AsString());

  const std::string bytes = s.AsString();
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    Data::TMemoryStream truncated(bytes.substr(0, cut));
    TBuilding broken(Scenario.get());
    EXPECT_THROW(broken.Load(truncated), std::runtime_error) << cut;
  }
  // A building record is no city.
  TCity city(Scenario.get());
  Data::TMemoryStream asCity(bytes);
  EXPECT_THROW(city.Load(asCity), Data::EInvalidData);

  copy.Clear();
  EXPECT_EQ(copy.Name, "");
  EXPECT_EQ(copy.OccupiedArea->Count() + copy.EntranceArea->Count() + copy.SightArea->Count(), 0);
  EXPECT_EQ(copy.X, 0);
  EXPECT_EQ(copy.Layer, 10);
}

struct TMerchantCase {
  const char* name;
  u32 kind;
  std::size_t ownBytes;
  std::function<std::unique_ptr<TMerchant>()> make;
  std::function<void(TMerchant&)> fill;  // the kind's own fields
};

std::vector<TMerchantCase> MerchantCases() {
  return {
      {"innkeeper", mkInnkeeper, 4, [] { return std::make_unique<TInnkeeperMerchant>(); },
       [](TMerchant& m) { static_cast<TInnkeeperMerchant&>(m).DrinkPrice = 7; }},
      {"mage", mkMage, 4 + 256, [] { return std::make_unique<TMageMerchant>(); },
       [](TMerchant& m) {
         auto& mage = static_cast<TMageMerchant&>(m);
         mage.ManaPrice = 2;
         mage.SpellPrices[0] = 100;
         mage.SpellPrices[63] = 999;
       }},
      {"battle master", mkBattleMaster, 4 + 256, [] { return std::make_unique<TBattleMasterMerchant>(); },
       [](TMerchant& m) {
         auto& b = static_cast<TBattleMasterMerchant&>(m);
         b.Reserved3 = 5;
         b.SkillPrices[44] = 300;
       }},
      {"herbalist", mkHerbalist, 8 + 256, [] { return std::make_unique<THerbalistMerchant>(); },
       [](TMerchant& m) {
         auto& h = static_cast<THerbalistMerchant&>(m);
         h.HealPrice = 3;
         h.Reserved3 = 4;
         h.SkillPrices[0] = 50;
       }},
      {"custom", mkCustom, 0, [] { return std::make_unique<TCustomMerchant>(); }, [](TMerchant&) {}},
  };
}

TEST_F(Locations, MerchantStreamsOfEachKind) {
  const auto cases = MerchantCases();
  for (const TMerchantCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto m = c.make();
    EXPECT_EQ(m->Kind, c.kind);
    m->ID = 2001;
    m->Present = 1;
    m->Reserved[7] = 8;
    m->Name = "Laden";
    m->PictureID = 11;
    m->ReservedText = "x";
    m->IconID = 12;
    m->Reserved2 = 13;
    c.fill(*m);
    Data::TMemoryStream s;
    m->Save(s);
    EXPECT_EQ(s.Memory().size(), 61u + 5 + 1 + c.ownBytes);

    auto copy = c.make();
    s.SetPosition(0);
    copy->Load(s);
    Data::TMemoryStream again;
    copy->Save(again);
    EXPECT_EQ(again.AsString(), s.AsString());
    EXPECT_EQ(copy->ID, 2001u);
    EXPECT_EQ(copy->Name, "Laden");

    // Clear empties everything but the kind: it saves like a new merchant.
    copy->Clear();
    Data::TMemoryStream cleared, fresh;
    copy->Save(cleared);
    c.make()->Save(fresh);
    EXPECT_EQ(cleared.AsString(), fresh.AsString());
    EXPECT_EQ(copy->Kind, c.kind);

    const std::string bytes = s.AsString();
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
      Data::TMemoryStream truncated(bytes.substr(0, cut));
      EXPECT_THROW(c.make()->Load(truncated), std::runtime_error) << cut;
    }
    // A zero byte inside the name is refused.
    std::string zero = bytes;
    zero[4 + 4 + 1 + 32 + 4 + 2] = '\0';
    Data::TMemoryStream withZero(zero);
    EXPECT_THROW(c.make()->Load(withZero), Data::EInvalidData);

    // A record of this kind cannot be read into any other kind.
    for (const TMerchantCase& other : cases) {
      if (other.kind == c.kind) continue;
      Data::TMemoryStream in(bytes);
      try {
        other.make()->Load(in);
        ADD_FAILURE() << c.name << " read as " << other.name;
      } catch (const Data::EInvalidData& e) {
        EXPECT_STREQ(e.what(), "Invalid data.");
      }
    }
  }
}

TEST_F(Locations, ShopListLookups) {
  struct {
    const char* what;
    std::function<const void*(i32)> lookup;
    i32 index;
    i32 number;  // 0: none
  } cases[] = {
      {"spell", [](i32 i) { return static_cast<const void*>(GetSpellByIndex(i)); }, 0, 1},
      {"spell", [](i32 i) { return static_cast<const void*>(GetSpellByIndex(i)); }, 2, 3},
      {"spell", [](i32 i) { return static_cast<const void*>(GetSpellByIndex(i)); }, 1, 0},
      {"spell", [](i32 i) { return static_cast<const void*>(GetSpellByIndex(i)); }, 63, 0},
      {"spell", [](i32 i) { return static_cast<const void*>(GetSpellByIndex(i)); }, 64, 65},
      {"fight spell", [](i32 i) { return static_cast<const void*>(GetFightSpellByIndex(i)); }, 0, 65},
      {"fight spell", [](i32 i) { return static_cast<const void*>(GetFightSpellByIndex(i)); }, 1, 0},
      {"skill", [](i32 i) { return static_cast<const void*>(GetSkillByIndex(i)); }, 0, 1},
      {"skill", [](i32 i) { return static_cast<const void*>(GetSkillByIndex(i)); }, 44, 45},
      {"skill", [](i32 i) { return static_cast<const void*>(GetSkillByIndex(i)); }, 1, 0},
      {"skill", [](i32 i) { return static_cast<const void*>(GetSkillByIndex(i)); }, -1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.what << " " << c.index);
    const void* found = c.lookup(c.index);
    if (c.number == 0) {
      EXPECT_EQ(found, nullptr);
      continue;
    }
    ASSERT_NE(found, nullptr);
    i16 number = std::string(c.what) == "skill" ? static_cast<const TSkillPrototype*>(found)->Number
                                                : static_cast<const TSpellPrototype*>(found)->Number;
    EXPECT_EQ(number, c.number);
  }

  Data2::GlobalData = nullptr;
  EXPECT_EQ(GetSpellByIndex(0), nullptr);
  EXPECT_EQ(GetFightSpellByIndex(0), nullptr);
  EXPECT_EQ(GetSkillByIndex(0), nullptr);
  Data2::GlobalData = Global.get();
}

TEST_F(Locations, EntryCostByLocationType) {
  TBuilding building(Scenario.get());
  TCity open(Scenario.get());
  TCity closed(Scenario.get());
  closed.Closed = 1;
  TPlainLocation plain(Scenario.get(), otLocation);
  TPlainLocation doodleType(Scenario.get(), otDoodle);
  struct {
    const char* what;
    const TLocation* location;
    i32 cost;
  } cases[] = {{"building", &building, 9}, {"city", &open, 6},         {"closed city", &closed, 9},
               {"location", &plain, 0},    {"doodle", &doodleType, 0}, {"none", nullptr, 0}};
  for (const auto& c : cases) EXPECT_EQ(GetEntryCost(c.location), c.cost) << c.what;
}

}  // namespace
}  // namespace WorldTest
