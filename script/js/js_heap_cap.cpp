#include "script/js/js_heap_cap.h"

#include <chrono>
#include <cstdint>

#include <jsapi.h>
#include <jsfriendapi.h>
#include <js/GCAPI.h>

#include "base/system/log_target.h"
#include "script/js/js_error_report.h"
#include "script/js/js_main_hold.h"
#include "script/script_engine.h"

namespace corvane::js {

namespace {

// Scripts past the cap are stopped as they start; the heap is collected
// for them at most this often, not once for every handler of every frame.
constexpr auto kCollectionPeriod = std::chrono::seconds(1);

bool gCollected = false;
bool gPastCap = false;
// A script that began under the cap was stopped: what it held while it
// ran is garbage once it has returned, and the next look collects it.
bool gCollectionOwed = false;
std::chrono::steady_clock::time_point gLastCollection;

void OnCollection(JSContext* cx, JSGCStatus status, JS::GCReason, void*) {
  const TEngineCode engineCode;
  if (status != JSGC_END) return;
  gCollected = true;
  // Counting runs script-side getters, which a collection may not: the
  // count waits for the script's next interrupt.
  JS_RequestInterruptCallback(cx);
}

double Count(JSContext* cx, JS::HandleObject info, const char* name) {
  JS::RootedValue value(cx);
  if (!JS_GetProperty(cx, info, name, &value) || !value.isNumber()) return 0;
  return value.toNumber();
}

// The library's own counts, through the object it gives scripts that ask
// for them: the collected heap and the memory its cells hold beside it.
std::uint64_t HeapBytes(JSContext* cx) {
  JS::RootedObject info(cx, ::js::gc::NewMemoryInfoObject(cx));
  if (!info) {
    JS_ClearPendingException(cx);
    return 0;
  }
  const double bytes = Count(cx, info, "gcBytes") + Count(cx, info, "mallocBytes");
  JS_ClearPendingException(cx);
  return bytes > 0 ? static_cast<std::uint64_t>(bytes) : 0;
}

}  // namespace

void StartHeapGuard(JSContext* cx) {
  gCollected = gPastCap = false;
  JS_SetGCCallback(cx, OnCollection, nullptr);
}

bool HeapLookDue() { return gCollected || gPastCap; }

bool HeapPastCap() { return gPastCap; }

bool StopForHeap(JSContext* cx, bool startedPastCap) {
  gCollected = false;
  std::uint64_t bytes = HeapBytes(cx);
  const auto now = std::chrono::steady_clock::now();
  if (bytes > ScriptHeapLimit() &&
      (!gPastCap || gCollectionOwed || now - gLastCollection >= kCollectionPeriod)) {
    JS_GC(cx);
    gLastCollection = now;
    gCollected = gCollectionOwed = false;
    bytes = HeapBytes(cx);
  }
  gPastCap = bytes > ScriptHeapLimit();
  if (!gPastCap) return false;
  if (!startedPastCap) gCollectionOwed = true;
  EngineError(ScriptPlace(cx) + u" script stopped: out of memory");
  return true;
}

}  // namespace corvane::js
