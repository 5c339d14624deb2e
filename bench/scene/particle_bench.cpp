// Particles through the engine against the same particles by hand, on the
// OpenGL device under llvmpipe (SDL's offscreen driver, no display). Twenty
// emitters keep 690 space and 138 screen particles alive (the passes'
// full shares), moving under gravity and friction and shown as coloured
// quads: the engine's frame runs every effect's ProcessEffect and the
// renderers' Paint (one locked mesh and one draw call per pass); the plain
// frame moves the same particles in one array and draws the same quads
// from a client-side array in one call per pass, with the same states.
// Both end with glFinish. The figures to read are BM_EngineOverPlain's
// medians of the rounds' ratios, and the engine's allocations in Paint.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "base/geometry/color.h"
#include "base/geometry/coord.h"
#include "base/geometry/scalar_math.h"
#include "base/geometry/vector_math.h"
#include "base/geometry/vertex_format.h"
#include "base/system/random.h"
#include "bench/support/frame_rounds.h"
#include "bench/support/heap_count.h"
#include "engine/core/position_object.h"
#include "platform/view_projection.h"
#include "scene/particles/particle.h"
#include "scene/particles/particle_effect.h"
#include "scene/particles/particle_list.h"
#include "scene/particles/particle_renderer.h"
#include "scene/particles/register.h"
#include "tests/platform_sdl/gl_harness.h"

namespace corvane {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr float kFrame = 1.0f / 60.0f;
constexpr int kSpaceEmitters = 15;
constexpr int kScreenEmitters = 5;
constexpr int kSpaceParticles = 690;
constexpr int kScreenParticles = 138;
constexpr float kGravity = 20;
constexpr float kFriction = 0.9f;
constexpr float kSize = 6;
constexpr std::uint32_t kColor = 0xFFFF8040;

// One particle of the plain loop.
struct TPlainParticle {
  TSpaceVector position, velocity;
  float age;
  bool space;
};

struct TBench {
  TBench() : gl(kWidth, kHeight) {
    if (!gl.device) return;
    RegisterParticleClasses();
    RandSeed(5);
    gl.device->SetCameraPos({0, -150, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1});
    renderer = Create<ParticleRenderer>(TCreateContext(gl.world.applet));
    renderer->hide();  // painted by the benchmark alone
    for (int e = 0; e < kSpaceEmitters + kScreenEmitters; ++e) {
      const bool space = e < kSpaceEmitters;
      auto* parent = Create<PositionObject>(TCreateContext(gl.world.applet));
      parent->SetKind(space ? okSpace : okScreen);
      if (space) parent->Position()->SetValues(static_cast<float>(e - 7) * 8, 0, 0);
      else parent->Position()->SetValues(100 + static_cast<float>(e) * 40, 240, 0);
      auto* effect = Create<ParticleEffect>(TCreateContext(parent));
      effect->SetRenderer(renderer);
      effect->SetParticleInterval(0);
      effect->SetLifeTime(60);  // none dies within a run
      effect->SetColorMin(ColorToStr(kColor));
      effect->SetColorMax(ColorToStr(kColor & 0x00FFFFFF));
      effect->SetScaleMin(kSize);
      effect->SetScaleMax(kSize);
      effect->SetSpreadAngle(360);
      effect->SetVelocityMin(5);
      effect->SetVelocityMax(20);
      effect->SetParticleFriction(kFriction);
      effect->Gravity()->SetValues(0, space ? 0 : kGravity, space ? -kGravity : 0);
      const int total = space ? kSpaceParticles : kScreenParticles;
      const int emitters = space ? kSpaceEmitters : kScreenEmitters;
      const int index = space ? e : e - kSpaceEmitters;
      effect->Burst(0, total / emitters + (index < total % emitters ? 1 : 0));
      effects.push_back(effect);
      for (int i = 0; i < effect->ParticleCount(); ++i) {
        const TParticle* p = effect->Particles()->Items(i);
        plain.push_back({p->position, p->velocity, 0, space});
      }
    }
    plainContext = SDL_GL_CreateContext(gl.HostWindow());
    vertices.resize(plain.size() * 4);
    indices.resize(plain.size() * 6);
  }
  ~TBench() {
    if (plainContext) SDL_GL_DeleteContext(plainContext);
  }
  TBench(const TBench&) = delete;
  TBench& operator=(const TBench&) = delete;
  bool Ready() const { return gl.device && plainContext && renderer; }

  test::TOffscreenVideo video;
  test::TGLHarness gl;
  ParticleRenderer* renderer = nullptr;
  std::vector<ParticleEffect*> effects;
  float time = 0;
  std::size_t paintAllocations = 0;
  std::int64_t paints = 0;

