// The OpenGL device against plain OpenGL under llvmpipe (SDL's offscreen
// driver, no display). One frame is 2,000 textured 16 x 16 quads in 2D and
// 500 lit boxes in 3D, finished with glFinish so that the renderer's work
// is inside the time. The engine's frame goes through the device (a
// scratch-mesh lock, write, unlock and draw per quad and per box, states on
// change); the plain frame draws the same triangles in the same states with
// immediate-mode calls. The ratio of the two is the engine's overhead; the
// engine's frame must also allocate nothing on the heap.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

#include "base/matrix.h"
#include "base/prop_access.h"
#include "bench/support/heap_count.h"
#include "platform/view_projection.h"
#include "tests/platform_sdl/gl_harness.h"

namespace corvane {
namespace {

constexpr int kQuads = 2000;
constexpr int kBoxes = 500;
constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr float kBoxHalf = 1.5f;
constexpr std::uint32_t kBoxColor = 0xFFC08040;

TRect QuadRect(int i) {
  const float x = static_cast<float>((i * 37) % (kWidth - 16)), y = static_cast<float>((i * 53) % (kHeight - 16));
  return Rect(x, y, x + 16, y + 16);
}

// A 25 x 20 grid of boxes across the default camera's view.
TSpaceVector BoxCentre(int j) {
  return {static_cast<float>(j % 25 - 12) * 6, static_cast<float>(j % 7) * 4,
          static_cast<float>(j / 25 - 10) * 5 + 2, 1};
}

struct TBench {
  TBench() : gl(kWidth, kHeight) {
    TGenericGLDevice& d = *gl.device;
    if (!d.HasContext()) return;
    // The boxes are lit when the applet's lighting switch is on.
    if (const TPropInfo* lighting = GetPropInfo(*gl.world.applet, "lighting")) {
      SetOrdProp(*gl.world.applet, *lighting, 1);
      lit = true;
    }
    d.SetCameraPos({0, -150, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1});
    d.SetLight(1, {0, -150, 60, 1}, {0, 0, 0, 1}, 0xFF202020, 0xFFFFFFFF, 0xFF000000, false, true);
    d.RebuildStates();
    texture = d.CreatePixmap(16, 16);
    void* bits = nullptr;
    if (d.LockPixmapRectARGB(texture, 0, 0, 16, 16, bits, false)) {
      auto* pixels = static_cast<std::uint32_t*>(bits);
      for (int i = 0; i < 256; ++i) pixels[i] = ((i / 16 + i % 16) & 1) ? 0xFFFFFFFF : 0xFF4080C0;
      d.UnlockPixmap(texture);
    }
  }

  test::TOffscreenVideo video;
  test::TGLHarness gl;
  TPixmap* texture = nullptr;
  bool lit = false;
};

TBench& Bench() {
  static TBench bench;
  return bench;
}

void EngineFrame(TBench& b) {
  TGenericGLDevice& d = *b.gl.device;
  d.RenderWindow();
  d.SetRenderState(rs2DScene);
  d.SetRenderState(rsZTestOff);
  d.SetColor(0xFFFFFFFF);
  d.SetPixmap(0, b.texture);
  d.SetRenderState(rsTexLinear);
  d.SetRenderState(rsTexModulate);
  for (int i = 0; i < kQuads; ++i) d.DrawPixmap(b.texture, QuadRect(i));

  d.SetRenderState(rs3DScene);
  d.SetRenderState(rsZTestOn);
  d.SetMaterial({true, kBoxColor, kBoxColor, 0xFF000000});
  TSpaceMatrix m = IdentitySpaceMatrix;
  for (int j = 0; j < kBoxes; ++j) {
    const TSpaceVector c = BoxCentre(j);
    m[3] = c;
    d.SetSpaceMatrix(m);
    d.FillBox({-kBoxHalf, -kBoxHalf, -kBoxHalf, 1}, {kBoxHalf, kBoxHalf, kBoxHalf, 1});
  }
  glFinish();
  d.FlipWindow();
}

// The same triangles, states and matrices by hand.
void PlainFrame(TBench& b) {
  TWindow& w = *b.gl.window;
  glViewport(0, 0, kWidth, kHeight);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_CULL_FACE);
  glFrontFace(GL_CCW);
  glCullFace(GL_BACK);
  for (GLenum array : {GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY})
    glDisableClientState(array);

