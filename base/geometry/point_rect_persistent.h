// A 2D point and a rectangle as streamable persistents, so that a point or
// a margin rectangle can be a published property of an object in an applet
// file. The rectangle tells its owner about real changes.
#pragma once

#include "base/geometry/geometry.h"
#include "base/reflection/notify_event.h"
#include "base/reflection/persistent.h"

namespace corvane {

template <class C>
class TClassBuilder;

class TPointPersistent : public TSomePersistent {
  CORVANE_CLASS(TPointPersistent, TSomePersistent)
  static void Describe(TClassBuilder<TPointPersistent>& c);
  using TSomePersistent::TSomePersistent;

  // From another point: x and y.
  void Assign(const TPersistent* source) override;
  TPoint GetPoint() const { return {x, y}; }
  // Stores p; no notification.
  void SetPoint(const TPoint& p) {
    x = p.x;
    y = p.y;
  }

  float x = 0, y = 0;
};

class TRectPersistent : public TSomePersistent {
  CORVANE_CLASS(TRectPersistent, TSomePersistent)
  static void Describe(TClassBuilder<TRectPersistent>& c);
  using TSomePersistent::TSomePersistent;

  // From another rectangle: SetRect of its rectangle (one notification when
  // anything changed).
  void Assign(const TPersistent* source) override;

  float Left() const { return left_; }
  float Top() const { return top_; }
  float Right() const { return right_; }
  float Bottom() const { return bottom_; }
  // Each notifies only when the value changes.
  void SetLeft(float v);
  void SetTop(float v);
  void SetRight(float v);
  void SetBottom(float v);
  // Stores all four and notifies once, when any of them changes.
  void SetRect(const TRect& r);
  TRect GetRect() const { return {left_, top_, right_, bottom_}; }

  // r shrunk by the four values taken as margins.
  TRect MarginRect(const TRect& r) const;
  float Width() const { return right_ - left_; }
  float Height() const { return bottom_ - top_; }

  // Published methods: no extent / all four values 0.
  bool empty() const;
  bool marginEmpty() const;

  TNotifyEvent OnChange;

 private:
  void Change();
  void SetSide(float& side, float v);

  float right_ = 0, bottom_ = 0, top_ = 0, left_ = 0;
};

}  // namespace corvane
