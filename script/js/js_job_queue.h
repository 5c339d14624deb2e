// The promise jobs of the shared context. The library queues a job for
// each reaction to a settled promise (then, await, async functions and
// generators, a dynamic import's refusal); without a queue of the
// embedding's it would crash on the first one.
//
// Jobs run when the call into script code that queued them returns, still
// inside that call (js_engine.cpp): under the same guard, its interrupt,
// watchdog and heap cap, each job in the realm it was queued in, oldest
// first, the jobs they queue after them. A call the guard stopped, or
// whose applet ended while it ran, drops what it queued; an engine that
// goes drops every job of its own, so no job runs in another applet's
// global or after its applet is freed.
//
// A promise rejected with no handler by the time those jobs ran is a
// script error like any other: its reason goes to the log.
#pragma once

#include <cstdint>

#include <jsapi.h>

namespace corvane::js {

// Pending jobs of all applets together, at most; a script that queues one
// more gets an error.
inline constexpr std::size_t kMaxPendingJobs = std::size_t{1} << 20;

// With the shared context: installed once it is made, emptied before it is
// destroyed (the jobs are rooted in it), and deleted after.
void StartJobQueue(JSContext* cx);
void StopJobQueue(JSContext* cx);
void DeleteJobQueue();

// The point of the queue now: jobs queued after it are the current call's.
std::uint64_t JobMark();

// Takes the oldest job queued since the mark that may still run (one of a
// living engine, in that engine's realm); false when none is left.
bool TakeJob(std::uint64_t mark, JS::MutableHandleObject job);

// Drops the jobs queued since the mark, and the rejections noted since.
void DropJobsSince(std::uint64_t mark);

// Drops every job queued in the engine's realm (the engine goes).
void DropJobsOf(const void* engine);

// Reports, and forgets, the promises rejected since the mark that still
// have no handler.
void ReportUnhandledRejections(JSContext* cx, std::uint64_t mark);

}  // namespace corvane::js
