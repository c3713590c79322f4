// The data archives: a packed ".dat" file or a folder of loose files of the
// same name; loose files override and extend a packed archive.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/data/crypto_stream.h"
#include "engine/data/dynamic_array.h"

namespace Data {

// The data directory with a trailing separator; set by InitData.
extern std::string DataPath;

// Finds the data directory ("data.ini" beside the program).
void InitData();
bool IsRelativePath(const std::string& path);
bool DirectoryExists(const std::string& path);

// Names compare by bytes with a..z taken as A..Z.
int CompareNames(const char* a, const char* b);

class TArchive {
 public:
  struct TFileEntry {
    static constexpr i32 StreamSize = 40;
    static constexpr u32 Loose = 0xFFFFFFFF;
    u32 Offset;
    u32 Size;
    char Name[32];
    // In memory only: the loose file that serves this name (index into
    // LooseFiles), -1 for none.
    i32 LooseFile = -1;
    void Read(TStream& s);
    void Write(TStream& s) const;
  };

  enum : u8 { Automatic = 0, Directory = 1, Packed = 2 };

  // Raises "Archive '%s' not found." when neither form exists.
  explicit TArchive(const std::string& name, u8 type = Automatic);
  ~TArchive();

  // Reads the packed table and lists the loose files, once: later opens ask
  // the table, not the disk.
  void Load();
  // A new stream the caller owns; "File not found in archive." when absent.
  TCryptoStream* OpenFile(const std::string& fileName) const;
  TCryptoStream* OpenEntry(i32 index) const;
  std::string GetFileName(i32 index) const { return Entries[index].Name; }
  i32 Count() const { return Entries.Count(); }
  // " (archive "...", entry "...")": appended to the message of an error
  // raised while an entry is opened or read.
  std::string Where(const std::string& entry) const;

  std::string Name;
  std::string Path;
  u8 Type;
  TDynamicArray<TFileEntry> Entries;
  u32 DataOffset = 0;
  // Names of the loose files as the folder holds them.
  std::vector<std::string> LooseFiles;

 private:
  std::string LooseDir() const { return DataPath + Name + "\\"; }
  [[noreturn]] void RaiseNotFound(u8 askedType) const;
  TCryptoStream* OpenLoose(const std::string& name) const;

  // The packed file stays open while the archive lives; its entries share it and its key.
  std::shared_ptr<Plat::TFile> File;
  i64 FileLength = 0;
  std::shared_ptr<const TCipherKey> Key;
  std::string NativeLooseDir;
};

}  // namespace Data
