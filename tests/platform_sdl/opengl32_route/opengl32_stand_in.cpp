// The "opengl32" library of the tests of the engine-loaded OpenGL route.
// It depends on the system's libGL, so a look-up in it finds every entry
// point among its dependencies, and it puts a counting glClear in front of
// libGL's: a test then sees that the calls go through this library.
#include <dlfcn.h>

namespace {

using TClear = void (*)(unsigned int mask);

int clears = 0;

TClear SystemClear() {
  static const TClear clear = [] {
    void* gl = dlopen("libGL.so.1", RTLD_NOW | RTLD_NOLOAD);
    auto found = gl ? reinterpret_cast<TClear>(dlsym(gl, "glClear")) : nullptr;
    // The reference this library holds keeps libGL loaded.
    if (gl) dlclose(gl);
    return found;
  }();
  return clear;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void glClear(unsigned int mask) {
  ++clears;
  if (TClear clear = SystemClear()) clear(mask);
}

__attribute__((visibility("default"))) int corvane_opengl32_clears() { return clears; }

}
