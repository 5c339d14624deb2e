#include "tests/platform_bass/failing_allocation.h"

#include <cstdlib>
#include <new>

namespace {

// Plain values: read before any constructor of the thread has run.
thread_local std::size_t tUntilFailure = 0;
thread_local bool tFailed = false;

// Whether this allocation is the one to fail.
bool FailsNow() {
  if (tUntilFailure == 0 || --tUntilFailure != 0) return false;
  tFailed = true;
  return true;
}

void* Allocate(std::size_t size) noexcept {
  if (FailsNow()) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}

void* AllocateOrThrow(std::size_t size) {
  void* block = Allocate(size);
  if (!block) throw std::bad_alloc();
  return block;
}

}  // namespace

namespace corvane::test {

void FailAllocation(std::size_t n) {
  tUntilFailure = n;
  tFailed = false;
}

bool AllocationFailed() { return tFailed; }

}  // namespace corvane::test

void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
