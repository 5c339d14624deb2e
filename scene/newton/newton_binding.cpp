#include "scene/newton/newton_binding.h"

namespace corvane {

TNewtonEntryPoints Newton;
TLibHandle NewtonHandle = 0;

bool LoadNewton(const std::string& name) {
  if (NewtonHandle != 0) return true;
  const TLibHandle lib = LoadLib(name, true, false);
  if (lib == 0) return false;
  TNewtonEntryPoints found;
  bool complete = true;
#define CORVANE_NEWTON_BIND(entry)                                      \
  found.entry = reinterpret_cast<decltype(&::entry)>(LoadProc(lib, #entry)); \
  complete = complete && found.entry != nullptr;
  NEWTON_API_ENTRY_POINTS(CORVANE_NEWTON_BIND)
#undef CORVANE_NEWTON_BIND
  if (!complete) {
    FreeLib(lib);
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
