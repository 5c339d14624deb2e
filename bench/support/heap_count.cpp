#include "bench/support/heap_count.h"

#include <cstdlib>
#include <new>

namespace {

std::size_t allocations = 0;

}  // namespace

// Kept out of line, so that the compiler does not pair an inlined free with
// the built-in new.
[[gnu::noinline]] void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace corvane::bench {

std::size_t HeapAllocations() { return allocations; }

}  // namespace corvane::bench
