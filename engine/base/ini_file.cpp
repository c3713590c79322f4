#include "engine/base/ini_file.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "engine/platform/files.h"
#include "engine/platform/text.h"

namespace Base {

namespace {

std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

}  // namespace

TIniFile::TIniFile(const std::string& fileName) {
  std::ifstream f(Plat::NativePath(fileName), std::ios::binary);
  if (!f) return;
  std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  std::string section;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    std::string line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      std::size_t close = line.find(']');
      section = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      continue;
    }
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string value = Trim(line.substr(eq + 1));
    // Profile files drop one pair of surrounding quotes.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    Entries.push_back({section, Trim(line.substr(0, eq)), value});
  }
}

const std::string* TIniFile::Find(const std::string& section, const std::string& key) const {
  for (const auto& e : Entries)
    if (Plat::EqualNoCase(e.Section, section) && Plat::EqualNoCase(e.Key, key)) return &e.Value;
  return nullptr;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
  return Find(section, key) != nullptr;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
  const std::string* v = Find(section, key);
  return v ? *v : defaultValue;
}

i32 TIniFile::ReadInteger(const std::string& section, const std::string& key, i32 defaultValue) const {
  const std::string* v = Find(section, key);
  if (!v || v->empty()) return defaultValue;
  const char* begin = v->c_str();
  char* end = nullptr;
  errno = 0;
  long long n = (v->size() > 2 && (*v)[0] == '0' && ((*v)[1] == 'x' || (*v)[1] == 'X'))
                    ? std::strtoll(begin + 2, &end, 16)
                    : std::strtoll(begin, &end, 10);
  if (*end != 0 || errno != 0 || n < INT32_MIN || n > INT32_MAX) return defaultValue;
  return static_cast<i32>(n);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

}  // namespace Base