  std::vector<TPlainParticle> plain;
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
  b.time += kFrame;
  for (ParticleEffect* effect : b.effects) effect->ProcessTick(kFrame, b.time);
  d.RenderWindow();
  const std::size_t before = bench::HeapAllocations();
  b.renderer->PaintObject();
  b.paintAllocations += bench::HeapAllocations() - before;
  ++b.paints;
  glFinish();
  d.FlipWindow();
}

// The move of one frame, as the effect does it.
void Move(TPlainParticle& p) {
  const float factor = Power(kFriction, kFrame);
  TSpaceVector& v = p.velocity;
  v.x = v.x - 0.001f + Random() * 0.002f;
  v.y = v.y - 0.001f + Random() * 0.002f;
  v.z = v.z - 0.001f + Random() * 0.002f;
  if (p.space) v.z -= kGravity * kFrame;
  else v.y += kGravity * kFrame;
  p.position.x += v.x * kFrame;
  p.position.y += v.y * kFrame;
  p.position.z += v.z * kFrame;
  v.x *= factor;
  v.y *= factor;
  v.z *= factor;
  p.age += kFrame;
}

std::int32_t PlainQuads(TBench& b, bool space) {
  const TWindow& w = *b.gl.window;
  const TSpaceVector dir = VectorSpaceNormalize(w.CameraDirection);
  const TSpaceVector right = SpaceVectorScale(VectorSpaceNormalize(SpaceVectorCrossProduct(dir, w.CameraUp)), kSize / 2);
  const TSpaceVector down = SpaceVectorScale(VectorSpaceNormalize(SpaceVectorCrossProduct(dir, right)), kSize / 2);
  std::int32_t n = 0;
  for (const TPlainParticle& p : b.plain) {
    if (p.space != space) continue;
    const std::uint32_t color = ColorLerp(kColor, kColor & 0x00FFFFFF, p.age / 60.0f);
    TColorPixmapVertex* v = &b.vertices[static_cast<std::size_t>(n) * 4];
    if (space) {
      const float sx[4] = {-1, 1, 1, -1}, sy[4] = {-1, -1, 1, 1};
      for (int k = 0; k < 4; ++k)
        v[k].position = {p.position.x + sx[k] * right.x + sy[k] * down.x, p.position.y + sx[k] * right.y + sy[k] * down.y,
                         p.position.z + sx[k] * right.z + sy[k] * down.z};
    } else {
      const float x0 = p.position.x - kSize / 2, y0 = p.position.y - kSize / 2;
      v[0].position = {x0, y0, 0.9f};
      v[1].position = {x0 + kSize, y0, 0.9f};
      v[2].position = {x0 + kSize, y0 + kSize, 0.9f};
      v[3].position = {x0, y0 + kSize, 0.9f};
    }
    const TTexVector uv[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int k = 0; k < 4; ++k) {
      v[k].color = b.gl.device->CorrectMeshVertexColor(color);
      v[k].tex = uv[k];
    }
    const auto m = static_cast<std::uint16_t>(n * 4 + 4);
    std::uint16_t* i = &b.indices[static_cast<std::size_t>(n) * 6];
    i[0] = m - 3, i[1] = m - 4, i[2] = m - 1, i[3] = m - 1, i[4] = m - 2, i[5] = m - 3;
    ++n;
  }
  return n;
}

void PlainDraw(TBench& b, std::int32_t quads) {
  glVertexPointer(3, GL_FLOAT, sizeof(TColorPixmapVertex), &b.vertices[0].position);
  glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(TColorPixmapVertex), &b.vertices[0].color);
  glDrawElements(GL_TRIANGLES, quads * 6, GL_UNSIGNED_SHORT, b.indices.data());
}

void PlainFrame(TBench& b) {
  if (SDL_GL_GetCurrentContext() != b.plainContext) SDL_GL_MakeCurrent(b.gl.HostWindow(), b.plainContext);
  for (TPlainParticle& p : b.plain) Move(p);
  glViewport(0, 0, kWidth, kHeight);
  glDepthMask(GL_TRUE);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glDepthMask(GL_FALSE);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glFrontFace(GL_CCW);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);

  glMatrixMode(GL_PROJECTION);
  const TSpaceMatrix screen = ScreenProjection(kWidth, kHeight, 0, 0, 1);
  glLoadMatrixf(&screen[0].x);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  PlainDraw(b, PlainQuads(b, false));

  glMatrixMode(GL_PROJECTION);
  const TSpaceMatrix scene = SceneProjection(static_cast<float>(kHeight) / kWidth, 1);
  glLoadMatrixf(&scene[0].x);
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(&b.gl.window->ViewMatrix[0].x);
  PlainDraw(b, PlainQuads(b, true));

  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthMask(GL_TRUE);
  glFinish();
  SDL_GL_SwapWindow(b.gl.HostWindow());
}

// 600 frames of each kind.
constexpr int kRunFrames = 600;

constexpr const char* kNotReady = "no OpenGL context";

template <void (*Frame)(TBench&)>
void RunFrames(benchmark::State& state) {
  TBench& b = Bench();
  if (!bench::BenchReady(state, b, kNotReady)) return;
  Frame(b);  // warm: the first frame compiles the renderer's code
  b.paintAllocations = 0;
  b.paints = 0;
  for (auto _ : state)
    for (int i = 0; i < kRunFrames; ++i) Frame(b);
  state.counters["frames"] = kRunFrames;
}

void BM_EngineParticles600(benchmark::State& state) {
  RunFrames<EngineFrame>(state);
  TBench& b = Bench();
  state.counters["drawn"] = b.gl.device->ParticleCount;
  state.counters["allocs/paint"] = b.paints ? static_cast<double>(b.paintAllocations) / static_cast<double>(b.paints) : 0;
}
void BM_PlainParticles600(benchmark::State& state) { RunFrames<PlainFrame>(state); }

BENCHMARK(BM_EngineParticles600)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlainParticles600)->Unit(benchmark::kMillisecond)->Iterations(3);

constexpr int kRoundFrames = 60;
bench::TFrameTimes ratios;

void BM_EngineOverPlain(benchmark::State& state) {
  bench::BenchFrameRounds(state, Bench(), kNotReady, kRoundFrames, EngineFrame, PlainFrame, ratios,
                          bench::ERoundWarmUp::Cold);
}

BENCHMARK(BM_EngineOverPlain)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
}  // namespace corvane

int main(int argc, char** argv) {
  return corvane::bench::RunWithFrameRatios(argc, argv, "particle frame", corvane::ratios);
}
