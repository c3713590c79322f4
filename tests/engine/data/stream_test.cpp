#include "engine/data/stream.h"

#include <gtest/gtest.h>

#include "engine/data/data_object.h"

namespace {

using Data::TMemoryStream;

struct TNamed : Data::TDataObject {
  std::string Name;
  i32 Value = 0;
  void Assign(const TDataObject* source) override {
    auto* s = static_cast<const TNamed*>(source);
    ID = s->ID;
    Name = s->Name;
    Value = s->Value;
  }
  void Load(Data::TStream& s) override {
    TDataObject::Load(s);
    Data::ReadString(s, Name);
    Value = Data::ReadI32(s);
  }
  void Save(Data::TStream& s) const override {
    TDataObject::Save(s);
    Data::WriteString(s, Name);
    Data::WriteI32(s, Value);
  }
  void Clear() override {
    Name.clear();
    Value = 0;
  }
};

TEST(DataObject, BareObjectIsItsIdLittleEndian) {
  Data::TDataObject o;
  o.ID = 258;
  TMemoryStream s;
  o.Save(s);
  EXPECT_EQ(s.AsString(), std::string("\x02\x01\x00\x00", 4));
}

TEST(DataObject, LoadClearsFirstAndRoundTrips) {
  TNamed a;
  a.ID = 9;
  a.Name = "Stadt";
  a.Value = -5;
  TMemoryStream s;
  a.Save(s);
  TNamed b;
  b.Name = "old";
  b.Value = 77;
  s.SetPosition(0);
  b.Load(s);
  EXPECT_EQ(b.ID, 9u);
  EXPECT_EQ(b.Name, "Stadt");
  EXPECT_EQ(b.Value, -5);

  // A truncated stream fails after clearing: nothing of before survives.
  TMemoryStream cut(s.AsString().substr(0, 10));
  EXPECT_THROW(b.Load(cut), Base::EStreamError);
  EXPECT_EQ(b.Value, 0);
}

TEST(DataObject, CopyFromSelfAndUnsupportedAssign) {
  TNamed a;
  a.Name = "x";
  a.CopyFrom(&a);
  EXPECT_EQ(a.Name, "x");
  Data::TDataObject plain;
  try {
    plain.CopyFrom(&a);
    ADD_FAILURE();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Object doesn't support assignment.");
  }
}

TEST(Strings, EncodingAndRefusals) {
  TMemoryStream s;
  Data::WriteString(s, "");
  Data::WriteString(s, "Gr\xFC\xDF");
  EXPECT_EQ(s.AsString(), std::string("\0\0\0\0\x04\0\0\0Gr\xFC\xDF", 12));
  s.SetPosition(0);
  EXPECT_EQ(Data::ReadString(s), "");
  EXPECT_EQ(Data::ReadString(s), "Gr\xFC\xDF");

  TMemoryStream zero(std::string("\x03\0\0\0A\0B", 7));
  EXPECT_THROW(Data::ReadString(zero), Data::EInvalidData);
  // A count beyond the data raises the read error of the stream that ends,
  // before anything is allocated.
  TMemoryStream huge(std::string("\xFF\xFF\xFF\x7F" "abc", 7));
  EXPECT_THROW(Data::ReadString(huge), Base::EReadError);
}

TEST(Values, FixedWidthLittleEndian) {
  TMemoryStream s;
  Data::WriteI16(s, -2);
  Data::WriteU32(s, 0x01020304);
  Data::WriteU64(s, 0x1122334455667788ull);
  Data::WriteValue<f32>(s, 1.5f);
  EXPECT_EQ(s.AsString().substr(0, 6), std::string("\xFE\xFF\x04\x03\x02\x01", 6));
  s.SetPosition(0);
  EXPECT_EQ(Data::ReadI16(s), -2);
  EXPECT_EQ(Data::ReadU32(s), 0x01020304u);
  EXPECT_EQ(Data::ReadU64(s), 0x1122334455667788ull);
  EXPECT_EQ(Data::ReadValue<f32>(s), 1.5f);
  EXPECT_THROW(Data::ReadU8(s), Base::EReadError);
}

}  // namespace
