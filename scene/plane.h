// Plane: a picture on a rectangle centred on the object's origin. Never
// painted in a mirror.
#pragma once

#include "engine/core/position_object.h"

namespace corvane {

class TPixmapPersistent;

class Plane : public PositionObject {
  CORVANE_CLASS(Plane, PositionObject)
  static void Describe(TClassBuilder<Plane>& c);
  // 1 x 1, drawn with the depth test.
  explicit Plane(const TCreateContext& context);
  ~Plane() override;

  TPixmapPersistent* Pixmap() const { return pixmap_; }
  float Width() const { return width_; }
  float Height() const { return height_; }
  void SetWidth(float value) { width_ = value; }
  void SetHeight(float value) { height_ = value; }

  void Paint() override;

 private:
  TPixmapPersistent* pixmap_;
  float width_ = 1;
  float height_ = 1;
};

}  // namespace corvane
