// Files and paths. Inside the system paths keep their Windows shape
// ("Bmp\", "Save\x.sav"); at the boundary they become native paths, each
// component found without regard to case, since the data was named on a
// case-blind system.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Plat {

constexpr std::uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
constexpr std::uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr std::uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;

// One entry found by a file search.
struct TFindData {
  std::uint32_t Attributes = 0;
  std::uint64_t Size = 0;
  std::int64_t WriteTime = 0;  // seconds since 1970
  std::string Name;            // file name only
};

// The native form of a path: Windows-1252 becomes UTF-8, backslashes become
// slashes, and an existing component that differs only in case replaces the
// one asked for. Components that do not exist are kept.
std::string NativePath(const std::string& path);
// A path as a message shows it to the user: its native form, in Windows-1252.
std::string DisplayPath(const std::string& path);
// The system's text for an error number, in Windows-1252.
std::string SystemErrorText(int code);

// An open file, read and written at explicit positions, so that several
// streams over one file share it without seeking.
class TFile {
 public:
  enum class TMode { Read, ReadWrite, Create };

  // Null when the file cannot be opened; error then says why. Open takes a
  // path of the system, OpenNative one that NativePath already gave.
  static std::shared_ptr<TFile> Open(const std::string& path, TMode mode, std::string& error);
  static std::shared_ptr<TFile> OpenNative(const std::string& nativePath, TMode mode, std::string& error);
  ~TFile();
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;

  // Bytes transferred; fewer at the end of the file or on an error.
  std::int64_t ReadAt(std::int64_t position, void* buffer, std::int64_t count);
  std::int64_t WriteAt(std::int64_t position, const void* buffer, std::int64_t count);
  // -1 when unknown.
  std::int64_t Length();
  bool SetLength(std::int64_t length);
  // Puts what was written on the disk; false when that failed.
  bool Flush();

 private:
  explicit TFile(int handle) : Handle(handle) {}
  int Handle;
};

// Tests: file writes fail once that many more bytes were written, as on a
// full disk; a negative count switches the fault off.
void SetWriteFaultAfter(std::int64_t bytes);

// A file written under a temporary name beside its own and put in its place
// only once it is complete, so that a failure, a crash or a kill while it is
// written leaves the old file as it was.
class TReplacementFile {
 public:
  // Null when the temporary file cannot be made; error then says why.
  static std::unique_ptr<TReplacementFile> Create(const std::string& path, std::string& error);
  // Removes the temporary file unless it was committed.
  ~TReplacementFile();
  TReplacementFile(const TReplacementFile&) = delete;
  TReplacementFile& operator=(const TReplacementFile&) = delete;

  const std::shared_ptr<TFile>& File() const { return Temporary; }
  // Flushes the temporary file and renames it over the file; false (with
  // error) when either fails, and the old file stays.
  bool Commit(std::string& error);

 private:
  TReplacementFile(std::string nativePath, std::string temporaryPath, std::shared_ptr<TFile> file)
      : NativeTarget(std::move(nativePath)), NativeTemporary(std::move(temporaryPath)), Temporary(std::move(file)) {}
  std::string NativeTarget;
  std::string NativeTemporary;
  std::shared_ptr<TFile> Temporary;
  bool Committed = false;
};

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Removes a file; false when it could not be removed.
bool DeleteFile(const std::string& path);
// Creates the directory and its missing parents; true when it exists afterwards.
bool CreateDirectories(const std::string& path);
// As above; when it does not exist afterwards, error says why.
bool CreateDirectories(const std::string& path, std::string& error);

// Windows-style wildcard match ('*', '?'), without regard to case; "*.*"
// also matches names without a dot.
bool WildcardMatch(const std::string& mask, const std::string& name);

// Entries of the directory part of mask whose names match its last component;
// directories included (with their attribute). Names are Windows-1252,
// sorted.
std::vector<TFindData> FindFiles(const std::string& mask);

// Full path of the running program (Windows-1252); tests may override it.
std::string ProgramPath();
void SetProgramPathOverride(const std::string& path);

}  // namespace Plat
