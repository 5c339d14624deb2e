// The 3D scene through the OpenGL device, seen from the applet's default
// camera (0, -150, 0) looking along +y with +z up: what lies in front is
// drawn upright, back faces are culled, picking and the frustum agree with
// the picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "base/geometry/bounds.h"
#include "base/geometry/vector_math.h"
#include "base/reflection/prop_access.h"
#include "tests/platform_sdl/gl_harness.h"

namespace corvane {
namespace {

class OGLSceneTest : public test::GLDeviceTest {
 protected:
  void SetUp() override {
    test::GLDeviceTest::SetUp();
    if (HasFatalFailure()) return;
    Device().SetCameraPos({0, -150, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1});
  }
  void Begin3D() {
    Device().RenderWindow();
    Device().SetRenderState(rs3DScene);
    Device().SetSpaceMatrix(IdentitySpaceMatrix);
  }
  // Where a world point lands in the window (x right, y down), through the
  // device's own model-view-projection.
  TPoint Project(const TSpaceVector& p) {
    const TSpaceVector clip = SpaceVectorTransform(p, Device().ModelViewProj());
    return {(clip.x / clip.w + 1) / 2 * static_cast<float>(gl->Width()),
            (1 - clip.y / clip.w) / 2 * static_cast<float>(gl->Height())};
  }
  struct TBounds {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  };
  TBounds LitBounds(const std::vector<std::uint32_t>& pixels) const {
    TBounds b;
    for (int y = 0; y < gl->Height(); ++y)
      for (int x = 0; x < gl->Width(); ++x)
        if (gl->Rgb(pixels, x, y) != 0) {
          b.left = std::min(b.left, x);
          b.top = std::min(b.top, y);
          b.right = std::max(b.right, x);
          b.bottom = std::max(b.bottom, y);
        }
    return b;
  }
};

TEST_F(OGLSceneTest, ABoxAtTheOriginIsCentredAndUpright) {
  Begin3D();
  Device().SetRenderState(rsZTestOn);
  Device().SetColor(0xFFFF0000);
  Device().FillBox({-20, -20, -20, 1}, {20, 20, 0, 1});  // the lower half red
  Device().SetColor(0xFF00FF00);
  Device().FillBox({-20, -20, 0, 1}, {20, 20, 20, 1});  // the upper half green
  const std::vector<std::uint32_t> pixels = gl->ReadAndFlip();
  const TBounds b = LitBounds(pixels);
  ASSERT_GE(b.right, 0) << "nothing in front of the camera was drawn";
  EXPECT_NEAR((b.left + b.right) / 2.0, (gl->Width() - 1) / 2.0, 1.0);
  EXPECT_NEAR((b.top + b.bottom) / 2.0, (gl->Height() - 1) / 2.0, 1.0);
  EXPECT_EQ(gl->Rgb(pixels, 320, 240 - 40), 0x00FF00u) << "+z is up";
  EXPECT_EQ(gl->Rgb(pixels, 320, 240 + 40), 0xFF0000u);
  EXPECT_EQ(gl->Rgb(pixels, 320 - 60, 240 - 40), 0x00FF00u) << "left and right stay";
}

TEST_F(OGLSceneTest, TheNearFaceIsDrawnAndTheFarFaceCulled) {
  Begin3D();
  Device().SetRenderState(rsZTestOff);
  // Half-transparent and without depth test: every face drawn adds a layer.
  Device().SetColor(0x80FFFFFF);
  Device().FillBox({-20, -20, -20, 1}, {20, 20, 20, 1});
  const std::vector<std::uint32_t> pixels = gl->ReadAndFlip();
  // The near face (y = -20) is the larger square on the screen.
  const TPoint nearTopLeft = Project({-20, -20, 20, 1}), nearBottomRight = Project({20, -20, -20, 1});
  const TPoint farTopLeft = Project({-20, 20, 20, 1});
  ASSERT_LT(nearTopLeft.x, farTopLeft.x);
  const TBounds b = LitBounds(pixels);
  EXPECT_NEAR(b.left, nearTopLeft.x, 1.0);
  EXPECT_NEAR(b.top, nearTopLeft.y, 1.0);
  EXPECT_NEAR(b.right + 1, nearBottomRight.x, 1.0);
  EXPECT_NEAR(b.bottom + 1, nearBottomRight.y, 1.0);
  for (int y = b.top; y <= b.bottom; ++y)
    for (int x = b.left; x <= b.right; ++x)
      ASSERT_NEAR(static_cast<int>(gl->Rgb(pixels, x, y) & 0xFF), 128, 1) << "one layer only at " << x << "," << y;
}

// An opaque red box inside a half-transparent white one, depth-tested:
// the inside shows through the outer box's near face, blended, when front
// faces are drawn; behind its far face (hidden) when back faces are.
TEST_F(OGLSceneTest, TheFacesDrawnAreTheOnesTurnedAsAsked) {
  struct TCase {
    TRenderState culling;
    std::uint32_t centre;
  } cases[] = {{rsFrontFace, 0xFF8080}, {rsBackFace, 0xFF0000}};
  for (const TCase& c : cases) {
    Begin3D();
    Device().SetRenderState(rsZTestOn);
    Device().SetRenderState(c.culling);
    Device().SetColor(0xFFFF0000);
    Device().FillBox({-5, -5, -5, 1}, {5, 5, 5, 1});
    Device().SetColor(0x80FFFFFF);
    Device().FillBox({-20, -20, -20, 1}, {20, 20, 20, 1});
    const std::uint32_t centre = gl->Rgb(gl->ReadAndFlip(), 320, 240);
    EXPECT_NEAR(static_cast<int>(centre >> 16), static_cast<int>(c.centre >> 16), 1) << int(c.culling);
    EXPECT_NEAR(static_cast<int>((centre >> 8) & 0xFF), static_cast<int>((c.centre >> 8) & 0xFF), 1) << int(c.culling);
  }
}

// The ray under the picture of a point passes by the point.
TEST_F(OGLSceneTest, PickingCastsFromTheCameraThroughThePicture) {
  TSpaceVector origin, direction;
  for (const TSpaceVector& p : {TSpaceVector{20, -20, 20, 1}, TSpaceVector{-30, 10, -5, 1}}) {
    const TPoint at = Project(p);
    Device().Pick(at.x, at.y, origin, direction);
    const TSpaceVector toPoint = SpaceVectorSubtract(p, origin);
    const float along = toPoint.x * direction.x + toPoint.y * direction.y + toPoint.z * direction.z;
    const TSpaceVector nearest{origin.x + direction.x * along, origin.y + direction.y * along,
                               origin.z + direction.z * along, 1};
    EXPECT_GT(along, 0) << "in front of the camera";
    EXPECT_LT(SpaceVectorLength(SpaceVectorSubtract(p, nearest)), 0.5f) << p.x << "," << p.z;
  }
}

TEST_F(OGLSceneTest, TheFrustumHoldsWhatIsInFront) {
  const TFrustum& frustum = gl->window->Frustum;
  struct TCase {
    TSpaceVector centre;
    bool seen;
  } cases[] = {{{0, 0, 0, 1}, true},     {{0, 100, 0, 1}, true},  {{0, -300, 0, 1}, false},
               {{500, 0, 0, 1}, false}, {{0, 0, 500, 1}, false}, {{0, 5000, 0, 1}, false}};
  for (const TCase& c : cases)
    EXPECT_EQ(FrustumContainsBSphere(frustum, {c.centre, 10}) != scNoOverlap, c.seen) << c.centre.y << "," << c.centre.x;
}

TEST_F(OGLSceneTest, ALightShinesOnTheFacesTurnedToIt) {
  SetOrdProp(*gl->world.applet, PropByName(*gl->world.applet, "lighting"), 1);
  struct TCase {
    TSpaceVector position;
    bool nearFaceLit;
  } cases[] = {{{0, -150, 0, 1}, true}, {{0, 150, 0, 1}, false}};
  for (const TCase& c : cases) {
    Device().SetLight(1, c.position, {0, 0, 0, 1}, 0xFF000000, 0xFFFFFFFF, 0xFF000000, false, true);
    Device().RebuildStates();  // as the applet's resize after loading does
    Begin3D();
    Device().SetRenderState(rsZTestOn);
    Device().SetMaterial({true, 0xFFFFFFFF, 0xFF000000, 0xFF000000});
    Device().FillBox({-20, -20, -20, 1}, {20, 20, 20, 1});
    const std::uint32_t centre = gl->Rgb(gl->ReadAndFlip(), 320, 240);
    if (c.nearFaceLit) EXPECT_GT(centre & 0xFF, 200u) << "light at the camera";
    else EXPECT_LT(centre & 0xFF, 60u) << "light behind the box";
  }
}

TEST_F(OGLSceneTest, LinesAreDrawnInTheCurrentColourAndMatrix) {
  Device().RenderWindow();
  Device().SetRenderState(rs2DScene);
  TSpaceMatrix moved = IdentitySpaceMatrix;
  moved[3].y = 10;
  Device().SetSpaceMatrix(moved);
  Device().SetColor(0xFF00FF00);
  Device().DrawLine2({10, 40.5f, 0, 1}, {100, 40.5f, 0, 1}, 1);
  const std::vector<std::uint32_t> pixels = gl->ReadAndFlip();
  EXPECT_EQ(gl->Rgb(pixels, 50, 50), 0x00FF00u);
  EXPECT_EQ(gl->Rgb(pixels, 50, 40), 0u);
}

// Under a lit material and a light that reaches no face, a line still
// shows its colour; the faces drawn after it are lit again.
TEST_F(OGLSceneTest, LinesShowTheirColourUnderALitMaterial) {
  SetOrdProp(*gl->world.applet, PropByName(*gl->world.applet, "lighting"), 1);
  Device().SetLight(1, {0, 150, 0, 1}, {0, 0, 0, 1}, 0xFF000000, 0xFFFFFFFF, 0xFF000000, false, true);
  Device().RebuildStates();
  Begin3D();
  Device().SetMaterial({true, 0xFF00FF00, 0xFF000000, 0xFF000000});
  Device().DrawLine2({-30, 0, 0, 1}, {30, 0, 0, 1}, 3);
  Device().SetSpaceMatrix(IdentitySpaceMatrix);
  Device().FillBox({-20, -20, -40, 1}, {20, 20, -30, 1});
  const std::vector<std::uint32_t> pixels = gl->ReadAndFlip();
  const TPoint line = Project({25, 0, 0, 1});
  EXPECT_EQ(gl->Rgb(pixels, static_cast<int>(line.x), static_cast<int>(line.y)), 0x00FF00u);
  const TPoint box = Project({0, -20, -35, 1});
  EXPECT_EQ(gl->Rgb(pixels, static_cast<int>(box.x), static_cast<int>(box.y)), 0u) << "lit from behind";
}

}  // namespace
}  // namespace corvane
