// Run-time libraries loaded by name: the bindings of outside libraries
// (sound, physics) load "lib" + name + ".so" from the executable's folder
// when they start, fetch their entry points by name and unload it when
// done. Every step is logged while the engine runs.
#pragma once

#include <cstdint>
#include <string>

namespace corvane {

// An opaque library value, pointer-sized; 0 means "not loaded". Each
// LoadLib makes its own value, freed by its own FreeLib.
using TLibHandle = std::uintptr_t;

// The file a library name stands for: ExePath() + "lib" + name + ".so".
std::string LibraryFileName(const std::string& name);
// skipPlainName false first tries the plain name through the system's
// library search. flag has no effect. 0 when nothing could be loaded.
TLibHandle LoadLib(const std::string& name, bool skipPlainName = true, bool flag = false);
// The named entry point; nullptr for no library or a missing symbol.
void* LoadProc(TLibHandle lib, const std::string& procName);
// Why the last LoadLib gave 0: "not found" for no file, else the system
// loader's message (a damaged or foreign file, a missing dependency).
const std::string& LoadLibFailure();
// Unloads the library and frees the value; nothing for 0.
void FreeLib(TLibHandle lib);

// Whether the loader's steps go to the log: the engine turns it on when it
// starts and off when it ends, so that a binding torn down after the engine
// says nothing.
void SetLibraryLoaderLog(bool on);

}  // namespace corvane
