// Scalars, colours, rectangles, vertex records and the vector routines with
// their w rules, and the geometry log helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "base/geometry/color.h"
#include "base/geometry/geometry.h"
#include "base/geometry/geometry_log.h"
#include "base/geometry/rect_math.h"
#include "base/geometry/scalar_math.h"
#include "base/geometry/vector_math.h"
#include "base/geometry/vertex_format.h"
#include "tests/base/geometry_expect.h"
#include "tests/support/capture_log.h"

namespace corvane {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::int32_t kMaxI = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMinI = std::numeric_limits<std::int32_t>::min();

using test::ExpectPlaneVector;
using test::ExpectVector;

TEST(Scalars, ConversionsToIntegerSaturateInsteadOfOverflowing) {
  struct Case {
    double x;
    std::int32_t trunc, roundInt, halfEven;
  };
  const Case cases[] = {
      {2.5, 2, 3, 2},       {-1.7, -1, -1, -2},   {-2.5, -2, -2, -2},   {1.5, 1, 2, 2},
      {0.5, 0, 1, 0},       {-0.5, 0, 0, 0},      {3.5, 3, 4, 4},       {2.6, 2, 3, 3},
      {0.49, 0, 0, 0},      {1e20, kMaxI, kMaxI, kMaxI},                {-1e20, kMinI, kMinI, kMinI},
      {kInf, kMaxI, kMaxI, kMaxI},                {-kInf, kMinI, kMinI, kMinI},
      {kNaN, 0, 0, 0},      {2147483647.9, kMaxI, kMaxI, kMaxI},       {-2147483648.9, kMinI, kMinI + 1, kMinI},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x);
    EXPECT_EQ(SaturatingTrunc(c.x), c.trunc);
    EXPECT_EQ(RoundInt(static_cast<float>(c.x)), c.roundInt);
    EXPECT_EQ(RoundHalfEven(c.x), c.halfEven);
  }
}

TEST(Scalars, AnglesAndPowers) {
  struct AngleCase {
    float in, out;
  };
  for (const AngleCase& c : {AngleCase{540, 180}, {-190, 170}, {190, -170}, {0, 0}, {360, 0}, {180, 180},
                             {-180, -180}, {720.5f, 0.5f}, {-540, -180}}) {
    SCOPED_TRACE(c.in);
    EXPECT_NEAR(NormalizeDegAngle(c.in), c.out, 1e-4f);
  }

  struct PowerCase {
    float base, exponent, result;
  };
  for (const PowerCase& c : {PowerCase{2, 0, 1}, {0, 0, 1}, {0, 3, 0}, {2, 10, 1024}, {-2, 3, -8},
                             {-2, -2, 0.25f}, {4, 0.5f, 2}, {10, -1, 0.1f}, {2, 0.5f, std::sqrt(2.0f)}}) {
    SCOPED_TRACE(std::to_string(c.base) + " ^ " + std::to_string(c.exponent));
    EXPECT_NEAR(Power(c.base, c.exponent), c.result, 1e-5f);
  }
  EXPECT_FLOAT_EQ(Power(2.0f, std::int32_t{-1}), 0.5f);
  EXPECT_FLOAT_EQ(Power(3.0f, std::int32_t{4}), 81.0f);
  EXPECT_EQ(Power(2.0f, kMinI), 0.0f);  // no overflow negating the exponent

  EXPECT_EQ(ArcCos(1.0000001f), 0.0f);  // clamped, not NaN
  EXPECT_FLOAT_EQ(ArcCos(-1.5f), cPI);
  EXPECT_EQ(ISqrt(12), 3);
  EXPECT_EQ(ISqrt(13), 4);
  EXPECT_EQ(ISqrt(-4), 0);
}

