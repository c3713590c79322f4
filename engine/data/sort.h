// The sort and search helpers every list uses: an in-place quicksort (not
// stable) and a lower-bound binary search.
#pragma once

#include <utility>

#include "engine/base/types.h"

namespace Data {

// compare(a, b) < 0, == 0 or > 0. Works on any random-access sequence.
template <class Seq, class Compare>
void QuickSort(Seq& items, i32 lo, i32 hi, Compare compare) {
  while (lo < hi) {
    i32 i = lo, j = hi;
    auto pivot = items[(lo + hi) / 2];
    while (i <= j) {
      while (compare(items[i], pivot) < 0) ++i;
      while (compare(items[j], pivot) > 0) --j;
      if (i <= j) {
        std::swap(items[i], items[j]);
        ++i;
        --j;
      }
    }
    if (lo < j) QuickSort(items, lo, j, compare);
    lo = i;
  }
}

template <class Seq, class Compare>
void Sort(Seq& items, i32 count, Compare compare) {
  if (count < 1) return;
  QuickSort(items, 0, count - 1, compare);
}

// Index of the first item not less than key (count when none); true when
// that item compares equal to key. compare(item, key).
template <class Seq, class Key, class Compare>
bool BinarySearch(const Key& key, const Seq& items, i32 count, Compare compare, i32& index) {
  i32 lo = 0, hi = count - 1;
  while (lo <= hi) {
    i32 mid = (lo + hi) / 2;
    if (compare(items[mid], key) < 0)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  index = lo;
  return lo < count && compare(items[lo], key) == 0;
}

template <class Seq, class Compare>
bool IsSorted(const Seq& items, i32 count, Compare compare) {
  for (i32 i = 0; i + 1 < count; ++i)
    if (compare(items[i + 1], items[i]) < 0) return false;
  return true;
}

}  // namespace Data
