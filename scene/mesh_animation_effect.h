// MeshAnimationEffect: plays the key frames key1 .. key2 of its parent's
// model ("Mesh"), keyTime seconds a frame. It makes itself the model's
// driving effect; the parent Mesh picks the frame when it paints. The link
// is weak both ways: either may go first.
#pragma once

#include <cstdint>

#include "engine/core/effect.h"

namespace corvane {

class TMeshPersistent;

class MeshAnimationEffect : public Effect {
  CORVANE_CLASS(MeshAnimationEffect, Effect)
  static void Describe(TClassBuilder<MeshAnimationEffect>& c);
  // keyTime 0.1.
  explicit MeshAnimationEffect(const TCreateContext& context);
  ~MeshAnimationEffect() override;

  std::int32_t Key1() const { return key1_; }
  std::int32_t Key2() const { return key2_; }
  void SetKey1(std::int32_t value) { key1_ = value; }
  void SetKey2(std::int32_t value) { key2_ = value; }
  float KeyTime() const { return keyTime_; }
  void SetKeyTime(float value) { keyTime_ = value; }
  // 1 / keyTime; 0 for a keyTime not above 0. Setting a value not above 0
  // stores a keyTime of 0.
  float KeyPerSecond() const;
  void SetKeyPerSecond(float value);

  TMeshPersistent* Target() const { return target_.Get(); }
  // Finds the model; when running, drives it; the running time becomes the
  // range's.
  void Loaded() override;
  // Starting drives the model (found now when it was missing).
  void SetRunning(bool value) override;

 protected:
  void ProcessEffect(float dt, float time) override;

 private:
  // Looks the model up while there is none; the first time it is found the
  // effect sets itself up as in Loaded (an effect made at run time gets no
  // Loaded).
  void FindTarget();
  void Attach();

  std::int32_t key1_ = 0;
  std::int32_t key2_ = 0;
  float keyTime_ = 0.1f;
  TWeak<TMeshPersistent> target_;
};

}  // namespace corvane
