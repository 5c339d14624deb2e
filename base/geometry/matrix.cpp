#include "base/geometry/matrix.h"

#include <cmath>

namespace corvane {

namespace {

using Mat4d = std::array<std::array<double, 4>, 4>;

Mat4d ToDouble(const TSpaceMatrix& m) {
  Mat4d d{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) d[i][j] = m[i][j];
  return d;
}

// The 3x3 determinant of the rows r0..r2 and columns c0..c2 of m.
double Minor3(const Mat4d& m, int r0, int r1, int r2, int c0, int c1, int c2) {
  return m[r0][c0] * (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) -
         m[r0][c1] * (m[r1][c0] * m[r2][c2] - m[r1][c2] * m[r2][c0]) +
         m[r0][c2] * (m[r1][c0] * m[r2][c1] - m[r1][c1] * m[r2][c0]);
}

// The minor of element [row][col]: the determinant without that row and
// column.
double Minor(const Mat4d& m, int row, int col) {
  int r[3], c[3];
  for (int i = 0, k = 0; i < 4; ++i)
    if (i != row) r[k++] = i;
  for (int j = 0, k = 0; j < 4; ++j)
    if (j != col) c[k++] = j;
  return Minor3(m, r[0], r[1], r[2], c[0], c[1], c[2]);
}

double Determinant(const Mat4d& m) {
  return m[0][0] * Minor(m, 0, 0) - m[0][1] * Minor(m, 0, 1) + m[0][2] * Minor(m, 0, 2) - m[0][3] * Minor(m, 0, 3);
}

// The transposed cofactor matrix.
Mat4d Adjoint(const Mat4d& m) {
  Mat4d a{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) a[i][j] = ((i + j) % 2 ? -1.0 : 1.0) * Minor(m, j, i);
  return a;
}

double Determinant3(const TPlaneMatrix& m) {
  const double a = m[0][0], b = m[0][1], c = m[0][2];
  const double d = m[1][0], e = m[1][1], f = m[1][2];
  const double g = m[2][0], h = m[2][1], i = m[2][2];
  return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
}

std::array<std::array<double, 3>, 3> Adjoint3(const TPlaneMatrix& m) {
  std::array<std::array<double, 3>, 3> a{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      // Cofactor of [j][i]: the 2x2 determinant of the other rows and columns.
      const int r0 = (j + 1) % 3, r1 = (j + 2) % 3, c0 = (i + 1) % 3, c1 = (i + 2) % 3;
      a[i][j] = static_cast<double>(m[r0][c0]) * m[r1][c1] - static_cast<double>(m[r0][c1]) * m[r1][c0];
    }
  return a;
}

float F(double v) { return static_cast<float>(v); }

}  // namespace

TPlaneMatrix PlaneMatrixMultiply(const TPlaneMatrix& a, const TPlaneMatrix& b) {
  TPlaneMatrix r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      r[i][j] = F(static_cast<double>(a[i][0]) * b[0][j] + static_cast<double>(a[i][1]) * b[1][j] +
                  static_cast<double>(a[i][2]) * b[2][j]);
  return r;
}

TSpaceMatrix SpaceMatrixFromPlane(const TPlaneMatrix& m, float dx, float dy) {
  TSpaceMatrix r = IdentitySpaceMatrix;
  r[0][0] = m[0][0];
  r[0][1] = m[0][1];
  r[1][0] = m[1][0];
  r[1][1] = m[1][1];
  r[3][0] = m[2][0] + dx;
  r[3][1] = m[2][1] + dy;
  return r;
}

float PlaneMatrixDeterminant(const TPlaneMatrix& m) { return F(Determinant3(m)); }
float SpaceMatrixDeterminant(const TSpaceMatrix& m) { return F(Determinant(ToDouble(m))); }

void AdjointPlaneMatrix(TPlaneMatrix& m) {
  const auto a = Adjoint3(m);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) m[i][j] = F(a[i][j]);
}

void AdjointSpaceMatrix(TSpaceMatrix& m) {
  const Mat4d a = Adjoint(ToDouble(m));
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) m[i][j] = F(a[i][j]);
}

void ScalePlaneMatrix(TPlaneMatrix& m, float f) {
  for (TPlaneVector& row : m) row = {row.x * f, row.y * f, row.w * f};
}

void ScaleSpaceMatrix(TSpaceMatrix& m, float f) {
  for (TSpaceVector& row : m) row = {row.x * f, row.y * f, row.z * f, row.w * f};
}

void TransposeSpaceMatrix(TSpaceMatrix& m) {
  const TSpaceMatrix t = m;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) m[i][j] = t[j][i];
}

void InvertPlaneMatrix(TPlaneMatrix& m) {
  const double det = Determinant3(m);
  if (std::fabs(det) < EPSILON) {
    m = IdentityPlaneMatrix;
    return;
  }
  const auto a = Adjoint3(m);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) m[i][j] = F(a[i][j] / det);
}

