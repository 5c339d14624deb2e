#include "script/js/js_context.h"

#include <pthread.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <js-config.h>
#include <js/BuildId.h>
#include <js/Initialization.h>
#include <js/Warnings.h>
#include <jsapi.h>

#include "base/system/log_target.h"
#include "script/js/js_compiled_script.h"
#include "script/js/js_error_report.h"
#include "script/js/js_heap_cap.h"
#include "script/js/js_job_queue.h"
#include "script/js/js_watchdog.h"
#include "script/script_engine.h"

namespace corvane::js {

namespace {

enum class TProcessState { Fresh, Running, Failed };
TProcessState gProcess = TProcessState::Fresh;
JSContext* gContext = nullptr;
int gHolders = 0;
std::thread::id gContextThread;

bool ProcessBuildId(JS::BuildIdCharVector* id) {
  const std::string text = BuildId();
  return id->append(text.data(), text.size());
}

// JS_Init once; JS_ShutDown at the exit (leaving main without it crashes
// in the library's own static destructors), never earlier: the library
// cannot start again after it.
bool StartProcess() {
  if (gProcess == TProcessState::Fresh) {
    // Before JS_Init: without a build id the library cannot encode scripts.
    JS::SetProcessBuildIdOp(ProcessBuildId);
    if (JS_Init()) {
      std::atexit(JS_ShutDown);
      // Before it: a program that exits with a context still alive must
      // not leave the watchdog thread running (its destructor would end
      // the program with std::terminate).
      std::atexit(StopWatchdog);
      gProcess = TProcessState::Running;
    } else {
      gProcess = TProcessState::Failed;
    }
  }
  if (gProcess == TProcessState::Failed) EngineError(u"The JavaScript library could not start");
  return gProcess == TProcessState::Running;
}

// The calling thread's stack, less room for the engine's own frames below
// the deepest script frame (deep under the sanitizers); the library's
// default stops near 1 MiB.
std::size_t StackQuota() {
  std::size_t size = 8u << 20;
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) == 0) {
    void* base = nullptr;
    std::size_t found = 0;
    if (pthread_attr_getstack(&attr, &base, &found) == 0 && found > 0) size = found;
    pthread_attr_destroy(&attr);
  }
  size = std::min<std::size_t>(size, 256u << 20);
  const std::size_t reserve = std::max<std::size_t>(size / 4, 1u << 20);
  return size > reserve * 2 ? size - reserve : size / 2;
}

}  // namespace

std::string BuildId() {
  return "mozjs-" + std::to_string(MOZJS_MAJOR_VERSION) + "." + std::to_string(MOZJS_MINOR_VERSION) +
         " corvane-2.0 compiled-script-1";
}

JSContext* AcquireContext() {
  if (gContext) {
    if (std::this_thread::get_id() != gContextThread) {
      EngineError(u"The JavaScript context belongs to another thread");
      return nullptr;
    }
    ++gHolders;
    return gContext;
  }
  if (!StartProcess()) return nullptr;
  JSContext* cx = JS_NewContext(0xffffffffu);
  if (!cx) {
    EngineError(u"The JavaScript context could not be made");
    return nullptr;
  }
  // The heap's cap is the engine's (the library's default would end a few
  // million small objects in "out of memory").
  JS_SetGCParameter(cx, JSGC_MAX_BYTES, static_cast<std::uint32_t>(ScriptHeapLimit()));
  // Collections start no earlier than at the cap itself: with the library's
  // margin below it, a heap near the cap collects on every few kilobytes
  // allocated and a script runs for many seconds before it is refused.
  JS_SetGCParameter(cx, JSGC_SMALL_HEAP_INCREMENTAL_LIMIT, 100);
  JS_SetGCParameter(cx, JSGC_LARGE_HEAP_INCREMENTAL_LIMIT, 100);
  // At the cap the library collects once before it refuses, every time (by
  // default once a minute): what the script that was refused left behind
  // is garbage, and the next handler runs.
  JS_SetGCParameter(cx, JSGC_MIN_LAST_DITCH_GC_PERIOD, 0);
  JS_SetNativeStackQuota(cx, StackQuota());
  if (!JS::InitSelfHostedCode(cx)) {
    EngineError(u"The JavaScript context could not be made");
    JS_DestroyContext(cx);
    return nullptr;
  }
  JS::SetWarningReporter(cx, ReportWarning);
  StartJobQueue(cx);
  gContext = cx;
  gContextThread = std::this_thread::get_id();
  gHolders = 1;
  StartWatchdog(cx);
  StartHeapGuard(cx);
  return cx;
}

void ReleaseContext() {
  if (!gContext || gHolders <= 0) return;
  if (--gHolders > 0) return;
  StopWatchdog();
  TJSScript::ReleaseAllStencils();
  JSContext* cx = gContext;
  gContext = nullptr;
  StopJobQueue(cx);
  JS_DestroyContext(cx);
  DeleteJobQueue();
}

JSContext* SharedContext() { return gContext; }

}  // namespace corvane::js
