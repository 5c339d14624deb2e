#include "scene/media_effects.h"

#include "base/reflection/class_builder.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(SoundEffect)
CORVANE_IMPLEMENT_CLASS(MusicEffect)
CORVANE_IMPLEMENT_CLASS(TimerEffect)

namespace {

// Plays what the effect holds while it runs, stops it otherwise.
template <class TMedia>
void FollowRunning(const Effect& effect, const TCachedMedia<TMedia>& media) {
  if (effect.Running()) media.Play(effect);
  else media.Stop(effect);
}

template <class TMedia>
void ChangeFile(const Effect& effect, TCachedMedia<TMedia>& media, const std::string& name) {
  if (name == media.FileName()) return;
  // Nothing would be left to stop what plays on.
  if (effect.Running()) media.Stop(effect);
  media.SetFileName(effect, name);
}

}  // namespace

// ------------------------------------------------------------ SoundEffect

void SoundEffect::Describe(TClassBuilder<SoundEffect>& c) {
  c.Property("fileName", &SoundEffect::FileName, &SoundEffect::SetFileName);
}

void SoundEffect::SetFileName(const std::string& name) { ChangeFile(*this, sound_, name); }

void SoundEffect::SetRunning(bool value) {
  Effect::SetRunning(value);
  FollowRunning(*this, sound_);
}

void SoundEffect::BeforeDestruction() {
  sound_.Release(*this);
  Effect::BeforeDestruction();
}

// ------------------------------------------------------------ MusicEffect

void MusicEffect::Describe(TClassBuilder<MusicEffect>& c) {
  c.Property("fileName", &MusicEffect::FileName, &MusicEffect::SetFileName);
}

void MusicEffect::SetFileName(const std::string& name) { ChangeFile(*this, music_, name); }

void MusicEffect::SetRunning(bool value) {
  Effect::SetRunning(value);
  FollowRunning(*this, music_);
}

void MusicEffect::BeforeDestruction() {
  music_.Release(*this);
  Effect::BeforeDestruction();
}

// ------------------------------------------------------------ TimerEffect

void TimerEffect::Describe(TClassBuilder<TimerEffect>& c) { c.Property("onTimer", &TimerEffect::onTimer_); }

void TimerEffect::CallParent() {
  // The handler may free the effect: only locals from here on.
  if (BaseObject* parent = Parent()) parent->CallScript(std::u16string(onTimer_));
}

void TimerEffect::NewLoop() {
  Effect::NewLoop();
  CallParent();
}

void TimerEffect::SetRunning(bool value) {
  const bool stopping = Running() && !value;
  Effect::SetRunning(value);
  if (stopping) CallParent();
}

}  // namespace corvane
