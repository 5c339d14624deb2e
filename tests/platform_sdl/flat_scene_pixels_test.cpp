// Rectangles, sprites, sprite sheets and posed models on the real OpenGL
// device (SDL offscreen, Mesa llvmpipe), read back.
#include <gtest/gtest.h>

#include <bit>
#include <filesystem>

#include "base/geometry/point_rect_persistent.h"
#include "base/reflection/prop_access.h"
#include "engine/shell/applet.h"
#include "resources/folder_res_man.h"
#include "scene/animation_effect.h"
#include "scene/materials.h"
#include "scene/mesh.h"
#include "scene/mesh_persistent.h"
#include "scene/pixmap_animation_effect.h"
#include "scene/rect.h"
#include "scene/register.h"
#include "scene/skin_pixmap_persistent.h"
#include "scene/sprite.h"
#include "tests/platform_sdl/gl_harness.h"
#include "tests/support/file_bytes.h"
#include "tests/support/kit/filter_files.h"
#include "tests/support/kit/test_filter.h"

namespace corvane {
namespace {

class FlatScenePixelsTest : public test::GLDeviceTest {
 protected:
  void SetUp() override {
    test::GLDeviceTest::SetUp();
    if (HasFatalFailure()) return;
    RegisterSceneClasses();
    test::TTestApplet& applet = *gl->world.applet;
    auto* materials = Create<Materials>(TCreateContext(&applet));
    applet.SetMaterials(materials);
    for (const auto& [name, colour] : {std::pair{u"red", u"#FFFF0000"}, std::pair{u"white", u"#FFFFFFFF"}}) {
      auto* material = Create<Material>(TCreateContext(materials));
      material->SetName(name);
      material->SetDiffuse(colour);
    }
    folder_ = test::MakeTempFolder("corvane-flat-");
    ASSERT_FALSE(folder_.empty());
    resMan_.reset(CreateResMan<TFolderResourceMan>(folder_));
    applet.SetResMan(resMan_.get());
    test::TTestFilter* filter = applet.Filters();
    filter->pixmapFiles[u"quadrants.pixmap"] = {64, 64};
    filter->pixmapTexels[u"quadrants.pixmap"] = QuadrantTexels();
    filter->realMeshes = true;
  }
  void TearDown() override {
    // The objects give their pictures and models back while the device
    // lives.
    for (TWeak<BaseObject>& object : made_)
      if (BaseObject* alive = object.Get()) alive->Free();
    gl.reset();
    resMan_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::uint32_t At(const std::vector<std::uint32_t>& pixels, int x, int y) const { return gl->Rgb(pixels, x, y); }
  // A 64 x 64 sprite of the quadrants centred at (164, 164): it covers
  // 132 .. 196 both ways.
  Sprite* QuadrantSprite() {
    auto* sprite = Make<Sprite>();
    sprite->SetSpriteSize(64, 64);
    sprite->SetMaterialName(u"white");
    sprite->Position()->SetValues(164, 164, 0);
    sprite->SetPicture("quadrants.pixmap");
    return sprite;
  }

  template <class T>
  T* Make() {
    T* object = Create<T>(TCreateContext(gl->world.applet));
    made_.emplace_back(object);
    return object;
  }

  std::string folder_;
  TOwned<TResourceMan> resMan_;
  std::vector<TWeak<BaseObject>> made_;
};

TEST_F(FlatScenePixelsTest, ARectFillsItsRectangleInItsMaterial) {
  auto* rect = Make<class Rect>();
  rect->SetWidth(40);
  rect->SetHeight(20);
  rect->Position()->SetValues(70, 75, 0);
  rect->SetMaterialName(u"red");
  std::vector<std::uint32_t> pixels = Frame();
  // Inside: 50 .. 90 by 65 .. 85.
  for (const auto& [x, y] : {std::pair{70, 75}, std::pair{51, 66}, std::pair{88, 83}})
    EXPECT_EQ(At(pixels, x, y), 0xFF0000u) << x << "," << y;
  for (const auto& [x, y] : {std::pair{46, 75}, std::pair{93, 75}, std::pair{70, 61}, std::pair{70, 88}})
    EXPECT_EQ(At(pixels, x, y), 0u) << x << "," << y;
  rect->SetAlpha(0.5f);
  pixels = Frame();
  const std::uint32_t half = At(pixels, 70, 75);
  EXPECT_NEAR(static_cast<int>(half >> 16), 128, 3) << std::hex << half;
  EXPECT_EQ(half & 0xFFFF, 0u) << std::hex << half;
}

// Key frames move a rectangle: x 40 -> 160 over frames 0 .. 30.
TEST_F(FlatScenePixelsTest, AKeyFramedRectIsDrawnWhereItsKeysPutIt) {
  auto* rect = Make<class Rect>();
  rect->SetWidth(20);
  rect->SetHeight(20);
  rect->Position()->SetValues(40, 75, 0);
  rect->SetMaterialName(u"white");
  auto* slide = Create<AnimationEffect>(TCreateContext(rect));
  slide->AddKey(0, 0, u"", u"");
  slide->AddKey(30, 0, u"", u"");
  slide->Keys()->Key(0)->SetX(40);
  slide->Keys()->Key(1)->SetX(160);
  slide->SetRunning(true);
  for (int i = 0; i < 6; ++i) slide->ProcessTick(0.1f, 0);  // the sixth frame is at 0.5 s
  std::vector<std::uint32_t> pixels = Frame();
  EXPECT_EQ(At(pixels, 100, 75), 0xFFFFFFu);
  EXPECT_EQ(At(pixels, 70, 75), 0u);
  EXPECT_EQ(At(pixels, 130, 75), 0u);
  for (int i = 0; i < 8; ++i) slide->ProcessTick(0.1f, 0);
  EXPECT_FALSE(slide->Running());
  pixels = Frame();
  EXPECT_EQ(At(pixels, 160, 75), 0xFFFFFFu);
  EXPECT_EQ(At(pixels, 100, 75), 0u);
}

TEST_F(FlatScenePixelsTest, ASpriteShowsItsPictureUprightAndItsSubRectangle) {
  Sprite* sprite = QuadrantSprite();
  std::vector<std::uint32_t> pixels = Frame();
  EXPECT_EQ(At(pixels, 148, 148), 0xFF0000u);
  EXPECT_EQ(At(pixels, 180, 148), 0x00FF00u);
  EXPECT_EQ(At(pixels, 148, 180), 0x0000FFu);
  EXPECT_EQ(At(pixels, 180, 180), 0xFFFFFFu);
  EXPECT_EQ(At(pixels, 128, 164), 0u);
  sprite->Pixmap()->Rect()->SetRect({32, 0, 64, 32});
  pixels = Frame();
  for (int y = 134; y < 196; y += 6)
    for (int x = 134; x < 196; x += 6) ASSERT_EQ(At(pixels, x, y), 0x00FF00u) << x << "," << y;
}

TEST_F(FlatScenePixelsTest, ASpriteSheetLoopsThroughItsCells) {
  Sprite* sprite = QuadrantSprite();
  auto* effect = Create<PixmapAnimationEffect>(TCreateContext(sprite));
  effect->SetWidth(32);
  effect->SetHeight(32);
  effect->SetKeyPerSecond(1);
  effect->SetLoop(true);
  effect->SetRunning(true);
  // Each frame shows the cell of the time before its tick: 0.5 s, 1.5 s ...
  const std::uint32_t expected[] = {0xFF0000u, 0x00FF00u, 0x0000FFu, 0xFFFFFFu, 0xFF0000u};
  float time = 0;
  effect->ProcessTick(0.5f, time);
  for (std::uint32_t colour : expected) {
    effect->ProcessTick(0.5f, time += 0.5f);
    EXPECT_EQ(At(Frame(), 164, 164), colour) << "at " << time << " s";
    effect->ProcessTick(0.5f, time += 0.5f);
  }
}

// Three frames of one quad, 40 wide: at x 20-60, 80-120 and 140-180.
std::string QuadFramesMesh() {
  test::TMeshFile mesh;
  mesh.Format = vfPixmapVertexNormal;
  mesh.VertexCount = 4;
  mesh.Indexed = true;
  mesh.Indices = {1, 0, 3, 3, 2, 1};
  mesh.Animated = true;
  mesh.FrameCount = 3;
  mesh.Bounds = {{20, 100, 0, 1}, {180, 140, 0, 1}};
  for (int frame = 0; frame < 3; ++frame) {
    const float left = 20.0f + 60.0f * static_cast<float>(frame), right = left + 40;
    const float corners[4][2] = {{left, 100}, {right, 100}, {right, 140}, {left, 140}};
    for (const auto& corner : corners) {
      for (float word : {corner[0], corner[1], 0.0f, 0.0f, 0.0f, -1.0f, 0.0f, 0.0f})
        mesh.Words.push_back(std::bit_cast<std::uint32_t>(word));
    }
  }
  return test::MeshFileBytes(mesh);
}

TEST_F(FlatScenePixelsTest, AModelPosedAtAKeyShowsThatFrame) {
  test::WriteFileBytes(folder_ + "quads.mesh", QuadFramesMesh());
  BaseObject* loaded = gl->world.Load(
      "object m: Mesh\n"
      "  material = 'red'\n"
      "  mesh.key = 1\n"
      "  mesh.fileName = 'quads.mesh'\n"
      "end\n");
  made_.emplace_back(loaded);
  auto* mesh = dynamic_cast<Mesh*>(loaded);
  ASSERT_NE(mesh, nullptr) << gl->world.log.Text();
  ASSERT_NE(mesh->Model()->Mesh(), nullptr) << gl->world.log.Text();
  EXPECT_EQ(mesh->Model()->Key(), 1);
  const std::vector<std::uint32_t> pixels = Frame();
  EXPECT_EQ(At(pixels, 40, 120), 0u);
  EXPECT_EQ(At(pixels, 100, 120), 0xFF0000u);
  EXPECT_EQ(At(pixels, 160, 120), 0u);
}

}  // namespace
}  // namespace corvane
