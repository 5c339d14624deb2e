#include "scene/newton/newton_binding.h"

#include "base/system/log_target.h"
#include "base/text/text_convert.h"

namespace corvane {

namespace {

// The one line saying physics is off, and why.
void PhysicsOff(const std::string& name, const std::string& why) {
  EngineError(Utf8ToUtf16("Physics library " + LibraryFileName(name) + " " + why + ": physics is off"));
}

}  // namespace

TNewtonEntryPoints Newton;
TLibHandle NewtonHandle = 0;

bool LoadNewton(const std::string& name) {
  if (NewtonHandle != 0) return true;
  const TLibHandle lib = LoadLib(name, true, false);
  if (lib == 0) {
    const std::string& failure = LoadLibFailure();
    PhysicsOff(name, failure == "not found" ? failure : "could not be loaded (" + failure + ")");
    return false;
  }
  TNewtonEntryPoints found;
  std::string missing;
#define CORVANE_NEWTON_BIND(entry)                                               \
  found.entry = reinterpret_cast<decltype(&::entry)>(LoadProc(lib, #entry));    \
  if (!found.entry) missing += (missing.empty() ? "" : ", ") + std::string(#entry);
  NEWTON_API_ENTRY_POINTS(CORVANE_NEWTON_BIND)
#undef CORVANE_NEWTON_BIND
  if (!missing.empty()) {
    FreeLib(lib);
    PhysicsOff(name, "lacks " + missing);
    return false;
  }
  Newton = found;
  NewtonHandle = lib;
  return true;
}

void FreeNewton() {
  if (NewtonHandle == 0) return;
  Newton = TNewtonEntryPoints{};
  FreeLib(NewtonHandle);
  NewtonHandle = 0;
}

}  // namespace corvane
