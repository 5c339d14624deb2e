// What the script fuzz targets share: the log silenced, the user's data
// folder (where the compiled-script secret is made) in a folder of the
// run's own, and the leak checker told about the library's own heap.
// Included by one source file of each target.
#pragma once

#include <stdlib.h>

#include <string>

#include "base/system/log_target.h"

// The library's heap lives in memory of its own that the leak checker does
// not scan: what the engine's one context holds between inputs is not
// leaked, nor the link records its script objects own until the collector
// finalizes them.
extern "C" const char* __lsan_default_suppressions() { return "leak:libmozjs-102.so\nleak:TJSObjectLink\n"; }

namespace corvane::fuzz {

inline void StartScriptFuzzing() {
  static TSilentLog silent;
  SetLogTarget(&silent);
  static std::string home = "/tmp/corvane-fuzz-home-XXXXXX";
  if (::mkdtemp(home.data())) ::setenv("XDG_DATA_HOME", home.c_str(), 1);
}

}  // namespace corvane::fuzz
