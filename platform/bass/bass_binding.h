// The binding of the run-time loaded sound library "bass": one pointer per
// entry point, named as the library names it, fetched by name when the
// library loads and cleared when it unloads.
//
// The full list of the library's names is looked up, though the engine
// calls only the seventeen of BASS_API_ENTRY_POINTS
// (libs/bass/api/bass_api.h), which carry their C types; the others stay
// nullptr where our library lacks them. A library without one of the
// seventeen counts as not loaded, so the engine never calls through a null
// pointer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "libs/bass/api/bass_api.h"
#include "resources/library_loader.h"

namespace corvane {

#define CORVANE_BASS_POINTER(name, type) extern type* name;
BASS_API_ENTRY_POINTS(CORVANE_BASS_POINTER)
#undef CORVANE_BASS_POINTER

// The reverb entry point, which the engine never calls: nullptr while
// not loaded or where the library lacks it.
extern BassSetEAXParametersFunc* BASS_SetEAXParameters;
// One of the 26 reverb presets of BASS_EAX_PRESETS through
// BASS_SetEAXParameters; BASS_FALSE for another number or without it.
BassBool BASS_SetEAXPreset(std::int32_t preset);

// The library while loaded; 0 when not.
extern TLibHandle BASS_Handle;

// Every name looked up, in order.
constexpr std::size_t kBassEntryPointCount = 94;
extern const char* const kBassEntryPointNames[kBassEntryPointCount];
// What the look-up found for each of kBassEntryPointNames (nullptr where
// the library has no such entry point); all nullptr while not loaded.
void* BassEntryPoint(std::size_t index);

// Loads "lib" + name + ".so" through the library loader and looks up every
// entry point. False, with nothing loaded, when the library does not load
// or lacks an entry point the engine calls. True at once when loaded.
bool Load_BASSDLL(const std::string& name);
// When loaded: BASS_Free, then the library goes and the pointers clear.
void Unload_BASSDLL();

}  // namespace corvane
