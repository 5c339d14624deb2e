#include "platform/view_projection.h"

#include "base/geometry/matrix.h"
#include "base/geometry/vector_math.h"

namespace corvane {

namespace {

constexpr double kPi = 3.14159265358979323846;

TSpaceMatrix ScaleMatrix(float x, float y, float z) {
  TSpaceMatrix m = IdentitySpaceMatrix;
  m[0][0] = x;
  m[1][1] = y;
  m[2][2] = z;
  return m;
}

TSpaceMatrix TranslationMatrix(float x, float y, float z) {
  TSpaceMatrix m = IdentitySpaceMatrix;
  m[3][0] = x;
  m[3][1] = y;
  m[3][2] = z;
  return m;
}

}  // namespace

TSpaceMatrix SceneProjection(float aspect, float scale) {
  const TSpaceMatrix p = MatrixPerspectiveFovRH(static_cast<float>(kPi / 2 + kPi / 6), aspect, 1, 2000);
  // The view's -z (in front) becomes the builder's +z; y turns with it so
  // that the picture stays upright and front faces stay counter-clockwise.
  const TSpaceMatrix facing = SpaceMatrixMultiply(ScaleMatrix(1, -1, -1), p);
  return SpaceMatrixMultiply(ScaleMatrix(scale, scale, scale), facing);
}

void ScenePickRay(const TSpaceMatrix& projection, const TSpaceMatrix& view, float x, float y, float scale,
                  std::int32_t offsetX, std::int32_t offsetY, std::int32_t bufferWidth, std::int32_t bufferHeight,
                  TSpaceVector& origin, TSpaceVector& direction) {
  const float px = static_cast<float>(offsetX) + x * scale;
  const float py = static_cast<float>(offsetY) + y * scale;
  const float w = bufferWidth > 0 ? static_cast<float>(bufferWidth) : 1.0f;
  const float h = bufferHeight > 0 ? static_cast<float>(bufferHeight) : 1.0f;
  const float p00 = projection[0][0] != 0 ? projection[0][0] : 1.0f;
  const float p11 = projection[1][1] != 0 ? projection[1][1] : 1.0f;
  const float vx = (2 * px / w - 1) / p00 * scale;
  const float vy = -(2 * py / h - 1) / p11 * scale;
  const float vz = -1;  // in front of the camera
  TSpaceMatrix m = view;
  InvertSpaceMatrix(m);
  direction = VectorSpaceNormalize(TSpaceVector{vx * m[0][0] + vy * m[1][0] + vz * m[2][0],
                                                vx * m[0][1] + vy * m[1][1] + vz * m[2][1],
                                                vx * m[0][2] + vy * m[1][2] + vz * m[2][2], 0});
  direction.w = 1;
  origin = {m[3][0], m[3][1], m[3][2], 1};
}

TSpaceMatrix ScreenProjection(float w, float h, float offsetX, float offsetY, float scale) {
  const TSpaceMatrix o = MatrixOrthoOffCenterLH(0, w, h, 0, 1, 1000);
  TSpaceMatrix a = MatrixPerspectiveFovRH(static_cast<float>(kPi / 2 + kPi / 3), h / w, 1, 1000);
  a = SpaceMatrixMultiply(TranslationMatrix(0, 0, 2), a);
  const float k = o[0][0] / a[0][0];
  a = SpaceMatrixMultiply(ScaleMatrix(3 * k, 3 * k, 2 * k), a);
  a = SpaceMatrixMultiply(TranslationMatrix(-w / 2 + offsetX, -h / 2 + offsetY, 0), a);
  return SpaceMatrixMultiply(ScaleMatrix(scale, scale, scale), a);
}

}  // namespace corvane
