#include "platform/view_projection.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/geometry/matrix.h"

namespace corvane {
namespace {

struct TNdc {
  float x, y, z, w;
};

TNdc Through(const TSpaceVector& p, const TSpaceMatrix& m) {
  const TSpaceVector clip = SpaceVectorTransform(p, m);
  return {clip.x / clip.w, clip.y / clip.w, clip.z / clip.w, clip.w};
}

// The 2D projection puts applet pixels on buffer pixels: (0, 0) at the
// top-left corner, y down, moved by the offsets and scaled by the scale.
TEST(ViewProjection, TheScreenProjectionMapsPixelsOntoTheBuffer) {
  struct TCase {
    float x, y, offsetX, offsetY, scale;
    float ndcX, ndcY;
  } cases[] = {
      {0, 0, 0, 0, 1, -1, 1},       {640, 480, 0, 0, 1, 1, -1},   {320, 240, 0, 0, 1, 0, 0},
      {10, 10, 0, 0, 1, -0.96875f, 1 - 20.0f / 480},  // one pixel is 2/640 of the width
      {0, 0, 32, 24, 1, -0.9f, 0.9f},                 // the offsets move the applet in
      {160, 120, 0, 0, 2, 0, 0},                      // twice the size: the centre meets the centre
  };
  for (const TCase& c : cases) {
    const TNdc p = Through({c.x, c.y, 0, 1}, ScreenProjection(640, 480, c.offsetX, c.offsetY, c.scale));
    EXPECT_NEAR(p.x, c.ndcX, 1e-5f) << c.x << "," << c.y;
    EXPECT_NEAR(p.y, c.ndcY, 1e-5f) << c.x << "," << c.y;
    EXPECT_GT(p.w, 0);
    EXPECT_GT(p.z, -1);
    EXPECT_LT(p.z, 1);
  }
}

// Seen from the default camera, what lies in front has a positive w, is
// upright, and nearer points get smaller depths.
TEST(ViewProjection, TheSceneProjectionKeepsWhatIsInFrontUpright) {
  const TSpaceMatrix view = MatrixLookAtDirRH({0, -150, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1});
  const TSpaceMatrix mvp = SpaceMatrixMultiply(view, SceneProjection(0.75f, 1));
  const TNdc origin = Through({0, 0, 0, 1}, mvp);
  EXPECT_GT(origin.w, 0);
  EXPECT_NEAR(origin.x, 0, 1e-6f);
  EXPECT_NEAR(origin.y, 0, 1e-6f);
  EXPECT_GT(Through({0, 0, 10, 1}, mvp).y, 0) << "+z is up";
  EXPECT_GT(Through({10, 0, 0, 1}, mvp).x, 0) << "+x is right";
  EXPECT_LT(Through({0, -50, 0, 1}, mvp).z, origin.z) << "nearer is less deep";
  EXPECT_LT(Through({0, -300, 0, 1}, mvp).w, 0) << "behind the camera";
  // The applet's scale grows the window, not the 3D picture in it.
  const TSpaceMatrix scaled = SpaceMatrixMultiply(view, SceneProjection(0.75f, 2));
  EXPECT_NEAR(Through({10, 0, 0, 1}, scaled).x, Through({10, 0, 0, 1}, mvp).x, 0.01f);
}

TEST(ViewProjection, ThePickRayRunsFromTheCameraThroughThePoint) {
  const TSpaceMatrix view = MatrixLookAtDirRH({0, -150, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1});
  const TSpaceMatrix projection = SceneProjection(0.75f, 1);
  TSpaceVector origin, direction;
  ScenePickRay(projection, view, 320, 240, 1, 0, 0, 640, 480, origin, direction);
  EXPECT_NEAR(origin.y, -150, 1e-4f);
  EXPECT_NEAR(direction.x, 0, 1e-6f);
  EXPECT_NEAR(direction.y, 1, 1e-6f);
  EXPECT_NEAR(direction.z, 0, 1e-6f);
  EXPECT_EQ(direction.w, 1);
  // Above the centre, the ray climbs; right of it, it turns right.
  ScenePickRay(projection, view, 320, 100, 1, 0, 0, 640, 480, origin, direction);
  EXPECT_GT(direction.z, 0);
  ScenePickRay(projection, view, 500, 240, 1, 0, 0, 640, 480, origin, direction);
  EXPECT_GT(direction.x, 0);
  // Empty buffers do not divide by 0.
  ScenePickRay(projection, view, 0, 0, 1, 0, 0, 0, 0, origin, direction);
  EXPECT_TRUE(std::isfinite(direction.x) && std::isfinite(direction.y) && std::isfinite(direction.z));
}

}  // namespace
}  // namespace corvane
