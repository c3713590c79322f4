// A list of object pointers that may own its objects. To take an object out
// without deleting it, null its entry first, then Delete.
#pragma once

#include <vector>

#include "engine/data/sort.h"

namespace Data {

template <class T>
class TObjectList {
 public:
  explicit TObjectList(bool ownsObjects = false) : OwnsObjects(ownsObjects) {}
  ~TObjectList() { Clear(); }
  TObjectList(const TObjectList&) = delete;
  TObjectList& operator=(const TObjectList&) = delete;
  TObjectList(TObjectList&& other) noexcept : Items(std::move(other.Items)), OwnsObjects(other.OwnsObjects) {
    other.Items.clear();
  }

  i32 Count() const { return static_cast<i32>(Items.size()); }
  i32 Capacity() const { return static_cast<i32>(Items.capacity()); }
  T*& operator[](i32 i) { return Items[static_cast<std::size_t>(i)]; }
  T* operator[](i32 i) const { return Items[static_cast<std::size_t>(i)]; }
  auto begin() { return Items.begin(); }
  auto end() { return Items.end(); }
  auto begin() const { return Items.begin(); }
  auto end() const { return Items.end(); }

  i32 Add(T* item) {
    Items.push_back(item);
    return Count() - 1;
  }
  void Insert(T* item, i32 index) { Items.insert(Items.begin() + index, item); }
  void SetCapacity(i32 n) {
    if (n > Count()) Items.reserve(static_cast<std::size_t>(n));
  }
  void Delete(i32 index) {
    if (OwnsObjects) {
      delete Items[static_cast<std::size_t>(index)];
      Items[static_cast<std::size_t>(index)] = nullptr;
    }
    Items.erase(Items.begin() + index);
  }
  void Remove(T* item) {
    i32 i = IndexOf(item);
    if (i >= 0) Delete(i);
  }
  void Clear() {
    if (OwnsObjects)
      for (T*& item : Items) {
        delete item;
        item = nullptr;
      }
    Items.clear();
    Items.shrink_to_fit();
  }
  i32 IndexOf(const T* item) const {
    for (i32 i = 0; i < Count(); ++i)
      if (Items[static_cast<std::size_t>(i)] == item) return i;
    return -1;
  }
  void Exchange(i32 i, i32 j) { std::swap(Items[static_cast<std::size_t>(i)], Items[static_cast<std::size_t>(j)]); }
  template <class Compare>
  void Sort(Compare compare) {
    Data::Sort(Items, Count(), compare);
  }
  template <class Key, class Compare>
  bool Find(const Key& key, Compare compare, i32& index) const {
    return BinarySearch(key, Items, Count(), compare, index);
  }

  bool OwnsObjects;

 private:
  std::vector<T*> Items;
};

}  // namespace Data
