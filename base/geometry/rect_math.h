// Operations on points and rectangles. Rectangles include their edges.
#pragma once

#include "base/geometry/geometry.h"

namespace corvane {

inline float RectWidth(const TRect& r) { return r.right - r.left; }
inline float RectHeight(const TRect& r) { return r.bottom - r.top; }
// Width or height not above 0.
inline bool IsRectEmpty(const TRect& r) { return RectWidth(r) <= 0 || RectHeight(r) <= 0; }
// The smaller left and top, the larger right and bottom.
TRect UnionRect(const TRect& a, const TRect& b);
// Inclusive on all four edges.
inline bool PtInRect(const TPoint& p, const TRect& r) {
  return r.left <= p.x && p.x <= r.right && r.top <= p.y && p.y <= r.bottom;
}
void OffsetRect(TRect& r, float dx, float dy);
// left - dx, right + dx, top - dy, bottom + dy.
void InflateRect(TRect& r, float dx, float dy);
// Moves r into the middle of bounds: its top-left goes to bounds' top-left
// plus the truncated halves of the size differences. Returns the new r.
TRect RectCenter(TRect& r, const TRect& bounds);
// r shrunk by the four margins held in m. Horizontal margins wider than r
// (together or alone) are first scaled to fit, each rounded to a whole
// number (halves to even); failing that, the vertical ones likewise.
TRect MarginRect(const TRect& r, const TRect& m);

}  // namespace corvane
