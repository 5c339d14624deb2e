// Boxes, frusta and ray casts. Touching counts as inside throughout.
#include "base/geometry/bounds.h"

#include <gtest/gtest.h>

#include "base/geometry/matrix.h"
#include "base/geometry/ray_cast.h"
#include "tests/base/geometry_expect.h"

namespace corvane {
namespace {

using test::ExpectVector;

// The identity projection's view volume: the cube [-1, 1] on every axis.
TFrustum UnitCube() { return ExtractFrustumFromModelViewProjection(IdentitySpaceMatrix); }

TEST(Frustum, ExtractionGivesUnitPlanesInTheirOrder) {
  const TFrustum cube = UnitCube();
  const TSpaceVector want[6] = {{1, 0, 0, 1}, {0, -1, 0, 1}, {-1, 0, 0, 1},
                                {0, 1, 0, 1}, {0, 0, 1, 1},  {0, 0, -1, 1}};
  for (int i = fpLeft; i <= fpFar; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(cube.planes[i], want[i]);
  }

  // A scaled volume: planes come out normalised, at the right distances.
  const TFrustum box = ExtractFrustumFromModelViewProjection(MatrixOrthoOffCenterLH(-10, 10, -5, 5, 0, 100));
  ExpectVector(box.planes[fpLeft], {1, 0, 0, 10}, 1e-5f);
  ExpectVector(box.planes[fpRight], {-1, 0, 0, 10}, 1e-5f);
  ExpectVector(box.planes[fpTop], {0, -1, 0, 5}, 1e-5f);
  ExpectVector(box.planes[fpFar], {0, 0, -1, 100}, 1e-4f);

  // A plane without a normal stays as it is instead of becoming NaN.
  TSpaceMatrix flat = IdentitySpaceMatrix;
  flat[0][0] = 0;
  EXPECT_EQ(ExtractFrustumFromModelViewProjection(flat).planes[fpLeft], SpaceVector(0, 0, 0, 1));
}

TEST(Frustum, SphereAndBoxContainment) {
  const TFrustum cube = UnitCube();
  struct SphereCase {
    const char* name;
    TBSphere sphere;
    TSpaceContains result;
  };
  const SphereCase spheres[] = {
      {"centre", BSphere({0, 0, 0, 1}, 0.5f), scContainsFully},
      {"touching a plane from inside", BSphere({0.5f, 0, 0, 1}, 0.5f), scContainsFully},
      {"across a plane", BSphere({1, 0, 0, 1}, 0.5f), scContainsPartially},
      {"touching a plane from outside", BSphere({1.5f, 0, 0, 1}, 0.5f), scContainsPartially},
      {"beyond a plane", BSphere({1.6f, 0, 0, 1}, 0.5f), scNoOverlap},
      {"behind", BSphere({0, 0, -3, 1}, 1), scNoOverlap},
      {"around the whole volume", BSphere({0, 0, 0, 1}, 10), scContainsPartially},
  };
  for (const SphereCase& c : spheres) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FrustumContainsBSphere(cube, c.sphere), c.result);
  }

  struct BoxCase {
    const char* name;
    TAABB box;
    TSpaceContains result;
  };
  const BoxCase boxes[] = {
      {"inside", AABB({-0.5f, -0.5f, -0.5f, 1}, {0.5f, 0.5f, 0.5f, 1}), scContainsFully},
      {"touching the corner planes", AABB({0, 0, 0, 1}, {1, 1, 1, 1}), scContainsFully},
      {"the whole volume", AABB({-1, -1, -1, 1}, {1, 1, 1, 1}), scContainsFully},
      {"across a plane", AABB({0.5f, 0, 0, 1}, {1.5f, 0.5f, 0.5f, 1}), scContainsPartially},
      {"touching from outside", AABB({1, 0, 0, 1}, {2, 0.5f, 0.5f, 1}), scContainsPartially},
      {"beyond a plane", AABB({1.5f, 0, 0, 1}, {2, 1, 1, 1}), scNoOverlap},
      {"around the whole volume", AABB({-5, -5, -5, 1}, {5, 5, 5, 1}), scContainsPartially},
  };
  for (const BoxCase& c : boxes) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FrustumContainsAABB(cube, c.box), c.result);
  }
}

