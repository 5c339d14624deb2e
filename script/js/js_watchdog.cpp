#include "script/js/js_watchdog.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include <jsapi.h>

#include "base/system/log_target.h"
#include "base/system/steady_clock.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "engine/core/close_request.h"
#include "engine/core/engine_services.h"
#include "script/js/js_error_report.h"
#include "script/js/js_heap_cap.h"
#include "script/js/js_main_hold.h"

namespace corvane::js {

namespace {

constexpr auto kPollPeriod = std::chrono::milliseconds(250);
// While a script of an ending applet runs, whose grace is short, and while
// the main thread does not answer.
constexpr auto kUrgentPollPeriod = std::chrono::milliseconds(50);
// An interrupt this long unanswered, while the main thread took no step
// between the library and the engine's code: it sits in one long call of
// the library, and the guard looks for a close request itself.
constexpr double kStuckAfter = 0.2;
// A close request this old ends the program, if the main thread still sits
// in such a call.
constexpr double kCloseGrace = 0.3;

double gLimit = 10.0;

// The watchdog thread's side.
std::thread gThread;
std::mutex gMutex;
std::condition_variable gWake;
bool gQuit = false;
std::atomic<int> gRunning{0};
std::atomic<int> gEnding{0};  // running calls of ending applets
// Since when an interrupt the guard asked for is unanswered; 0: none is.
std::atomic<double> gUnansweredSince{0};
// The guard's thread's own: the main thread's steps when it last looked,
// and since when they have not changed.
std::uint64_t gStepsSeen = 0;
double gStillSince = 0;

// The main thread's side.
JSContext* gContext = nullptr;
TWatchedCall* gInnermost = nullptr;
std::uint64_t gFrames = 0;
double gFrameSeen = 0;
bool gStopWarning = false;

double Now() { return SteadySeconds(); }

std::uint64_t EngineFrames() {
  const TEngineServices* engine = RunningEngine();
  return engine ? engine->FrameCount() : 0;
}

// Notes a frame begun since the last look (a frame inside a call counts
// for the calls around it too).
void ObserveFrames(double now) {
  if (const std::uint64_t frames = EngineFrames(); frames != gFrames) {
    gFrames = frames;
    gFrameSeen = now;
  }
}

bool StopCall(TWatchedCall& call) {
  call.Stop();
  gStopWarning = true;
  return false;
}

bool OnInterrupt(JSContext* cx) {
  const TEngineCode engineCode;
  gUnansweredSince.store(0);
  TWatchedCall* call = gInnermost;
  if (!call) return true;
  // A host that is not asked between frames would not be heard until the
  // script runs one.
  if (TEngineServices* engine = RunningEngine()) engine->HearCloseRequest();
  const double now = Now();
  if (call->AppletEnded() || call->PastEndGrace(now)) {
    EngineLog(ScriptPlace(cx) + u" script stopped: its applet ends");
    return StopCall(*call);
  }
  if (StopForHeap(cx, call->StartedPastCap())) return StopCall(*call);
  if (!(gLimit > 0)) return true;
  ObserveFrames(now);
  if (now - std::max(call->Start(), gFrameSeen) < gLimit) return true;
  EngineError(ScriptPlace(cx) + u" script stopped: no frame for " + Utf8ToUtf16(FloatToStrGeneral(gLimit)) + u" s");
  return StopCall(*call);
}

bool Stuck(double now) {
  if (const std::uint64_t steps = MainThreadSteps(); steps != gStepsSeen) {
    gStepsSeen = steps;
    gStillSince = now;
  }
  const double since = gUnansweredSince.load();
  return since > 0 && now - since >= kStuckAfter && now - gStillSince >= kStuckAfter;
}

// The main thread sits in one long library call, deaf to the host: held
// there, it cannot step into the engine's code while the guard hears the
// host in its place, and ends the program once a close request has waited
// too long. Nothing of the library is touched.
void LookWhileStuck() {
  if (!HoldMainThread()) return;
  if (TEngineServices* engine = RunningEngine()) {
    if (engine->ClosingSince() < 0 && CloseRequestHeard()) engine->NoteCloseRequest();
    const double since = engine->ClosingSince();
    if (since >= 0 && Now() - since >= kCloseGrace)
      engine->EndAtOnce(u"A script has not returned from a long call since the close request: the program ends");
  }
  ReleaseMainThread();
}

void WatchdogLoop(JSContext* cx) {
  std::unique_lock<std::mutex> lock(gMutex);
  while (!gQuit) {
    const bool urgent = gEnding.load() > 0 || Stuck(Now());
    gWake.wait_for(lock, urgent ? kUrgentPollPeriod : kPollPeriod, [] { return gQuit; });
    if (gQuit || gRunning.load() == 0) continue;
    if (Stuck(Now())) {
      lock.unlock();
      LookWhileStuck();
      lock.lock();
    }
    double none = 0;
    gUnansweredSince.compare_exchange_strong(none, Now());
    JS_RequestInterruptCallback(cx);
  }
}

}  // namespace

double ScriptTimeLimit() { return gLimit; }

bool TakeStopWarning() {
  const bool pending = gStopWarning;
  gStopWarning = false;
  return pending;
}

void SetScriptTimeLimit(double seconds) { gLimit = seconds > 0 ? seconds : 0; }

void RequestStopCheck() {
  if (gContext && gInnermost) JS_RequestInterruptCallback(gContext);
}

void StartWatchdog(JSContext* cx) {
  gContext = cx;
  PrepareMainThreadHold();
  JS_AddInterruptCallback(cx, OnInterrupt);
  {
    std::lock_guard<std::mutex> lock(gMutex);
    gQuit = false;
  }
  gThread = std::thread(WatchdogLoop, cx);
}

void StopWatchdog() {
  {
    std::lock_guard<std::mutex> lock(gMutex);
    gQuit = true;
  }
  gWake.notify_all();
  if (gThread.joinable()) gThread.join();
  gContext = nullptr;
}

TWatchedCall::TWatchedCall(TAppletServices* applet)
    : outer_(gInnermost),
      start_(Now()),
      applet_(applet),
      hadApplet_(applet != nullptr),
      endedAtStart_(applet && applet->Terminated()),
      startedPastCap_(HeapPastCap()) {
  ObserveFrames(start_);
  // A new script owes no answer to what an earlier one left unanswered.
  if (!outer_) gUnansweredSince.store(0);
  gInnermost = this;
  ++gRunning;
  if (endedAtStart_) {
    const double since = applet->EndingSince();
    endDeadline_ = (since >= 0 ? since : start_) + kEndGrace;
    ++gEnding;
    // Past the grace already: stopped at its first step.
    if (gContext && start_ >= endDeadline_) JS_RequestInterruptCallback(gContext);
  }
  // Scripts past the heap's cap stop at once; after a collection the heap
  // is counted again.
  if (gContext && HeapLookDue()) JS_RequestInterruptCallback(gContext);
}

TWatchedCall::~TWatchedCall() {
  --gRunning;
  if (endedAtStart_) --gEnding;
  gStopWarning = false;
  ObserveFrames(Now());
  gInnermost = outer_;
  // The call this one ran inside (through a wait) may have to stop now.
  if (outer_ && (outer_->AppletEnded() || outer_->PastEndGrace(Now()))) RequestStopCheck();
}

bool TWatchedCall::AppletEnded() const {
  if (!hadApplet_ || endedAtStart_) return false;
  const TAppletServices* applet = applet_.Get();
  return !applet || applet->Terminated();
}

}  // namespace corvane::js
