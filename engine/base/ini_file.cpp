#include "engine/base/ini_file.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "engine/base/base.h"
#include "engine/base/errors.h"
#include "engine/platform/system/files.h"
#include "engine/platform/system/text.h"

namespace Base {

namespace {

std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

}  // namespace

TIniFile::TIniFile(const std::string& fileName) : FileName(fileName) {
  std::ifstream f(Plat::NativePath(fileName), std::ios::binary);
  if (!f) return;
  std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  std::string section;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    Lines.push_back(text.substr(pos, end - pos));
    // A CRLF pair ends one line.
    pos = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    std::string line = Trim(Lines.back());
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      std::size_t close = line.find(']');
      section = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      Sections.emplace_back(section, Lines.size() - 1);
      continue;
    }
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string value = Trim(line.substr(eq + 1));
    // Profile files drop one pair of surrounding quotes.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    Entries.push_back({section, Trim(line.substr(0, eq)), value, Lines.size() - 1});
  }
}

const TIniFile::TEntry* TIniFile::Find(const std::string& section, const std::string& key) const {
  for (const auto& e : Entries)
    if (Plat::EqualNoCase(e.Section, section) && Plat::EqualNoCase(e.Key, key)) return &e;
  return nullptr;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
  return Find(section, key) != nullptr;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
  const TEntry* e = Find(section, key);
  return e ? e->Value : defaultValue;
}

i32 TIniFile::ReadInteger(const std::string& section, const std::string& key, i32 defaultValue) const {
  const TEntry* e = Find(section, key);
  if (!e || e->Value.empty()) return defaultValue;
  const std::string& v = e->Value;
  const char* begin = v.c_str();
  char* end = nullptr;
  errno = 0;
  long long n = (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) ? std::strtoll(begin + 2, &end, 16)
                                                                             : std::strtoll(begin, &end, 10);
  if (*end != 0 || errno != 0 || n < INT32_MIN || n > INT32_MAX) return defaultValue;
  return static_cast<i32>(n);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  for (TEntry& e : Entries)
    if (Plat::EqualNoCase(e.Section, section) && Plat::EqualNoCase(e.Key, key)) {
      e.Value = value;
      Lines[e.Line] = e.Key + "=" + value;
      return;
    }
  // After the section's last entry, or after its header; a new section at the end.
  std::size_t at = Lines.size();
  bool found = false;
  for (const auto& [name, line] : Sections)
    if (Plat::EqualNoCase(name, section)) {
      at = line + 1;
      found = true;
      break;
    }
  if (found) {
    for (const TEntry& e : Entries)
      if (Plat::EqualNoCase(e.Section, section) && e.Line >= at) at = e.Line + 1;
  } else {
    Lines.push_back("[" + section + "]");
    Sections.emplace_back(section, Lines.size() - 1);
    at = Lines.size();
  }
  Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(at), key + "=" + value);
  for (TEntry& e : Entries)
    if (e.Line >= at) ++e.Line;
  for (auto& s : Sections)
    if (s.second >= at) ++s.second;
  Entries.push_back({section, key, value, at});
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, i32 value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TIniFile::UpdateFile() const {
  std::string text;
  for (const std::string& line : Lines) text += line + "\r\n";
  std::string error;
  auto out = Plat::TReplacementFile::Create(FileName, error);
  if (out) {
    const auto size = static_cast<std::int64_t>(text.size());
    if (out->File()->WriteAt(0, text.data(), size) == size) {
      if (out->Commit(error)) return;
    } else {
      error = "Stream write error.";
    }
  }
  throw EStreamError(Format("Cannot write file \"%s\". %s", FileName.c_str(), error.c_str()));
}

}  // namespace Base
