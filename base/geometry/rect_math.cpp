#include "base/geometry/rect_math.h"

namespace corvane {

TRect UnionRect(const TRect& a, const TRect& b) {
  return {MinFloat(a.left, b.left), MinFloat(a.top, b.top), MaxFloat(a.right, b.right),
          MaxFloat(a.bottom, b.bottom)};
}

void OffsetRect(TRect& r, float dx, float dy) {
  r.left += dx;
  r.right += dx;
  r.top += dy;
  r.bottom += dy;
}

void InflateRect(TRect& r, float dx, float dy) {
  r.left -= dx;
  r.right += dx;
  r.top -= dy;
  r.bottom += dy;
}

TRect RectCenter(TRect& r, const TRect& bounds) {
  OffsetRect(r, -r.left, -r.top);
  const double dx = (static_cast<double>(RectWidth(bounds)) - RectWidth(r)) / 2;
  const double dy = (static_cast<double>(RectHeight(bounds)) - RectHeight(r)) / 2;
  OffsetRect(r, static_cast<float>(SaturatingTrunc(dx)), static_cast<float>(SaturatingTrunc(dy)));
  OffsetRect(r, bounds.left, bounds.top);
  return r;
}

namespace {

// The factor that makes two margins fit into a length; 1 when they are 0.
double FitScale(float length, float first, float second) {
  const double sum = static_cast<double>(first) + second;
  return sum == 0 ? 1.0 : length / sum;
}

bool Overflows(float length, float first, float second) {
  return length < first || length < second || length < static_cast<double>(first) + second;
}

}  // namespace

TRect MarginRect(const TRect& r, const TRect& m) {
  TRect result = r;
  const float width = RectWidth(r);
  const float height = RectHeight(r);
  if (Overflows(width, m.left, m.right)) {
    const double s = FitScale(width, m.left, m.right);
    result.left += static_cast<float>(RoundHalfEven(m.left * s));
    result.right -= static_cast<float>(RoundHalfEven(m.right * s));
    result.top += m.top;
    result.bottom -= m.bottom;
  } else if (Overflows(height, m.top, m.bottom)) {
    const double s = FitScale(height, m.top, m.bottom);
    result.left += m.left;
    result.top += static_cast<float>(RoundHalfEven(m.top * s));
    result.right -= m.right;
    result.bottom -= static_cast<float>(RoundHalfEven(m.bottom * s));
  } else {
    result.left += m.left;
    result.top += m.top;
    result.right -= m.right;
    result.bottom -= m.bottom;
  }
  return result;
}

}  // namespace corvane
