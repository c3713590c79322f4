#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/data/data_list.h"
#include "engine/data/dynamic_array.h"

namespace {

using Data::TMemoryStream;

struct TItem : Data::TDataObject {
  static int Deleted;
  explicit TItem(u32 id = 0) { ID = id; }
  ~TItem() override { ++Deleted; }
  void Assign(const TDataObject* source) override { ID = source->ID; }
};
int TItem::Deleted = 0;

struct TNamedItem : TItem {
  std::string Name;
  void Load(Data::TStream& s) override {
    TItem::Load(s);
    Data::ReadString(s, Name);
  }
};

int CompareInts(const int& a, const int& b) { return a - b; }

// Tie orders of later rules depend on the exact quicksort (middle pivot,
// swaps of equal elements): pinned here.
TEST(SortAndSearch, EqualElementsEndInTheQuicksortsOrder) {
  struct TItem {
    int Key;
    char Tag;
  };
  auto byKey = [](const TItem* a, const TItem* b) { return a->Key < b->Key ? -1 : a->Key > b->Key ? 1 : 0; };
  struct TCase {
    std::vector<TItem> items;
    std::string order;
  };
  const TCase cases[] = {
      {{{1, 'a'}, {1, 'b'}}, "ba"},
      {{{1, 'a'}, {1, 'b'}, {1, 'c'}}, "cba"},
      {{{1, 'a'}, {1, 'b'}, {1, 'c'}, {1, 'd'}}, "cdab"},
      {{{2, 'a'}, {1, 'b'}, {2, 'c'}, {1, 'd'}}, "dbac"},
  };
  for (const TCase& c : cases) {
    std::vector<const TItem*> p;
    for (const TItem& item : c.items) p.push_back(&item);
    Data::Sort(p, static_cast<i32>(p.size()), byKey);
    std::string order;
    for (const TItem* item : p) order += item->Tag;
    EXPECT_EQ(order, c.order);
  }
}

TEST(SortAndSearch, EdgeCases) {
  std::vector<int> none;
  Data::Sort(none, 0, CompareInts);
  i32 index = -1;
  EXPECT_FALSE(Data::BinarySearch(5, none, 0, CompareInts, index));
  EXPECT_EQ(index, 0);

  std::vector<int> v = {9, 1, 7, 3, 3, 8, 0};
  Data::Sort(v, 7, CompareInts);
  EXPECT_EQ(v, (std::vector<int>{0, 1, 3, 3, 7, 8, 9}));
  EXPECT_TRUE(Data::IsSorted(v, 7, CompareInts));
  EXPECT_TRUE(Data::BinarySearch(3, v, 7, CompareInts, index));
  EXPECT_EQ(index, 2) << "lower bound";
  EXPECT_FALSE(Data::BinarySearch(10, v, 7, CompareInts, index));
  EXPECT_EQ(index, 7);
  EXPECT_FALSE(Data::BinarySearch(4, v, 7, CompareInts, index));
  EXPECT_EQ(index, 4);
}

TEST(DynamicArray, GrowsZeroedAndStreams) {
  Data::TDynamicArray<u16> a;
  a.Add(5);
  a.SetCount(3);
  EXPECT_EQ(a[1], 0);
  a[2] = 0x0102;
  EXPECT_EQ(a.IndexOf(0x0102), 2);
  a.Delete(0);
  TMemoryStream s;
  a.Save(s);
  EXPECT_EQ(s.AsString(), std::string("list\x02\0\0\0\0\0\x02\x01", 12));
  Data::TDynamicArray<u16> b;
  s.SetPosition(0);
  b.Load(s);
  EXPECT_EQ(b.Count(), 2);
  EXPECT_EQ(b[1], 0x0102);
}

TEST(DynamicArray, DamagedStreamsAreInvalidData) {
  const std::string cases[] = {
      std::string("lisx\x01\0\0\0\0\0", 10),          // tag
      std::string("list\xFF\xFF\xFF\xFF", 8),         // negative count
      std::string("list\x00\x00\x00\x40\x01\x02", 10),  // count far beyond the data
  };
  for (const auto& bytes : cases) {
    Data::TDynamicArray<u32> a;
    TMemoryStream s(bytes);
    EXPECT_THROW(a.Load(s), Data::EInvalidData);
  }
}

TEST(DataList, OrderAfterLoadFollowsSortOnLoad) {
  Data::TDataList<TItem> list;
  list.ID = 4;
  for (u32 id : {7u, 3u, 5u}) list.Items.Add(new TItem(id));
  TMemoryStream s;
  list.Save(s);
  for (bool sort : {true, false}) {
    Data::TDataList<TItem> loaded(sort);
    s.SetPosition(0);
    loaded.Load(s);
    std::vector<u32> ids;
    for (TItem* item : loaded.Items) ids.push_back(item->ID);
    EXPECT_EQ(ids, sort ? (std::vector<u32>{3, 5, 7}) : (std::vector<u32>{7, 3, 5}));
  }
  Data::TDataList<TItem> empty;
  empty.ID = 1;
  TMemoryStream e;
  empty.Save(e);
  EXPECT_EQ(e.AsString(), std::string("\x01\0\0\0list\0\0\0\0", 12));
}

TEST(DataList, LookupsAndInsertion) {
  Data::TDataList<TItem> list;
  for (u32 id : {10u, 30u, 20u}) list.AddSorted(new TItem(id));
  EXPECT_EQ(list[1]->ID, 20u);
  EXPECT_EQ(list.FindByID(0), nullptr);
  EXPECT_EQ(list.FindByID(30)->ID, 30u);
  EXPECT_EQ(list.LookupByID(25), nullptr);
  try {
    list.FindByID(25);
    ADD_FAILURE();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Object with given ID not found (25).");
  }
  TItem dup(20);
  try {
    list.AddSorted(&dup);
    ADD_FAILURE();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Object with given ID is already in list (20).");
  }
  EXPECT_EQ(list.Count(), 3);

  list.ID = 500;
  Data::TDataList<TItem> copy;
  copy.ID = 600;
  copy.CopyFrom(&list);
  ASSERT_EQ(copy.Count(), 3);
  EXPECT_NE(copy[0], list[0]);
  EXPECT_EQ(copy[2]->ID, 30u);
  EXPECT_EQ(copy.ID, 600u) << "a copy keeps its own ID";
}

TEST(DataList, DamagedCountsAndFailingItems) {
  // Negative count: refused, list stays usable.
  Data::TDataList<TItem> list;
  TMemoryStream neg(std::string("\x01\0\0\0list\xFF\xFF\xFF\xFF", 12));
  EXPECT_THROW(list.Load(neg), Data::EInvalidData);
  EXPECT_EQ(list.Count(), 0);
  list.AddSorted(new TItem(1));
  EXPECT_EQ(list.Count(), 1);
  // Two items announced, the second one cut short: the first stays, the failed one goes.
  Data::TDataList<TNamedItem> named;
  named.Items.Add(new TNamedItem);
  TMemoryStream cut(std::string("\x01\0\0\0list\x02\0\0\0\x05\0\0\0\0\0\0\0\x06\0\0\0\x05\0\0\0ab", 30));
  TItem::Deleted = 0;
  EXPECT_THROW(named.Load(cut), Base::EStreamError);
  ASSERT_EQ(named.Count(), 1);
  EXPECT_EQ(named[0]->ID, 5u);
  EXPECT_EQ(TItem::Deleted, 2) << "the old item and the failed one";
}

TEST(ObjectList, OwningDeleteAndTakingOut) {
  TItem::Deleted = 0;
  TItem* kept = new TItem(1);
  {
    Data::TObjectList<TItem> list(true);
    list.Add(kept);
    list.Add(new TItem(2));
    list.Add(nullptr);
    list[0] = nullptr;
    list.Delete(0);
    EXPECT_EQ(TItem::Deleted, 0) << "a nulled entry is removed without deleting";
    list.Delete(1);
    EXPECT_EQ(list.Count(), 1);
  }
  EXPECT_EQ(TItem::Deleted, 1);
  delete kept;
}

TEST(Queue, RingHoldsOneLessThanItsSize) {
  Data::TQueue<short> q;
  q.SetCapacity(3);
  q.Push(1);
  q.Push(2);
  try {
    q.Push(3);
    ADD_FAILURE();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Queue overflow.");
  }
  EXPECT_EQ(q.Pop(), 1);
  q.Push(3);
  EXPECT_EQ(q.Pop(), 2);
  EXPECT_EQ(q.Pop(), 3);
  try {
    q.Pop();
    ADD_FAILURE();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Queue underflow.");
  }
}

// A new ring size keeps the queued elements in order, also when they wrap
// around the end of the old ring.
TEST(Queue, NewRingSizeKeepsTheQueue) {
  Data::TQueue<short> q;
  q.SetCapacity(4);
  for (short v : {1, 2, 3}) q.Push(v);
  EXPECT_EQ(q.Pop(), 1);
  EXPECT_EQ(q.Pop(), 2);
  q.Push(4);
  q.Push(5);  // 3, 4, 5 now wrap around
  q.SetCapacity(4);
  EXPECT_EQ(q.Head, 2) << "the same size changes nothing";
  try {
    q.SetCapacity(3);
    ADD_FAILURE();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Queue overflow.");
  }
  q.SetCapacity(6);
  q.Push(6);
  q.Push(7);
  for (short v : {3, 4, 5, 6, 7}) EXPECT_EQ(q.Pop(), v);
  EXPECT_TRUE(q.IsEmpty());
}

}  // namespace
