// Cone: drawn and bounded as the box of a cylinder of its radius and height
// (along x); it keeps the positioned object's hit tests (none) and gets a
// cone body.
#pragma once

#include "engine/core/position_object.h"

namespace corvane {

class Cone : public PositionObject {
  CORVANE_CLASS(Cone, PositionObject)
  static void Describe(TClassBuilder<Cone>& c);
  // Radius 0.5, height 1, with the depth test.
  explicit Cone(const TCreateContext& context);

  float Radius() const { return radius_; }
  float Height() const { return height_; }
  void SetRadius(float value) { radius_ = value; }
  void SetHeight(float value) { height_ = value; }

  void Paint() override;
  void CreateDynamics() override;
  void DestroyDynamics() override;
  float GetBoundsRadius() override;
  // The drawn box: a box standing along y would let culling hide a long
  // cone that is in view.
  TAABB GetBoundsBox() override;

 private:
  float radius_ = 0.5f;
  float height_ = 1;
};

}  // namespace corvane