  glMatrixMode(GL_PROJECTION);
  const TSpaceMatrix screen = ScreenProjection(kWidth, kHeight, 0, 0, 1);
  glLoadMatrixf(&screen[0].x);
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(b.texture->TextureHandle));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glColor4f(1, 1, 1, 1);
  glBegin(GL_TRIANGLES);
  for (int i = 0; i < kQuads; ++i) {
    const TRect r = QuadRect(i);
    const float corners[4][4] = {{r.left, r.top, 0, 0}, {r.right, r.top, 1, 0}, {r.right, r.bottom, 1, 1},
                                 {r.left, r.bottom, 0, 1}};
    for (int k : {1, 0, 3, 3, 2, 1}) {
      glTexCoord2f(corners[k][2], corners[k][3]);
      glVertex3f(corners[k][0], corners[k][1], 0);
    }
  }
  glEnd();

  glMatrixMode(GL_PROJECTION);
  const TSpaceMatrix scene = SceneProjection(static_cast<float>(kHeight) / kWidth, 1);
  glLoadMatrixf(&scene[0].x);
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(&w.ViewMatrix[0].x);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  if (b.lit) glEnable(GL_LIGHTING);
  const TGLColor color = ColorToGLFloat4(kBoxColor);
  glColor4fv(color.rgba);
  constexpr float h = kBoxHalf;
  // Each face: its normal, then its corners as FillBox writes them.
  const float normals[6][3] = {{0, 0, 1}, {0, 0, -1}, {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
  const float quads[6][4][3] = {{{-h, h, h}, {h, h, h}, {h, -h, h}, {-h, -h, h}},
                                {{h, h, -h}, {-h, h, -h}, {-h, -h, -h}, {h, -h, -h}},
                                {{h, h, h}, {h, h, -h}, {h, -h, -h}, {h, -h, h}},
                                {{-h, h, -h}, {-h, h, h}, {-h, -h, h}, {-h, -h, -h}},
                                {{-h, h, -h}, {h, h, -h}, {h, h, h}, {-h, h, h}},
                                {{-h, -h, h}, {h, -h, h}, {h, -h, -h}, {-h, -h, -h}}};
  for (int j = 0; j < kBoxes; ++j) {
    const TSpaceVector c = BoxCentre(j);
    glPushMatrix();
    glTranslatef(c.x, c.y, c.z);
    glBegin(GL_TRIANGLES);
    for (int f = 0; f < 6; ++f) {
      glNormal3fv(normals[f]);
      for (int k : {1, 0, 3, 3, 2, 1}) glVertex3fv(quads[f][k]);
    }
    glEnd();
    glPopMatrix();
  }
  glFinish();
  SDL_GL_SwapWindow(b.gl.HostWindow());
}

double engineSeconds = 0, plainSeconds = 0;

template <void (*Frame)(TBench&)>
void RunFrames(benchmark::State& state, double& secondsPerFrame) {
  TBench& b = Bench();
  if (!b.gl.device->HasContext()) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  Frame(b);  // warm: the first frame compiles the renderer's code
  const std::size_t before = bench::HeapAllocations();
  const auto start = std::chrono::steady_clock::now();
  std::int64_t frames = 0;
  for (auto _ : state) {
    Frame(b);
    ++frames;
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  secondsPerFrame = elapsed.count() / static_cast<double>(frames);
  state.counters["allocs/frame"] = static_cast<double>(bench::HeapAllocations() - before) / static_cast<double>(frames);
  state.counters["fps"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
  state.counters["lit"] = b.lit ? 1 : 0;
}

void BM_EngineFrame(benchmark::State& state) { RunFrames<EngineFrame>(state, engineSeconds); }
void BM_PlainOpenGLFrame(benchmark::State& state) { RunFrames<PlainFrame>(state, plainSeconds); }

BENCHMARK(BM_EngineFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PlainOpenGLFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace corvane

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (corvane::engineSeconds > 0 && corvane::plainSeconds > 0)
    std::printf("engine / plain OpenGL frame time: %.2f\n", corvane::engineSeconds / corvane::plainSeconds);
  return 0;
}
