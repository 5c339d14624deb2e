// Trigger: a box volume with a physics body that does nothing by itself.
// When a moving object that tracks its contacts touches it, the mover's own
// onTrigger handler runs, with the trigger as event.paramObject and the
// contact point and normal as paramPosition and paramNormal. It runs on
// every frame the volumes overlap: the trigger keeps no memory of contacts.
#pragma once

#include "engine/core/position_object.h"

namespace corvane {

class Trigger : public PositionObject {
  CORVANE_CLASS(Trigger, PositionObject)
  static void Describe(TClassBuilder<Trigger>& c);
  explicit Trigger(const TCreateContext& context);

  float Width() const { return width_; }
  float Height() const { return height_; }
  float Depth() const { return depth_; }
  // Store only: an existing body keeps its size.
  void SetWidth(float value) { width_ = value; }
  void SetHeight(float value) { height_ = value; }
  void SetDepth(float value) { depth_ = value; }

  // The box from -size/2 to +size/2; the radius is the largest extent, not
  // halved.
  TAABB GetBoundsBox() override;
  float GetBoundsRadius() override;
  void Paint() override;
  void CreateDynamics() override;
  void DestroyDynamics() override;
  // The firing rule: the mover's onTrigger with this trigger as paramObject.
  void Collise(PositionObject* mover, const TSpaceVector& position, const TSpaceVector& normal) override;

 private:
  float width_ = 0;
  float height_ = 0;
  float depth_ = 0;
};

}  // namespace corvane
