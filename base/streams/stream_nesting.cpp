#include "base/streams/stream_nesting.h"

#include "base/streams/value_type.h"

namespace corvane {

namespace {

// The engine reads on one thread; readers nest only through the call stack.
int gDepth = 0;

}  // namespace

bool EnterStreamNesting() { return ++gDepth <= kMaxStreamDepth; }

void LeaveStreamNesting() { --gDepth; }

int StreamNestingDepth() { return gDepth; }

}  // namespace corvane
