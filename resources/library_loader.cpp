#include "resources/library_loader.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include "base/system/file_utils.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"

namespace corvane {

namespace {

struct TLibEntry {
  std::string Name;
  std::string Path;  // the path finally tried
  void* Handle = nullptr;
};

bool gLoaderLog = false;

void LoaderLog(const std::string& text) {
  if (gLoaderLog) EngineLog(Utf8ToUtf16(text));
}

bool RegularFileExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::string LibraryFileName(const std::string& name) { return ExePath() + "lib" + name + ".so"; }

TLibHandle LoadLib(const std::string& name, bool skipPlainName, bool /*flag*/) {
  auto* entry = new TLibEntry{name, name, nullptr};
  LoaderLog("Try to load library " + entry->Path);
  if (!skipPlainName) {
    entry->Handle = dlopen(entry->Path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (entry->Handle) LoaderLog("Shared library " + entry->Path + " was loaded");
  }
  if (!entry->Handle) {
    entry->Path = LibraryFileName(name);
    if (!RegularFileExists(entry->Path)) {
      LoaderLog("Shared library " + entry->Path + " not exists");
    } else {
      LoaderLog("Library exists and try load shared library " + entry->Path);
      entry->Handle = dlopen(entry->Path.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
  }
  if (!entry->Handle) {
    LoaderLog("Library " + entry->Path + " loading failed.");
    delete entry;
    return 0;
  }
  LoaderLog("Library " + entry->Path + " was loaded successul");
  return reinterpret_cast<TLibHandle>(entry);
}

void* LoadProc(TLibHandle lib, const std::string& procName) {
  const auto* entry = reinterpret_cast<const TLibEntry*>(lib);
  if (!entry || !entry->Handle) return nullptr;
  return dlsym(entry->Handle, procName.c_str());
}

void FreeLib(TLibHandle lib) {
  auto* entry = reinterpret_cast<TLibEntry*>(lib);
  if (!entry) return;
  if (entry->Handle) dlclose(entry->Handle);
  delete entry;
}

void SetLibraryLoaderLog(bool on) { gLoaderLog = on; }

}  // namespace corvane
