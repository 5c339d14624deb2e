// What scripts may destroy through the published Destroy* methods: only
// media a script made or loaded through a published creator (marked
// MadeForScript) and that their creator still lists. Every other pixmap,
// mesh, sound or music has holders in the engine (the applet's default
// picture, the cache, fonts, renderers, players) that would keep a freed
// pointer.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "base/system/log_target.h"

namespace corvane {

// Marks what a published creator made; null stays null.
template <class T>
T* MarkMadeForScript(T* object) {
  if (object) object->MadeForScript = true;
  return object;
}

// Whether a script may destroy the object; a refusal writes "Can't destroy
// <kind>: the engine holds it".
template <class T>
bool ScriptMayDestroy(const T* object, const std::vector<T*>& live, std::u16string_view kind) {
  if (object->MadeForScript && std::find(live.begin(), live.end(), object) != live.end()) return true;
  EngineError(u"Can't destroy " + std::u16string(kind) + u": the engine holds it");
  return false;
}

}  // namespace corvane
