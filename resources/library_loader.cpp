#include "resources/library_loader.h"

#include <dlfcn.h>
#include <elf.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>

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
std::string gFailure;

void LoaderLog(const std::string& text) {
  if (gLoaderLog) EngineLog(Utf8ToUtf16(text));
}

bool RegularFileExists(const std::string& path, std::uint64_t& size) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  size = static_cast<std::uint64_t>(info.st_size);
  return true;
}

// Whether every segment the system loader maps lies within the file: it
// maps a cut-short library anyway and faults on the missing pages. Files
// that are not 64-bit ELF are left to the loader, which refuses them.
bool SegmentsInFile(const std::string& path, std::uint64_t fileSize) {
  std::ifstream file(path, std::ios::binary);
  Elf64_Ehdr header{};
  if (!file.read(reinterpret_cast<char*>(&header), sizeof header)) return true;
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64) return true;
  if (header.e_phentsize != sizeof(Elf64_Phdr)) return false;
  if (header.e_phoff > fileSize || header.e_phnum * sizeof(Elf64_Phdr) > fileSize - header.e_phoff) return false;
  file.seekg(static_cast<std::streamoff>(header.e_phoff));
  for (int i = 0; i < header.e_phnum; ++i) {
    Elf64_Phdr segment{};
    if (!file.read(reinterpret_cast<char*>(&segment), sizeof segment)) return false;
    if (segment.p_type != PT_LOAD && segment.p_type != PT_DYNAMIC) continue;
    if (segment.p_offset > fileSize || segment.p_filesz > fileSize - segment.p_offset) return false;
  }
  return true;
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
    std::uint64_t size = 0;
    if (!RegularFileExists(entry->Path, size)) {
      LoaderLog("Shared library " + entry->Path + " not exists");
      gFailure = "not found";
    } else {
      LoaderLog("Library exists and try load shared library " + entry->Path);
      if (!SegmentsInFile(entry->Path, size)) {
        gFailure = "file cut short";
      } else {
        entry->Handle = dlopen(entry->Path.c_str(), RTLD_NOW | RTLD_LOCAL);
        const char* error = entry->Handle ? nullptr : dlerror();
        if (!entry->Handle) gFailure = error ? error : "not loadable";
      }
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

const std::string& LoadLibFailure() { return gFailure; }

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