TEST(Scalars, PowersOfTwo) {
  struct Case {
    std::int32_t n, up, down;
    bool isPower;
  };
  const Case cases[] = {
      {0, 1, 1, false},          {1, 1, 1, true},           {2, 2, 2, true},    {5, 8, 4, false},
      {8, 8, 8, true},           {-4, 1, 1, false},         {1 << 30, 1 << 30, 1 << 30, true},
      {(1 << 30) + 1, 1 << 30, 1 << 30, false},             {kMaxI, 1 << 30, 1 << 30, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n);
    EXPECT_EQ(RoundUpToPowerOf2(c.n), c.up);
    EXPECT_EQ(RoundDownToPowerOf2(c.n), c.down);
    EXPECT_EQ(IsPowerOf2(c.n), c.isPower);
  }
}

TEST(Colors, TextFormAndInterpolation) {
  EXPECT_EQ(ColorToStr(0xFF000000), u"#FF000000");
  EXPECT_EQ(ColorToStr(0x12ABCDEF), u"#12ABCDEF");
  EXPECT_EQ(ColorToStr(0), u"#00000000");

  struct Parse {
    std::u16string text;
    std::uint32_t value;
  };
  const Parse parses[] = {
      {u"#FF000000", 0xFF000000},  {u"#ff00ff00", 0xFF00FF00}, {u"", 0},        {std::u16string(1, u'\0'), 0},
      {u"255", 255},               {u"-1", 0xFFFFFFFF},        {u"abc", 0},     {u"#GG", 0},
      {u"#", 0},                   {u"#1FFFFFFFF", 0},         {u"4278190080", 0},  // beyond a signed 32-bit value
      {u"#-1", 0},                 {u"12.5", 0},
  };
  for (const Parse& p : parses) {
    SCOPED_TRACE(std::string(p.text.begin(), p.text.end()));
    EXPECT_EQ(StrToColor(p.text), p.value);
  }

  struct Lerp {
    std::uint32_t c1, c2;
    float t;
    std::uint32_t result;
  };
  const Lerp lerps[] = {
      {0xFF000000, 0xFFFFFFFF, 0.5f, 0xFF7F7F7F},
      {0x000000FF, 0x00000000, 0.5f, 0x00000080},  // 255 + trunc(-127.5)
      {0x10203040, 0x50607080, 0, 0x10203040},
      {0x10203040, 0x50607080, 1, 0x50607080},
      {0x00000000, 0x000000FF, 2, 0x000000FE},     // not clamped: 510 keeps its low byte
      {0x00000000, 0x000000FF, 1e30f, 0x000000FF},  // saturated, then the low byte
      {0x00000000, 0x000000FF, -1e30f, 0x00000000},
  };
  for (const Lerp& l : lerps) {
    SCOPED_TRACE(l.t);
    EXPECT_EQ(ColorLerp(l.c1, l.c2, l.t), l.result);
  }
  EXPECT_EQ(ColorLerp(0x01020304, 0xFFFFFFFF, std::numeric_limits<float>::quiet_NaN()), 0x01020304u);
}

// Contrast as the eye weighs it: either order, alpha ignored, green far
// brighter than blue.
TEST(Colors, ContrastRatio) {
  const struct {
    std::uint32_t a, b;
    double ratio;
  } cases[] = {
      {0xFF000000, 0xFFFFFFFF, 21.0}, {0x00FFFFFF, 0xFF000000, 21.0}, {0xFF808080, 0xFF808080, 1.0},
      {0xFFFFFFFF, 0xFF808080, 3.95}, {0xFF000000, 0xFF00FF00, 15.3}, {0xFF000000, 0xFF0000FF, 2.44},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(ContrastRatio(c.a, c.b), c.ratio, 0.01) << std::hex << c.a << " " << c.b;
    EXPECT_NEAR(ContrastRatio(c.b, c.a), c.ratio, 0.01);
  }
}

