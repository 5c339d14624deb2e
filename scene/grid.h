// Grid: lines in the object's plane (z 0) at every step from min to max
// along x and along y, shifted by origin, drawn in one call. width and
// height are kept for the applet's files only.
#pragma once

#include <vector>

#include "engine/core/position_object.h"

namespace corvane {

class TPointPersistent;

class Grid : public PositionObject {
  CORVANE_CLASS(Grid, PositionObject)
  static void Describe(TClassBuilder<Grid>& c);
  // From (-10, -10) to (10, 10) by 1, origin (0, 0), with the depth test.
  explicit Grid(const TCreateContext& context);
  ~Grid() override;

  float Width() const { return width_; }
  float Height() const { return height_; }
  void SetWidth(float value) { width_ = value; }
  void SetHeight(float value) { height_ = value; }
  TPointPersistent* Min() const { return min_; }
  TPointPersistent* Max() const { return max_; }
  TPointPersistent* Origin() const { return origin_; }
  TPointPersistent* Step() const { return step_; }
  // Each copies the point's values (null changes nothing): the grid keeps
  // its own points.
  void SetMin(TPointPersistent* value);
  void SetMax(TPointPersistent* value);
  void SetOrigin(TPointPersistent* value);
  void SetStep(TPointPersistent* value);

  // The lines on one axis from min to max by step: floor((max - min) / step
  // + 1e-4) + 1, so that a step like 0.1 keeps its last line; none for a
  // step not above 0, a max below min or a count past what one draw holds.
  static int LineCount(float min, float max, float step);

  void Paint() override;

 private:
  float width_ = 0;
  float height_ = 0;
  TPointPersistent* min_;
  TPointPersistent* max_;
  TPointPersistent* origin_;
  TPointPersistent* step_;
  // Reused from frame to frame.
  std::vector<TSpaceVector> points_;
};

}  // namespace corvane
