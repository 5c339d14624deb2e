// Mirror: paints another positioned object a second time, reflected about
// the mirror's own plane (through its position, facing its up vector). It
// holds that object weakly: a freed one is simply not painted.
#pragma once

#include "engine/core/position_object.h"

namespace corvane {

class Mirror : public PositionObject {
  CORVANE_CLASS(Mirror, PositionObject)
  static void Describe(TClassBuilder<Mirror>& c);
  // Never painted in a mirror itself.
  explicit Mirror(const TCreateContext& context);

  float Width() const { return width_; }
  float Height() const { return height_; }
  void SetWidth(float value) { width_ = value; }
  void SetHeight(float value) { height_ = value; }
  PositionObject* MirrorObject() const { return mirrorObject_.Get(); }
  void SetMirrorObject(PositionObject* value) { mirrorObject_ = value; }

  // Outside design time, with a mirrored object: the view becomes the
  // reflection times the view while the object (and, when it may be
  // mirrored, its mirrorable children) paints in its own matrix; then the
  // view and the winding are put back. A mirror painted inside another's
  // reflection reflects again (a mirror of a mirror shows a double
  // reflection); only a mirror already painting (mirrors that show one
  // another in a cycle) paints nothing more, nor one more than
  // kMostNestedReflections deep. Either is said once per mirror.
  void Paint() override;

  static constexpr int kMostNestedReflections = 8;

 private:
  float width_ = 0;
  float height_ = 0;
  TWeak<PositionObject> mirrorObject_;
  // While this mirror's reflection paints.
  bool painting_ = false;
  bool refusalReported_ = false;
};

}  // namespace corvane
