#include "scene/pixmap_animation_effect.h"

#include <algorithm>
#include <cmath>

#include "base/geometry/point_rect_persistent.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/prop_access.h"
#include "engine/core/visual_object.h"
#include "scene/pixmap_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(PixmapAnimationEffect)

void PixmapAnimationEffect::Describe(TClassBuilder<PixmapAnimationEffect>& c) {
  c.Property("width", &PixmapAnimationEffect::Width, &PixmapAnimationEffect::SetWidth).Default(0);
  c.Property("height", &PixmapAnimationEffect::Height, &PixmapAnimationEffect::SetHeight).Default(0);
  c.Property("keyTime", &PixmapAnimationEffect::KeyTime, &PixmapAnimationEffect::SetKeyTime).Stored(false);
  c.Property("keyPerSecond", &PixmapAnimationEffect::KeyPerSecond, &PixmapAnimationEffect::SetKeyPerSecond)
      .Stored(true);
}

TPixmapPersistent* ParentPixmap(const BaseObject& effect) {
  BaseObject* parent = effect.Parent();
  return parent ? dynamic_cast<TPixmapPersistent*>(GetObjectProp(*parent, "pixmap")) : nullptr;
}

float KeysPerSecond(float keyTime) { return keyTime > 0 ? 1 / keyTime : 0; }

float KeyTimeOf(float keysPerSecond) {
  if (!(keysPerSecond > 0)) return 0;
  const float keyTime = 1 / keysPerSecond;
  return std::isfinite(keyTime) ? keyTime : 0;
}

void PixmapAnimationEffect::Loaded() {
  Effect::Loaded();
  target_ = ParentPixmap(*this);
}

TRect PixmapAnimationEffect::CurRect(std::int32_t w, std::int32_t h) {
  const auto cellW = static_cast<float>(width_), cellH = static_cast<float>(height_);
  const TRect first{0, 0, cellW, cellH};
  if (!Running() || !(keyTime_ > 0) || width_ <= 0 || height_ <= 0 || w < width_ || h < height_) return first;
  const std::int32_t columns = w / width_;
  const std::int64_t cells = static_cast<std::int64_t>(h / height_) * columns;
  SetRunningTime(static_cast<float>(cells) * keyTime_);
  // The last call of a pass comes with the elapsed time at its end: it
  // shows the last cell, not the one after the sheet.
  const double step = std::trunc(static_cast<double>(Elapsed()) / keyTime_);
  const double k = std::isnan(step) ? 0.0 : std::clamp(step, 0.0, static_cast<double>(cells - 1));
  const auto index = static_cast<std::int64_t>(k);
  const auto row = static_cast<float>(index / columns), column = static_cast<float>(index % columns);
  return {cellW * column, cellH * row, cellW * (column + 1), cellH * (row + 1)};
}

void PixmapAnimationEffect::ProcessEffect(float, float) {
  // Made at run time the effect gets no Loaded: it looks again while it
  // has no picture.
  if (!target_.Get()) target_ = ParentPixmap(*this);
  TPixmapPersistent* target = target_.Get();
  if (!target) return;
  target->Rect()->SetRect(CurRect(target->width(), target->height()));
  if (VisualObject* visual = Parent() ? Parent()->AsVisualObject() : nullptr) visual->repaint();
}

}  // namespace corvane
