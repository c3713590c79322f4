#include "engine/gfx/sprite_list.h"

#include <memory>
#include <stdexcept>

#include "engine/base/base.h"
#include "engine/data/archive.h"

namespace Gfx {

namespace {

constexpr u32 Signature = 0x4C584647;  // "GFXL"
constexpr i32 MaxEntries = 65536;
// A sprite record holds at least its ID and the 36-byte header.
constexpr i32 MinRecordBytes = 40;

i32 ReadHeader(Data::TStream& stream) {
  u32 signature = Data::ReadU32(stream);
  i32 count = Data::ReadI32(stream);
  Data::CheckData(signature == Signature && count >= 0 && count <= MaxEntries);
  Data::CheckAvailable(stream, count, TSpriteEntry::StreamSize);
  return count;
}

}  // namespace

void TSpriteEntry::Read(Data::TStream& s) {
  ID = Data::ReadU32(s);
  Data::ReadU32(s);
  Data::ReadU32(s);
  Offset = Data::ReadU32(s);
  Data::ReadU32(s);
  Sprite = nullptr;
  RefCount = 0;
  Locked = 0;
}

void TSpriteEntry::Write(Data::TStream& s) const {
  Data::WriteU32(s, ID);
  Data::WriteU32(s, 0);
  Data::WriteU32(s, 0);
  Data::WriteU32(s, Offset);
  Data::WriteU32(s, 0);
}

TSpriteList::TSpriteList(u32 flags) : Flags(flags) {}

TSpriteList::~TSpriteList() { TSpriteList::Clear(); }

void TSpriteList::RaiseNotFound(u32 id) {
  throw std::runtime_error(Base::Format("Sprite with given ID not found (%d).", static_cast<int>(id)));
}

void TSpriteList::Assign(const Data::TDataObject* source) {
  const auto* list = dynamic_cast<const TSpriteList*>(source);
  if (!list) {
    TDataObject::Assign(source);
    return;
  }
  if (list == this) return;
  // Appends; the list keeps its own ID and order.
  Sprites.Items.SetCapacity(Sprites.Count() + list->Sprites.Count());
  for (TSprite* sprite : list->Sprites.Items) {
    auto copy = std::make_unique<TSprite>(SpriteFlags());
    copy->CopyFrom(sprite);
    // The sprite's own Assign leaves its ID alone; a copy without it could not be found.
    copy->ID = sprite->ID;
    Sprites.Items.Add(copy.release());
  }
}

void TSpriteList::Clear() {
  ClearIndex();
  delete Stream;
  Stream = nullptr;
  Sprites.Clear();
}

void TSpriteList::Load(Data::TStream& stream) {
  TDataObject::Load(stream);
  i32 count = ReadHeader(stream);
  // Plain mode reads the records in order; the entries are not needed.
  stream.Seek(static_cast<i64>(count) * TSpriteEntry::StreamSize, Data::soCurrent);
  Data::CheckAvailable(stream, count, MinRecordBytes);
  Sprites.Items.SetCapacity(count);
  for (i32 i = 0; i < count; ++i) {
    auto sprite = std::make_unique<TSprite>(SpriteFlags());
    sprite->Load(stream);
    Sprites.Items.Add(sprite.release());
  }
  Sprites.SortByID();
}

void TSpriteList::Save(Data::TStream& stream) const {
  TDataObject::Save(stream);
  Data::WriteU32(stream, Signature);
  Data::WriteI32(stream, Sprites.Count());
  const i64 entriesAt = stream.GetPosition();
  Data::TDynamicArray<TSpriteEntry> entries;
  entries.SetCount(Sprites.Count());
  // Room for the entries, written once the offsets are known.
  for (const TSpriteEntry& entry : entries) entry.Write(stream);
  for (i32 i = 0; i < Sprites.Count(); ++i) {
    // Offsets are positions in the stream the list is written to.
    i64 offset = stream.GetPosition();
    if (offset > 0xFFFFFFFF) throw Base::EWriteError();
    entries[i].ID = Sprites[i]->ID;
    entries[i].Offset = static_cast<u32>(offset);
    Sprites[i]->Save(stream);
  }
  const i64 end = stream.GetPosition();
  stream.SetPosition(entriesAt);
  for (const TSpriteEntry& entry : entries) entry.Write(stream);
  stream.SetPosition(end);
}

void TSpriteList::OpenIndex(Data::TStream* stream) {
  ClearIndex();
  if (Stream != stream) delete Stream;
  Stream = nullptr;
  try {
    ID = Data::ReadU32(*stream);
    i32 count = ReadHeader(*stream);
    Index.SetCount(count);
    for (TSpriteEntry& entry : Index) entry.Read(*stream);
  } catch (...) {
    ClearIndex();
    delete stream;
    throw;
  }
  Stream = stream;
}

void TSpriteList::OpenIndexFromArchive(Data::TArchive* archive, const std::string& fileName) {
  OpenIndex(archive->OpenFile(fileName));
}

i32 TSpriteList::IndexOfID(u32 id) const {
  for (i32 i = 0; i < Index.Count(); ++i)
    if (Index[i].ID == id) return i;
  return -1;
}

i32 TSpriteList::IndexOfSprite(const TSprite* sprite) const {
  if (!sprite) return -1;
  for (i32 i = 0; i < Index.Count(); ++i)
    if (Index[i].Sprite == sprite) return i;
  return -1;
}

TSprite* TSpriteList::AcquireEntry(i32 index) {
  TSpriteEntry& entry = Index[index];
  if (!entry.Sprite) {
    auto sprite = std::make_unique<TSprite>(SpriteFlags());
    Stream->SetPosition(entry.Offset);
    sprite->Load(*Stream);
    entry.Sprite = sprite.release();
  }
  ++entry.RefCount;
  return entry.Sprite;
}

void TSpriteList::ReleaseEntry(i32 index) {
  TSpriteEntry& entry = Index[index];
  if (!entry.Sprite) return;
  if (--entry.RefCount > 0) return;
  delete entry.Sprite;
  entry.Sprite = nullptr;
  entry.RefCount = 0;
  entry.Locked = 0;
}

void TSpriteList::ClearIndex() {
  for (TSpriteEntry& entry : Index) delete entry.Sprite;
  Index.Clear();
}

TSprite* TSpriteList::GetSprite(u32 id) {
  if (id == 0) return nullptr;
  i32 i = IndexOfID(id);
  if (i < 0) RaiseNotFound(id);
  return AcquireEntry(i);
}

TSprite* TSpriteList::FindSprite(u32 id) {
  if (id == 0) return nullptr;
  i32 i = IndexOfID(id);
  return i < 0 ? nullptr : AcquireEntry(i);
}

void TSpriteList::ReleaseSprite(TSprite*& sprite) {
  i32 i = IndexOfSprite(sprite);
  if (i >= 0) ReleaseEntry(i);
  sprite = nullptr;
}

void TSpriteList::LockSprite(u32 id) {
  if (id == 0) return;
  i32 i = IndexOfID(id);
  if (i < 0) RaiseNotFound(id);
  if (Index[i].Locked) return;
  AcquireEntry(i);
  Index[i].Locked = 1;
}

void TSpriteList::TryLockSprite(u32 id) {
  if (id != 0 && IndexOfID(id) >= 0) LockSprite(id);
}

void TSpriteList::LockAll() {
  for (i32 i = 0; i < Index.Count(); ++i)
    if (!Index[i].Locked) {
      AcquireEntry(i);
      Index[i].Locked = 1;
    }
}

TSprite* TSpriteList::FindLoadedSprite(u32 id) const {
  i32 i = id == 0 ? -1 : IndexOfID(id);
  return i < 0 ? nullptr : Index[i].Sprite;
}

TSprite* TSpriteList::GetLoadedSprite(u32 id) const {
  if (id == 0) return nullptr;
  i32 i = IndexOfID(id);
  if (i < 0) RaiseNotFound(id);
  return Index[i].Sprite;
}

void TSpriteList::ReloadEntry(i32 index) {
  TSpriteEntry& entry = Index[index];
  Stream->SetPosition(entry.Offset);
  entry.Sprite->Load(*Stream);
}

void TSpriteList::ReleaseDeviceObjects() {
  for (TSpriteEntry& entry : Index)
    if (entry.Sprite && (entry.Sprite->Flags & sfNoCpuCopy)) entry.Sprite->ReleaseDeviceObjects();
}

void TSpriteList::RecreateDeviceObjects() {
  for (i32 i = 0; i < Index.Count(); ++i) {
    TSprite* sprite = Index[i].Sprite;
    if (!sprite || !(sprite->Flags & sfNoCpuCopy)) continue;
    ReloadEntry(i);
    sprite->Upload(true);
  }
}

void TSpriteList::RestoreDeviceObjects() { RecreateDeviceObjects(); }

}  // namespace Gfx
