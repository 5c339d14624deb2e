// PixmapAnimationEffect: steps its parent's picture ("pixmap") through the
// cells of a sprite sheet, left to right, then top to bottom, keyTime
// seconds a cell; one pass over the sheet is its running time.
#pragma once

#include <cstdint>

#include "base/geometry/geometry.h"
#include "engine/core/effect.h"

namespace corvane {

class TPixmapPersistent;

// The picture the parent publishes as "pixmap", when it is a picture
// reference (of any kind); null otherwise.
TPixmapPersistent* ParentPixmap(const BaseObject& effect);

// 1 / keyTime, and 0 for a keyTime not above 0 (never an infinity).
float KeysPerSecond(float keyTime);
// The keyTime of keysPerSecond: 1 / value, and 0 for a value not above 0.
float KeyTimeOf(float keysPerSecond);

class PixmapAnimationEffect : public Effect {
  CORVANE_CLASS(PixmapAnimationEffect, Effect)
  static void Describe(TClassBuilder<PixmapAnimationEffect>& c);
  using Effect::Effect;

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  void SetWidth(std::int32_t value) { width_ = value; }
  void SetHeight(std::int32_t value) { height_ = value; }
  float KeyTime() const { return keyTime_; }
  void SetKeyTime(float value) { keyTime_ = value; }
  float KeyPerSecond() const { return KeysPerSecond(keyTime_); }
  void SetKeyPerSecond(float value) { keyTime_ = KeyTimeOf(value); }

  // The cell shown now on a picture of w x h pixels. The first cell while
  // stopped, without a keyTime, or when a cell side is 0 or larger than the
  // picture; otherwise the cell of the elapsed time (the last one from the
  // end of a pass on), and the running time becomes one pass.
  TRect CurRect(std::int32_t w, std::int32_t h);

  TPixmapPersistent* Target() const { return target_.Get(); }
  void Loaded() override;

 protected:
  void ProcessEffect(float dt, float time) override;

 private:
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  float keyTime_ = 0;
  TWeak<TPixmapPersistent> target_;
};

}  // namespace corvane
