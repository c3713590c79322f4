// The base of every stored object: an ID and the stream operations.
#pragma once

#include <string>

#include "engine/base/types.h"
#include "engine/data/stream.h"

namespace Data {

class TArchive;

class TDataObject {
 public:
  TDataObject() = default;
  virtual ~TDataObject() = default;
  // Copies source's fields; the base refuses ("Object doesn't support assignment.").
  virtual void Assign(const TDataObject* source);
  // Clears the object, then reads it; an override reads the inherited part first.
  virtual void Load(TStream& stream);
  virtual void Save(TStream& stream) const;
  virtual void Clear() {}

  // Clear, then Assign; copying an object into itself does nothing.
  void CopyFrom(const TDataObject* source);
  // Loads the object from a file of the archive.
  void LoadFromArchive(TArchive* archive, const std::string& fileName);

  u32 ID = 0;

 protected:
  TDataObject(const TDataObject&) = default;
  TDataObject& operator=(const TDataObject&) = default;
};

}  // namespace Data
