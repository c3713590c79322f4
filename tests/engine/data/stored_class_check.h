// The check every stored class joins. Filled with non-default values in every
// stored field, an object saves other bytes than a new one; loaded into a new
// object and saved again, the bytes are the same; cleared, it saves as a new
// object does; and where the class copies, a copy saves the same bytes.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "engine/data/data_object.h"
#include "engine/data/stream.h"

namespace TestSupport {

struct TStoredClass {
  std::string Name;
  std::function<std::unique_ptr<Data::TDataObject>()> Make;
  std::function<void(Data::TDataObject&)> Fill = {};
  bool Copies = false;
  // Cities give their merchants new IDs when they save them cleared.
  bool ClearSavesAsNew = true;
  // Sets what Clear leaves by design to a new object's value.
  std::function<void(Data::TDataObject& cleared)> AfterClear = {};
  // Undoes what loading did outside the object (units now pointing at the copy).
  std::function<void(Data::TDataObject& filled)> AfterLoad = {};
};

inline std::string SavedBytes(const Data::TDataObject& object) {
  Data::TMemoryStream s;
  object.Save(s);
  return s.AsString();
}

inline void ExpectStoredClassRoundTrip(const TStoredClass& c) {
  SCOPED_TRACE(c.Name);
  std::unique_ptr<Data::TDataObject> filled = c.Make();
  c.Fill(*filled);
  const std::string bytes = SavedBytes(*filled);
  EXPECT_NE(bytes, SavedBytes(*c.Make())) << "filled, it saves as a new object";
  {
    std::unique_ptr<Data::TDataObject> loaded = c.Make();
    Data::TMemoryStream in(bytes);
    loaded->Load(in);
    EXPECT_EQ(in.Remaining(), 0) << "read to the end";
    EXPECT_EQ(SavedBytes(*loaded), bytes) << "saved again after loading";
  }
  if (c.AfterLoad) c.AfterLoad(*filled);
  if (c.Copies) {
    std::unique_ptr<Data::TDataObject> copy = c.Make();
    copy->CopyFrom(filled.get());
    copy->ID = filled->ID;
    EXPECT_EQ(SavedBytes(*copy), bytes) << "a copy";
  }
  if (c.ClearSavesAsNew) {
    filled->Clear();
    if (c.AfterClear) c.AfterClear(*filled);
    std::unique_ptr<Data::TDataObject> fresh = c.Make();
    fresh->ID = filled->ID;
    EXPECT_EQ(SavedBytes(*filled), SavedBytes(*fresh)) << "cleared";
  }
}

}  // namespace TestSupport
