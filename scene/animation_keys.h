// The key frames of an AnimationEffect: at each frame (1/30 s) any of
// thirteen channels of its parent (alpha, colours, angles, position, offsets
// from the start, scale). A channel takes part once a key has set it: the
// key set's switch for it is on.
#pragma once

#include <cstdint>
#include <string>

#include "base/lists/collection.h"

namespace corvane {

class TAnimationKeys;

// Frames are counted at this rate.
inline constexpr float kAnimationKeyRate = 30.0f;

// One bit per channel, in the order the key set publishes its switches.
enum TAnimationChannel : std::uint32_t {
  acColor = 1u << 0,
  acSecondColor = 1u << 1,
  acAlpha = 1u << 2,
  acXAngle = 1u << 3,
  acYAngle = 1u << 4,
  acZAngle = 1u << 5,
  acX = 1u << 6,
  acY = 1u << 7,
  acZ = 1u << 8,
  acDeltaX = 1u << 9,
  acDeltaY = 1u << 10,
  acDeltaZ = 1u << 11,
  acScale = 1u << 12,
};

class TAnimationKey : public TCollectionItem {
  CORVANE_CLASS(TAnimationKey, TCollectionItem)
  static void Describe(TClassBuilder<TAnimationKey>& c);
  using TCollectionItem::TCollectionItem;

  // Copies every value of another key; the switches stay the key set's.
  void Assign(const TPersistent* source) override;

  // timeOffset + key / 30 seconds.
  float Time() const { return timeOffset + static_cast<float>(key) * (1.0f / kAnimationKeyRate); }

  // Each setter stores a changed value and switches its channel on in the
  // owning key set; an unchanged value (or an empty colour) does nothing.
  void SetAlpha(float value) { SetChannel(alpha, value, acAlpha); }
  void SetXAngle(float value) { SetChannel(xAngle, value, acXAngle); }
  void SetYAngle(float value) { SetChannel(yAngle, value, acYAngle); }
  void SetZAngle(float value) { SetChannel(zAngle, value, acZAngle); }
  void SetX(float value) { SetChannel(x, value, acX); }
  void SetY(float value) { SetChannel(y, value, acY); }
  void SetZ(float value) { SetChannel(z, value, acZ); }
  void SetDeltaX(float value) { SetChannel(deltaX, value, acDeltaX); }
  void SetDeltaY(float value) { SetChannel(deltaY, value, acDeltaY); }
  void SetDeltaZ(float value) { SetChannel(deltaZ, value, acDeltaZ); }
  void SetScale(float value) { SetChannel(scale, value, acScale); }
  // "#AARRGGBB".
  std::u16string ColorText() const;
  void SetColorText(const std::u16string& text);
  std::u16string SecondColorText() const;
  void SetSecondColorText(const std::u16string& text);

  float alpha = 0;
  std::uint32_t color = 0;
  std::uint32_t secondColor = 0;
  std::uint32_t key = 0;
  float zAngle = 0, xAngle = 0, yAngle = 0;
  float z = 0, x = 0, y = 0;
  float scale = 0;
  float timeOffset = 0;
  float deltaZ = 0, deltaX = 0, deltaY = 0;

 private:
  TAnimationKeys* Keys() const;
  void SetChannel(float& field, float value, TAnimationChannel channel);
  void SetColorChannel(std::uint32_t& field, const std::u16string& text, TAnimationChannel channel);
};

class TAnimationKeys : public TCollection {
  CORVANE_CLASS(TAnimationKeys, TCollection)
  static void Describe(TClassBuilder<TAnimationKeys>& c);
  explicit TAnimationKeys(TPersistent* effect);
  // The keys and the switches of another key set.
  void Assign(const TPersistent* source) override;

  TAnimationKey* Key(int index) const { return static_cast<TAnimationKey*>(Items(index)); }
  TAnimationKey* GetKey(int index) const { return Key(index); }
  TAnimationKey* AddKey() { return static_cast<TAnimationKey*>(Add()); }
  TAnimationKey* LastKey() const { return Count() > 0 ? Key(Count() - 1) : nullptr; }

  // The switched-on channels.
  std::uint32_t Channels() const { return channels_; }
  bool Using(TAnimationChannel channel) const { return (channels_ & channel) != 0; }
  void SetUsing(TAnimationChannel channel, bool value) {
    channels_ = value ? channels_ | channel : channels_ & ~static_cast<std::uint32_t>(channel);
  }

 private:
  std::uint32_t channels_ = 0;
};

}  // namespace corvane
