#include "engine/base/base.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include "engine/base/errors.h"

namespace Base {

namespace {

std::string DirectoryOf(const std::string& path) {
  std::size_t i = path.size();
  while (i > 0 && !IsPathSeparator(path[i - 1])) --i;
  return path.substr(0, i);
}

// Module start-up: the program's path, and the run-time generator seeded from
// the time (it serves only picture and sound).
struct TModuleStart {
  TModuleStart() {
    AppPath = Plat::ProgramPath();
    AppDir = DirectoryOf(AppPath);
    std::srand(static_cast<unsigned>(std::time(nullptr)));
  }
};

}  // namespace

std::string AppPath;
std::string AppDir;
static TModuleStart moduleStart;

void SafeStrCopy(char* dest, const char* src, u32 size) {
  if (size == 0) return;
  std::strncpy(dest, src, size - 1);
  dest[size - 1] = 0;
}

void SafeFormatV(char* buffer, u32 size, const char* format, va_list args) {
  if (size == 0) return;
  std::vsnprintf(buffer, size, format, args);
  buffer[size - 1] = 0;
}

void SafeFormat(char* buffer, u32 size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  SafeFormatV(buffer, size, format, args);
  va_end(args);
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(out.data(), out.size() + 1, format, args);
  va_end(args);
  return out;
}

bool IsPathSeparator(char c) { return c == '\\' || c == ':' || c == '/'; }

std::string FileNameWithoutExt(const std::string& path) {
  std::size_t start = path.size();
  while (start > 0 && !IsPathSeparator(path[start - 1])) --start;
  std::string name = path.substr(start);
  std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

void AddTrailingBackslash(std::string& path) {
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
}

int ForEachFile(const std::string& mask, TFileCallback callback, void* user) {
  if (mask.size() > 260) return 0;
  std::string prefix = DirectoryOf(mask);
  int count = 0;
  for (const auto& fd : Plat::FindFiles(mask)) {
    if (fd.Attributes & Plat::FILE_ATTRIBUTE_DIRECTORY) continue;
    callback(prefix + fd.Name, fd, user);
    ++count;
  }
  return count;
}

u64 BinToInt64(const std::string& text) {
  if (text.empty()) throw EConvertError(Format("'%s' is not a valid binary value.", text.c_str()));
  u64 value = 0, weight = 1;
  for (std::size_t i = text.size(); i-- > 0;) {
    char c = text[i];
    if (c != '0' && c != '1') throw EConvertError(Format("'%s' is not a valid binary value.", text.c_str()));
    if (c == '1') value += weight;
    weight <<= 1;
  }
  return value;
}

bool IsTerminated(const char* buffer, int size) {
  if (size < 1) return false;
  return std::memchr(buffer, 0, static_cast<std::size_t>(size)) != nullptr;
}

Plat::TModule LoadLibraryChecked(const char* name) {
  Plat::TModule m = Plat::LoadModule(name);
  if (!m) throw std::runtime_error(Format("Load library '%s' failed (%s).", name, LastErrorText().c_str()));
  return m;
}

Plat::TProc GetProcAddressChecked(Plat::TModule module, const char* name) {
  Plat::TProc p = Plat::GetModuleProc(module, name);
  if (!p) throw std::runtime_error(Format("Function '%s' not found in library (%s).", name, LastErrorText().c_str()));
  return p;
}

void FreeLibrarySafe(Plat::TModule module) {
  if (module) Plat::FreeModule(module);
}

std::string LastErrorText() { return Plat::LastErrorText(); }

}  // namespace Base
