// Lights, a camera and pictures of the scene on the real OpenGL device,
// read back.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/geometry/point_rect_persistent.h"
#include "base/reflection/prop_access.h"
#include "engine/shell/applet.h"
#include "resources/empty_res_man.h"
#include "resources/folder_res_man.h"
#include "scene/box.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "scene/materials.h"
#include "scene/mirror.h"
#include "scene/pixmap_persistent.h"
#include "scene/register.h"
#include "scene/skin_pixmap_persistent.h"
#include "scene/sprite.h"
#include "tests/base/temp_dir.h"
#include "tests/platform_sdl/gl_harness.h"
#include "tests/support/file_bytes.h"
#include "tests/support/kit/filter_files.h"
#include "tests/support/kit/test_filter.h"

namespace corvane {
namespace {

class ScenePixelsTest : public test::GLDeviceTest {
 protected:
  void SetUp() override {
    test::GLDeviceTest::SetUp();
    if (HasFatalFailure()) return;
    RegisterSceneClasses();
    Applet& applet = *gl->world.applet;
    SetOrdProp(applet, PropByName(applet, "lighting"), 1);
    auto* materials = Create<Materials>(TCreateContext(&applet));
    applet.SetMaterials(materials);
    auto* lit = Create<Material>(TCreateContext(materials));
    lit->SetName(u"lit");
    lit->SetLighting(true);
    lit->SetDiffuse(u"#FFFFFFFF");
    lit->SetAmbient(u"#FF000000");
    lit->SetSpecular(u"#FF000000");
    auto* red = Create<Material>(TCreateContext(materials));
    red->SetName(u"red");
    red->SetDiffuse(u"#FFFF0000");
    resMan_.reset(new TEmptyResourceMan(TCreateContext()));
    FinishConstruction(resMan_.get(), TCreateContext());
    gl->world.applet->SetResMan(resMan_.get());
  }
  void TearDown() override {
    gl.reset();
    resMan_.reset();
  }

  // A lit screen box, 200 pixels a side, in the middle of the window.
  Box* ScreenBox() {
    auto* box = Create<Box>(TCreateContext(gl->world.applet));
    box->SetWidth(200);
    box->SetHeight(200);
    box->SetDepth(200);
    box->Position()->SetValues(320, 240, 0);
    box->SetMaterialName(u"lit");
    return box;
  }
  Light* ScreenLight(float z) {
    auto* light = Create<Light>(TCreateContext(gl->world.applet));
    light->Position()->SetValues(320, 240, z);
    return light;
  }
  // A space camera at (0, -20, 0) looking along +y, and a red space box of
  // that side at the origin, ahead of it.
  Box* RedBoxAhead(float side) {
    auto* camera = Create<Camera>(TCreateContext(gl->world.applet));
    camera->SetKind(okSpace);
    camera->Position()->SetValues(0, -20, 0);
    auto* box = Create<Box>(TCreateContext(gl->world.applet));
    box->SetKind(okSpace);
    box->SetWidth(side);
    box->SetHeight(side);
    box->SetDepth(side);
    box->SetMaterialName(u"red");
    return box;
  }
  std::uint32_t Centre(const std::vector<std::uint32_t>& pixels) const { return gl->Rgb(pixels, 320, 240); }
  // The middle of the window bright under a screen light on the viewer's
  // side, dark with the light behind.
  Light* ExpectLitFromTheFront() {
    Light* light = ScreenLight(-1000);
    const std::uint32_t front = Centre(Frame());
    EXPECT_GE(MinChannel(front), 200) << std::hex << front;
    light->SetZ(1000);
    const std::uint32_t behind = Centre(Frame());
    EXPECT_LE(MaxChannel(behind), 40) << std::hex << behind;
    return light;
  }
  static int MinChannel(std::uint32_t rgb) {
    return std::min({static_cast<int>(rgb >> 16), static_cast<int>((rgb >> 8) & 0xFF), static_cast<int>(rgb & 0xFF)});
  }
  static int MaxChannel(std::uint32_t rgb) {
    return std::max({static_cast<int>(rgb >> 16), static_cast<int>((rgb >> 8) & 0xFF), static_cast<int>(rgb & 0xFF)});
  }

