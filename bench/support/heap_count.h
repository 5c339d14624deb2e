// Counts every heap allocation made through operator new in a benchmark
// program, so that a benchmark can show a frame or a tick allocating
// nothing. Link heap_count.cpp into the benchmark: it replaces the global
// operator new and delete.
#pragma once

#include <cstddef>

namespace corvane::bench {

// Allocations so far (Mesa's and other C libraries' own are not counted).
std::size_t HeapAllocations();

}  // namespace corvane::bench
