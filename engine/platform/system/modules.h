// Named libraries and their entry points. Nothing is loaded from disk: the
// platform registers what it provides ("ddraw.dll", "dsound.dll"), and a
// test can remove an entry to reach the failure paths.
#pragma once

#include <string>

namespace Plat {

using TModule = const void*;
using TProc = void (*)();

void RegisterModuleProc(const std::string& module, const std::string& proc, TProc address);
void UnregisterModule(const std::string& module);
void UnregisterModuleProc(const std::string& module, const std::string& proc);
// Puts a built-in library's entry points back (after a test removed them).
void RestoreBuiltInModule(const std::string& module);

// Null on failure, with LastErrorText describing why.
TModule LoadModule(const std::string& name);
TProc GetModuleProc(TModule module, const std::string& name);
void FreeModule(TModule module);

// Text of the calling thread's last platform failure.
std::string LastErrorText();
void SetLastErrorText(const std::string& text);

}  // namespace Plat
