// The OpenGL device under llvmpipe (SDL's offscreen driver, no display)
// with the scene and GUI classes registered and the embedded default skin
// loaded, for benchmarks of skinned widgets; and a frame of it whose
// RenderWindow's heap allocations are counted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "bench/support/heap_count.h"
#include "engine/core/object_loader.h"
#include "engine/shell/engine.h"
#include "gui/register.h"
#include "resources/cache/register.h"
#include "resources/embedded_defaults.h"
#include "resources/embedded_res_man.h"
#include "scene/register.h"
#include "tests/platform_sdl/gl_harness.h"

namespace corvane::bench {

struct TSkinnedGLWorld {
  // The skin's sheet is sheetSize units square.
  TSkinnedGLWorld(int width, int height, int sheetSize) : gl(width, height) {
    if (!gl.device) return;
    ClearEmbeddedResources();
    RegisterEmbeddedDefaults();
    RegisterResourceServices();
    RegisterSceneClasses();
    RegisterGuiClasses();
    embedded = new TEmbeddedResMan(TCreateContext());
    FinishConstruction(embedded, TCreateContext());
    gl.world.engine->SetEmbeddedResMan(embedded);
    sheet = gl.world.applet->UseDefaultPixmap(sheetSize, sheetSize);
    gl.world.applet->SetDefaultSkin(LoadObject(embedded, u"defaultskin.object", gl.world.applet));
    if (!gl.world.applet->DefaultSkin()) std::fprintf(stderr, "%s\n", gl.world.log.Text().c_str());
  }
  ~TSkinnedGLWorld() {
    // The sheet goes back to the cache while the device that made it lives.
    if (sheet) gl.world.applet->UseDefaultPixmap(0, 0);
  }
  TSkinnedGLWorld(const TSkinnedGLWorld&) = delete;
  TSkinnedGLWorld& operator=(const TSkinnedGLWorld&) = delete;
  bool Ready() const { return gl.device && sheet && gl.world.applet->DefaultSkin(); }

  // The engine's frame, finished with glFinish.
  void Frame() {
    TGenericGLDevice& d = *gl.device;
    const std::size_t before = HeapAllocations();
    d.RenderWindow();
    allocations += HeapAllocations() - before;
    ++frames;
    glFinish();
    d.FlipWindow();
  }
  void ResetCounts() {
    allocations = 0;
    frames = 0;
  }
  double AllocationsPerFrame() const {
    return frames ? static_cast<double>(allocations) / static_cast<double>(frames) : 0;
  }

  test::TOffscreenVideo video;
  test::TGLHarness gl;
  TEmbeddedResMan* embedded = nullptr;
  TPixmap* sheet = nullptr;
  std::size_t allocations = 0;
  std::int64_t frames = 0;
};

}  // namespace corvane::bench
