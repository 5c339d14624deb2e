#include "engine/shell/screen_gizmo.h"

#include <algorithm>
#include <cmath>

#include "base/geometry/rect_math.h"
#include "base/geometry/vector_math.h"
#include "base/reflection/class_builder.h"
#include "engine/shell/applet.h"
#include "engine/shell/gizmo.h"
#include "gui/gui_object.h"
#include "platform/device.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(ScreenGizmo)

namespace {

TRect Square(float cx, float cy) { return {cx - 4, cy - 4, cx + 4, cy + 4}; }

}  // namespace

ScreenGizmo::ScreenGizmo(const TCreateContext& context) : PositionObject(context) {
  SetKind(okScreen);
  SetZTest(false);
  IncludeStyle(csUnstoreable);
  SetHotTrack(true);
}

float ScreenGizmo::SnapPixel(float v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<float>(std::trunc(static_cast<double>(v) / 4.0) * 4.0);
}

PositionObject* ScreenGizmo::Selected() const { return DesignTarget(this); }

void ScreenGizmo::SetObject(PositionObject* object) {
  if (!object || object == this) return;
  SetVisible(false);
  TakePlacement(this, object);
  if (auto* widget = dynamic_cast<GuiObject*>(object)) {
    width_ = widget->Width();
    height_ = widget->Height();
  }
  SetVisible(true);
}

void ScreenGizmo::RecalcAbsolute() {
  PositionObject::RecalcAbsolute();
  if (copying_ || !Visible()) return;
  PositionObject* selected = Selected();
  if (!selected) return;
  copying_ = true;
  TWeak<ScreenGizmo> self(this);
  TWeak<PositionObject> target(selected);
  if (CopyPlacement(this, selected)) {
    if (auto* widget = dynamic_cast<GuiObject*>(selected)) {
      widget->SetWidth(width_);
      if (target.Get() && self.Get()) widget->SetHeight(height_);
    }
  }
  if (self.Get()) copying_ = false;
}

bool ScreenGizmo::PointInObject(float x, float y) {
  if (!Visible()) return false;
  const TPoint p = AbsoluteToLocal({x, y});
  const float w = width_, h = height_;
  const TRect bands[] = {{0, -5, w, 5}, {-5, 0, 5, h}, {w - 5, 0, w + 5, h}, {0, h - 5, w, h + 5},
                         Square(w / 2, h / 2)};
  return std::any_of(std::begin(bands), std::end(bands), [&](const TRect& r) { return PtInRect(p, r); });
}

TRect ScreenGizmo::GetUpdateRect() { return CornersUpdateRect(width_, height_); }

void ScreenGizmo::Paint() {
  PositionObject* selected = Selected();
  TDevice* device = selected && selected->GetApplet() ? selected->GetApplet()->Device() : nullptr;
  if (!device) return;
  const float w = width_, h = height_;
  device->SetColor(0xA0FFFF00);
  device->DrawRect({0, 0, w, h}, 1.0f, 0);
  device->SetColor(0xA0FFFF00);
  device->FillRect(Square(w / 2, h / 2), 0);
  device->SetColor(0xA000FFFF);
  device->FillRect(Square(w, h), 0);
  device->SetColor(0xA0FF0000);
  device->FillRect(Square(w, h / 2), 0);
}

void ScreenGizmo::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
  TWeak<ScreenGizmo> self(this);
  // The handler part only: a manipulator never selects itself.
  VisualObject::MouseDown(button, shift, x, y);
  if (!self.Get() || button != mbLeft) return;
  dragging_ = true;
  capture();
  accumX_ = X();
  accumY_ = Y();
  const TPoint p{x, y};
  if (PtInRect(p, Square(width_, height_))) {
    sizing_ = true;
  } else if (PtInRect(p, Square(width_, height_ / 2))) {
    rotating_ = true;
    startAngle_ = ZAngle();
  } else {
    moving_ = true;
  }
}

void ScreenGizmo::MouseMove(TShiftState shift, float x, float y, float dx, float dy) {
  VisualObject::MouseMove(shift, x, y, dx, dy);
  if (!dragging_) return;
  accumX_ += dx;
  accumY_ += dy;
  if (sizing_) {
    width_ = SnapPixel(x);
    height_ = SnapPixel(y);
    RecalcAbsolute();
  }
  if (rotating_) {
    const TPoint p = LocalToAbsolute({x, y});
    TSpaceVector v = VectorAbsoluteToLocal({p.x, p.y, 0, 1});
    v.z = 0;
    v.w = 0;
    // A pointer on the origin has no direction to turn to.
    if (SpaceVectorLength(v) > 1e-5f * std::max({1.0f, width_, height_})) {
      float degrees = RadToDeg(ArcCos(SpaceVectorDotProduct(VectorSpaceNormalize(v), {1, 0, 0, 0})));
      if (v.y < 0) degrees = -degrees;
      SetZAngle(startAngle_ + GizmoBox::SnapAngle(degrees));
      startAngle_ = ZAngle();
    }
  }
  if (moving_) {
    SetX(SnapPixel(accumX_));
    SetY(SnapPixel(accumY_));
  }
}

void ScreenGizmo::MouseUp(TMouseButton button, TShiftState shift, float x, float y) {
  TWeak<ScreenGizmo> self(this);
  VisualObject::MouseUp(button, shift, x, y);
  if (!self.Get()) return;
  sizing_ = moving_ = rotating_ = dragging_ = false;
  releaseCapture();
}

}  // namespace corvane
