// Timer: calls its script handler every interval while enabled, and at once
// when it is enabled. At most one firing per tick; the surplus time carries
// over to the next.
#pragma once

#include <string>

#include "base/reflection/notify_event.h"
#include "engine/core/base_object.h"

namespace corvane {

class Timer : public BaseObject {
  CORVANE_CLASS(Timer, BaseObject)
  static void Describe(TClassBuilder<Timer>& c);
  using BaseObject::BaseObject;

  bool Enabled() const { return enabled_; }
  // Nothing when unchanged; otherwise resets the elapsed time, and fires
  // when the timer becomes enabled.
  void SetEnabled(bool value);
  float Interval() const { return interval_; }
  // Values <= 0 (and NaN) become 0.0001.
  void SetInterval(float value);
  float ElapsedTime() const { return elapsed_; }

  void ProcessTick(float dt, float time) override;

  // Called with the timer after the script handler; not published.
  TNotifyEvent OnTimerEvent;

 private:
  // The handler, then OnTimerEvent; false when the timer did not outlive
  // them.
  bool Fire();

  float interval_ = 1.0f;
  float elapsed_ = 0;
  std::u16string onTimer_;
  bool enabled_ = false;
};

}  // namespace corvane