void InvertSpaceMatrix(TSpaceMatrix& m) {
  const Mat4d d = ToDouble(m);
  const double det = Determinant(d);
  if (std::fabs(det) < EPSILON) {
    m = IdentitySpaceMatrix;
    return;
  }
  const Mat4d a = Adjoint(d);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) m[i][j] = F(a[i][j] / det);
}

TPlaneMatrix CreatePlaneRotationMatrix(float angle) {
  const double s = std::sin(static_cast<double>(angle)), c = std::cos(static_cast<double>(angle));
  return {{{F(c), F(s), 0}, {F(-s), F(c), 0}, {0, 0, 1}}};
}

TSpaceMatrix CreateSpaceRotationMatrix(const TSpaceVector& axis, float angle) {
  const TSpaceVector n = VectorSpaceNormalize(axis);
  const double x = n.x, y = n.y, z = n.z;
  const double s = std::sin(static_cast<double>(angle)), c = std::cos(static_cast<double>(angle)), k = 1 - c;
  return {{{F(k * x * x + c), F(k * x * y - z * s), F(k * z * x + y * s), 0},
           {F(k * x * y + z * s), F(k * y * y + c), F(k * y * z - x * s), 0},
           {F(k * z * x - y * s), F(k * y * z + x * s), F(k * z * z + c), 0},
           {0, 0, 0, 1}}};
}

TSpaceMatrix MakeReflectionMatrix(const TSpaceVector& p, const TSpaceVector& n) {
  const double d = static_cast<double>(p.x) * n.x + static_cast<double>(p.y) * n.y + static_cast<double>(p.z) * n.z;
  const double x = n.x, y = n.y, z = n.z;
  return {{{F(1 - 2 * x * x), F(-2 * x * y), F(-2 * x * z), 0},
           {F(-2 * y * x), F(1 - 2 * y * y), F(-2 * y * z), 0},
           {F(-2 * z * x), F(-2 * z * y), F(1 - 2 * z * z), 0},
           {F(2 * d * x), F(2 * d * y), F(2 * d * z), 1}}};
}

void RotateVector(TSpaceVector& v, const TSpaceVector& axis, float angle) {
  v = SpaceVectorTransform(v, CreateSpaceRotationMatrix(axis, angle));
}

// The builders below are kept element for element as the device and the
// camera have always used them; the tests pin their values.

TSpaceMatrix MatrixOrthoLH(float w, float h, float zn, float zf) {
  TSpaceMatrix m = IdentitySpaceMatrix;
  m[0][0] = F(2.0 / w);
  m[1][1] = F(2.0 / h);
  m[2][2] = F(1.0 / (static_cast<double>(zf) - zn));
  m[3][2] = F(zn / (static_cast<double>(zn) - zf));
  return m;
}

TSpaceMatrix MatrixOrthoOffCenterLH(float l, float r, float b, float t, float zn, float zf) {
  const double L = l, R = r, B = b, T = t, ZN = zn, ZF = zf;
  TSpaceMatrix m = IdentitySpaceMatrix;
  m[0][0] = F(2 / (R - L));
  m[1][1] = F(2 / (T - B));
  m[2][2] = F(1 / (ZF - ZN));
  m[3][0] = F((L + R) / (L - R));
  m[3][1] = F((T + B) / (B - T));
  m[3][2] = F(ZN / (ZN - ZF));
  return m;
}

TSpaceMatrix MatrixPerspectiveOffCenterLH(float l, float r, float b, float t, float zn, float /*zf*/) {
  const double L = l, R = r, B = b, T = t, ZN = zn;
  TSpaceMatrix m = IdentitySpaceMatrix;
  m[0][0] = F(2 * ZN / (R - L));
  m[1][1] = F(2 * ZN / (T - B));
  m[2][2] = 1;
  m[2][3] = -1;
  m[3][2] = 0;
  return m;
}

TSpaceMatrix MatrixPerspectiveFovRH(float fov, float aspect, float zn, float zf) {
  const double half = static_cast<double>(fov) / 2, ZN = zn, ZF = zf;
  const double yScale = std::cos(half) / std::sin(half);
  const double xScale = yScale / aspect;
  TSpaceMatrix m = IdentitySpaceMatrix;
  m[0][0] = F(2 * ZN / xScale);
  m[1][1] = F(-(2 * ZN / yScale));
  m[2][2] = F(ZF / (ZF - ZN));
  m[2][3] = 1;
  m[3][2] = F(ZN * ZF / (ZN - ZF));
  return m;
}

namespace {

TSpaceMatrix LookAtFromZAxis(const TSpaceVector& eye, const TSpaceVector& zaxis, const TSpaceVector& up) {
  const TSpaceVector xaxis = VectorSpaceNormalize(SpaceVectorCrossProduct(up, zaxis));
  const TSpaceVector yaxis = SpaceVectorCrossProduct(zaxis, xaxis);
  TSpaceMatrix m = IdentitySpaceMatrix;
  for (int i = 0; i < 3; ++i) {
    m[i][0] = xaxis[i];
    m[i][1] = yaxis[i];
    m[i][2] = zaxis[i];
  }
  m[3] = {-SpaceVectorDotProduct(xaxis, eye), -SpaceVectorDotProduct(yaxis, eye), -SpaceVectorDotProduct(zaxis, eye), 1};
  return m;
}

}  // namespace

