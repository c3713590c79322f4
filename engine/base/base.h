// Small helpers every module uses: bounded copies into fixed-size fields, the
// program's path, file enumeration, binary-digit parsing and checked loading
// of the platform's libraries.
#pragma once

#include <cstdarg>
#include <string>

#include "engine/base/types.h"
#include "engine/platform/system/files.h"
#include "engine/platform/system/modules.h"

namespace Base {

// Full path of the program file, and its directory with a trailing separator.
extern std::string AppPath;
extern std::string AppDir;

void SafeStrCopy(char* dest, const char* src, u32 size);
void SafeFormat(char* buffer, u32 size, const char* format, ...) __attribute__((format(printf, 3, 4)));
void SafeFormatV(char* buffer, u32 size, const char* format, va_list args);
// std::string result of a printf-style format.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Separators in paths: backslash, colon and, on this system, slash.
bool IsPathSeparator(char c);
std::string FileNameWithoutExt(const std::string& path);
void AddTrailingBackslash(std::string& path);

using TFileCallback = void (*)(const std::string& fullName, const Plat::TFindData& findData, void* user);
// Calls back for every file (not directory) that matches mask; returns the count.
int ForEachFile(const std::string& mask, TFileCallback callback, void* user);

// "101" -> 5; digits beyond the 64th from the right add nothing.
u64 BinToInt64(const std::string& text);

bool IsTerminated(const char* buffer, int size);

Plat::TModule LoadLibraryChecked(const char* name);
Plat::TProc GetProcAddressChecked(Plat::TModule module, const char* name);
void FreeLibrarySafe(Plat::TModule module);
std::string LastErrorText();

}  // namespace Base
