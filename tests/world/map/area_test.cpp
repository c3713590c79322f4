#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "world/map/area.h"

namespace WorldTest {
namespace {

using GameData::TArea;
using GameData::TField;

std::vector<TField> Fields(const TArea& a) { return std::vector<TField>(a.Fields.begin(), a.Fields.end()); }

TEST(Area, KeepsFieldsInRowOrderWithDuplicates) {
  TArea a;
  EXPECT_FALSE(a.ContainsField(0, 0));
  EXPECT_EQ(a.FindNearestField(3, 3), -1);

  a.AddField(5, 3);
  a.AddField(2, 7);
  a.AddField(9, 3);
  EXPECT_EQ(Fields(a), (std::vector<TField>{{5, 3}, {9, 3}, {2, 7}}));

  a.AddField(9, 3);
  a.AddField(0, 0);
  a.AddField(-1, 3);
  EXPECT_EQ(Fields(a), (std::vector<TField>{{0, 0}, {-1, 3}, {5, 3}, {9, 3}, {9, 3}, {2, 7}}))
      << "a duplicate follows its twin";

  struct {
    i32 x, y;
    bool in;
    i32 index;  // where it is or would go
  } cases[] = {{9, 3, true, 3},  {5, 3, true, 2},  {2, 7, true, 5}, {0, 0, true, 0},  {-1, 3, true, 1},
               {3, 5, false, 5}, {7, 3, false, 3}, {0, 9, false, 6}, {-5, -5, false, 0}, {3, 7, false, 6}};
  for (const auto& c : cases) {
    EXPECT_EQ(a.ContainsField(c.x, c.y), c.in) << c.x << "," << c.y;
    i32 index = -1;
    EXPECT_EQ(a.Find({static_cast<i16>(c.x), static_cast<i16>(c.y)}, index), c.in);
    EXPECT_EQ(index, c.index) << c.x << "," << c.y;
  }
}

TEST(Area, FindNearestField) {
  TArea a;
  a.AddField(4, 2);  // index 0
  a.AddField(2, 4);  // index 1, as far from (3, 3) as (4, 2)
  a.AddField(10, 10);
  struct {
    i32 x, y, index;
  } cases[] = {{3, 3, 0}, {2, 5, 1}, {9, 12, 2}, {4, 2, 0}, {127, 127, 2}, {-20, -20, 0}};
  for (const auto& c : cases) EXPECT_EQ(a.FindNearestField(c.x, c.y), c.index) << c.x << "," << c.y;

  TArea one;
  one.AddField(0, 0);
  EXPECT_EQ(one.FindNearestField(127, 127), 0) << "any field of a real map wins";
}

TEST(Area, StreamRoundTripAndDamage) {
  TArea a;
  a.ID = 77;
  a.Value = 0xDEADBEEF;
  a.AddField(3, 1);
  a.AddField(-2, 0);
  a.AddField(3, 1);
  Data::TMemoryStream s;
  a.Save(s);
  ASSERT_EQ(s.Memory().size(), 4u + 4 + 4 + 3 * 4 + 4);

  TArea b;
  b.AddField(50, 50);
  b.Value = 5;
  s.SetPosition(0);
  b.Load(s);
  EXPECT_EQ(b.ID, 77u);
  EXPECT_EQ(b.Value, 0xDEADBEEF);
  EXPECT_EQ(Fields(b), Fields(a)) << "loading replaces what was there";
  Data::TMemoryStream again;
  b.Save(again);
  EXPECT_EQ(again.AsString(), s.AsString());

  const std::string bytes = s.AsString();
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    Data::TMemoryStream truncated(bytes.substr(0, cut));
    TArea broken;
    EXPECT_THROW(broken.Load(truncated), std::runtime_error) << cut;
  }

  // Stored count and tag.
  auto load = [](std::string data) {
    Data::TMemoryStream m(data);
    TArea t;
    t.Load(m);
    return t.Count();
  };
  std::string empty = bytes.substr(0, 8) + std::string("\0\0\0\0", 4) + bytes.substr(bytes.size() - 4);
  EXPECT_EQ(load(empty), 0);
  // A negative count is invalid; one the bytes left cannot hold is a stream that ends early.
  const std::pair<const char*, const char*> counts[] = {{"\xFF\xFF\xFF\xFF", "Invalid data."},
                                                        {"\x00\x00\x00\x80", "Invalid data."},
                                                        {"\x05\x00\x00\x00", "Stream read error."},
                                                        {"\x00\x00\x00\x10", "Stream read error."}};
  for (const auto& [count, message] : counts) {
    std::string bad = bytes;
    bad.replace(8, 4, count, 4);
    try {
      load(bad);
      ADD_FAILURE() << "count accepted";
    } catch (const Base::EStreamError& e) {
      EXPECT_STREQ(e.what(), message);
    }
  }
  std::string badTag = bytes;
  badTag[4] = 'L';
  EXPECT_THROW(load(badTag), Data::EInvalidData);

  b.Clear();
  EXPECT_EQ(b.Count(), 0);
  EXPECT_EQ(b.Value, 0u);
}

}  // namespace
}  // namespace WorldTest
