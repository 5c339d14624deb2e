// Where the main thread stands, for the script guard's thread: inside the
// library (script code, and the library's own built-ins, which a JSON.parse
// of a hundred megabytes or a quadratic indexOf does not leave for many
// seconds, hearing no interrupt) or in the engine's own code.
//
// While the main thread stands inside the library, the guard's thread may
// hold it: every step the main thread then takes into the engine's code
// waits until the hold ends, so that the guard's thread may use what the
// main thread owns (the host's event queue, the applets' preferences and
// scores) as the main thread would. It never touches the library's heap.
//
// A step into the engine's code is every way the library calls it: each
// native and hook opens a TEngineCode (EngineNative wraps a native), each
// callback too. A long call into the library that runs script code opens a
// TLibraryCode around itself and nothing else; the engine's code between
// such calls is never held. The main thread's side costs a few plain
// stores and loads: the guard's thread pays for the ordering with a
// process-wide barrier (membarrier), or, where the system has none, the
// main thread with a fence.
#pragma once

#include <atomic>
#include <cstdint>

#include <jsapi.h>

namespace corvane::js {

namespace hold_detail {
extern std::atomic<bool> gInLibrary;
extern std::atomic<bool> gHeld;
extern std::atomic<std::uint64_t> gSteps;
extern bool gLightSide;
void WaitWhileHeld();

inline void Enter(bool inLibrary) {
  // Only the main thread counts: no read-modify-write is needed.
  gSteps.store(gSteps.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
  gInLibrary.store(inLibrary, std::memory_order_release);
  if (gLightSide)
    std::atomic_signal_fence(std::memory_order_seq_cst);
  else
    std::atomic_thread_fence(std::memory_order_seq_cst);
  if (gHeld.load(std::memory_order_acquire)) WaitWhileHeld();
}

// The main thread steps into the library, or out of it, until the scope
// ends, and back to where it stood.
template <bool InLibrary>
class TStep {
 public:
  TStep() : outer_(gInLibrary.load(std::memory_order_relaxed)) { Enter(InLibrary); }
  ~TStep() { Enter(outer_); }
  TStep(const TStep&) = delete;
  TStep& operator=(const TStep&) = delete;

 private:
  bool outer_;
};
}  // namespace hold_detail

// Into the engine's code (from the library), or into the library (from the
// engine's code).
using TEngineCode = hold_detail::TStep<false>;
using TLibraryCode = hold_detail::TStep<true>;

// A native of the engine as the library calls it.
template <JSNative Native>
bool EngineNative(JSContext* cx, unsigned argc, JS::Value* vp) {
  const TEngineCode code;
  return Native(cx, argc, vp);
}

// The main thread's side, once, on the main thread before any hold.
void PrepareMainThreadHold();

// The steps the main thread has taken between the library and the
// engine's code so far: while it does not change, the main thread sits in
// one stretch of code.
inline std::uint64_t MainThreadSteps() { return hold_detail::gSteps.load(std::memory_order_relaxed); }

// The guard's thread: true when the main thread stood inside the library
// (or waits already) and is held now; false, and nothing held, otherwise.
bool HoldMainThread();
// Ends the hold: a main thread that waits goes on.
void ReleaseMainThread();

}  // namespace corvane::js