TEST(Rects, EdgesCentresAndMargins) {
  const TRect r = Rect(0, 0, 10, 20);
  for (const TPoint& p : {Point(0, 0), Point(10, 20), Point(0, 20), Point(10, 0), Point(5, 0), Point(10, 7)})
    EXPECT_TRUE(PtInRect(p, r)) << p.x << "," << p.y;
  for (const TPoint& p : {Point(-0.01f, 5), Point(10.01f, 5), Point(5, 20.01f), Point(5, -0.01f)})
    EXPECT_FALSE(PtInRect(p, r)) << p.x << "," << p.y;

  EXPECT_TRUE(IsRectEmpty(Rect(5, 0, 5, 10)));
  EXPECT_TRUE(IsRectEmpty(Rect(0, 5, 10, 4)));
  EXPECT_FALSE(IsRectEmpty(r));
  EXPECT_EQ(UnionRect(Rect(1, 5, 3, 6), Rect(2, 0, 8, 4)), Rect(1, 0, 8, 6));
  TRect moved = r;
  OffsetRect(moved, 2, -3);
  EXPECT_EQ(moved, Rect(2, -3, 12, 17));
  InflateRect(moved, 1, 2);
  EXPECT_EQ(moved, Rect(1, -5, 13, 19));

  struct Center {
    TRect r, bounds, result;
  };
  const Center centres[] = {
      {Rect(5, 5, 15, 25), Rect(100, 200, 131, 240), Rect(110, 210, 120, 230)},  // 21 / 2 truncates to 10
      {Rect(0, 0, 10, 10), Rect(0, 0, 5, 5), Rect(-2, -2, 8, 8)},               // -2.5 truncates to -2
  };
  for (const Center& c : centres) {
    TRect v = c.r;
    EXPECT_EQ(RectCenter(v, c.bounds), c.result);
    EXPECT_EQ(v, c.result);
  }
  TRect huge = Rect(0, 0, 1, 1);
  RectCenter(huge, Rect(0, 0, 1e30f, 1e30f));  // saturates instead of overflowing
  EXPECT_EQ(huge.left, 2147483648.0f);

  struct Margin {
    const char* name;
    TRect r, m, result;
  };
  const Margin margins[] = {
      {"fits", Rect(0, 0, 100, 100), Rect(1, 2, 3, 4), Rect(1, 2, 97, 96)},
      {"8 + 8 in 10 scale by 10/16", Rect(0, 0, 10, 100), Rect(8, 2, 8, 3), Rect(5, 2, 5, 97)},
      {"halves to even", Rect(0, 0, 10, 100), Rect(5, 1, 15, 1), Rect(2, 1, 2, 99)},
      {"vertical", Rect(0, 0, 100, 10), Rect(1, 5, 1, 15), Rect(1, 2, 99, 2)},
      {"zero margins in a negative width", Rect(10, 0, 5, 10), Rect(0, 0, 0, 0), Rect(10, 0, 5, 10)},
  };
  for (const Margin& m : margins) {
    SCOPED_TRACE(m.name);
    EXPECT_EQ(MarginRect(m.r, m.m), m.result);
  }
}

TEST(Vertices, SizesAndFieldOrder) {
  const std::int32_t sizes[] = {12, 24, 32, 20, 16, 28, 24, 36, 0};
  for (int f = vfVertex; f <= vfNone; ++f) EXPECT_EQ(VertexSize(static_cast<TVertexFormat>(f)), sizes[f]) << f;

  // Arguments: position, colour, normal, texture; memory: position, normal, colour, texture.
  const TColorPixmapVertexNormal v = ColorPixmapVertexNormal(1, 2, 3, 0xAABBCCDD, 4, 5, 6, 7, 8);
  EXPECT_EQ(v.position, Vertex(1, 2, 3));
  EXPECT_EQ(v.normal, Vertex(4, 5, 6));
  EXPECT_EQ(v.color, 0xAABBCCDDu);
  EXPECT_EQ(v.tex, TexVector(7, 8));
  const TColorVertexNormal cn = ColorVertexNormal(1, 2, 3, 9, 4, 5, 6);
  EXPECT_EQ(cn.normal, Vertex(4, 5, 6));
  EXPECT_EQ(cn.color, 9u);
}

