// PixmapOffsetAnimationEffect: scrolls its parent's picture ("pixmap") by
// offsetx and offsety pixels a second of the engine's time, wrapping at the
// picture's size.
#pragma once

#include <cstdint>

#include "engine/core/effect.h"

namespace corvane {

class TPixmapPersistent;

class PixmapOffsetAnimationEffect : public Effect {
  CORVANE_CLASS(PixmapOffsetAnimationEffect, Effect)
  static void Describe(TClassBuilder<PixmapOffsetAnimationEffect>& c);
  using Effect::Effect;

  std::int32_t OffsetX() const { return offsetX_; }
  std::int32_t OffsetY() const { return offsetY_; }
  void SetOffsetX(std::int32_t value) { offsetX_ = value; }
  void SetOffsetY(std::int32_t value) { offsetY_ = value; }

  TPixmapPersistent* Target() const { return target_.Get(); }
  void Loaded() override;

 protected:
  // An axis whose picture side is 0 is left alone.
  void ProcessEffect(float dt, float time) override;

 private:
  std::int32_t offsetX_ = 0;
  std::int32_t offsetY_ = 0;
  float keyTime_ = 0;  // kept for the applet's files only
  TWeak<TPixmapPersistent> target_;
};

}  // namespace corvane
