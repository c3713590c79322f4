#include "engine/data/archive.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

#include "engine/base/base.h"
#include "engine/base/ini_file.h"
#include "engine/platform/system/files.h"
#include "engine/platform/system/text.h"

namespace Data {

std::string DataPath;

bool IsRelativePath(const std::string& path) {
  // A leading slash is absolute here as well as a backslash or a drive.
  if (!path.empty() && (path[0] == '\\' || path[0] == '/')) return false;
  return !(path.size() >= 2 && path[1] == ':');
}

bool DirectoryExists(const std::string& path) { return Plat::DirectoryExists(path); }

void InitData() {
  std::string ini = Base::AppDir + "data.ini";
  if (Plat::FileExists(ini)) {
    DataPath = Base::TIniFile(ini).ReadString("Main", "DataPath", Base::AppDir);
    Base::AddTrailingBackslash(DataPath);
    if (IsRelativePath(DataPath)) DataPath = Base::AppDir + DataPath;
  } else {
    DataPath = Base::AppDir;
  }
  // The cipher table is a constant of the program: nothing to build here.
}

int CompareNames(const char* a, const char* b) {
  for (;; ++a, ++b) {
    auto ca = static_cast<unsigned char>(*a), cb = static_cast<unsigned char>(*b);
    if (ca >= 'a' && ca <= 'z') ca = static_cast<unsigned char>(ca - 32);
    if (cb >= 'a' && cb <= 'z') cb = static_cast<unsigned char>(cb - 32);
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
}

void TArchive::TFileEntry::Read(TStream& s) {
  Offset = ReadU32(s);
  Size = ReadU32(s);
  ReadChars(s, Name, sizeof Name);
  LooseFile = -1;
}

void TArchive::TFileEntry::Write(TStream& s) const {
  WriteU32(s, Offset);
  WriteU32(s, Size);
  WriteChars(s, Name, sizeof Name);
}

TArchive::TArchive(const std::string& name, u8 type) : Name(name), Type(type) {
  if (Type == Automatic) {
    if (Plat::FileExists(DataPath + name + ".dat"))
      Type = Packed;
    else if (DirectoryExists(DataPath + name))
      Type = Directory;
    else
      Type = Packed;
  }
  if (Type == Packed) {
    Path = DataPath + name + ".dat";
    if (!Plat::FileExists(Path)) RaiseNotFound(type);
  } else {
    Path = DataPath + name + "\\";
    if (!DirectoryExists(Path)) RaiseNotFound(type);
  }
  Load();
}

void TArchive::RaiseNotFound(u8 askedType) const {
  // The message names the archive; standard error tells where it was looked for.
  std::string searched;
  if (askedType != Directory) searched += Plat::Utf8ToCp1252(Plat::NativePath(DataPath + Name + ".dat"));
  if (askedType != Packed) {
    if (!searched.empty()) searched += " and ";
    searched += Plat::Utf8ToCp1252(Plat::NativePath(DataPath + Name + "\\"));
  }
  Plat::WriteErrorLine(Base::Format("Archive '%s' not found; searched %s", Name.c_str(), searched.c_str()));
  throw Base::EStreamError(Base::Format("Archive '%s' not found.", Name.c_str()));
}

TArchive::~TArchive() = default;

namespace {

int CompareEntries(const TArchive::TFileEntry& a, const TArchive::TFileEntry& b) { return CompareNames(a.Name, b.Name); }
int CompareEntryToName(const TArchive::TFileEntry& a, const char* name) { return CompareNames(a.Name, name); }

}  // namespace

void TArchive::Load() {
  Entries.Clear();
  LooseFiles.clear();
  DataOffset = 0;
  File.reset();
  if (Type == Packed) {
    TCryptoStream stream(Path, fmOpenRead | fmShareDenyWrite);
    char signature[4];
    stream.ReadBuffer(signature, 4);
    CheckData(std::memcmp(signature, "DATA", 4) == 0);
    u32 count = ReadU32(stream);
    u8 unused[8];
    stream.ReadBuffer(unused, 8);
    CheckAvailable(stream, count, TFileEntry::StreamSize);
    Entries.SetCount(static_cast<i32>(count));
    for (TFileEntry& e : Entries) e.Read(stream);
    DataOffset = static_cast<u32>(stream.GetPosition());
    for (const TFileEntry& e : Entries) CheckData(Base::IsTerminated(e.Name, sizeof e.Name));
    Entries.Sort(CompareEntries);
    Key = stream.SharedKey();
    File = stream.SharedFile();
    FileLength = stream.Size;
  }
  NativeLooseDir = Plat::NativePath(LooseDir());
  // Loose files in name order; of names that compare equal the first counts.
  std::vector<TFileEntry> loose;
  for (const Plat::TFindData& fd : Plat::FindFiles(LooseDir() + "*.*")) {
    if (fd.Attributes & Plat::FILE_ATTRIBUTE_DIRECTORY) continue;
    TFileEntry e{TFileEntry::Loose, TFileEntry::Loose, {}, static_cast<i32>(LooseFiles.size())};
    Base::SafeStrCopy(e.Name, fd.Name.c_str(), sizeof e.Name);
    LooseFiles.push_back(fd.Name);
    loose.push_back(e);
  }
  std::stable_sort(loose.begin(), loose.end(),
                   [](const TFileEntry& a, const TFileEntry& b) { return CompareNames(a.Name, b.Name) < 0; });
  const i32 packed = Entries.Count();
  for (std::size_t i = 0; i < loose.size(); ++i) {
    if (i > 0 && CompareNames(loose[i - 1].Name, loose[i].Name) == 0) continue;
    i32 index;
    if (BinarySearch(static_cast<const char*>(loose[i].Name), Entries, packed, CompareEntryToName, index))
      Entries[index].LooseFile = loose[i].LooseFile;
    else
      Entries.Add(loose[i]);
  }
  Entries.Sort(CompareEntries);
}

TCryptoStream* TArchive::OpenLoose(const std::string& name) const {
  std::string error;
  std::shared_ptr<Plat::TFile> file =
      Plat::TFile::OpenNative(NativeLooseDir + Plat::Cp1252ToUtf8(name), Plat::TFile::TMode::Read, error);
  const std::string fileName = LooseDir() + name;
  if (!file)
    throw Base::EFOpenError(
        Base::Format("Cannot open file \"%s\". %s", Plat::DisplayPath(fileName).c_str(), error.c_str()));
  i64 length = std::clamp<i64>(file->Length(), 0, INT32_MAX);
  return new TCryptoStream(std::move(file), length, std::make_shared<TCipherKey>(fileName), fileName, 0,
                           static_cast<i32>(length));
}

TCryptoStream* TArchive::OpenFile(const std::string& fileName) const {
  char key[32];
  Base::SafeStrCopy(key, fileName.c_str(), sizeof key);
  i32 index;
  if (Entries.Find(static_cast<const char*>(key), CompareEntryToName, index)) {
    const TFileEntry& e = Entries[index];
    const std::string* loose = e.LooseFile >= 0 ? &LooseFiles[static_cast<std::size_t>(e.LooseFile)] : nullptr;
    if (loose && Plat::EqualNoCase(*loose, fileName)) return OpenLoose(*loose);
    if (Type == Packed) return OpenEntry(index);
  }
  // A folder archive asks the disk for names its table lacks.
  if (Type == Directory) return new TCryptoStream(Path + fileName, fmOpenRead | fmShareDenyWrite);
  throw Base::EFOpenError("File not found in archive.");
}

TCryptoStream* TArchive::OpenEntry(i32 index) const {
  const TFileEntry& e = Entries[index];
  // The sums wrap as 32-bit values: a loose mark reads as size -1 and is refused.
  const i32 offset = static_cast<i32>(DataOffset + e.Offset), size = static_cast<i32>(e.Size);
  try {
    if (!File) return new TCryptoStream(Path, offset, size);
    return new TCryptoStream(File, FileLength, Key, Path, offset, size);
  } catch (const Base::EStreamError&) {
    Base::RethrowStreamErrorWith(Where(e.Name));
  }
}

std::string TArchive::Where(const std::string& entry) const {
  return Base::Format(" (archive \"%s\", entry \"%s\")", Plat::DisplayPath(Path).c_str(), entry.c_str());
}

}  // namespace Data
