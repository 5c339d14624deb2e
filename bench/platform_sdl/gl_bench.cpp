// The OpenGL device against plain OpenGL under llvmpipe (SDL's offscreen
// driver, no display). One frame is 2,000 textured 16 x 16 quads in 2D and
// 500 lit boxes in 3D, finished with glFinish so that the renderer's work
// is inside the time. The engine's frame goes through the device (a
// scratch-mesh lock, write, unlock and draw per quad and per box, states on
// change); the plain frame draws the same triangles in the same states with
// immediate-mode calls, and sets every state it draws with itself, so that
// it costs the same whichever frame ran before it. The ratio of the two is
// the engine's overhead, in wall time and in the main thread's CPU time
// (the renderer's own threads rasterise); the engine's frame must also
// allocate nothing on the heap.
//
// Other work on the machine moves the wall time a lot: BM_EngineOverPlain
// runs the two frames in alternating rounds and reports the medians of the
// rounds' ratios, the figures to read.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include "base/geometry/matrix.h"
#include "base/geometry/vector_math.h"
#include "base/reflection/prop_access.h"
#include "bench/support/frame_rounds.h"
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

// The quads' 16 x 16 checker board.
std::uint32_t CheckerPixel(int i) { return ((i / 16 + i % 16) & 1) ? 0xFFFFFFFF : 0xFF4080C0; }

// The plain frame draws in a context of its own on the same window, so that
// neither loop finds the other's state: the device keeps track of what it
// has bound and enabled, and the plain frame sets everything itself.
struct TBench {
  TBench() : gl(kWidth, kHeight) {
    if (!gl.device) return;
    TGenericGLDevice& d = *gl.device;
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
      for (int i = 0; i < 256; ++i) pixels[i] = CheckerPixel(i);
      d.UnlockPixmap(texture);
    }
    plainContext = SDL_GL_CreateContext(gl.HostWindow());
    if (!plainContext) return;
    std::uint32_t pixels[256];
    for (int i = 0; i < 256; ++i) pixels[i] = CheckerPixel(i);
    glGenTextures(1, &plainTexture);
    glBindTexture(GL_TEXTURE_2D, plainTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 16, 16, 0, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
  }
  ~TBench() {
    if (plainContext) SDL_GL_DeleteContext(plainContext);
  }
  TBench(const TBench&) = delete;
  TBench& operator=(const TBench&) = delete;

  bool Ready() const { return gl.device && plainContext; }

  test::TOffscreenVideo video;
  test::TGLHarness gl;
  TPixmap* texture = nullptr;
  SDL_GLContext plainContext = nullptr;
  GLuint plainTexture = 0;
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

// The fixed state, the light and the material of the engine's frame, set
// by hand each frame.
void PlainFixedState(TBench& b) {
  glShadeModel(GL_SMOOTH);
  glPolygonMode(GL_FRONT, GL_FILL);
  glEnable(GL_BLEND);
  glEnable(GL_ALPHA_TEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthMask(GL_TRUE);
  glFrontFace(GL_CCW);
  glCullFace(GL_BACK);
  glEnable(GL_CULL_FACE);
  glEnable(GL_COLOR_MATERIAL);
  glColorMaterial(GL_FRONT, GL_DIFFUSE);
  glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SINGLE_COLOR);
  glEnable(GL_NORMALIZE);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  for (GLenum array : {GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY})
    glDisableClientState(array);
  const TLight& light = b.gl.window->Lights[1];
  glLightfv(GL_LIGHT1, GL_AMBIENT, ColorToGLFloat4(light.Ambient).rgba);
  glLightfv(GL_LIGHT1, GL_DIFFUSE, ColorToGLFloat4(light.Diffuse).rgba);
  glLightfv(GL_LIGHT1, GL_SPECULAR, ColorToGLFloat4(light.Specular).rgba);
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(&b.gl.window->ViewMatrix[0].x);
  const TSpaceVector toLight = VectorSpaceNormalize(SpaceVectorSubtract(light.Position, light.Target));
  const GLfloat position[4] = {toLight.x, toLight.y, toLight.z, 0};
  glLightfv(GL_LIGHT1, GL_POSITION, position);
  for (GLenum i = 0; i < 8; ++i) {
    if (i == 1) glEnable(GL_LIGHT0 + i);
    else glDisable(GL_LIGHT0 + i);
  }
}

// The material SetMaterial gives: ambient, diffuse (through the current
// colour), specular, no emission, shininess 64.
void PlainMaterial(std::uint32_t ambient, std::uint32_t diffuse, std::uint32_t specular) {
  const TGLColor d = ColorToGLFloat4(diffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ColorToGLFloat4(ambient).rgba);
  glColor4fv(d.rgba);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, d.rgba);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, ColorToGLFloat4(specular).rgba);
  const GLfloat none[4] = {0, 0, 0, 0};
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, none);
  glMateriali(GL_FRONT, GL_SHININESS, 64);
}

// The same triangles, states and matrices by hand.
void PlainFrame(TBench& b) {
  if (SDL_GL_GetCurrentContext() != b.plainContext) SDL_GL_MakeCurrent(b.gl.HostWindow(), b.plainContext);
  TWindow& w = *b.gl.window;
  glViewport(0, 0, kWidth, kHeight);
  glClearDepth(1.0);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  PlainFixedState(b);

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
  glBindTexture(GL_TEXTURE_2D, b.plainTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  PlainMaterial(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF);
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
  PlainMaterial(kBoxColor, kBoxColor, 0xFF000000);
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

constexpr const char* kNotReady = "no OpenGL context";

template <void (*Frame)(TBench&)>
void RunFrames(benchmark::State& state) {
  TBench& b = Bench();
  if (bench::BenchCountedFrames(state, b, Frame, kNotReady)) state.counters["lit"] = b.lit ? 1 : 0;
}

void BM_EngineFrame(benchmark::State& state) { RunFrames<EngineFrame>(state); }
void BM_PlainOpenGLFrame(benchmark::State& state) { RunFrames<PlainFrame>(state); }

BENCHMARK(BM_EngineFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PlainOpenGLFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);

constexpr int kRoundFrames = 40;
bench::TFrameTimes ratios;

// One iteration is a round: kRoundFrames frames of each kind, the order
// alternating from round to round so that neither always runs first.
void BM_EngineOverPlain(benchmark::State& state) {
  bench::BenchFrameRounds(state, Bench(), kNotReady, kRoundFrames, EngineFrame, PlainFrame, ratios);
}

BENCHMARK(BM_EngineOverPlain)->Unit(benchmark::kMillisecond)->Iterations(25);

}  // namespace
}  // namespace corvane

int main(int argc, char** argv) {
  return corvane::bench::RunWithFrameRatios(argc, argv, "frame", corvane::ratios);
}