  // The picture drawn into (100, 100)-(228, 228) in white, read back.
  std::vector<std::uint32_t> DrawPicture(TPixmapPersistent& pixmap) {
    gl->Begin2D();
    Device().SetColor(0xFFFFFFFF);
    Device().SetRenderState(rsZTestOff);
    pixmap.Draw({100, 100, 228, 228});
    return gl->ReadAndFlip();
  }
  void ExpectQuadrants(const std::vector<std::uint32_t>& pixels) const {
    EXPECT_EQ(gl->Rgb(pixels, 132, 132), 0xFF0000u);
    EXPECT_EQ(gl->Rgb(pixels, 196, 132), 0x00FF00u);
    EXPECT_EQ(gl->Rgb(pixels, 132, 196), 0x0000FFu);
    EXPECT_EQ(gl->Rgb(pixels, 196, 196), 0xFFFFFFu);
  }

  TOwned<TResourceMan> resMan_;
};

TEST_F(ScenePixelsTest, ALightLightsTheFaceTurnedToItAndGoesDarkWhenOff) {
  ScreenBox();
  Light* light = ExpectLitFromTheFront();
  light->SetZ(-1000);
  ASSERT_GE(MinChannel(Centre(Frame())), 200);
  light->SetEnabled(false);
  EXPECT_LE(MaxChannel(Centre(Frame())), 40);
  light->SetEnabled(true);
  EXPECT_GE(MinChannel(Centre(Frame())), 200);
  // Destroyed: dark as well.
  light->Free();
  EXPECT_LE(MaxChannel(Centre(Frame())), 40);
}

TEST_F(ScenePixelsTest, ALightSavedDisabledStaysDark) {
  ScreenBox();
  BaseObject* light = gl->world.Load("object l: Light\n  x = 320\n  y = 240\n  z = -1000\n  enabled = False\nend\n");
  ASSERT_NE(dynamic_cast<Light*>(light), nullptr) << gl->world.log.Text();
  EXPECT_LE(MaxChannel(Centre(Frame())), 40);
}

// A sprite's picture has no normals of its own: lit, it faces the viewer
// as a box's front face does, whatever was drawn before it.
TEST_F(ScenePixelsTest, ALitSpriteFacesTheLightOnTheViewersSide) {
  test::TTestFilter* filter = gl->world.applet->Filters();
  filter->pixmapFiles[u"white.pixmap"] = {4, 4};
  filter->pixmapTexels[u"white.pixmap"] = std::vector<std::uint32_t>(16, 0xFFFFFFFFu);
  // A box drawn first leaves the last of its normals behind.
  Box* box = ScreenBox();
  box->Position()->SetValues(100, 100, 0);
  box->SetWidth(20);
  box->SetHeight(20);
  box->SetDepth(20);
  auto* sprite = Create<Sprite>(TCreateContext(gl->world.applet));
  sprite->Position()->SetValues(320, 240, 0);
  sprite->SetSpriteSize(200, 200);
  sprite->SetMaterialName(u"lit");
  sprite->Pixmap()->SetFileName("white.pixmap");
  ASSERT_NE(sprite->Pixmap()->Loaded(), nullptr);
  ExpectLitFromTheFront();
  // Its picture goes back to the applet's cache while the cache lives.
  sprite->Free();
}

TEST_F(ScenePixelsTest, ASpaceCameraSeesWhatLiesAheadWhereItLies) {
  Box* box = RedBoxAhead(4);
  // The centroid of the red pixels.
  auto centroid = [&](const std::vector<std::uint32_t>& pixels) {
    double sx = 0, sy = 0;
    int n = 0;
    for (int y = 0; y < gl->Height(); ++y)
      for (int x = 0; x < gl->Width(); ++x)
        if (gl->Rgb(pixels, x, y) == 0xFF0000u) {
          sx += x;
          sy += y;
          ++n;
        }
    EXPECT_GT(n, 0) << "no red pixel";
    return std::pair<double, double>{n ? sx / n : -1, n ? sy / n : -1};
  };
  const double cx = (gl->Width() - 1) / 2.0, cy = (gl->Height() - 1) / 2.0;
  auto [x0, y0] = centroid(Frame());
  EXPECT_NEAR(x0, cx, 2.0);
  EXPECT_NEAR(y0, cy, 2.0);
  box->SetX(5);
  auto [x1, y1] = centroid(Frame());
  EXPECT_GT(x1, cx + 20);
  EXPECT_NEAR(y1, cy, 2.0);
  box->SetX(0);
  box->SetZ(5);
  auto [x2, y2] = centroid(Frame());
  EXPECT_NEAR(x2, cx, 2.0);
  EXPECT_LT(y2, cy - 20) << "+z is up";
}

// A mirror of a mirror shows its object twice reflected: a box at x = -5,
// mirror B (the plane x = -4) shows it at x = -3, mirror A (the plane
// x = 0) shows B's reflection at x = 3. Mirrors that show one another stop
// there, and say so once each.
TEST_F(ScenePixelsTest, AMirrorOfAMirrorShowsTheDoubleReflection) {
  Box* box = RedBoxAhead(1);
  box->Position()->SetValues(-5, 0, 0);
  const auto mirror = [&](const char16_t* name, float x, PositionObject* shown) {
    auto* made = Create<Mirror>(TCreateContext(gl->world.applet));
    made->SetName(name);
    made->SetKind(okSpace);
    made->Position()->SetValues(x, 0, 0);
    made->Up()->SetValues(1, 0, 0);
    made->SetMirrorObject(shown);
    return made;
  };
  Mirror* inner = mirror(u"inner", -4, box);
  Mirror* outer = mirror(u"outer", 0, inner);
  const double cx = (gl->Width() - 1) / 2.0;
  // The centroid of the red pixels between x0 and x1; -1 without any.
  const auto redBetween = [&](const std::vector<std::uint32_t>& pixels, double x0, double x1) {
    double sx = 0;
    int n = 0;
    for (int y = 0; y < gl->Height(); ++y)
      for (int x = static_cast<int>(x0); x < static_cast<int>(x1); ++x)
        if (gl->Rgb(pixels, x, y) == 0xFF0000u) {
          sx += x;
          ++n;
        }
    return n > 0 ? sx / n : -1.0;
  };
  std::vector<std::uint32_t> pixels = Frame();
  // Left of the middle the box and, nearer the middle, B's reflection.
  const double left = redBetween(pixels, 0, cx);
  const double box3 = redBetween(pixels, left, cx);
  const double twice = redBetween(pixels, cx, gl->Width());
  ASSERT_GT(box3, 0) << "B's reflection";
  EXPECT_NEAR(twice - cx, cx - box3, 2.0) << "A shows B's reflection at x = 3";
  EXPECT_EQ(gl->world.log.ErrorCount(), 0) << gl->world.log.Text();

  // B shows A, A shows B: each paints the other's reflection once.
  inner->SetMirrorObject(outer);
  for (int i = 0; i < 3; ++i) pixels = Frame();
  EXPECT_EQ(redBetween(pixels, cx, gl->Width()), -1.0);
  for (const char* name : {"inner", "outer"})
    EXPECT_EQ(gl->world.log.CountError(std::string("Mirror ") + name +
                                       " shows itself through its mirrored objects: not reflected inside itself"),
              1)
        << gl->world.log.Text();
}

TEST_F(ScenePixelsTest, APictureShowsUprightAndItsSubRectangle) {
  test::TTestFilter* filter = gl->world.applet->Filters();
  filter->pixmapFiles[u"quadrants.pixmap"] = {64, 64};
  filter->pixmapTexels[u"quadrants.pixmap"] = QuadrantTexels();
  auto* pixmap = Create<TPixmapPersistent>(TCreateContext(gl->world.applet));
  pixmap->SetFileName("quadrants.pixmap");
  ASSERT_NE(pixmap->Loaded(), nullptr);
  ExpectQuadrants(DrawPicture(*pixmap));
  pixmap->Rect()->SetRect({32, 0, 64, 32});
  const std::vector<std::uint32_t> pixels = DrawPicture(*pixmap);
  for (int y = 102; y < 226; y += 8)
    for (int x = 102; x < 226; x += 8) ASSERT_EQ(gl->Rgb(pixels, x, y), 0x00FF00u) << x << "," << y;
  pixmap->Free();
}

// A ".pixmap" file among the applet's files, read by the engine's own
// filter into a texture: its stored byte order reaches the screen upright
// and in its colours.
TEST_F(ScenePixelsTest, APictureFileReadByTheEngineFilterShowsUpright) {
  test::TTempDir dir;
  test::WriteFileBytes(dir.File("quadrants.pixmap"), test::PixmapFileBytes(64, 64, QuadrantTexels()));
  TResourceMan* files = CreateResMan<TFolderResourceMan>(dir.Path() + "/");
  gl->world.applet->SetResMan(files);
  resMan_.reset(files);
  gl->world.applet->UseEngineFilter();
  auto* pixmap = Create<TPixmapPersistent>(TCreateContext(gl->world.applet));
  pixmap->SetFileName("quadrants.pixmap");
  ASSERT_NE(pixmap->Loaded(), nullptr) << gl->world.log.Text();
  EXPECT_EQ(pixmap->Loaded()->Width, 64);
  ExpectQuadrants(DrawPicture(*pixmap));
  pixmap->Free();
}

}  // namespace
}  // namespace corvane
