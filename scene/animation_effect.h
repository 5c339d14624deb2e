// AnimationEffect moves, turns, scales, fades or recolours its parent along
// key frames, interpolating linearly between the two keys around the
// effect's time; TwoPassEffect plays two key sets with a pause between, in
// which it goes from the last key of the first to the first of the second.
#pragma once

#include <cstdint>
#include <string>

#include "base/geometry/geometry.h"
#include "engine/core/effect.h"
#include "scene/animation_keys.h"
#include "scene/applet_roles.h"

namespace corvane {

class AnimationEffect : public Effect, public TAlphaAnimation {
  CORVANE_CLASS(AnimationEffect, Effect)
  static void Describe(TClassBuilder<AnimationEffect>& c);
  explicit AnimationEffect(const TCreateContext& context);
  ~AnimationEffect() override;

  TAnimationKeys* Keys() const { return keys_; }
  void SetKeys(TAnimationKeys* value);
  bool UseCurrent() const { return useCurrent_; }
  void SetUseCurrent(bool value) { useCurrent_ = value; }
  float CurTime() const { return curTime_; }

  // A key at Trunc(frame), its alpha and colours set through their setters:
  // empty colours stay off. A frame whose whole part is no key frame (below
  // 0, 2^32 or more, not a number) adds no key: an error line says so.
  void AddKey(float frame, float alpha, const std::u16string& color, const std::u16string& secondColor);

  // Takes the parent's position when started; with useCurrent the first key
  // takes the parent's current values of the switched-on channels.
  void SetRunning(bool value) override;

  // The fade screen's keys.
  void AddAlphaKey(std::int32_t frame, float alpha) override;
  void SetKeyFrame(std::int32_t index, std::int32_t frame) override;

 protected:
  void ProcessEffect(float dt, float time) override;
  virtual void CalcRunningTime();
  // The effect's time as the keys see it: clamped to the last key's time,
  // or wrapped once for a looping effect; 0 with fewer than two keys.
  virtual float CorrectTime(float t);
  // The keys around t (time(k1) < t <= time(k2)).
  virtual bool FindKeys(float t, TAnimationKey*& k1, TAnimationKey*& k2);
  // The channels that take part.
  virtual std::uint32_t Channels() const { return keys_->Channels(); }
  float CorrectTimeWithin(float t, float total) const;

 private:
  void Apply(const TAnimationKey& k1, const TAnimationKey& k2, float f);
  void TakeCurrent(TAnimationKey& key);

  TAnimationKeys* keys_;
  float curTime_ = 0;
  TSpaceVector startPosition_{0, 0, 0, 1};
  bool useCurrent_ = false;
};

class TwoPassEffect : public AnimationEffect {
  CORVANE_CLASS(TwoPassEffect, AnimationEffect)
  static void Describe(TClassBuilder<TwoPassEffect>& c);
  explicit TwoPassEffect(const TCreateContext& context);
  ~TwoPassEffect() override;

  TAnimationKeys* Pass2() const { return pass2_; }
  void SetPass2(TAnimationKeys* value);
  float PauseTime() const { return pauseTime_; }
  void SetPauseTime(float value) { pauseTime_ = value; }

 protected:
  // runningTime := end of pass 1 + pause + length of pass 2, from the keys'
  // own frames; every pass-2 key is offset by the end of pass 1 + pause.
  void CalcRunningTime() override;
  float CorrectTime(float t) override;
  bool FindKeys(float t, TAnimationKey*& k1, TAnimationKey*& k2) override;
  std::uint32_t Channels() const override { return Keys()->Channels() | pass2_->Channels(); }

 private:
  bool BothPasses() const { return Keys()->Count() >= 2 && pass2_->Count() >= 2; }

  TAnimationKeys* pass2_;
  float pauseTime_ = 0;
};

}  // namespace corvane
