#include "engine/platform/system/modules.h"

#include <map>
#include <mutex>

#include "engine/platform/system/builtin_modules.h"
#include "engine/platform/system/text.h"

namespace Plat {

namespace {

struct TModuleEntry {
  std::map<std::string, TProc> Procs;
};

std::mutex registryLock;

std::string Key(const std::string& s) {
  std::string k = s;
  for (char& c : k) c = static_cast<char>(AsciiLower(static_cast<unsigned char>(c)));
  return k;
}

void AddBuiltIn(std::map<std::string, TModuleEntry>& registry, const std::string& module) {
  for (const TBuiltInProc& p : BuiltInProcs())
    if (module.empty() || Key(p.Module) == module) registry[Key(p.Module)].Procs[p.Proc] = p.Address;
}

// Called with registryLock held; starts with the built-in libraries.
std::map<std::string, TModuleEntry>& Registry() {
  static std::map<std::string, TModuleEntry> registry = [] {
    std::map<std::string, TModuleEntry> r;
    AddBuiltIn(r, "");
    return r;
  }();
  return registry;
}

thread_local std::string lastError;

}  // namespace

void RegisterModuleProc(const std::string& module, const std::string& proc, TProc address) {
  std::lock_guard<std::mutex> guard(registryLock);
  Registry()[Key(module)].Procs[proc] = address;
}

void UnregisterModule(const std::string& module) {
  std::lock_guard<std::mutex> guard(registryLock);
  Registry().erase(Key(module));
}

void UnregisterModuleProc(const std::string& module, const std::string& proc) {
  std::lock_guard<std::mutex> guard(registryLock);
  auto it = Registry().find(Key(module));
  if (it != Registry().end()) it->second.Procs.erase(proc);
}

void RestoreBuiltInModule(const std::string& module) {
  std::lock_guard<std::mutex> guard(registryLock);
  AddBuiltIn(Registry(), Key(module));
}

TModule LoadModule(const std::string& name) {
  std::lock_guard<std::mutex> guard(registryLock);
  auto it = Registry().find(Key(name));
  if (it == Registry().end()) {
    lastError = "The specified module could not be found";
    return nullptr;
  }
  return &it->second;
}

TProc GetModuleProc(TModule module, const std::string& name) {
  std::lock_guard<std::mutex> guard(registryLock);
  if (!module) {
    lastError = "The handle is invalid";
    return nullptr;
  }
  for (auto& [key, entry] : Registry()) {
    if (&entry != module) continue;
    auto p = entry.Procs.find(name);
    if (p != entry.Procs.end() && p->second) return p->second;
    break;
  }
  lastError = "The specified procedure could not be found";
  return nullptr;
}

void FreeModule(TModule) {}

std::string LastErrorText() { return lastError; }
void SetLastErrorText(const std::string& text) { lastError = text; }

}  // namespace Plat
