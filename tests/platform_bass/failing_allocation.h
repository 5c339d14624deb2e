// Running out of memory on demand: this suite replaces the global
// operator new and delete (on malloc and free, which the sanitizers still
// watch), and a test may make one allocation of its own thread throw
// std::bad_alloc, wherever it happens to be: in the engine, the C++
// library, or libbass.so.
#pragma once

#include <cstddef>

namespace corvane::test {

// The n-th allocation (from 1) of this thread from now on fails; 0
// disarms. Only that one: the next ones succeed again.
void FailAllocation(std::size_t n);
// Whether the armed allocation came and failed.
bool AllocationFailed();

}  // namespace corvane::test
