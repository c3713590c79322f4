// Input: a binary object stream, read by the list and array readers.
#include <string>

#include "engine/data/data_list.h"
#include "engine/data/dynamic_array.h"

namespace {

struct TItem : Data::TDataObject {
  std::string Name;
  Data::TDynamicArray<u16> Values;
  void Load(Data::TStream& s) override {
    TDataObject::Load(s);
    Data::ReadString(s, Name);
    Values.Load(s);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    Data::TMemoryStream s(bytes);
    Data::TDataList<TItem> list(true);
    list.Load(s);
    list.FindByID(1);
  } catch (const std::runtime_error&) {
  }
  return 0;
}
