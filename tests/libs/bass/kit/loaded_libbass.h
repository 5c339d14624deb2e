// libbass.so loaded by path at run time, the way the engine loads it by
// name, with every entry point fetched by name. Unloading frees the library
// first, so nothing of it runs once it is gone.
#pragma once

#include "libs/bass/api/bass_api.h"

namespace libbass::test {

class LoadedLibBass {
 public:
  LoadedLibBass();
  ~LoadedLibBass() { Unload(); }
  LoadedLibBass(const LoadedLibBass&) = delete;
  LoadedLibBass& operator=(const LoadedLibBass&) = delete;

  // Whether the library and all its entry points were found.
  bool Loaded() const { return complete_; }
  // BASS_Free, then dlclose; nothing when not loaded.
  void Unload();
  // The file loaded.
  static const char* Path();
  // A symbol of the library by name (nullptr when absent).
  void* Symbol(const char* name) const;

#define LIBBASS_TEST_FIELD(name, type) type* name = nullptr;
  BASS_API_ENTRY_POINTS(LIBBASS_TEST_FIELD)
#undef LIBBASS_TEST_FIELD
  BassManualRenderFunc* BassManual_Render = nullptr;

 private:
  void* library_ = nullptr;
  bool complete_ = false;
};

}  // namespace libbass::test
