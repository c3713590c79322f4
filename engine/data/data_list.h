// A stored list of objects, kept sorted by ID for look-ups: its own ID,
// "list", a count, then each object's stream.
#pragma once

#include <stdexcept>

#include "engine/base/base.h"
#include "engine/data/data_object.h"
#include "engine/data/object_list.h"

namespace Data {

template <class T>
class TDataList : public TDataObject {
 public:
  explicit TDataList(bool sortOnLoad = false) : SortOnLoad(sortOnLoad) {}

  i32 Count() const { return Items.Count(); }
  T* operator[](i32 i) const { return Items[i]; }

  void Assign(const TDataObject* source) override {
    const auto* list = dynamic_cast<const TDataList<T>*>(source);
    if (!list) {
      TDataObject::Assign(source);
      return;
    }
    // The items only: the list keeps its own ID.
    Items.SetCapacity(list->Count());
    for (T* item : list->Items) {
      auto* copy = new T;
      try {
        copy->CopyFrom(item);
      } catch (...) {
        delete copy;
        throw;
      }
      Items.Add(copy);
    }
  }

  void Load(TStream& s) override {
    TDataObject::Load(s);
    ReadListTag(s);
    i32 count = ReadI32(s);
    // Every object starts with its 4-byte ID.
    CheckAvailable(s, count, 4);
    Items.SetCapacity(count);
    for (i32 i = 0; i < count; ++i) {
      auto* item = new T;
      try {
        item->Load(s);
      } catch (...) {
        delete item;
        throw;
      }
      Items.Add(item);
    }
    if (SortOnLoad) SortByID();
  }

  void Save(TStream& s) const override {
    TDataObject::Save(s);
    WriteListTag(s);
    WriteU32(s, static_cast<u32>(Count()));
    for (T* item : Items) item->Save(s);
  }

  void Clear() override { Items.Clear(); }

  static int CompareID(const T* a, const T* b) { return a->ID < b->ID ? -1 : (a->ID > b->ID ? 1 : 0); }
  static int CompareToID(const T* item, u32 id) { return item->ID < id ? -1 : (item->ID > id ? 1 : 0); }

  void SortByID() { Items.Sort(CompareID); }

  T* LookupByID(u32 id) const {
    if (id == 0) return nullptr;
    i32 index;
    return Items.Find(id, CompareToID, index) ? Items[index] : nullptr;
  }
  T* FindByID(u32 id) const {
    if (id == 0) return nullptr;
    T* item = LookupByID(id);
    if (!item) throw std::runtime_error(Base::Format("Object with given ID not found (%d).", static_cast<int>(id)));
    return item;
  }
  i32 FindInsertIndex(u32 id) const {
    i32 index;
    if (Items.Find(id, CompareToID, index))
      throw std::runtime_error(Base::Format("Object with given ID is already in list (%d).", static_cast<int>(id)));
    return index;
  }
  i32 AddSorted(T* item) {
    i32 index = FindInsertIndex(item->ID);
    Items.Insert(item, index);
    return index;
  }

  TObjectList<T> Items{true};
  bool SortOnLoad;
};

}  // namespace Data
