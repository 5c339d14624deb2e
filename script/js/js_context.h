// SpiderMonkey in the process: started once (with the build id that stamps
// compiled scripts, and its shutdown registered for the exit), and one
// context shared by every script engine, because the library allows one
// context per thread. The context is made with the first engine and
// destroyed with the last; it lives on the thread that made it.
#pragma once

#include <string>

struct JSContext;

namespace corvane::js {

// The identity stamped into compiled scripts: the library's version and
// the engine's. A compiled script of another build does not decode.
std::string BuildId();

// The shared context, made on first use; nullptr (logged) when the library
// cannot start or the caller is not on the context's thread. Every
// successful call is matched by one ReleaseContext.
JSContext* AcquireContext();
void ReleaseContext();
// The context while one exists.
JSContext* SharedContext();

}  // namespace corvane::js
