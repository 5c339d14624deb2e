// Cylinder: a round solid along x, drawn (and hit by rays) as its box:
// height along x, twice the radius across. Screen points never hit it; it
// gets a cylinder body.
#pragma once

#include <algorithm>

#include "engine/core/position_object.h"

namespace corvane {

// The box a cylinder or cone of the radius and height (along x) is drawn
// and bounded by, centred on the origin.
inline TAABB AxialBox(float radius, float height) {
  return {{-height / 2, -radius, -radius, 1}, {height / 2, radius, radius, 1}};
}
inline float AxialBoundsRadius(float radius, float height) { return std::max(radius, height / 2); }

class Cylinder : public PositionObject {
  CORVANE_CLASS(Cylinder, PositionObject)
  static void Describe(TClassBuilder<Cylinder>& c);
  // Radius 0.5, height 1, with the depth test.
  explicit Cylinder(const TCreateContext& context);

  float Radius() const { return radius_; }
  float Height() const { return height_; }
  void SetRadius(float value) { radius_ = value; }
  void SetHeight(float value) { height_ = value; }

  bool PointInObject(float, float) override { return false; }
  bool RayCastIntersect(const TSpaceVector& origin, const TSpaceVector& direction) override;
  void Paint() override;
  void CreateDynamics() override;
  void DestroyDynamics() override;
  float GetBoundsRadius() override { return AxialBoundsRadius(radius_, height_); }
  TAABB GetBoundsBox() override { return AxialBox(radius_, height_); }

 private:
  float radius_ = 0.5f;
  float height_ = 1;
};

}  // namespace corvane
