// Skinned widgets through the engine against the same quads by hand, on
// the OpenGL device under llvmpipe (SDL's offscreen driver, no display).
// 500 buttons in a grid draw the default skin's "button" element nine-
// sliced over themselves each frame: nine textured quads a button through
// the device's scratch mesh, one call at a time. The plain frame draws the
// same 4500 quads from the same texture in one call. Both end with
// glFinish. The console paints the newest lines of a 100,000-line log and
// of a 20-line one. The figures to read are the cost per widget,
// BM_EngineOverPlain's median ratio, the engine's allocations per steady
// frame, and the two console times side by side.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/geometry/vertex_format.h"
#include "base/system/log_target.h"
#include "bench/support/paired_rounds.h"
#include "bench/support/skinned_gl_world.h"
#include "gui/button.h"
#include "gui/console.h"
#include "platform/view_projection.h"

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
constexpr float kSheet = 256;
// The default skin's "button": (96, 16)-(160, 48), margins of 8.
constexpr float kElement[4] = {96, 16, 160, 48};
constexpr float kMargin = 8;

struct TBench : bench::TSkinnedGLWorld {
  TBench() : TSkinnedGLWorld(kWidth, kHeight, static_cast<int>(kSheet)) {
    if (!gl.device) return;
    for (int i = 0; i < kWidgets; ++i) {
      auto* button = Create<Button>(TCreateContext(gl.world.applet));
      const float x = static_cast<float>(i % kColumns) * kCellWidth;
      const float y = static_cast<float>(i / kColumns) * kCellHeight;
      button->SetBoundsRect({x, y, x + kButtonWidth, y + kButtonHeight});
    }
    // The plain context draws from the device's texture.
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
    plainContext = SDL_GL_CreateContext(gl.HostWindow());
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    for (int i = 0; i < kWidgets; ++i) {
      const float x = static_cast<float>(i % kColumns) * kCellWidth;
      const float y = static_cast<float>(i / kColumns) * kCellHeight;
      AddNineSlice({x, y, x + kButtonWidth, y + kButtonHeight});
    }
  }
  ~TBench() {
    if (plainContext) SDL_GL_DeleteContext(plainContext);
  }
  TBench(const TBench&) = delete;
  TBench& operator=(const TBench&) = delete;
  bool Ready() const { return TSkinnedGLWorld::Ready() && plainContext; }

  void AddNineSlice(const TRect& r) {
    const float xs[4] = {r.left, r.left + kMargin, r.right - kMargin, r.right};
    const float ys[4] = {r.top, r.top + kMargin, r.bottom - kMargin, r.bottom};
    const float us[4] = {kElement[0], kElement[0] + kMargin, kElement[2] - kMargin, kElement[2]};
    const float vs[4] = {kElement[1], kElement[1] + kMargin, kElement[3] - kMargin, kElement[3]};
    const std::uint32_t white = gl.device->CorrectMeshVertexColor(0xFFFFFFFF);
    for (int row = 0; row < 3; ++row)
      for (int column = 0; column < 3; ++column) {
        const auto base = static_cast<std::uint16_t>(vertices.size());
        for (const auto& [i, j] : {std::pair{column, row}, {column + 1, row}, {column + 1, row + 1}, {column, row + 1}})
          vertices.push_back({{xs[i], ys[j], 0}, white, {us[i] / kSheet, vs[j] / kSheet}});
        for (const int k : {1, 0, 3, 3, 2, 1}) indices.push_back(static_cast<std::uint16_t>(base + k));
      }
  }

  std::vector<TColorPixmapVertex> vertices;
  std::vector<std::uint16_t> indices;
  SDL_GLContext plainContext = nullptr;
};

TBench& Bench() {
  static TBench bench;
  return bench;
}

void EngineFrame(TBench& b) { b.Frame(); }

void PlainFrame(TBench& b) {
  if (SDL_GL_GetCurrentContext() != b.plainContext) SDL_GL_MakeCurrent(b.gl.HostWindow(), b.plainContext);
  glViewport(0, 0, kWidth, kHeight);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(b.sheet->TextureHandle));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glMatrixMode(GL_PROJECTION);
  const TSpaceMatrix screen = ScreenProjection(kWidth, kHeight, 0, 0, 1);
  glLoadMatrixf(&screen[0].x);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(3, GL_FLOAT, sizeof(TColorPixmapVertex), &b.vertices[0].position);
  glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(TColorPixmapVertex), &b.vertices[0].color);
  glTexCoordPointer(2, GL_FLOAT, sizeof(TColorPixmapVertex), &b.vertices[0].tex);
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(b.indices.size()), GL_UNSIGNED_SHORT, b.indices.data());
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glFinish();
  SDL_GL_SwapWindow(b.gl.HostWindow());
}

constexpr int kRunFrames = 100;

constexpr const char* kNotReady = "no OpenGL context or no skin";

// The scratch mesh grows to what a call needs while warming.
template <void (*Frame)(TBench&)>
bool Run(benchmark::State& state) {
  return bench::BenchTimeFrames(state, Bench(), kNotReady, kRunFrames, kWidgets, Frame);
}

void BM_EngineSkinned500(benchmark::State& state) {
  if (!Run<EngineFrame>(state)) return;
  const TBench& b = Bench();
  state.counters["allocs/frame"] = b.AllocationsPerFrame();
}
void BM_PlainTexturedQuads4500(benchmark::State& state) { Run<PlainFrame>(state); }

BENCHMARK(BM_EngineSkinned500)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlainTexturedQuads4500)->Unit(benchmark::kMillisecond)->Iterations(3);

double ratio = 0;

void BM_EngineOverPlain(benchmark::State& state) {
  bench::BenchFrameRatio(state, Bench(), kNotReady, EngineFrame, PlainFrame, ratio);
}

BENCHMARK(BM_EngineOverPlain)->Unit(benchmark::kMillisecond)->Iterations(1);

// A log that keeps n lines, without the engine's.
class TKeptLog final : public TLogTarget {
 public:
  explicit TKeptLog(int n) {
    for (int i = 0; i < n; ++i) lines_.push_back("12:00:00 (i) line " + std::to_string(i));
  }
  void Log(std::u16string_view) override {}
  void Error(std::u16string_view) override {}
  std::int32_t LineCount() const override { return static_cast<std::int32_t>(lines_.size()); }
  std::string Line(std::int32_t index) const override { return lines_[static_cast<std::size_t>(index)]; }

 private:
  std::vector<std::string> lines_;
};

void ConsolePaint(benchmark::State& state) {
  TBench& b = Bench();
  if (!bench::BenchReady(state, b, kNotReady)) return;
  TKeptLog log(static_cast<int>(state.range(0)));
  TLogTarget* previous = SetLogTarget(&log);
  auto* console = Create<TConsole>(TCreateContext(b.gl.world.applet));
  console->SetBoundsRect({0, 0, kWidth, kHeight / 2});
  for (auto _ : state) console->Paint();
  console->Free();
  SetLogTarget(previous);
}

BENCHMARK(ConsolePaint)->Arg(20)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvane

int main(int argc, char** argv) {
  return corvane::bench::RunWithRatio(argc, argv, "engine / plain skinned frame", corvane::ratio);
}
