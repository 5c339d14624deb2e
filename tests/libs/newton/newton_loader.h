// libnewton.so loaded the way the engine loads it: "lib" + "newton" + ".so"
// from the executable's folder, every entry point looked up by name and
// typed from the library's header. Shared by the library's tests and its
// benchmark.
#pragma once

#include <dlfcn.h>

#include <filesystem>
#include <string>
#include <vector>

#include "libs/newton/api/newton_api.h"

namespace corvane {

struct TNewtonLibrary {
  void* handle = nullptr;
  std::vector<std::string> missing;  // entry points the library lacks
#define CORVANE_NEWTON_FIELD(name) decltype(&::name) name = nullptr;
  NEWTON_API_ENTRY_POINTS(CORVANE_NEWTON_FIELD)
#undef CORVANE_NEWTON_FIELD

  bool Loaded() const { return handle && missing.empty(); }
};

// The library file beside the running executable.
inline std::string NewtonLibraryPath() {
  std::error_code error;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) path = std::filesystem::current_path() / "program";
  return (path.parent_path() / "libnewton.so").string();
}

// Loaded once per process and kept: tests and benchmarks share it.
inline const TNewtonLibrary& NewtonLibrary() {
  static const TNewtonLibrary library = [] {
    TNewtonLibrary lib;
    lib.handle = dlopen(NewtonLibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib.handle) return lib;
#define CORVANE_NEWTON_BIND(name)                                        \
  lib.name = reinterpret_cast<decltype(&::name)>(dlsym(lib.handle, #name)); \
  if (!lib.name) lib.missing.push_back(#name);
    NEWTON_API_ENTRY_POINTS(CORVANE_NEWTON_BIND)
#undef CORVANE_NEWTON_BIND
    return lib;
  }();
  return library;
}

}  // namespace corvane
