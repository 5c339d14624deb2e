#include "tests/libs/bass/kit/loaded_libbass.h"

#include <dlfcn.h>

#include <cstdlib>

namespace libbass::test {

namespace {

template <class F>
bool Fetch(void* library, const char* name, F*& to) {
  to = reinterpret_cast<F*>(dlsym(library, name));
  return to != nullptr;
}

}  // namespace

const char* LoadedLibBass::Path() {
  // The suite runs a second time on another build of the library.
  const char* other = std::getenv("LIBBASS_TEST_LIBRARY");
  return other && *other ? other : LIBBASS_TEST_LIBRARY_PATH;
}

LoadedLibBass::LoadedLibBass() {
  library_ = dlopen(Path(), RTLD_NOW | RTLD_LOCAL);
  if (!library_) return;
  bool all = true;
#define LIBBASS_TEST_FETCH(name, type) all &= Fetch(library_, #name, name);
  BASS_API_ENTRY_POINTS(LIBBASS_TEST_FETCH)
#undef LIBBASS_TEST_FETCH
  all &= Fetch(library_, "BassManual_Render", BassManual_Render);
  complete_ = all;
}

void* LoadedLibBass::Symbol(const char* name) const {
  return library_ ? dlsym(library_, name) : nullptr;
}

void LoadedLibBass::Unload() {
  if (!library_) return;
  if (BASS_Free) BASS_Free();
  dlclose(library_);
  library_ = nullptr;
  complete_ = false;
}

}  // namespace libbass::test
