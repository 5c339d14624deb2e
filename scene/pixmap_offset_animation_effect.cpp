#include "scene/pixmap_offset_animation_effect.h"

#include <cmath>

#include "base/geometry/point_rect_persistent.h"
#include "base/reflection/class_builder.h"
#include "engine/core/visual_object.h"
#include "scene/pixmap_animation_effect.h"
#include "scene/pixmap_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(PixmapOffsetAnimationEffect)

void PixmapOffsetAnimationEffect::Describe(TClassBuilder<PixmapOffsetAnimationEffect>& c) {
  c.Property("offsetx", &PixmapOffsetAnimationEffect::OffsetX, &PixmapOffsetAnimationEffect::SetOffsetX).Default(0);
  c.Property("offsety", &PixmapOffsetAnimationEffect::OffsetY, &PixmapOffsetAnimationEffect::SetOffsetY).Default(0);
  c.Property("keyTime", &PixmapOffsetAnimationEffect::keyTime_);
}

namespace {

// Where a scroll of speed pixels a second stands at the time on a side of
// size pixels: the fraction of the way round, times the side.
float Scroll(std::int32_t speed, float time, std::int32_t size) {
  const double turns = static_cast<double>(speed) * time / size;
  return static_cast<float>((turns - std::trunc(turns)) * size);
}

}  // namespace

void PixmapOffsetAnimationEffect::Loaded() {
  Effect::Loaded();
  target_ = ParentPixmap(*this);
}

void PixmapOffsetAnimationEffect::ProcessEffect(float, float time) {
  if (!target_.Get()) target_ = ParentPixmap(*this);
  TPixmapPersistent* target = target_.Get();
  if (!target) return;
  if (offsetX_ != 0 && target->width() != 0) target->Offset()->x = Scroll(offsetX_, time, target->width());
  if (offsetY_ != 0 && target->height() != 0) target->Offset()->y = Scroll(offsetY_, time, target->height());
  if (VisualObject* visual = Parent() ? Parent()->AsVisualObject() : nullptr) visual->repaint();
}

}  // namespace corvane
