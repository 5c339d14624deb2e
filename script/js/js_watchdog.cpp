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
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "engine/core/engine_services.h"
#include "script/js/js_error_report.h"
#include "script/js/js_heap_cap.h"

namespace corvane::js {

namespace {

constexpr auto kPollPeriod = std::chrono::milliseconds(250);

double gLimit = 10.0;

// The watchdog thread's side.
std::thread gThread;
std::mutex gMutex;
std::condition_variable gWake;
bool gQuit = false;
std::atomic<int> gRunning{0};

// The main thread's side.
JSContext* gContext = nullptr;
TWatchedCall* gInnermost = nullptr;
std::uint64_t gFrames = 0;
double gFrameSeen = 0;
bool gStopWarning = false;

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

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
  TWatchedCall* call = gInnermost;
  if (!call) return true;
  // A host that is not asked between frames would not be heard until the
  // script runs one.
  if (TEngineServices* engine = RunningEngine()) engine->HearCloseRequest();
  if (call->AppletEnded()) {
    EngineLog(ScriptPlace(cx) + u" script stopped: its applet ends");
    return StopCall(*call);
  }
  if (StopForHeap(cx, call->StartedPastCap())) return StopCall(*call);
  if (!(gLimit > 0)) return true;
  const double now = Now();
  ObserveFrames(now);
  if (now - std::max(call->Start(), gFrameSeen) < gLimit) return true;
  EngineError(ScriptPlace(cx) + u" script stopped: no frame for " + Utf8ToUtf16(FloatToStrGeneral(gLimit)) + u" s");
  return StopCall(*call);
}

void WatchdogLoop(JSContext* cx) {
  std::unique_lock<std::mutex> lock(gMutex);
  while (!gQuit) {
    gWake.wait_for(lock, kPollPeriod, [] { return gQuit; });
    if (!gQuit && gRunning.load() > 0) JS_RequestInterruptCallback(cx);
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
  gInnermost = this;
  ++gRunning;
  // Scripts past the heap's cap stop at once; after a collection the heap
  // is counted again.
  if (gContext && HeapLookDue()) JS_RequestInterruptCallback(gContext);
}

TWatchedCall::~TWatchedCall() {
  --gRunning;
  gStopWarning = false;
  ObserveFrames(Now());
  gInnermost = outer_;
  // The call this one ran inside (through a wait) may have to stop now.
  if (outer_ && outer_->AppletEnded()) RequestStopCheck();
}

bool TWatchedCall::AppletEnded() const {
  if (!hadApplet_ || endedAtStart_) return false;
  const TAppletServices* applet = applet_.Get();
  return !applet || applet->Terminated();
}

}  // namespace corvane::js
