// Rect: a filled rectangle centred on the object's origin, in the current
// material's colour ("gui" to begin with); gets a flat box body.
#pragma once

#include "engine/core/position_object.h"

namespace corvane {

// The class shares its name with the rectangle maker Rect(l, t, r, b) of
// the geometry: outside its members name it as `class Rect`.
class Rect : public PositionObject {
  CORVANE_CLASS(Rect, PositionObject)
  static void Describe(TClassBuilder<Rect>& c);
  // 10 x 10 under the material "gui".
  explicit Rect(const TCreateContext& context);

  float Width() const { return width_; }
  float Height() const { return height_; }
  void SetWidth(float value) { width_ = value; }
  void SetHeight(float value) { height_ = value; }

  void Paint() override;
  void CreateDynamics() override;
  void DestroyDynamics() override;
  float GetBoundsRadius() override;

 private:
  float width_ = 10;
  float height_ = 10;
};

}  // namespace corvane
