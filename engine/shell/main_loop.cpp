// The main loop and frame timing: Run repeats RunStep until no applet is
// alive; each RunStep takes one host event, reads the clock, smooths the
// frame time and ticks every applet, free-running or at its frame rate.
// With a fixed step the clock is the frame count instead.
#include <algorithm>
#include <cmath>
#include <vector>

#include "base/system/failure_text.h"
#include "base/system/random.h"
#include "base/text/number_text.h"
#include "engine/core/event.h"
#include "engine/shell/applet.h"
#include "engine/shell/engine.h"
#include "platform/low_event.h"
#include "platform/platform.h"

namespace corvane {

namespace {

constexpr double kFreeRunningStep = 1.0 / 60.0;
// A fixed-step program this far behind the real clock (held in a debugger,
// say) stops catching up and goes on from now.
constexpr double kMaxFixedStepLag = 1.0;
constexpr std::uint32_t kFixedStepSeed = 1;

// The window actions (close, activate, deactivate) queued for one applet,
// oldest first, each once; every other event stays queued for the frames
// after the pause. An action in hand is marked, so that a frame nested in
// its handler passes it by.
void DispatchWindowActions(Event& event) {
  TWeak<Event> alive(&event);
  for (;;) {
    TLowEvent* next = nullptr;
    for (std::int32_t i = event.QueueCount() - 1; i >= 0 && !next; --i) {
      TLowEvent* queued = event.QueuedEvent(i);
      if (queued->EventType == evActionEvent && !queued->InProcess && !queued->Handled) next = queued;
    }
    if (!next) return;
    next->InProcess = true;
    event.TranslateEvent(next);
    if (!alive.Get()) return;  // the handler ended the applet and its queue
    // The oldest action not in hand is this one.
    next->InProcess = false;
    event.DeleteLastEvent(evActionEvent);
  }
}

// The window actions of an applet and of every applet nested in its tree:
// a nested applet has a window of its own, and the host's events for that
// window land in its queue.
void DispatchTreeWindowActions(Applet& root) {
  std::vector<TWeak<Applet>> applets;
  std::vector<BaseObject*> pending = {&root};
  while (!pending.empty()) {
    BaseObject* object = pending.back();
    pending.pop_back();
    if (auto* applet = dynamic_cast<Applet*>(object)) applets.emplace_back(applet);
    const auto& children = object->ChildList();
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
  const TAppletCall call(&root);
  for (const TWeak<Applet>& handle : applets) {
    Applet* applet = handle.Get();
    if (!applet || applet->Terminated()) continue;
    if (Event* event = applet->GetEvent()) DispatchWindowActions(*event);
  }
}

// At most one host event. What its handler throws (most often an event
// record the machine had no memory for) loses that event, with one line.
void PeekHostEvent(SomeEngine& engine, TPlatform* platform) {
  if (!platform) return;
  try {
    platform->PeekHandler();
  } catch (const std::exception& error) {
    engine.Error(u"Host event lost: " + FailureText(error));
  }
}

}  // namespace

void SomeEngine::SetPause(bool value) {
  if (pause_ && !value && platform_) {
    // The time spent paused is not counted.
    if (fixedStep_) realDue_ = platform_->GetCurrentTime();
    else curTime_ = lastTime_ = platform_->GetCurrentTime();
    deltaTime_ = 0;
  }
  pause_ = value;
}

void SomeEngine::SetFixedStep(bool value) {
  fixedStep_ = value;
  if (value) RandSeed(kFixedStepSeed);
  if (platform_) realDue_ = platform_->GetCurrentTime();
}

void SomeEngine::Run() {
  // The first frame's time is the time since here, not the whole clock.
  if (platform_) curTime_ = lastTime_ = realDue_ = platform_->GetCurrentTime();
  deltaTime_ = 0;
  for (;;) {
    bool alive = false;
    for (std::int32_t i = count() - 1; i >= 0 && !alive; --i)
      if (auto* applet = dynamic_cast<Applet*>(children(i))) alive = !applet->Terminated();
    RunStep();
    if (!alive) return;
  }
}

bool SomeEngine::RunStep() {
  // While the engine goes, applets freed by its shutdown may still wait.
  if (Freeing() || HasState(csDestroying)) return false;
  if (nestingDepth_ >= kMaxNestedFrames) {
    // Once while the nesting lasts: a script that nests its waits in every
    // frame meets the limit in outer frame after outer frame.
    if (!nestingReported_) Error(u"Frames nested deeper than " + IntToStr(kMaxNestedFrames) + u" levels");
    nestingReported_ = true;
    nestingMet_ = true;
    return false;
  }
  if (nestingDepth_ == 0) nestingMet_ = false;
  ++nestingDepth_;
  ++frameCount_;
  struct Leave {
    SomeEngine& engine;
    ~Leave() {
      // An outermost frame that never met the limit ends the episode.
      if (--engine.nestingDepth_ == 0 && !engine.nestingMet_) engine.nestingReported_ = false;
    }
  } leave{*this};

  if (pause_) {
    PausedStep();
    return true;
  }
  PeekHostEvent(*this, platform_.get());
  lastTime_ = curTime_;
  const double fixedPeriod = fixedStep_ ? FixedPeriod() : 0.0;
  if (fixedStep_) {
    deltaTime_ = static_cast<float>(fixedPeriod);
    curTime_ += fixedPeriod;
    time_ += fixedPeriod;
  } else {
    if (platform_) curTime_ = platform_->GetCurrentTime();
    deltaTime_ = static_cast<float>((deltaTime_ + (curTime_ - lastTime_)) / 2.0);
    time_ += deltaTime_;
  }

  // Last to first; a child added during the pass waits for the next one.
  for (std::int32_t i = count() - 1; i >= 0; --i) {
    auto* applet = dynamic_cast<Applet*>(children(i));
    if (!applet) continue;
    TWeak<Applet> alive(applet);
    if (!applet->Terminated() && applet->Ready()) HearCloseBeforeFrame(applet);
    if (alive.Get() && !applet->Terminated() && applet->Ready()) {
      TickApplet(applet);
      // A paused applet ticks nothing, its event dispatch included, but
      // still hears its window: it can be closed.
      if (alive.Get() && applet->Paused() && !applet->Terminated()) DispatchTreeWindowActions(*applet);
    }
    // Only the outermost frame frees, and never an applet with a call of
    // its own on the stack: nested frames run inside ticks (and inside the
    // construction, which runs onLoad) that still use their applet.
    if (alive.Get() && applet->Terminated() && !applet->Busy() && !embedded_ && nestingDepth_ == 1)
      applet->Free();
    if (i > count()) i = count();  // the pass freed children
  }
  if (fixedStep_) KeepRealTime(fixedPeriod);
  return true;
}

void SomeEngine::HearCloseBeforeFrame(Applet* applet) {
  // The frame of an applet of very many objects paints and ticks them all:
  // a close waits for none of that. What the host queued for the window
  // goes as queued (its deactivation first); a request still behind other
  // host events is heard directly.
  if (!platform_ || !platform_->PollCloseRequest()) return;
  TWeak<Applet> alive(applet);
  if (Event* event = applet->GetEvent()) DispatchWindowActions(*event);
  if (alive.Get() && !applet->Terminated()) HearCloseRequest();
}

void SomeEngine::HearCloseRequest() {
  TWindow* window = platform_ ? platform_->PendingCloseWindow() : nullptr;
  if (auto* applet = window ? dynamic_cast<Applet*>(window->Root) : nullptr) applet->CloseRequested();
}

double SomeEngine::FixedPeriod() const {
  double period = 0;
  for (std::int32_t i = 0; i < count(); ++i)
    if (auto* applet = dynamic_cast<Applet*>(children(i)); applet && applet->FrameRate() >= 1) {
      const double own = 1.0 / applet->FrameRate();
      period = period > 0 ? std::min(period, own) : own;
    }
  return period > 0 ? period : kFreeRunningStep;
}

void SomeEngine::KeepRealTime(double step) {
  if (!platform_) return;
  realDue_ += step;
  const double now = platform_->GetCurrentTime();
  if (realDue_ < now - kMaxFixedStepLag) realDue_ = now;
  // To the nearest millisecond: 10.02 - 10 is a hair under 20 ms.
  else if (realDue_ > now) platform_->Sleep(static_cast<std::int32_t>(std::lround((realDue_ - now) * 1000.0)));
}

void SomeEngine::PausedStep() {
  // A paused program still hears its host, so it can be closed (or
  // brought back) and is never stuck: one host event, the window actions
  // it queued, then a short sleep instead of a frame.
  PeekHostEvent(*this, platform_.get());
  for (std::int32_t i = count() - 1; i >= 0; --i) {
    auto* applet = dynamic_cast<Applet*>(children(i));
    if (applet && !applet->Terminated()) DispatchTreeWindowActions(*applet);
    if (i > count()) i = count();
  }
  FreeTerminatedApplets();
  if (platform_) platform_->Sleep(kPausedFrameSleep);
}

void SomeEngine::FreeTerminatedApplets() {
  if (embedded_ || nestingDepth_ != 1) return;
  for (std::int32_t i = count() - 1; i >= 0; --i) {
    auto* applet = dynamic_cast<Applet*>(children(i));
    if (applet && applet->Terminated() && !applet->Busy()) applet->Free();
    if (i > count()) i = count();
  }
}

void SomeEngine::GuardedTick(Applet* applet, float dt, float time) {
  // Nothing throws across the loop: a tick that fails (most often an
  // allocation the machine refused) loses the rest of its frame, with one
  // line, and the next frame runs as usual.
  TWeak<Applet> alive(applet);
  try {
    applet->ProcessTick(dt, time);
  } catch (const std::exception& error) {
    const std::u16string name = alive.Get() ? alive->Name() : std::u16string();
    Error(u"Tick of applet " + name + u" stopped: " + FailureText(error));
  }
}

void SomeEngine::TickApplet(Applet* applet) {
  const TAppletCall call(applet);
  const std::int32_t frameRate = applet->FrameRate();
  if (frameRate < 1 || fixedStep_) {
    GuardedTick(applet, deltaTime_, static_cast<float>(time_));
    return;
  }
  const double period = 1.0 / frameRate;
  if (curTime_ - lastTime_ >= period) return;  // the next pass ticks it
  deltaTime_ = static_cast<float>(period);
  time_ = lastTime_ + period;
  GuardedTick(applet, deltaTime_, static_cast<float>(time_));
  if (!platform_) return;
  const double now = platform_->GetCurrentTime();
  if (period - (now - curTime_) > 0.0)
    platform_->Sleep(static_cast<std::int32_t>(std::trunc((period - (platform_->GetCurrentTime() - curTime_)) * 1000.0)));
}

}  // namespace corvane