TEST(Bounds, BoxesGrowTransformAndIntersect) {
  TAABB box = AABB({0, 0, 0, 7}, {1, 1, 1, 7});
  AABBInclude(box, {2, -1, 0.5f, 0});
  EXPECT_EQ(box, AABB({0, -1, 0, 7}, {2, 1, 1, 7}));  // w untouched

  TAABB turned = AABB({0, 0, 0, 1}, {1, 2, 3, 1});
  TSpaceMatrix m = CreateSpaceRotationMatrix({0, 0, 1, 0}, cPIdiv2);  // (x, y) -> (y, -x)
  m[3] = SpaceVector(10, 0, 0, 1);
  AABBTransform(turned, m);
  ExpectVector(turned.min, {10, -1, 0, 1}, 1e-5f);
  ExpectVector(turned.max, {12, 0, 3, 1}, 1e-5f);

  const TAABB unit = AABB({0, 0, 0, 1}, {1, 1, 1, 1});
  struct Case {
    const char* name;
    TAABB other;
    bool intersects;
  };
  const Case cases[] = {
      {"overlapping", AABB({0.5f, 0.5f, 0.5f, 1}, {2, 2, 2, 1}), true},
      {"touching", AABB({1, 0, 0, 1}, {2, 1, 1, 1}), true},
      {"inside", AABB({0.2f, 0.2f, 0.2f, 1}, {0.3f, 0.3f, 0.3f, 1}), true},
      {"apart on z only", AABB({0, 0, 1.1f, 1}, {1, 1, 2, 1}), false},
      {"apart below", AABB({-2, -2, -2, 1}, {-0.1f, 1, 1, 1}), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IntersectAABBsAbsolute(unit, c.other), c.intersects);
    EXPECT_EQ(IntersectAABBsAbsolute(c.other, unit), c.intersects);
  }
  EXPECT_FLOAT_EQ(PlaneEvaluatePoint({1, 2, 3, 4}, {1, 1, 1, 100}), 10);
}

TEST(RayCast, Spheres) {
  const TSpaceVector center = {0, 0, 0, 1};
  const TSpaceVector xDir = {1, 0, 0, 0};
  struct Case {
    const char* name;
    TSpaceVector start, vector, center;
    float radius;
    bool hits;
    int count;
    TSpaceVector i1, i2;
  };
  const Case cases[] = {
      {"from the centre: the exit point", center, xDir, center, 2, true, 1, {2, 0, 0, 1}, {}},
      {"through", {-5, 0, 0, 1}, xDir, center, 2, true, 2, {-2, 0, 0, 1}, {2, 0, 0, 1}},
      {"tangent", {-5, 0, 0, 1}, xDir, {0, 1, 0, 1}, 1, true, 1, {0, 0, 0, 1}, {}},
      {"miss", {-5, 3, 0, 1}, xDir, center, 2, false, 0, {}, {}},
      {"behind the start", {5, 0, 0, 1}, xDir, center, 2, false, 0, {}, {}},
      {"from inside, off centre", {1, 0, 0, 1}, xDir, center, 2, true, 1, {2, 0, 0, 1}, {}},
      {"from inside, facing the centre", {1, 0, 0, 1}, {-1, 0, 0, 0}, center, 2, true, 1, {-2, 0, 0, 1}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RayCastIntersectsSphere(c.start, c.vector, c.center, c.radius), c.hits);
    TSpaceVector i1{9, 9, 9, 9}, i2{9, 9, 9, 9};
    ASSERT_EQ(RayCastSphereIntersect(c.start, c.vector, c.center, c.radius, i1, i2), c.count);
    if (c.count >= 1) ExpectVector(i1, c.i1, 1e-5f);
    if (c.count == 2) ExpectVector(i2, c.i2, 1e-5f);
    if (c.count < 2) {
      EXPECT_EQ(i2, SpaceVector(9, 9, 9, 9));  // untouched
    }
  }
}

TEST(RayCast, Planes) {
  const TSpaceVector down = {0, -1, 0, 0};
  const TSpaceVector floorPoint = {0, 0, 0, 1}, up = {0, 1, 0, 0};
  struct Case {
    const char* name;
    TSpaceVector start, vector;
    bool hits;
    TSpaceVector at;
  };
  const Case cases[] = {
      {"straight down", {2, 5, 3, 1}, down, true, {2, 0, 3, 1}},
      {"slanting", {0, 4, 0, 1}, {0.6f, -0.8f, 0, 0}, true, {3, 0, 0, 1}},
      {"from below, upwards", {0, -2, 0, 1}, {0, 1, 0, 0}, true, {0, 0, 0, 1}},
      {"parallel", {0, 5, 0, 1}, {1, 0, 0, 0}, false, {}},
      {"almost parallel", {0, 5, 0, 1}, {1, 1e-31f, 0, 0}, false, {}},
      {"plane behind", {0, 5, 0, 1}, {0, 1, 0, 0}, false, {}},
      {"starting on the plane", {1, 0, 1, 1}, down, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TSpaceVector at{9, 9, 9, 9};
    EXPECT_EQ(RayCastPlaneIntersect(c.start, c.vector, floorPoint, up, at), c.hits);
    if (c.hits) {
      ExpectVector(at, c.at, 1e-5f);
    } else {
      EXPECT_EQ(at, SpaceVector(9, 9, 9, 9));  // untouched
    }
  }
}

}  // namespace
}  // namespace corvane
