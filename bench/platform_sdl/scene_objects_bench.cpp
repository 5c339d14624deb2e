// Scene objects through the paint walk on the OpenGL device against plain
// OpenGL under llvmpipe (SDL's offscreen driver, no display). One frame is
// 2,000 Boxes, 2,000 Sprites (16 x 16, one shared picture) and 100 Meshes
// of a 1,000-vertex model of 10 frames, each played by a looping
// MeshAnimationEffect, finished with glFinish. The engine's frame is the
// device's RenderWindow over the applet's tree (per object: its scene
// state, matrix, material and depth states, then its Paint); the plain
// frame draws the same triangles in the same states by hand, blending the
// models' two frames on the CPU as the device does. The ratio of the two
// is the objects' overhead; the engine's frame must allocate nothing.
#include <benchmark/benchmark.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <vector>

#include "base/geometry/matrix.h"
#include "bench/support/frame_rounds.h"
#include "bench/support/heap_count.h"
#include "engine/shell/applet.h"
#include "platform/view_projection.h"
#include "resources/folder_res_man.h"
#include "scene/box.h"
#include "scene/materials.h"
#include "scene/mesh.h"
#include "scene/mesh_animation_effect.h"
#include "scene/mesh_persistent.h"
#include "scene/pixmap_persistent.h"
#include "scene/register.h"
#include "scene/skin_pixmap_persistent.h"
#include "scene/sprite.h"
#include "tests/platform_sdl/gl_harness.h"
#include "tests/support/file_bytes.h"
#include "tests/support/kit/filter_files.h"
#include "tests/support/kit/test_filter.h"

