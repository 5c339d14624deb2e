// The engine's embedded files (the defaults the program registers when it
// starts) for as long as a scope lives, and none after it: tests register
// them afresh and leave no files behind for the next test.
#pragma once

#include "resources/embedded_defaults.h"
#include "resources/embedded_res_man.h"

namespace corvane::test {

struct TEmbeddedDefaultsScope {
  TEmbeddedDefaultsScope() {
    ClearEmbeddedResources();
    RegisterEmbeddedDefaults();
  }
  ~TEmbeddedDefaultsScope() { ClearEmbeddedResources(); }
  TEmbeddedDefaultsScope(const TEmbeddedDefaultsScope&) = delete;
  TEmbeddedDefaultsScope& operator=(const TEmbeddedDefaultsScope&) = delete;
};

}  // namespace corvane::test
