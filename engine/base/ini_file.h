// Reading ini files with the rules of Windows profile files: sections and
// keys match without regard to case, values are trimmed, a value that is not
// a number gives the default.
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

 private:
  const std::string* Find(const std::string& section, const std::string& key) const;

  struct TEntry {
    std::string Section, Key, Value;
  };
  std::vector<TEntry> Entries;
};

}  // namespace Base
