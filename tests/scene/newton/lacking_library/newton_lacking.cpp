// A libnewton stand-in that lacks one entry point the engine calls
// (NewtonCollisionCollide, exported under another name here): the engine
// must take it as not loaded. Every entry point it has aborts, so a call
// through it fails the test.
#include <cstdlib>

#include "libs/newton/api/newton_api.h"

#define NewtonCollisionCollide NewtonCollisionCollide_missing
// Each stub's own name differs from the header's declaration; its symbol
// is the entry point's (the indirection expands the renamed one).
#define LACKING_STUB(name) LACKING_STUB_NAMED(name)
#define LACKING_STUB_NAMED(name)                                                   \
  extern "C" __attribute__((visibility("default"))) void Lacking_##name() __asm__(#name); \
  void Lacking_##name() { std::abort(); }
NEWTON_API_ENTRY_POINTS(LACKING_STUB)
