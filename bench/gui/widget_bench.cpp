// Standard widgets through the engine against the same quads by hand, on
// the OpenGL device under llvmpipe (SDL's offscreen driver, no display).
// 500 buttons in a grid are hit-tested by one pointer move (the hover goes
// from one button to the next) and drawn each frame: every button fills
// its rectangle and draws its one-unit frame, five quads, through the
// device's scratch mesh one call at a time. The plain frame draws the same
// 2500 quads from a client-side array in one call. Both end with glFinish.
// The figures to read are the cost per widget, BM_EngineOverPlain's median
// ratio, and the engine's allocations per steady frame (none).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "base/geometry/vertex_format.h"
#include "bench/support/heap_count.h"
#include "bench/support/paired_rounds.h"
#include "engine/core/container.h"
#include "gui/register.h"
#include "gui/std_button.h"
#include "platform/view_projection.h"
#include "tests/platform_sdl/gl_harness.h"

namespace corvane {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kColumns = 25;
constexpr int kRows = 20;
constexpr int kWidgets = kColumns * kRows;
constexpr float kCellWidth = 25.6f;
constexpr float kCellHeight = 24;
constexpr float kButtonWidth = 22;
constexpr float kButtonHeight = 20;

struct TBench {
  TBench() : gl(kWidth, kHeight) {
    if (!gl.device) return;
    RegisterGuiClasses();
    for (int i = 0; i < kWidgets; ++i) {
      auto* button = Create<TStdButton>(TCreateContext(gl.world.applet));
      const float x = static_cast<float>(i % kColumns) * kCellWidth;
      const float y = static_cast<float>(i / kColumns) * kCellHeight;
      button->SetBoundsRect({x, y, x + kButtonWidth, y + kButtonHeight});
      buttons.push_back(button);
    }
    plainContext = SDL_GL_CreateContext(gl.HostWindow());
    for (const TStdButton* button : buttons) {
      const TRect r = button->GetBoundsRectInt();
      AddQuad(r, 0xFF808080);
      // The frame as the device draws it: four bands that do not overlap.
      AddQuad({r.left, r.top, r.right - 1, r.top + 1}, 0xFF000000);
      AddQuad({r.right - 1, r.top, r.right, r.bottom - 1}, 0xFF000000);
      AddQuad({r.left + 1, r.bottom - 1, r.right, r.bottom}, 0xFF000000);
      AddQuad({r.left, r.top + 1, r.left + 1, r.bottom}, 0xFF000000);
    }
  }
  ~TBench() {
    if (plainContext) SDL_GL_DeleteContext(plainContext);
  }
  TBench(const TBench&) = delete;
  TBench& operator=(const TBench&) = delete;
  bool Ready() const { return gl.device && plainContext; }
  void ResetCounts() {
    allocations = 0;
    frames = 0;
  }
  double AllocationsPerFrame() const {
    return frames ? static_cast<double>(allocations) / static_cast<double>(frames) : 0;
  }

  void AddQuad(const TRect& r, std::uint32_t color) {
    const auto base = static_cast<std::uint16_t>(vertices.size());
    const std::uint32_t c = gl.device->CorrectMeshVertexColor(color);
    for (const auto& [x, y] : {std::pair{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}})
      vertices.push_back({{x, y, 0}, c, {0, 0}});
    for (const int k : {1, 0, 3, 3, 2, 1}) indices.push_back(static_cast<std::uint16_t>(base + k));
  }

  test::TOffscreenVideo video;
  test::TGLHarness gl;
  std::vector<TStdButton*> buttons;
  int frame = 0;
  std::size_t allocations = 0;
  std::int64_t frames = 0;

  std::vector<TColorPixmapVertex> vertices;
  std::vector<std::uint16_t> indices;
  SDL_GLContext plainContext = nullptr;
};

TBench& Bench() {
  static TBench bench;
  return bench;
}

void EngineFrame(TBench& b) {
  TGenericGLDevice& d = *b.gl.device;
  const std::size_t before = bench::HeapAllocations();
  // The pointer over the middle of the next button.
  const int i = b.frame++ % kWidgets;
  b.gl.world.applet->MouseMove({}, static_cast<float>(i % kColumns) * kCellWidth + kButtonWidth / 2,
                               static_cast<float>(i / kColumns) * kCellHeight + kButtonHeight / 2, 1, 0);
  d.RenderWindow();
  b.allocations += bench::HeapAllocations() - before;
  ++b.frames;
  glFinish();
  d.FlipWindow();
}

void PlainFrame(TBench& b) {
  if (SDL_GL_GetCurrentContext() != b.plainContext) SDL_GL_MakeCurrent(b.gl.HostWindow(), b.plainContext);
  glViewport(0, 0, kWidth, kHeight);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  const TSpaceMatrix screen = ScreenProjection(kWidth, kHeight, 0, 0, 1);
  glLoadMatrixf(&screen[0].x);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(3, GL_FLOAT, sizeof(TColorPixmapVertex), &b.vertices[0].position);
  glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(TColorPixmapVertex), &b.vertices[0].color);
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(b.indices.size()), GL_UNSIGNED_SHORT, b.indices.data());
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glFinish();
  SDL_GL_SwapWindow(b.gl.HostWindow());
}

constexpr int kRunFrames = 100;

constexpr const char* kNotReady = "no OpenGL context";

// The scratch mesh grows to what a call needs while warming.
template <void (*Frame)(TBench&)>
bool Run(benchmark::State& state) {
  return bench::BenchTimeFrames(state, Bench(), kNotReady, kRunFrames, kWidgets, Frame);
}

void BM_EngineWidgets500(benchmark::State& state) {
  if (!Run<EngineFrame>(state)) return;
  const TBench& b = Bench();
  state.counters["allocs/frame"] = b.AllocationsPerFrame();
}
void BM_PlainQuads2500(benchmark::State& state) { Run<PlainFrame>(state); }

BENCHMARK(BM_EngineWidgets500)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlainQuads2500)->Unit(benchmark::kMillisecond)->Iterations(3);

double ratio = 0;

void BM_EngineOverPlain(benchmark::State& state) {
  bench::BenchFrameRatio(state, Bench(), kNotReady, EngineFrame, PlainFrame, ratio);
}

BENCHMARK(BM_EngineOverPlain)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace corvane

int main(int argc, char** argv) {
  return corvane::bench::RunWithRatio(argc, argv, "engine / plain widget frame", corvane::ratio);
}
