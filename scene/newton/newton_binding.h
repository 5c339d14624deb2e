// The binding of the run-time loaded physics library "newton": one pointer
// per entry point the engine calls, named as the library names it and typed
// from the library's header, fetched by name when the library loads and
// cleared when it unloads.
//
// Only the 32 entry points of NEWTON_API_ENTRY_POINTS are looked up; a
// library lacking one of them counts as not loaded, so the engine never
// calls through a null pointer.
#pragma once

#include <string>

#include "libs/newton/api/newton_api.h"
#include "resources/library_loader.h"

namespace corvane {

struct TNewtonEntryPoints {
#define CORVANE_NEWTON_POINTER(name) decltype(&::name) name = nullptr;
  NEWTON_API_ENTRY_POINTS(CORVANE_NEWTON_POINTER)
#undef CORVANE_NEWTON_POINTER
};

// The entry points while the library is loaded; all nullptr otherwise.
extern TNewtonEntryPoints Newton;
// The library while loaded; 0 when not.
extern TLibHandle NewtonHandle;

// Loads "lib" + name + ".so" through the library loader and looks up
// every entry point. False, with nothing loaded and one error line naming
// the library (and what it lacks), when the library is missing, damaged
// or incomplete. True at once when loaded.
bool LoadNewton(const std::string& name);
// Unloads the library when loaded and clears the pointers.
void FreeNewton();

}  // namespace corvane
