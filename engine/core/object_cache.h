// TObjectCache: the part of the applet's cache (resources/cache) the object
// model uses: the compiled companion scripts of objects, and the streams of
// the object files they were read from, each given back when its object
// goes.
#pragma once

#include <string>

namespace corvane {

class TResourceMan;
class TScript;

class TObjectCache {
 public:
  // The shared compiled script (count + 1) or null.
  virtual TScript* LoadScript(TResourceMan* resMan, const std::u16string& name) = 0;
  // Count - 1; at 0 the script is destroyed through the script engine.
  virtual void FreeScript(TScript* script) = 0;
  // Releases a cached object-file stream (count - 1).
  virtual void FreeStream(const std::u16string& name) = 0;

 protected:
  ~TObjectCache() = default;
};

}  // namespace corvane
