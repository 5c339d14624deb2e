// The script heap's cap over everything the library holds for scripts.
// The collected heap alone is capped by the library itself, but the
// characters of long strings and the contents of arrays and ArrayBuffers
// live in memory it allocates beside that heap: without this guard a
// script could keep gigabytes of strings under a cap of megabytes.
//
// The library counts that memory; after each collection and at each of
// the watchdog's interrupts the guard compares both counts with the cap.
// Past it, the library collects once (while scripts stay past it, once a
// second at most), and a script still past it is stopped with
//   file(line:column) script stopped: out of memory
// as is every script that starts while the applets' scripts stay past the
// cap, so that what they keep cannot grow further.
#pragma once

struct JSContext;

namespace corvane::js {

// With the shared context: the guard sees the library's collections.
void StartHeapGuard(JSContext* cx);

// Whether a look at the heap is due: after a collection, or while the
// last look found it past the cap.
bool HeapLookDue();

// Whether the last look found the heap past the cap.
bool HeapPastCap();

// Looks at the heap from a script's interrupt; true when the script must
// stop (logged). A script that began past the cap left no garbage of its
// own: the heap is not collected again for it (once a second at most).
bool StopForHeap(JSContext* cx, bool startedPastCap);

}  // namespace corvane::js