namespace corvane {
namespace {

constexpr int kBoxes = 2000;
constexpr int kSprites = 2000;
constexpr int kMeshes = 100;
constexpr int kModelVertices = 1000;
constexpr int kModelFrames = 10;
constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr float kBoxHalf = 1.5f;
constexpr std::uint32_t kBoxColor = 0xFFC08040;
// Where every effect stands: between frames 5 and 6, so that each model
// is blended.
constexpr float kElapsed = 0.55f;
constexpr float kKeyTime = 0.1f;

// A 25 x 20 grid across the default camera's view.
TSpaceVector BoxCentre(int j) {
  j %= 500;
  return {static_cast<float>(j % 25 - 12) * 6, static_cast<float>(j % 7) * 4, static_cast<float>(j / 25 - 10) * 5 + 2,
          1};
}
TSpaceVector MeshCentre(int k) {
  return {static_cast<float>(k % 10 - 5) * 12, 10, static_cast<float>(k / 10 - 5) * 8, 1};
}
TPoint SpriteCentre(int i) {
  return {static_cast<float>((i * 37) % (kWidth - 16)) + 8, static_cast<float>((i * 53) % (kHeight - 16)) + 8};
}
std::uint32_t CheckerPixel(int i) { return ((i / 16 + i % 16) & 1) ? 0xFFFFFFFF : 0xFF4080C0; }

// The model: a ribbon of 500 columns of two vertices, 10 wide and 2 high,
// rippling differently in each frame; two triangles between columns.
struct TModel {
  std::vector<TPixmapVertexNormal> Frames;  // kModelFrames x kModelVertices
  std::vector<std::uint16_t> Indices;
};
TModel MakeModel() {
  TModel model;
  for (int f = 0; f < kModelFrames; ++f)
    for (int v = 0; v < kModelVertices; ++v) {
      const float x = static_cast<float>(v / 2) / 50.0f - 5, z = static_cast<float>(v % 2) * 2;
      const float y = std::sin(x + static_cast<float>(f) * 0.6f);
      model.Frames.push_back({{x, y, z}, {0, -1, 0}, {x / 10 + 0.5f, z / 2}});
    }
  for (int c = 0; c + 1 < kModelVertices / 2; ++c) {
    const auto a = static_cast<std::uint16_t>(2 * c);
    for (int i : {0, 2, 1, 1, 2, 3}) model.Indices.push_back(static_cast<std::uint16_t>(a + i));
  }
  return model;
}

std::string ModelFileBytes(const TModel& model) {
  test::TMeshFile file;
  file.Format = vfPixmapVertexNormal;
  file.VertexCount = kModelVertices;
  file.Indexed = true;
  file.Indices = model.Indices;
  file.Animated = true;
  file.FrameCount = kModelFrames;
  file.Bounds = {{-5, -1, 0, 1}, {5, 1, 2, 1}};
  for (const TPixmapVertexNormal& v : model.Frames)
    for (float word : {v.position.x, v.position.y, v.position.z, v.normal.x, v.normal.y, v.normal.z, v.tex.u, v.tex.v})
      file.Words.push_back(std::bit_cast<std::uint32_t>(word));
  return test::MeshFileBytes(file);
}

struct TBench {
  TBench() : gl(kWidth, kHeight) {
    if (!gl.device) return;
    RegisterSceneClasses();
    test::TTestApplet& applet = *gl.world.applet;
    folder = test::MakeTempFolder("corvane-scenebench-");
    resMan.reset(CreateResMan<TFolderResourceMan>(folder));
    applet.SetResMan(resMan.get());
    model = MakeModel();
    test::WriteFileBytes(folder + "ribbon.mesh", ModelFileBytes(model));
    std::vector<std::uint32_t> checker(256);
    for (int i = 0; i < 256; ++i) checker[static_cast<std::size_t>(i)] = CheckerPixel(i);
    applet.Filters()->pixmapFiles[u"checker.pixmap"] = {16, 16};
    applet.Filters()->pixmapTexels[u"checker.pixmap"] = checker;
    applet.Filters()->realMeshes = true;

    auto* materials = Create<Materials>(TCreateContext(&applet));
    applet.SetMaterials(materials);
    for (const auto& [name, colour] : {std::pair{u"box", u"#FFC08040"}, std::pair{u"white", u"#FFFFFFFF"}}) {
      auto* material = Create<Material>(TCreateContext(materials));
      material->SetName(name);
      material->SetDiffuse(colour);
    }
    gl.device->SetCameraPos({0, -150, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1});
    for (int j = 0; j < kBoxes; ++j) {
      auto* box = Create<Box>(TCreateContext(&applet));
      made.emplace_back(box);
      box->SetKind(okSpace);
      box->SetWidth(2 * kBoxHalf);
      box->SetHeight(2 * kBoxHalf);
      box->SetDepth(2 * kBoxHalf);
      const TSpaceVector c = BoxCentre(j);
      box->Position()->SetValues(c.x, c.y, c.z);
      box->SetMaterialName(u"box");
    }
    for (int i = 0; i < kSprites; ++i) {
      auto* sprite = Create<Sprite>(TCreateContext(&applet));
      made.emplace_back(sprite);
      sprite->SetSpriteSize(16, 16);
      sprite->SetMaterialName(u"white");
      const TPoint c = SpriteCentre(i);
      sprite->Position()->SetValues(c.x, c.y, 0);
      sprite->SetPicture("checker.pixmap");
      sprite->SetZTest(false);
    }
    for (int k = 0; k < kMeshes; ++k) {
      auto* mesh = Create<Mesh>(TCreateContext(&applet));
      made.emplace_back(mesh);
      mesh->SetKind(okSpace);
      const TSpaceVector c = MeshCentre(k);
      mesh->Position()->SetValues(c.x, c.y, c.z);
      mesh->SetMaterialName(u"white");
      mesh->Pixmap()->SetFileName("checker.pixmap");
      mesh->Model()->SetFileName("ribbon.mesh");
      auto* effect = Create<MeshAnimationEffect>(TCreateContext(mesh));
      effect->SetKey1(0);
      effect->SetKey2(kModelFrames - 1);
      effect->SetKeyTime(kKeyTime);
      effect->SetLoop(true);
      effect->SetRunning(true);
      effect->ProcessTick(kElapsed, 0);
      ready = ready && mesh->Model()->Mesh() && mesh->Driver() == effect;
    }
    plainContext = SDL_GL_CreateContext(gl.HostWindow());
    if (!plainContext) return;
    glGenTextures(1, &plainTexture);
    glBindTexture(GL_TEXTURE_2D, plainTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 16, 16, 0, GL_BGRA, GL_UNSIGNED_BYTE, checker.data());
    blended.resize(kModelVertices);
  }
  ~TBench() {
    if (plainContext) SDL_GL_DeleteContext(plainContext);
    if (gl.device) {
      SDL_GL_MakeCurrent(gl.HostWindow(), static_cast<SDL_GLContext>(gl.window->GLContext));
      // The tree gives its pictures and models back while the device lives.
      for (TWeak<BaseObject>& object : made)
        if (BaseObject* alive = object.Get()) alive->Free();
    }
    resMan.reset();
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
  }
  TBench(const TBench&) = delete;
  TBench& operator=(const TBench&) = delete;

