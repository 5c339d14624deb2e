// Operations on plane (3x3) and space (4x4) matrices: products,
// determinants, adjoints, inversion, rotation and reflection matrices, the
// projection and look-at builders of the device and the camera, and the
// decomposition into scale, shear, rotation, translation and perspective.
// Row vectors: p x M; SpaceMatrixMultiply(A, B) applies A first, then B.
// Angles are in radians.
#pragma once

#include <array>
#include <cstdint>

#include "base/geometry/geometry.h"
#include "base/geometry/vector_math.h"

namespace corvane {

enum TTransType : std::uint8_t {
  ttScaleX,
  ttScaleY,
  ttScaleZ,
  ttShearXY,
  ttShearXZ,
  ttShearYZ,
  ttRotateX,
  ttRotateY,
  ttRotateZ,
  ttTranslateX,
  ttTranslateY,
  ttTranslateZ,
  ttPerspectiveX,
  ttPerspectiveY,
  ttPerspectiveZ,
  ttPerspectiveW
};
// Indexed by TTransType.
using TTransformations = std::array<float, 16>;

// A x B: row i of the product is row i of A transformed by B.
inline TSpaceMatrix SpaceMatrixMultiply(const TSpaceMatrix& a, const TSpaceMatrix& b) {
  return {SpaceVectorTransform(a[0], b), SpaceVectorTransform(a[1], b), SpaceVectorTransform(a[2], b),
          SpaceVectorTransform(a[3], b)};
}
TPlaneMatrix PlaneMatrixMultiply(const TPlaneMatrix& a, const TPlaneMatrix& b);
// The identity with the 2x2 part of m, and m's translation plus (dx, dy) in
// the fourth row.
TSpaceMatrix SpaceMatrixFromPlane(const TPlaneMatrix& m, float dx, float dy);

float PlaneMatrixDeterminant(const TPlaneMatrix& m);
float SpaceMatrixDeterminant(const TSpaceMatrix& m);
// The classical adjoint (transposed cofactor matrix), in place.
void AdjointPlaneMatrix(TPlaneMatrix& m);
void AdjointSpaceMatrix(TSpaceMatrix& m);
void ScalePlaneMatrix(TPlaneMatrix& m, float f);
void ScaleSpaceMatrix(TSpaceMatrix& m, float f);
void TransposeSpaceMatrix(TSpaceMatrix& m);
// Adjoint over determinant; a matrix whose determinant is below EPSILON in
// magnitude becomes the identity.
void InvertPlaneMatrix(TPlaneMatrix& m);
void InvertSpaceMatrix(TSpaceMatrix& m);

// Rows (cos a, sin a, 0), (-sin a, cos a, 0), (0, 0, 1).
TPlaneMatrix CreatePlaneRotationMatrix(float angle);
// About the axis (normalised first); the fourth row and column are those of
// the identity. Turns the row vector (1, 0, 0) about +z by pi/2 to
// (0, -1, 0).
TSpaceMatrix CreateSpaceRotationMatrix(const TSpaceVector& axis, float angle);
// The mirror in the plane through planePoint with the unit planeNormal.
TSpaceMatrix MakeReflectionMatrix(const TSpaceVector& planePoint, const TSpaceVector& planeNormal);
// v := v x CreateSpaceRotationMatrix(axis, angle).
void RotateVector(TSpaceVector& v, const TSpaceVector& axis, float angle);

// The projection builders of the device and the camera. Each starts from the
// identity and sets only its own elements.
TSpaceMatrix MatrixOrthoLH(float w, float h, float zn, float zf);
TSpaceMatrix MatrixOrthoOffCenterLH(float l, float r, float b, float t, float zn, float zf);
TSpaceMatrix MatrixPerspectiveOffCenterLH(float l, float r, float b, float t, float zn, float zf);
TSpaceMatrix MatrixPerspectiveFovRH(float fov, float aspect, float zn, float zf);
TSpaceMatrix MatrixLookAtRH(const TSpaceVector& eye, const TSpaceVector& at, const TSpaceVector& up);
TSpaceMatrix MatrixLookAtDirRH(const TSpaceVector& eye, const TSpaceVector& dir, const TSpaceVector& up);

// Splits m into scale, shear, rotation, translation and perspective. False
// (with tran incomplete) when m[3][3] is 0 or the upper-left part singular.
bool MatrixDecompose(const TSpaceMatrix& m, TTransformations& tran);

}  // namespace corvane
