// Camera: a positioned object that draws nothing. While enabled, every
// recomputation of its placement makes it the device's viewpoint (its
// absolute position, direction and up); with several enabled cameras the
// last one recomputed holds the view.
#pragma once

#include "engine/core/position_object.h"

namespace corvane {

class Camera : public PositionObject {
  CORVANE_CLASS(Camera, PositionObject)
  static void Describe(TClassBuilder<Camera>& c);
  using PositionObject::PositionObject;

  bool Enabled() const { return enabled_; }
  // Turning it on takes the viewpoint at once; off leaves it where it is.
  void SetEnabled(bool value);

  void RecalcAbsolute() override;

 private:
  bool enabled_ = true;
};

}  // namespace corvane