TSpaceMatrix MatrixLookAtRH(const TSpaceVector& eye, const TSpaceVector& at, const TSpaceVector& up) {
  return LookAtFromZAxis(eye, VectorSpaceNormalize(SpaceVectorSubtract(eye, at)), up);
}

TSpaceMatrix MatrixLookAtDirRH(const TSpaceVector& eye, const TSpaceVector& dir, const TSpaceVector& up) {
  return LookAtFromZAxis(eye, VectorSpaceNormalize(SpaceVectorScale(dir, -1)), up);
}

namespace {

struct Row3 {
  double x, y, z;
};
double Dot(const Row3& a, const Row3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Row3 Cross(const Row3& a, const Row3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Row3 Scaled(const Row3& a, double f) { return {a.x * f, a.y * f, a.z * f}; }
Row3 Minus(const Row3& a, const Row3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

}  // namespace

bool MatrixDecompose(const TSpaceMatrix& m, TTransformations& tran) {
  TSpaceMatrix l = m;
  if (l[3][3] == 0) return false;
  const float w = l[3][3];
  for (TSpaceVector& row : l) row = {row.x / w, row.y / w, row.z / w, row.w / w};

  // The upper-left part with no perspective must be invertible.
  TSpaceMatrix p = l;
  for (int i = 0; i < 3; ++i) p[i][3] = 0;
  p[3][3] = 1;
  if (SpaceMatrixDeterminant(p) == 0) return false;

  if (l[0][3] != 0 || l[1][3] != 0 || l[2][3] != 0) {
    const TSpaceVector rhs = {l[0][3], l[1][3], l[2][3], l[3][3]};
    InvertSpaceMatrix(p);
    TransposeSpaceMatrix(p);
    const TSpaceVector persp = SpaceVectorTransform(rhs, p);
    tran[ttPerspectiveX] = persp.x;
    tran[ttPerspectiveY] = persp.y;
    tran[ttPerspectiveZ] = persp.z;
    tran[ttPerspectiveW] = persp.w;
    for (int i = 0; i < 3; ++i) l[i][3] = 0;
    l[3][3] = 1;
  } else {
    tran[ttPerspectiveX] = tran[ttPerspectiveY] = tran[ttPerspectiveZ] = tran[ttPerspectiveW] = 0;
  }

  tran[ttTranslateX] = l[3][0];
  tran[ttTranslateY] = l[3][1];
  tran[ttTranslateZ] = l[3][2];

  // Scale is each row's length (not its square) once the shears are taken
  // out, so that a matrix scaling by 2 reports 2.
  Row3 r0{l[0][0], l[0][1], l[0][2]}, r1{l[1][0], l[1][1], l[1][2]}, r2{l[2][0], l[2][1], l[2][2]};
  double scaleX = std::sqrt(Dot(r0, r0));
  r0 = Scaled(r0, 1 / scaleX);
  double shearXY = Dot(r0, r1);
  r1 = Minus(r1, Scaled(r0, shearXY));
  double scaleY = std::sqrt(Dot(r1, r1));
  r1 = Scaled(r1, 1 / scaleY);
  shearXY /= scaleY;
  double shearXZ = Dot(r0, r2);
  r2 = Minus(r2, Scaled(r0, shearXZ));
  const double shearYZ0 = Dot(r1, r2);
  r2 = Minus(r2, Scaled(r1, shearYZ0));
  double scaleZ = std::sqrt(Dot(r2, r2));
  r2 = Scaled(r2, 1 / scaleZ);
  shearXZ /= scaleZ;
  const double shearYZ = shearYZ0 / scaleZ;

  if (Dot(r0, Cross(r1, r2)) < 0) {
    scaleX = -scaleX;
    scaleY = -scaleY;
    scaleZ = -scaleZ;
    r0 = Scaled(r0, -1);
    r1 = Scaled(r1, -1);
    r2 = Scaled(r2, -1);
  }
  tran[ttScaleX] = F(scaleX);
  tran[ttScaleY] = F(scaleY);
  tran[ttScaleZ] = F(scaleZ);
  tran[ttShearXY] = F(shearXY);
  tran[ttShearXZ] = F(shearXZ);
  tran[ttShearYZ] = F(shearYZ);

  // Rounding may carry the sine a hair past 1.
  const double rotateY = std::asin(std::fmax(-1.0, std::fmin(1.0, -r0.z)));
  tran[ttRotateY] = F(rotateY);
  if (std::cos(rotateY) == 0) {
    tran[ttRotateX] = F(std::atan2(r1.x, r1.y));
    tran[ttRotateZ] = 0;
  } else {
    tran[ttRotateX] = F(std::atan2(r1.z, r2.z));
    tran[ttRotateZ] = F(std::atan2(r0.y, r0.x));
  }
  return true;
}

}  // namespace corvane
