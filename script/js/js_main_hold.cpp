#include "script/js/js_main_hold.h"

#include <linux/membarrier.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>

namespace corvane::js {

namespace hold_detail {

std::atomic<bool> gInLibrary{false};
std::atomic<bool> gHeld{false};
std::atomic<std::uint64_t> gSteps{0};
bool gLightSide = false;

namespace {
std::mutex gMutex;
std::condition_variable gReleased;
bool gWaiting = false;
}  // namespace

void WaitWhileHeld() {
  std::unique_lock<std::mutex> lock(gMutex);
  gWaiting = true;
  gReleased.wait(lock, [] { return !gHeld.load(std::memory_order_acquire); });
  gWaiting = false;
}

}  // namespace hold_detail

namespace {

using namespace hold_detail;

long Membarrier(int command) { return syscall(__NR_membarrier, command, 0, 0); }

// A full barrier on every thread of the process: after it, the main
// thread's last step is seen, and its next one sees the hold.
void HeavyBarrier() {
  std::atomic_thread_fence(std::memory_order_seq_cst);
  if (gLightSide) Membarrier(MEMBARRIER_CMD_PRIVATE_EXPEDITED);
}

}  // namespace

void PrepareMainThreadHold() {
  static const bool registered = Membarrier(MEMBARRIER_CMD_REGISTER_PRIVATE_EXPEDITED) == 0;
  gLightSide = registered;
}

bool HoldMainThread() {
  // Cheap first: a main thread in the engine's code is not held.
  if (!gInLibrary.load(std::memory_order_relaxed)) return false;
  {
    const std::lock_guard<std::mutex> lock(gMutex);
    gHeld.store(true, std::memory_order_seq_cst);
  }
  HeavyBarrier();
  if (gInLibrary.load(std::memory_order_acquire)) return true;
  {
    const std::lock_guard<std::mutex> lock(gMutex);
    if (gWaiting) return true;
  }
  ReleaseMainThread();
  return false;
}

void ReleaseMainThread() {
  {
    const std::lock_guard<std::mutex> lock(gMutex);
    gHeld.store(false, std::memory_order_release);
  }
  gReleased.notify_all();
}

}  // namespace corvane::js
