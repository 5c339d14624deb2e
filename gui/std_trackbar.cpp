#include "gui/std_trackbar.h"

#include <algorithm>

#include "base/geometry/rect_math.h"
#include "base/reflection/class_builder.h"
#include "platform/device.h"
#include "scene/font_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TStdTrackbar)

void TStdTrackbar::Describe(TClassBuilder<TStdTrackbar>& c) {
  c.Property("font", &TStdTrackbar::Font);
  c.Property("text", &TStdTrackbar::Text, &TStdTrackbar::SetText);
  c.Property("min", &TStdTrackbar::min_).Default(0);
  c.Property("max", &TStdTrackbar::max_).Default(0);
  c.Property("trackSize", &TStdTrackbar::trackSize_).Default(0);
  c.Property("buttonSize", &TStdTrackbar::buttonSize_).Default(0);
  c.Property("thumbWidth", &TStdTrackbar::thumbWidth_).Default(0);
  c.Property("thumbHeight", &TStdTrackbar::thumbHeight_).Default(0);
  c.Property("value", &TStdTrackbar::value_).Default(0);
  c.Property("onChange", &TStdTrackbar::onChange_);
  c.Property("onEndDrag", &TStdTrackbar::onEndDrag_);
}

TStdTrackbar::TStdTrackbar(const TCreateContext& context) : GuiObject(context) {}

TRect TStdTrackbar::GetTrackRect() const {
  return {0, Height() / 2 - trackSize_ / 2, Width(), Height() / 2 + trackSize_ / 2};
}

TRect TStdTrackbar::GetThumbRect() const {
  const float left =
      max_ == min_ ? 0 : buttonSize_ + ((Width() - thumbWidth_) - 2 * buttonSize_) * (value_ - min_) / (max_ - min_);
  return {left, Height() / 2 - thumbHeight_ / 2, left + thumbWidth_, Height() / 2 + thumbHeight_ / 2};
}

void TStdTrackbar::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
  TWeak<TStdTrackbar> self(this);
  GuiObject::MouseDown(button, shift, x, y);
  if (!self.Get() || button != mbLeft || !PtInRect({x, y}, GetThumbRect())) return;
  capture();
  dragging_ = true;
}

void TStdTrackbar::MouseMove(TShiftState shift, float x, float y, float dx, float dy) {
  TWeak<TStdTrackbar> self(this);
  GuiObject::MouseMove(shift, x, y, dx, dy);
  if (!self.Get() || !dragging_) return;
  const float travel = Width() - 2 * buttonSize_;
  // A track with no travel left (or no width) has no value under the
  // pointer: the value stays rather than becoming infinite or NaN.
  if (travel > 0 && Width() > 0) {
    const float v = min_ + ((x * (Width() / travel) - buttonSize_) / Width()) * (max_ - min_);
    value_ = max_ < min_ ? min_ : std::clamp(v, min_, max_);
    repaint();
  }
  CallScript(onChange_);
}

void TStdTrackbar::MouseUp(TMouseButton button, TShiftState shift, float x, float y) {
  TWeak<TStdTrackbar> self(this);
  if (dragging_) {
    dragging_ = false;
    releaseCapture();
    CallScript(onEndDrag_);
    if (!self.Get()) return;
  }
  GuiObject::MouseUp(button, shift, x, y);
}

void TStdTrackbar::Paint() {
  TDevice* device = Device();
  if (!device) return;
  device->SetColor(0xFFFFFFFF);
  device->DrawRect(GetClientRect(), 1, 0);
  device->DrawRect(GetTrackRect(), 1, 0);
  device->FillRect(GetThumbRect(), 0);
}

}  // namespace corvane
