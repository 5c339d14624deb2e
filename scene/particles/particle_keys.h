// The key frames of a particle's look: at each frame (1/30 s) its size,
// spin and colour; between two keys the values are interpolated.
#pragma once

#include <cstdint>
#include <string>

#include "base/lists/collection.h"

namespace corvane {

class ParticleEffect;

// Frames are counted at this rate.
inline constexpr float kParticleKeyRate = 30.0f;

class TParticleKey : public TCollectionItem {
  CORVANE_CLASS(TParticleKey, TCollectionItem)
  static void Describe(TClassBuilder<TParticleKey>& c);
  using TCollectionItem::TCollectionItem;

  // Each setter tells the collection, so that its effect sees the change.
  float Spin() const { return spin_; }
  void SetSpin(float value);
  float Scale() const { return scale_; }
  void SetScale(float value);
  std::uint32_t Color() const { return color_; }
  void SetColor(std::uint32_t value);
  // "#AARRGGBB".
  std::u16string ColorText() const;
  void SetColorText(const std::u16string& text);
  std::uint32_t Key() const { return key_; }
  void SetKey(std::uint32_t value);
  // key / 30 seconds.
  float Time() const { return static_cast<float>(key_) * (1.0f / kParticleKeyRate); }

 private:
  float spin_ = 0;      // degrees
  float scale_ = 0;     // size in units
  std::uint32_t color_ = 0;
  std::uint32_t key_ = 0;
};

class TParticleKeys : public TCollection {
  CORVANE_CLASS(TParticleKeys, TCollection)
  // Keys of the effect, which hears of every change.
  explicit TParticleKeys(ParticleEffect* effect);

  TParticleKey* Key(int index) const { return static_cast<TParticleKey*>(Items(index)); }
  TParticleKey* AddKey() { return static_cast<TParticleKey*>(Add()); }

 protected:
  void Update(TCollectionItem* item) override;

 private:
  ParticleEffect* effect_;
};

}  // namespace corvane
