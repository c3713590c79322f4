// Sprite archives ("GFXL"): loaded whole into a sorted list (plain mode), or
// opened as an index whose sprites are loaded on first request and shared by
// reference count (index mode).
#pragma once

#include <string>

#include "engine/data/data_list.h"
#include "engine/data/dynamic_array.h"
#include "engine/gfx/sprite.h"

namespace Data {
class TArchive;
}

namespace Gfx {

struct TSpriteEntry {
  static constexpr i32 StreamSize = 20;
  u32 ID;
  TSprite* Sprite;  // null while not loaded
  i32 RefCount;
  u32 Offset;  // of the sprite's record, from the list's start
  u8 Locked;   // holds one reference of its own for the list's lifetime

  // Only ID and offset are stored; the run-time fields are written as 0.
  void Read(Data::TStream& s);
  void Write(Data::TStream& s) const;
};

class TSpriteList : public Data::TDataObject {
 public:
  // Flags besides sfIndexMode go to every sprite the list makes.
  explicit TSpriteList(u32 flags = 0);
  ~TSpriteList() override;
  TSpriteList(const TSpriteList&) = delete;
  TSpriteList& operator=(const TSpriteList&) = delete;

  // Plain mode: appends deep copies of the source's sprites.
  void Assign(const Data::TDataObject* source) override;
  void Load(Data::TStream& stream) override;
  void Save(Data::TStream& stream) const override;
  // Empties the plain list and the index and closes the stream.
  void Clear() override;

  // Takes ownership of stream (not null), also when reading its entries fails.
  void OpenIndex(Data::TStream* stream);
  void OpenIndexFromArchive(Data::TArchive* archive, const std::string& fileName);

  // A new reference to the sprite, loading it when needed; null for ID 0.
  // An unknown ID raises "Sprite with given ID not found (%d).".
  TSprite* GetSprite(u32 id);
  // As GetSprite, but null for an unknown ID.
  TSprite* FindSprite(u32 id);
  // Gives back one reference (null and sprites of other lists give back
  // nothing); the caller's pointer is null afterwards in every case.
  void ReleaseSprite(TSprite*& sprite);
  // Keeps the sprite loaded for the list's lifetime.
  void LockSprite(u32 id);
  void TryLockSprite(u32 id);
  void LockAll();
  // The sprite if loaded; no loading, no reference.
  TSprite* FindLoadedSprite(u32 id) const;
  TSprite* GetLoadedSprite(u32 id) const;

  i32 IndexCount() const { return Index.Count(); }
  // First entry in file order with the ID; -1 when none.
  i32 IndexOfID(u32 id) const;
  i32 IndexOfSprite(const TSprite* sprite) const;
  TSprite* AcquireEntry(i32 index);
  void ReleaseEntry(i32 index);
  // Deletes every loaded sprite, whatever its references, and the entries.
  void ClearIndex();

  // Device loss: the loaded sprites that dropped their CPU copy release
  // their device objects, or are read again from the stream (same object)
  // and uploaded again. Sprites that kept their copy are in SpriteRegistry.
  void ReleaseDeviceObjects();
  void RecreateDeviceObjects();
  void RestoreDeviceObjects();
  void ReloadEntry(i32 index);

  u32 Flags;
  Data::TDataList<TSprite> Sprites{true};
  Data::TDynamicArray<TSpriteEntry> Index;
  Data::TStream* Stream = nullptr;  // owned

 private:
  u32 SpriteFlags() const { return Flags & ~sfIndexMode; }
  [[noreturn]] static void RaiseNotFound(u32 id);
};

}  // namespace Gfx
