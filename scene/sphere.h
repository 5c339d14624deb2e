// Sphere: a ball of a radius around the object's origin. It draws nothing
// itself, is hit by rays (never by screen points) and gets a sphere body.
#pragma once

#include "engine/core/position_object.h"

namespace corvane {

class Sphere : public PositionObject {
  CORVANE_CLASS(Sphere, PositionObject)
  static void Describe(TClassBuilder<Sphere>& c);
  // Radius 0.5, with the depth test.
  explicit Sphere(const TCreateContext& context);

  float Radius() const { return radius_; }
  void SetRadius(float value) { radius_ = value; }

  bool PointInObject(float, float) override { return false; }
  bool RayCastIntersect(const TSpaceVector& origin, const TSpaceVector& direction) override;
  void Paint() override {}
  void CreateDynamics() override;
  void DestroyDynamics() override;
  float GetBoundsRadius() override { return radius_; }
  TAABB GetBoundsBox() override;

 private:
  float radius_ = 0.5f;
};

}  // namespace corvane
