// Files and paths. Inside the system paths keep their Windows shape
// ("Bmp\", "Save\x.sav"); at the boundary they become native paths, each
// component found without regard to case, since the data was named on a
// case-blind system.
#pragma once

#include <cstdint>
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

// Backslashes become slashes; an existing component that differs only in
// case replaces the one asked for. Components that do not exist are kept.
std::string NativePath(const std::string& path);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Creates the directory and its missing parents; true when it exists afterwards.
bool CreateDirectories(const std::string& path);

// Windows-style wildcard match ('*', '?'), without regard to case; "*.*"
// also matches names without a dot.
bool WildcardMatch(const std::string& mask, const std::string& name);

// Entries of the directory part of mask whose names match its last component;
// directories included (with their attribute). Sorted by name.
std::vector<TFindData> FindFiles(const std::string& mask);

// Full path of the running program; tests may override it.
std::string ProgramPath();
void SetProgramPathOverride(const std::string& path);

}  // namespace Plat