// The w each routine leaves decides what the look-at builders and the
// coordinates produce.
TEST(Vectors, TheWRules) {
  const TSpaceVector a = SpaceVector(1, 2, 3, 4);
  const TSpaceVector b = SpaceVector(5, 6, 7, 8);
  TSpaceMatrix translate = IdentitySpaceMatrix;
  translate[3] = SpaceVector(10, 20, 30, 1);
  auto combined = [&] {
    TSpaceVector v = a;
    CombineSpaceVector(v, b, 2);
    return v;
  };
  auto normalizedInPlace = [](TSpaceVector v) {
    NormalizeSpaceVector(v);
    return v;
  };
  auto added = [&] {
    TSpaceVector v = a;
    AddSpaceVector(v, b);
    return v;
  };

  struct Case {
    const char* name;
    TSpaceVector got, want;
  };
  const Case cases[] = {
      {"SpaceVectorAdd", SpaceVectorAdd(a, b), {6, 8, 10, 12}},
      {"AddSpaceVector", added(), {6, 8, 10, 12}},
      {"SpaceVectorSubtract", SpaceVectorSubtract(a, b), {-4, -4, -4, 0}},
      {"SpaceVectorAddScale", SpaceVectorAddScale(a, 2), {3, 4, 5, 1}},
      {"CombineSpaceVector", combined(), {11, 14, 17, 1}},
      {"VectorCombine", VectorCombine(a, b, 2, 3), {17, 22, 27, 32}},
      {"SpaceVectorScale", SpaceVectorScale(a, 2), {2, 4, 6, 1}},
      {"SpaceVectorCrossProduct", SpaceVectorCrossProduct({1, 0, 0, 5}, {0, 1, 0, 7}), {0, 0, 1, 0}},
      {"SpaceVectorReflect", SpaceVectorReflect({1, -1, 0, 9}, {0, 1, 0, 0}), {1, 1, 0, 0}},
      {"VectorSpaceNormalize", VectorSpaceNormalize({3, 0, 4, 7}), {0.6f, 0, 0.8f, 0}},
      {"NormalizeSpaceVector", normalizedInPlace({3, 0, 4, 7}), {0.6f, 0, 0.8f, 1}},
      {"VectorSpaceNormalize of zero", VectorSpaceNormalize({0, 0, 0, 5}), {0, 0, 0, 0}},
      {"NormalizeSpaceVector of zero", normalizedInPlace({0, 0, 0, 5}), {0, 0, 0, 1}},
      {"normalise a tiny vector", VectorSpaceNormalize({1e-30f, 0, 0, 0}), {1, 0, 0, 0}},
      {"SpaceVectorFromPlane", SpaceVectorFromPlane({1, 2, 3}, 9), {1, 2, 0, 9}},
      {"SpaceVectorFromAffine", SpaceVectorFromAffine({1, 2, 3}), {1, 2, 3, 1}},
      {"VertexToSpaceVector", VertexToSpaceVector(Vertex(1, 2, 3)), {1, 2, 3, 1}},
      {"SpaceVectorTransform translates", SpaceVectorTransform({1, 2, 3, 1}, translate), {11, 22, 33, 1}},
      {"SpaceVectorTransform of a direction", SpaceVectorTransform({1, 2, 3, 0}, translate), {1, 2, 3, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectVector(c.got, c.want);
  }

  const TPlaneVector p = PlaneVector(1, 2, 3), q = PlaneVector(4, 5, 6);
  TPlaneMatrix shift = IdentityPlaneMatrix;
  shift[2] = PlaneVector(10, 20, 1);
  auto planeCombined = [&] {
    TPlaneVector v = p;
    CombinePlaneVector(v, q, 2);
    return v;
  };
  struct PlaneCase {
    const char* name;
    TPlaneVector got, want;
  };
  const PlaneCase planeCases[] = {
      {"PlaneVectorAdd", PlaneVectorAdd(p, q), {5, 7, 0}},
      {"PlaneVectorSubtract", PlaneVectorSubtract(p, q), {-3, -3, 0}},
      {"PlaneVectorAddScale", PlaneVectorAddScale(p, 2), {3, 4, 1}},
      {"CombinePlaneVector", planeCombined(), {9, 12, 1}},
      {"PlaneVectorScale", PlaneVectorScale(p, 2), {2, 4, 0}},
      {"PlaneVectorCrossProduct", PlaneVectorCrossProduct(p, q), {-3, 6, 1}},
      {"VectorPlaneNormalize", VectorPlaneNormalize({3, 4, 9}), {0.6f, 0.8f, 1}},
      {"VectorPlaneNormalize of zero", VectorPlaneNormalize({0, 0, 9}), {0, 0, 1}},
      {"PlaneVectorTransform", PlaneVectorTransform({1, 2, 1}, shift), {11, 22, 1}},
  };
  for (const PlaneCase& c : planeCases) {
    SCOPED_TRACE(c.name);
    ExpectPlaneVector(c.got, c.want);
  }
  EXPECT_EQ(AffineSpaceVectorFromVector(a), AffineSpaceVector(1, 2, 3));
  EXPECT_EQ(SpaceVectorToVertex(a), Vertex(1, 2, 3));
}

TEST(Vectors, ProductsLengthsAndDistances) {
  const TSpaceVector a = SpaceVector(3, 0, 4, 100);  // w never counts
  EXPECT_FLOAT_EQ(SpaceVectorNorm(a), 25);
  EXPECT_FLOAT_EQ(SpaceVectorLength(a), 5);
  EXPECT_FLOAT_EQ(PlaneVectorNorm({3, 4, 100}), 25);
  EXPECT_FLOAT_EQ(PlaneVectorLength({3, 4, 100}), 5);
  EXPECT_FLOAT_EQ(SpaceVectorDotProduct(a, {1, 1, 1, 100}), 7);
  EXPECT_FLOAT_EQ(SpaceVectorAngleCosine({1, 0, 0, 0}, {2, 0, 0, 0}), 1);
  EXPECT_FLOAT_EQ(SpaceVectorAngleCosine({1, 0, 0, 0}, {0, 3, 0, 0}), 0);
  EXPECT_FLOAT_EQ(SpaceVectorAngleCosine({1, 0, 0, 0}, {-1, 0, 0, 0}), -1);
  EXPECT_EQ(SpaceVectorAngleCosine({0, 0, 0, 1}, {1, 0, 0, 0}), 0);  // no length: 0, not NaN
  EXPECT_EQ(SpaceVectorAngleCosine({1, 0, 0, 1}, {0, 0, 0, 0}), 0);
  EXPECT_FLOAT_EQ(PointProject({5, 3, 0, 1}, {1, 1, 0, 1}, {1, 0, 0, 0}), 4);
  EXPECT_FLOAT_EQ(VectorDistance2({1, 2, 3, 9}, {2, 4, 6, 0}), 14);
}

TEST(GeometryLog, MatrixVectorAndColourLines) {
  test::TCaptureLog log;
  LogColor(0xFFFF0000, "c");
  LogVector(SpaceVector(1.5f, -2, 0, 1), "v");
  TSpaceMatrix m = IdentitySpaceMatrix;
  m[3] = SpaceVector(0.25f, 2, 3, 1);
  LogMatrix(m, "m\xc3\xa9");
  const std::vector<std::string> expected = {
      "(i) c #FFFF0000- R:255 G:0 B:0 A:255",
      "(i) v (1.5:-2:0:1)",
      "(i) Matrix m\xc3\xa9 = ",
      "(i) (1, 0, 0, 0)",
      "(i) (0, 1, 0, 0)",
      "(i) (0, 0, 1, 0)",
      "(i) (0.25, 2, 3, 1)",
  };
  EXPECT_EQ(log.Lines(), expected);
}

}  // namespace
}  // namespace corvane
