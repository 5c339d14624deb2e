// The 2D design manipulator for screen objects (GUI widgets above all). It
// lies over the selected object as a rectangle of the object's size with
// three square handles: dragging an edge band or the centre square moves
// the object, the bottom-right corner resizes it, the square in the middle
// of the right edge turns it about its origin. Moves and sizes snap to 4
// units, turns to 15 degrees. Like the 3D gizmo it keeps no reference to
// the object: every recalculation copies its placement (and size) onto the
// engine's DesignSelected.
#pragma once

#include "engine/core/position_object.h"

namespace corvane {

class ScreenGizmo : public PositionObject {
  CORVANE_CLASS(ScreenGizmo, PositionObject)
  explicit ScreenGizmo(const TCreateContext& context);

  // Trunc(v / 4) * 4.
  static float SnapPixel(float v);

  float Width() const { return width_; }
  float Height() const { return height_; }
  bool Dragging() const { return dragging_; }
  bool Moving() const { return moving_; }
  bool Sizing() const { return sizing_; }
  bool Rotating() const { return rotating_; }

  // Puts the gizmo on the object (hidden while it copies).
  void SetObject(PositionObject* object);
  void RecalcAbsolute() override;
  // Only the four edge bands and the centre square belong to the gizmo;
  // clicks elsewhere inside reach what lies below.
  bool PointInObject(float x, float y) override;
  TRect GetUpdateRect() override;
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
  void MouseMove(TShiftState shift, float x, float y, float dx, float dy) override;
  void MouseUp(TMouseButton button, TShiftState shift, float x, float y) override;

 private:
  PositionObject* Selected() const;

  float width_ = 0;
  float height_ = 0;
  bool dragging_ = false;
  bool moving_ = false;
  bool sizing_ = false;
  bool rotating_ = false;
  float accumX_ = 0;
  float accumY_ = 0;
  float startAngle_ = 0;
  bool copying_ = false;
};

}  // namespace corvane
