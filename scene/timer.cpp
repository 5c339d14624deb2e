#include "scene/timer.h"

#include "base/reflection/class_builder.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Timer)

void Timer::Describe(TClassBuilder<Timer>& c) {
  c.Property("enabled", &Timer::Enabled, &Timer::SetEnabled).Default(false);
  c.Property("interval", &Timer::Interval, &Timer::SetInterval)
      .Stored([](const Timer& t) { return t.interval_ != 1.0f; });
  c.Property("onTimer", &Timer::onTimer_);
}

void Timer::SetInterval(float value) { interval_ = value > 0 ? value : 0.0001f; }

bool Timer::Fire() {
  TWeak<Timer> self(this);
  CallScript(onTimer_);
  if (!self.Get()) return false;
  if (OnTimerEvent) OnTimerEvent(this);
  return self.Get() != nullptr;
}

void Timer::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  elapsed_ = 0;
  if (value) Fire();
}

void Timer::ProcessTick(float dt, float time) {
  TWeak<Timer> self(this);
  BaseObject::ProcessTick(dt, time);
  if (!self.Get() || !enabled_) return;
  elapsed_ += dt;
  if (elapsed_ <= interval_) return;
  // A handler that frees the timer, or runs frames in which it goes, ends
  // the firing here.
  if (!Fire()) return;
  elapsed_ -= interval_;
}

}  // namespace corvane
