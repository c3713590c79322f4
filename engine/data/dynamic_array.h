// A growable array of plain records, stored as "list", an i32 count and the
// records field by field.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstring>
#include <type_traits>
#include <vector>

#include "engine/data/sort.h"
#include "engine/data/stream.h"

namespace Data {

// A record type streams itself field by field and states its stored size.
template <class T>
concept StreamRecord = requires(T t, const T ct, TStream& s) {
  { T::StreamSize } -> std::convertible_to<i32>;
  t.Read(s);
  ct.Write(s);
};

template <class T>
struct TRecordIO {
  static constexpr i32 StreamSize = sizeof(T);
  static void Read(TStream& s, T& v) { v = ReadValue<T>(s); }
  static void Write(TStream& s, const T& v) { WriteValue(s, v); }
};

template <StreamRecord T>
struct TRecordIO<T> {
  static constexpr i32 StreamSize = T::StreamSize;
  static void Read(TStream& s, T& v) { v.Read(s); }
  static void Write(TStream& s, const T& v) { v.Write(s); }
};

template <class T>
int DefaultCompare(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

template <class T>
class TDynamicArray {
  static_assert(std::is_trivially_copyable_v<T>, "plain records only");

 public:
  i32 Count() const { return static_cast<i32>(Items.size()); }
  T* Data() { return Items.data(); }
  const T* Data() const { return Items.data(); }
  T& operator[](i32 i) { return Items[static_cast<std::size_t>(i)]; }
  const T& operator[](i32 i) const { return Items[static_cast<std::size_t>(i)]; }
  auto begin() { return Items.begin(); }
  auto end() { return Items.end(); }
  auto begin() const { return Items.begin(); }
  auto end() const { return Items.end(); }

  // New elements are zero bytes.
  void SetCount(i32 n) {
    if (n == Count()) return;
    std::size_t old = Items.size();
    Items.resize(static_cast<std::size_t>(std::max(n, 0)));
    if (Items.size() > old) std::memset(static_cast<void*>(Items.data() + old), 0, (Items.size() - old) * sizeof(T));
  }
  void Add(const T& item) { Items.push_back(item); }
  void Insert(const T& item, i32 index) { Items.insert(Items.begin() + index, item); }
  void Delete(i32 index) { Items.erase(Items.begin() + index); }
  void Clear() {
    Items.clear();
    Items.shrink_to_fit();
  }
  // Appends all of other's elements in order and leaves other empty.
  void TakeAll(TDynamicArray& other) {
    Items.insert(Items.end(), other.Items.begin(), other.Items.end());
    other.Clear();
  }
  i32 IndexOf(const T& item) const {
    for (i32 i = 0; i < Count(); ++i)
      if (Items[static_cast<std::size_t>(i)] == item) return i;
    return -1;
  }
  template <class Compare = int (*)(const T&, const T&)>
  void Sort(Compare compare = DefaultCompare<T>) {
    Data::Sort(Items, Count(), compare);
  }
  template <class Key, class Compare>
  bool Find(const Key& key, Compare compare, i32& index) const {
    return BinarySearch(key, Items, Count(), compare, index);
  }

  void Load(TStream& s) {
    ReadListTag(s);
    i32 count = ReadI32(s);
    CheckAvailable(s, count, TRecordIO<T>::StreamSize);
    Clear();
    SetCount(count);
    for (T& item : Items) TRecordIO<T>::Read(s, item);
  }
  void Save(TStream& s) const {
    WriteListTag(s);
    WriteI32(s, Count());
    for (const T& item : Items) TRecordIO<T>::Write(s, item);
  }

 protected:
  std::vector<T> Items;
};

// A ring buffer over the array; it holds at most ring size - 1 elements.
template <class T>
class TQueue : public TDynamicArray<T> {
 public:
  // A new ring size; the queued elements stay, in order. A ring too small
  // for them raises "Queue overflow." and leaves the queue as it was.
  void SetCapacity(i32 n);
  bool IsFull() const { return this->Count() == 0 || (Tail + 1) % this->Count() == Head; }
  bool IsEmpty() const { return Head == Tail; }
  void Push(const T& item);
  T& Pop();
  void Reset() { Head = Tail = 0; }

  i32 Head = 0;
  i32 Tail = 0;
};

}  // namespace Data

#include <stdexcept>

namespace Data {

template <class T>
void TQueue<T>::SetCapacity(i32 n) {
  if (n == this->Count()) return;
  std::vector<T> queued;
  for (i32 i = Head; i != Tail; i = (i + 1) % this->Count()) queued.push_back((*this)[i]);
  if (!queued.empty() && static_cast<i32>(queued.size()) > n - 1) throw std::runtime_error("Queue overflow.");
  this->SetCount(n);
  std::copy(queued.begin(), queued.end(), this->Items.begin());
  Head = 0;
  Tail = static_cast<i32>(queued.size());
}

template <class T>
void TQueue<T>::Push(const T& item) {
  if (IsFull()) throw std::runtime_error("Queue overflow.");
  (*this)[Tail] = item;
  Tail = (Tail + 1) % this->Count();
}

template <class T>
T& TQueue<T>::Pop() {
  if (IsEmpty()) throw std::runtime_error("Queue underflow.");
  T& item = (*this)[Head];
  Head = (Head + 1) % this->Count();
  return item;
}

}  // namespace Data
