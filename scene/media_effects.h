// Effects that tie sound, music or a script call to their running state:
// SoundEffect and MusicEffect play while they run and stop when they stop;
// TimerEffect calls its parent's handler at each new round and once more
// when it is stopped.
#pragma once

#include <string>

#include "engine/core/effect.h"
#include "scene/cached_media.h"

namespace corvane {

class SoundEffect : public Effect {
  CORVANE_CLASS(SoundEffect, Effect)
  static void Describe(TClassBuilder<SoundEffect>& c);
  using Effect::Effect;
  void BeforeDestruction() override;

  const std::string& FileName() const { return sound_.FileName(); }
  // A sound this effect is playing is stopped before it is given back.
  void SetFileName(const std::string& name);
  TSound* Sound() const { return sound_.Get(); }
  void SetRunning(bool value) override;

 private:
  TCachedMedia<TSound> sound_;
};

class MusicEffect : public Effect {
  CORVANE_CLASS(MusicEffect, Effect)
  static void Describe(TClassBuilder<MusicEffect>& c);
  using Effect::Effect;
  void BeforeDestruction() override;

  const std::string& FileName() const { return music_.FileName(); }
  // Music this effect is playing is stopped before it is given back.
  void SetFileName(const std::string& name);
  TMusic* Music() const { return music_.Get(); }
  void SetRunning(bool value) override;

 private:
  TCachedMedia<TMusic> music_;
};

class TimerEffect : public Effect {
  CORVANE_CLASS(TimerEffect, Effect)
  static void Describe(TClassBuilder<TimerEffect>& c);
  using Effect::Effect;

  void SetRunning(bool value) override;

 protected:
  void NewLoop() override;

 private:
  void CallParent();

  std::u16string onTimer_;
};

}  // namespace corvane