  bool Ready() const { return gl.device && plainContext && ready; }

  test::TOffscreenVideo video;
  test::TGLHarness gl;
  std::string folder;
  TOwned<TResourceMan> resMan;
  TModel model;
  std::vector<TPixmapVertexNormal> blended;
  std::vector<TWeak<BaseObject>> made;
  SDL_GLContext plainContext = nullptr;
  GLuint plainTexture = 0;
  bool ready = true;
};

TBench& Bench() {
  static TBench bench;
  return bench;
}

void EngineFrame(TBench& b) {
  TGenericGLDevice& d = *b.gl.device;
  d.RenderWindow();
  glFinish();
  d.FlipWindow();
}

void PlainFixedState() {
  glShadeModel(GL_SMOOTH);
  glPolygonMode(GL_FRONT, GL_FILL);
  glEnable(GL_BLEND);
  glEnable(GL_ALPHA_TEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthMask(GL_TRUE);
  glFrontFace(GL_CCW);
  glCullFace(GL_BACK);
  glEnable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  glEnable(GL_NORMALIZE);
  for (GLenum array : {GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY})
    glDisableClientState(array);
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
}

void PlainFrame(TBench& b) {
  if (SDL_GL_GetCurrentContext() != b.plainContext) SDL_GL_MakeCurrent(b.gl.HostWindow(), b.plainContext);
  const TWindow& w = *b.gl.window;
  glViewport(0, 0, kWidth, kHeight);
  glClearDepth(1.0);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  PlainFixedState();

  // The boxes: untextured, in their colour, with the depth test.
  glMatrixMode(GL_PROJECTION);
  const TSpaceMatrix scene = SceneProjection(static_cast<float>(kHeight) / kWidth, 1);
  glLoadMatrixf(&scene[0].x);
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(&w.ViewMatrix[0].x);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  const TGLColor box = ColorToGLFloat4(kBoxColor);
  constexpr float h = kBoxHalf;
  const float normals[6][3] = {{0, 0, 1}, {0, 0, -1}, {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
  const float quads[6][4][3] = {{{-h, h, h}, {h, h, h}, {h, -h, h}, {-h, -h, h}},
                                {{h, h, -h}, {-h, h, -h}, {-h, -h, -h}, {h, -h, -h}},
                                {{h, h, h}, {h, h, -h}, {h, -h, -h}, {h, -h, h}},
                                {{-h, h, -h}, {-h, h, h}, {-h, -h, h}, {-h, -h, -h}},
                                {{-h, h, -h}, {h, h, -h}, {h, h, h}, {-h, h, h}},
                                {{-h, -h, h}, {h, -h, h}, {h, -h, -h}, {-h, -h, -h}}};
  for (int j = 0; j < kBoxes; ++j) {
    const TSpaceVector c = BoxCentre(j);
    glColor4fv(box.rgba);
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

  // The sprites: textured quads in 2D without the depth test.
  glMatrixMode(GL_PROJECTION);
  const TSpaceMatrix screen = ScreenProjection(kWidth, kHeight, 0, 0, 1);
  glLoadMatrixf(&screen[0].x);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, b.plainTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  for (int i = 0; i < kSprites; ++i) {
    const TPoint c = SpriteCentre(i);
    glColor4f(1, 1, 1, 1);
    glPushMatrix();
    glTranslatef(c.x, c.y, 0);
    glBegin(GL_TRIANGLES);
    const float corners[4][4] = {{-8, -8, 0, 0}, {8, -8, 1, 0}, {8, 8, 1, 1}, {-8, 8, 0, 1}};
    for (int k : {1, 0, 3, 3, 2, 1}) {
      glTexCoord2f(corners[k][2], corners[k][3]);
      glVertex3f(corners[k][0], corners[k][1], 0);
    }
    glEnd();
    glPopMatrix();
  }

  // The models: the two frames blended on the CPU, drawn from client arrays.
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixf(&scene[0].x);
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(&w.ViewMatrix[0].x);
  glEnable(GL_DEPTH_TEST);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  const float frames = kElapsed / kKeyTime;
  const int first = static_cast<int>(frames);
  const float weight = frames - static_cast<float>(first);
  for (int k = 0; k < kMeshes; ++k) {
    const TPixmapVertexNormal* a = b.model.Frames.data() + first * kModelVertices;
    const TPixmapVertexNormal* n = a + kModelVertices;
    for (int v = 0; v < kModelVertices; ++v) {
      TPixmapVertexNormal& out = b.blended[static_cast<std::size_t>(v)];
      out.position = {a[v].position.x + (n[v].position.x - a[v].position.x) * weight,
                      a[v].position.y + (n[v].position.y - a[v].position.y) * weight,
                      a[v].position.z + (n[v].position.z - a[v].position.z) * weight};
      out.normal = {a[v].normal.x + (n[v].normal.x - a[v].normal.x) * weight,
                    a[v].normal.y + (n[v].normal.y - a[v].normal.y) * weight,
                    a[v].normal.z + (n[v].normal.z - a[v].normal.z) * weight};
      out.tex = a[v].tex;
    }
    const TSpaceVector c = MeshCentre(k);
    glColor4f(1, 1, 1, 1);
    glPushMatrix();
    glTranslatef(c.x, c.y, c.z);
    constexpr GLsizei stride = sizeof(TPixmapVertexNormal);
    glVertexPointer(3, GL_FLOAT, stride, &b.blended[0].position);
    glNormalPointer(GL_FLOAT, stride, &b.blended[0].normal);
    glTexCoordPointer(2, GL_FLOAT, stride, &b.blended[0].tex);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(b.model.Indices.size()), GL_UNSIGNED_SHORT,
                   b.model.Indices.data());
    glPopMatrix();
  }
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glFinish();
  SDL_GL_SwapWindow(b.gl.HostWindow());
}

constexpr const char* kNotReady = "no OpenGL context or no model";

template <void (*Frame)(TBench&)>
void RunFrames(benchmark::State& state) {
  bench::BenchCountedFrames(state, Bench(), Frame, kNotReady);
}

void BM_EngineSceneFrame(benchmark::State& state) { RunFrames<EngineFrame>(state); }
void BM_PlainOpenGLSceneFrame(benchmark::State& state) { RunFrames<PlainFrame>(state); }

BENCHMARK(BM_EngineSceneFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PlainOpenGLSceneFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);

constexpr int kRoundFrames = 10;
bench::TFrameTimes ratios;

void BM_EngineOverPlain(benchmark::State& state) {
  bench::BenchFrameRounds(state, Bench(), kNotReady, kRoundFrames, EngineFrame, PlainFrame, ratios);
}

BENCHMARK(BM_EngineOverPlain)->Unit(benchmark::kMillisecond)->Iterations(15);

}  // namespace
}  // namespace corvane

int main(int argc, char** argv) {
  return corvane::bench::RunWithFrameRatios(argc, argv, "scene frame", corvane::ratios);
}
