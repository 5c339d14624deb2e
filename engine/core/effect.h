// Effect: a named, timed action run on its parent object. Started and
// stopped by name (runEffect, runEffectWait, stopEffect), it advances once
// per frame while running, can wait before starting, loop, and speed up or
// slow down; descendants do their work in ProcessEffect.
#pragma once

#include <cstdint>

#include "engine/core/base_object.h"

namespace corvane {

class Effect : public BaseObject {
  CORVANE_CLASS(Effect, BaseObject)
  static void Describe(TClassBuilder<Effect>& c);
  explicit Effect(const TCreateContext& context);

  bool Running() const { return running_; }
  virtual void SetRunning(bool value);
  void Restart();
  // Whole engine steps while the effect runs; returns when it stops, dies
  // or its applet terminates.
  void WaitFor();
  // Elapsed time over running time; 0 while the running time is 0.
  float progress() const;

  bool Loop() const { return loop_; }
  void SetLoop(bool value) { loop_ = value; }
  float RunningTime() const { return runningTime_; }
  void SetRunningTime(float value) { runningTime_ = value; }
  float Friction() const { return friction_; }
  void SetFriction(float value) { friction_ = value; }
  float ShiftTime() const { return shiftTime_; }
  void SetShiftTime(float value) { shiftTime_ = value; }
  float Elapsed() const { return elapsed_; }
  float SpeedFactor() const { return speed_; }

  // Keeps ProcessEffect coming while the effect is stopped or its parent is
  // hidden (a particle effect letting its last particles die).
  bool KeepProcessing() const { return keepProcessing_; }

  void ProcessTick(float dt, float time) override;

 protected:
  virtual void ProcessEffect(float dt, float time) {}
  virtual void NewLoop() {}
  void SetKeepProcessing(bool value) { keepProcessing_ = value; }

 private:
  bool ParentVisible() const;

  bool loop_ = false;
  bool running_ = false;
  float runningTime_ = 0;
  float friction_ = 1.0f;
  float shiftTime_ = 0;
  float elapsed_ = 0;
  float previousElapsed_ = 0;
  bool finishPending_ = false;
  float speed_ = 1.0f;
  float shiftElapsed_ = 0;
  bool keepProcessing_ = false;
};

// Holds a script file loaded through the cache for as long as it lives.
class Script : public BaseObject {
  CORVANE_CLASS(Script, BaseObject)
  static void Describe(TClassBuilder<Script>& c);
  using BaseObject::BaseObject;
  void Loaded() override;
  void BeforeDestruction() override;
  const std::u16string& ScriptFileName() const { return scriptFileName_; }

 private:
  std::u16string scriptFileName_;
  TScript* loaded_ = nullptr;
};

// Stands in an object file for another object: setting src loads that file
// as a new object in the proxy's place and disposes the proxy.
class ProxyObject : public BaseObject {
  CORVANE_CLASS(ProxyObject, BaseObject)
  static void Describe(TClassBuilder<ProxyObject>& c);
  explicit ProxyObject(const TCreateContext& context);
};

}  // namespace corvane
