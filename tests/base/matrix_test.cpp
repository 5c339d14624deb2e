// Matrix products, inversion, rotations, the projection and look-at builders
// (golden values) and the decomposition.
#include "base/geometry/matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

#include "tests/base/geometry_expect.h"

namespace corvane {
namespace {

using test::ExpectMatrix;
using test::ExpectVector;

bool AllFinite(const TSpaceMatrix& m) {
  for (const TSpaceVector& row : m)
    for (int j = 0; j < 4; ++j)
      if (!std::isfinite(row[j])) return false;
  return true;
}

// Uniform in [-1, 1], the same on every platform (the standard
// distributions are not).
float Uniform(std::mt19937& rng) { return static_cast<float>(rng() / 4294967295.0 * 2.0 - 1.0); }

TEST(Matrices, RandomMatricesInvert) {
  std::mt19937 rng(20240611u);
  int tested = 0;
  for (int n = 0; n < 1000; ++n) {
    TSpaceMatrix m;
    for (TSpaceVector& row : m) row = {Uniform(rng), Uniform(rng), Uniform(rng), Uniform(rng)};
    if (std::fabs(SpaceMatrixDeterminant(m)) <= 0.1f) continue;
    ++tested;
    TSpaceMatrix inverse = m;
    InvertSpaceMatrix(inverse);
    SCOPED_TRACE(n);
    ExpectMatrix(SpaceMatrixMultiply(m, inverse), IdentitySpaceMatrix, 1e-4f);
    ExpectMatrix(SpaceMatrixMultiply(inverse, m), IdentitySpaceMatrix, 1e-4f);
    if (HasFailure()) break;
  }
  EXPECT_GT(tested, 300);

  for (int n = 0; n < 200; ++n) {
    TPlaneMatrix m;
    for (TPlaneVector& row : m) row = {Uniform(rng), Uniform(rng), Uniform(rng)};
    if (std::fabs(PlaneMatrixDeterminant(m)) <= 0.1f) continue;
    TPlaneMatrix inverse = m;
    InvertPlaneMatrix(inverse);
    const TPlaneMatrix product = PlaneMatrixMultiply(m, inverse);
    SCOPED_TRACE(n);
    for (int i = 0; i < 3; ++i) test::ExpectPlaneVector(product[i], IdentityPlaneMatrix[i], 1e-4f);
  }
}

TEST(Matrices, SingularMatricesInvertToTheIdentity) {
  TSpaceMatrix zeroRow = {{{1, 2, 3, 4}, {0, 0, 0, 0}, {5, 6, 7, 8}, {9, 1, 2, 3}}};
  TSpaceMatrix zeroColumn = {{{0, 2, 3, 4}, {0, 1, 0, 0}, {0, 6, 7, 8}, {0, 1, 2, 3}}};
  TSpaceMatrix twoEqualRows = {{{1, 2, 3, 4}, {1, 2, 3, 4}, {5, 6, 7, 8}, {9, 1, 2, 3}}};
  for (TSpaceMatrix* m : {&zeroRow, &zeroColumn, &twoEqualRows}) {
    InvertSpaceMatrix(*m);
    EXPECT_EQ(*m, IdentitySpaceMatrix);
  }
  TPlaneMatrix plane = {{{1, 2, 0}, {0, 0, 0}, {3, 4, 1}}};
  InvertPlaneMatrix(plane);
  EXPECT_EQ(plane, IdentityPlaneMatrix);
}

TEST(Matrices, ProductsDeterminantsAndAdjoints) {
  const TSpaceMatrix a = {{{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}}};
  const TSpaceMatrix square = SpaceMatrixMultiply(a, a);
  EXPECT_EQ(square[0], SpaceVector(90, 100, 110, 120));
  EXPECT_EQ(square[3], SpaceVector(426, 484, 542, 600));

  // Translate first, then rotate.
  TSpaceMatrix translate = IdentitySpaceMatrix;
  translate[3] = SpaceVector(1, 0, 0, 1);
  const TSpaceMatrix rotate = CreateSpaceRotationMatrix({0, 0, 1, 0}, cPIdiv2);
  ExpectVector(SpaceVectorTransform({0, 0, 0, 1}, SpaceMatrixMultiply(translate, rotate)), {0, -1, 0, 1});
  ExpectVector(SpaceVectorTransform({0, 0, 0, 1}, SpaceMatrixMultiply(rotate, translate)), {1, 0, 0, 1});

  const TSpaceMatrix diagonal = {{{2, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 4, 0}, {0, 0, 0, 1}}};
  EXPECT_FLOAT_EQ(SpaceMatrixDeterminant(diagonal), 24);
  EXPECT_FLOAT_EQ(SpaceMatrixDeterminant(a), 0);
  TSpaceMatrix adjoint = diagonal;
  AdjointSpaceMatrix(adjoint);
  EXPECT_EQ(adjoint, (TSpaceMatrix{{{12, 0, 0, 0}, {0, 8, 0, 0}, {0, 0, 6, 0}, {0, 0, 0, 24}}}));
  TSpaceMatrix upper = {{{1, 2, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
  AdjointSpaceMatrix(upper);  // transposed cofactors: the inverse of a shear
  EXPECT_EQ(upper[0], SpaceVector(1, -2, 0, 0));

  const TPlaneMatrix p = {{{2, 0, 0}, {1, 3, 0}, {0, 0, 4}}};
  EXPECT_FLOAT_EQ(PlaneMatrixDeterminant(p), 24);
  TPlaneMatrix pa = p;
  AdjointPlaneMatrix(pa);
  EXPECT_EQ(pa, (TPlaneMatrix{{{12, 0, 0}, {-4, 8, 0}, {0, 0, 6}}}));
  TPlaneMatrix ps = p;
  ScalePlaneMatrix(ps, 2);
  EXPECT_EQ(ps[1], PlaneVector(2, 6, 0));

  TSpaceMatrix t = a;
  TransposeSpaceMatrix(t);
  EXPECT_EQ(t[0], SpaceVector(1, 5, 9, 13));
  ScaleSpaceMatrix(t, 0.5f);
  EXPECT_EQ(t[3], SpaceVector(2, 4, 6, 8));

  const TSpaceMatrix fromPlane = SpaceMatrixFromPlane(IdentityPlaneMatrix, 2, 3);
  EXPECT_EQ(fromPlane[3], SpaceVector(2, 3, 0, 1));
  const TSpaceMatrix fromMoved = SpaceMatrixFromPlane({{{0, 1, 7}, {-1, 0, 7}, {5, 6, 7}}}, 1, 1);
  EXPECT_EQ(fromMoved, (TSpaceMatrix{{{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {6, 7, 0, 1}}}));
}

TEST(Matrices, RotationsAndReflections) {
  // About +z by a quarter turn the row vector (1, 0, 0) goes to (0, -1, 0),
  // while the plane rotation takes (1, 0) to (0, 1).
  struct Case {
    const char* name;
    TSpaceVector axis, in, out;
    float angle;
  };
  const Case cases[] = {
      {"z", {0, 0, 1, 0}, {1, 0, 0, 1}, {0, -1, 0, 1}, cPIdiv2},
      {"unnormalised axis", {0, 0, 5, 3}, {1, 0, 0, 1}, {0, -1, 0, 1}, cPIdiv2},
      {"x", {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, -1, 0}, cPIdiv2},
      {"y", {0, 1, 0, 1}, {0, 0, 1, 1}, {-1, 0, 0, 1}, cPIdiv2},
      {"about itself", {1, 1, 1, 0}, {2, 2, 2, 1}, {2, 2, 2, 1}, 1.234f},
      {"half turn", {0, 1, 0, 0}, {1, 2, 3, 1}, {-1, 2, -3, 1}, cPI},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectVector(SpaceVectorTransform(c.in, CreateSpaceRotationMatrix(c.axis, c.angle)), c.out, 1e-5f);
    TSpaceVector v = c.in;
    RotateVector(v, c.axis, c.angle);
    ExpectVector(v, c.out, 1e-5f);
  }
  // A zero axis normalises to zero: no NaN, only the cosine on the diagonal.
  EXPECT_TRUE(AllFinite(CreateSpaceRotationMatrix({0, 0, 0, 0}, 1)));

  const TPlaneMatrix plane = CreatePlaneRotationMatrix(cPIdiv2);
  const TPlaneMatrix want = {{{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}};
  for (int i = 0; i < 3; ++i) test::ExpectPlaneVector(plane[i], want[i], 1e-7f);
  test::ExpectPlaneVector(PlaneVectorTransform({1, 0, 1}, plane), {0, 1, 1}, 1e-7f);

  // The mirror in the plane y = 2.
  const TSpaceMatrix mirror = MakeReflectionMatrix({0, 2, 0, 1}, {0, 1, 0, 0});
  ExpectVector(SpaceVectorTransform({1, 5, 3, 1}, mirror), {1, -1, 3, 1});
  ExpectVector(SpaceVectorTransform({1, 2, 3, 1}, mirror), {1, 2, 3, 1});
}

TEST(Matrices, ProjectionBuildersGolden) {
  struct Case {
    const char* name;
    TSpaceMatrix got, want;
  };
  const Case cases[] = {
      {"MatrixOrthoLH(800, 600, 1, 100)", MatrixOrthoLH(800, 600, 1, 100),
       {{{0.0025f, 0, 0, 0}, {0, 1 / 300.0f, 0, 0}, {0, 0, 1 / 99.0f, 0}, {0, 0, -1 / 99.0f, 1}}}},
      {"MatrixOrthoOffCenterLH(0, 800, 600, 0, 0, 1)", MatrixOrthoOffCenterLH(0, 800, 600, 0, 0, 1),
       {{{0.0025f, 0, 0, 0}, {0, -1 / 300.0f, 0, 0}, {0, 0, 1, 0}, {-1, 1, 0, 1}}}},
      {"MatrixOrthoOffCenterLH(-2, 6, -1, 3, 1, 5)", MatrixOrthoOffCenterLH(-2, 6, -1, 3, 1, 5),
       {{{0.25f, 0, 0, 0}, {0, 0.5f, 0, 0}, {0, 0, 0.25f, 0}, {-0.5f, -0.5f, -0.25f, 1}}}},
      {"MatrixPerspectiveOffCenterLH(-1, 3, -2, 2, 2, 100)", MatrixPerspectiveOffCenterLH(-1, 3, -2, 2, 2, 100),
       {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, -1}, {0, 0, 0, 1}}}},
      {"MatrixPerspectiveFovRH(pi/2, 2, 1, 101)", MatrixPerspectiveFovRH(cPIdiv2, 2, 1, 101),
       {{{4, 0, 0, 0}, {0, -2, 0, 0}, {0, 0, 1.01f, 1}, {0, 0, -1.01f, 1}}}},
      {"MatrixPerspectiveFovRH(pi/3, 1.5, 0.5, 50)", MatrixPerspectiveFovRH(cPI / 3, 1.5f, 0.5f, 50),
       {{{0.8660254f, 0, 0, 0}, {0, -0.5773503f, 0, 0}, {0, 0, 1.0101010f, 1}, {0, 0, -0.5050505f, 1}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectMatrix(c.got, c.want, 2e-7f);
  }
}

TEST(Matrices, LookAt) {
  const TSpaceMatrix expected = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, -5, 1}}};
  ExpectMatrix(MatrixLookAtRH({0, 0, 5, 1}, {0, 0, 0, 1}, {0, 1, 0, 0}), expected);
  ExpectMatrix(MatrixLookAtDirRH({0, 0, 5, 1}, {0, 0, -1, 0}, {0, 1, 0, 0}), expected);
  // The w of the inputs plays no part.
  ExpectMatrix(MatrixLookAtDirRH({0, 0, 5, 1}, {0, 0, -3, 7}, {0, 2, 0, 9}), expected);

  // The eye goes to the origin and the target onto the negative z axis.
  const TSpaceVector eye = {3, -2, 7, 1}, at = {-1, 4, 0, 1};
  const TSpaceMatrix view = MatrixLookAtRH(eye, at, {0, 0, 1, 0});
  ExpectVector(SpaceVectorTransform(eye, view), {0, 0, 0, 1}, 1e-5f);
  const TSpaceVector target = SpaceVectorTransform(at, view);
  EXPECT_NEAR(target.x, 0, 1e-5f);
  EXPECT_NEAR(target.y, 0, 1e-5f);
  EXPECT_NEAR(target.z, -std::sqrt(16.0f + 36.0f + 49.0f), 1e-4f);
  ExpectMatrix(MatrixLookAtDirRH(eye, SpaceVectorSubtract(at, eye), {0, 0, 1, 0}), view, 1e-6f);

  // Up along the line of sight: no x axis, but no NaN either.
  EXPECT_TRUE(AllFinite(MatrixLookAtRH({0, 0, 5, 1}, {0, 0, 0, 1}, {0, 0, 1, 0})));
  EXPECT_TRUE(AllFinite(MatrixLookAtRH({1, 1, 1, 1}, {1, 1, 1, 1}, {0, 1, 0, 0})));
}

TEST(Matrices, Decompose) {
  TTransformations tran{};
  TSpaceMatrix translation = IdentitySpaceMatrix;
  translation[3] = SpaceVector(1, 2, 3, 1);
  ASSERT_TRUE(MatrixDecompose(translation, tran));
  const TTransformations pure = {1, 1, 1, 0, 0, 0, 0, 0, 0, 1, 2, 3, 0, 0, 0, 0};
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(tran[i], pure[i], 1e-6f) << i;

  // A scale is reported as itself, not squared.
  const TSpaceMatrix scaled = {{{2, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 4, 0}, {0, 0, 0, 1}}};
  ASSERT_TRUE(MatrixDecompose(scaled, tran));
  EXPECT_FLOAT_EQ(tran[ttScaleX], 2);
  EXPECT_FLOAT_EQ(tran[ttScaleY], 3);
  EXPECT_FLOAT_EQ(tran[ttScaleZ], 4);

  // Scale, then a shear of y along x, then a turn: each comes back.
  TSpaceMatrix shear = IdentitySpaceMatrix;
  shear[1][0] = 0.5f;
  const TSpaceMatrix turn = CreateSpaceRotationMatrix({0, 0, 1, 0}, 0.3f);
  ASSERT_TRUE(MatrixDecompose(SpaceMatrixMultiply(SpaceMatrixMultiply(scaled, shear), turn), tran));
  EXPECT_NEAR(tran[ttScaleX], 2, 1e-5f);
  EXPECT_NEAR(tran[ttScaleY], 3, 1e-5f);
  EXPECT_NEAR(tran[ttScaleZ], 4, 1e-5f);
  EXPECT_NEAR(tran[ttShearXY], 0.5f, 1e-5f);
  EXPECT_NEAR(tran[ttRotateZ], -0.3f, 1e-5f);  // the builder turns row vectors clockwise
  EXPECT_NEAR(tran[ttRotateX], 0, 1e-6f);
  EXPECT_NEAR(tran[ttRotateY], 0, 1e-6f);

  TSpaceMatrix perspective = IdentitySpaceMatrix;
  perspective[2][3] = 1;
  ASSERT_TRUE(MatrixDecompose(perspective, tran));
  EXPECT_FLOAT_EQ(tran[ttPerspectiveZ], 1);
  EXPECT_FLOAT_EQ(tran[ttPerspectiveW], 1);

  TSpaceMatrix noW = IdentitySpaceMatrix;
  noW[3][3] = 0;
  EXPECT_FALSE(MatrixDecompose(noW, tran));
  TSpaceMatrix flat = IdentitySpaceMatrix;
  flat[1][1] = 0;
  EXPECT_FALSE(MatrixDecompose(flat, tran));
}

}  // namespace
}  // namespace corvane
