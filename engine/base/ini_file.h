// Ini files with the rules of Windows profile files: sections and keys match
// without regard to case, values are trimmed, a value that is not a number
// gives the default, a bool is an integer other than 0 and is written as 1
// or 0. Writing keeps every other line of the file.
#pragma once

#include <string>
#include <vector>

#include "engine/base/types.h"

namespace Base {

class TIniFile {
 public:
  // A missing or unreadable file reads as empty.
  explicit TIniFile(const std::string& fileName);

  std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
  i32 ReadInteger(const std::string& section, const std::string& key, i32 defaultValue) const;
  bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;
  bool ValueExists(const std::string& section, const std::string& key) const;

  // Changes the value, or adds the key (and its section) at the section's end.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, i32 value);
  void WriteBool(const std::string& section, const std::string& key, bool value);
  // Writes the file with CRLF line ends to a temporary file beside it, which
  // replaces the old one only when complete; raises a stream error when it
  // cannot.
  void UpdateFile() const;

  const std::string FileName;

 private:
  struct TEntry {
    std::string Section, Key, Value;
    std::size_t Line;  // index in Lines
  };
  const TEntry* Find(const std::string& section, const std::string& key) const;

  std::vector<std::string> Lines;
  std::vector<TEntry> Entries;
  // Where each section's header stands, in file order.
  std::vector<std::pair<std::string, std::size_t>> Sections;
};

}  // namespace Base
