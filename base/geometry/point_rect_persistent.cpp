#include "base/geometry/point_rect_persistent.h"

#include "base/geometry/rect_math.h"
#include "base/reflection/class_builder.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TPointPersistent)
CORVANE_IMPLEMENT_CLASS(TRectPersistent)

void TPointPersistent::Describe(TClassBuilder<TPointPersistent>& c) {
  c.Property("x", &TPointPersistent::x);
  c.Property("y", &TPointPersistent::y);
}

void TPointPersistent::Assign(const TPersistent* source) {
  if (const auto* other = dynamic_cast<const TPointPersistent*>(source)) SetPoint(other->GetPoint());
  else TSomePersistent::Assign(source);
}

void TRectPersistent::Describe(TClassBuilder<TRectPersistent>& c) {
  c.Property("left", &TRectPersistent::Left, &TRectPersistent::SetLeft);
  c.Property("top", &TRectPersistent::Top, &TRectPersistent::SetTop);
  c.Property("right", &TRectPersistent::Right, &TRectPersistent::SetRight);
  c.Property("bottom", &TRectPersistent::Bottom, &TRectPersistent::SetBottom);
  c.Method("empty", &TRectPersistent::empty);
  c.Method("marginEmpty", &TRectPersistent::marginEmpty);
}

void TRectPersistent::Assign(const TPersistent* source) {
  if (const auto* other = dynamic_cast<const TRectPersistent*>(source)) SetRect(other->GetRect());
  else TSomePersistent::Assign(source);
}

void TRectPersistent::Change() {
  if (OnChange) OnChange(this);
}

void TRectPersistent::SetSide(float& side, float v) {
  if (side == v) return;
  side = v;
  Change();
}

void TRectPersistent::SetLeft(float v) { SetSide(left_, v); }
void TRectPersistent::SetTop(float v) { SetSide(top_, v); }
void TRectPersistent::SetRight(float v) { SetSide(right_, v); }
void TRectPersistent::SetBottom(float v) { SetSide(bottom_, v); }

void TRectPersistent::SetRect(const TRect& r) {
  if (GetRect() == r) return;
  left_ = r.left;
  top_ = r.top;
  right_ = r.right;
  bottom_ = r.bottom;
  Change();
}

TRect TRectPersistent::MarginRect(const TRect& r) const {
  return {r.left + left_, r.top + top_, r.right - right_, r.bottom - bottom_};
}

bool TRectPersistent::empty() const { return IsRectEmpty(GetRect()); }

bool TRectPersistent::marginEmpty() const { return left_ == 0 && top_ == 0 && right_ == 0 && bottom_ == 0; }

}  // namespace corvane
