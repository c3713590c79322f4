#include "engine/data/data_object.h"

#include <memory>
#include <stdexcept>

#include "engine/data/archive.h"

namespace Data {

void TDataObject::Assign(const TDataObject*) { throw std::runtime_error("Object doesn't support assignment."); }

void TDataObject::Load(TStream& stream) {
  Clear();
  ID = ReadU32(stream);
}

void TDataObject::Save(TStream& stream) const { WriteU32(stream, ID); }

void TDataObject::CopyFrom(const TDataObject* source) {
  if (source == this) return;
  Clear();
  Assign(source);
}

void TDataObject::LoadFromArchive(TArchive* archive, const std::string& fileName) {
  std::unique_ptr<TStream> stream(archive->OpenFile(fileName));
  try {
    Load(*stream);
  } catch (const Base::EStreamError&) {
    // The user learns which file of which archive is damaged.
    Base::RethrowStreamErrorWith(archive->Where(fileName));
  }
}

}  // namespace Data
