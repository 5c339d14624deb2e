#include "engine/core/effect.h"

#include "base/reflection/class_builder.h"
#include "engine/core/applet_services.h"
#include "engine/core/engine_services.h"
#include "engine/core/object_cache.h"
#include "script/script_engine.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Effect)
CORVANE_IMPLEMENT_CLASS(Script)
CORVANE_IMPLEMENT_CLASS(ProxyObject)

void Effect::Describe(TClassBuilder<Effect>& c) {
  c.Property("loop", &Effect::loop_);
  c.Property("running", &Effect::Running, &Effect::SetRunning);
  c.Property("runningTime", &Effect::runningTime_);
  c.Property("friction", &Effect::friction_).Stored([](const Effect& e) { return e.friction_ != 1.0f; });
  c.Property("shiftTime", &Effect::shiftTime_);
  c.Method("progress", &Effect::progress);
}

Effect::Effect(const TCreateContext& context) : BaseObject(context) {
  // Effects are scriptable objects only when the applet asks for it.
  if (GetApplet() && !GetApplet()->EffectInScript()) SetObjectStyle(ObjectStyle() - BaseObjectStyles{osScriptable});
}

void Effect::SetRunning(bool value) {
  finishPending_ = false;
  if (value == running_) return;
  elapsed_ = 0;
  shiftElapsed_ = 0;
  speed_ = 1.0f;
  running_ = value;
}

void Effect::Restart() {
  elapsed_ = 0;
  shiftElapsed_ = 0;
  SetRunning(true);
}

void Effect::WaitFor() {
  TWeak<Effect> self(this);
  TWeak<TAppletServices> applet(GetApplet());
  while (RunningEngine()) {
    Effect* effect = self.Get();
    if (!effect || !effect->running_) return;
    if (GetApplet() && (!applet.Get() || applet->Terminated())) return;
    if (!RunningEngine()->RunStep()) return;
  }
}

float Effect::progress() const { return runningTime_ == 0 ? 0.0f : elapsed_ / runningTime_; }

bool Effect::ParentVisible() const {
  // A visual parent that is hidden stands its effects still.
  return !Parent() || Parent()->IsVisibleForEffects();
}

void Effect::ProcessTick(float dt, float time) {
  TWeak<Effect> self(this);
  BaseObject::ProcessTick(dt, time);
  if (!self.Get()) return;
  if (finishPending_) {
    ProcessEffect(runningTime_ - previousElapsed_, time);
    if (!self.Get()) return;
    // Clears the pending finish; a handler run on the stop may free the
    // effect, so nothing touches it afterwards.
    SetRunning(false);
    return;
  }
  if (shiftTime_ != 0) {
    shiftElapsed_ += dt;
    if (shiftElapsed_ < shiftTime_) return;
  }
  speed_ = speed_ + (speed_ * friction_ - speed_) * dt;
  const float step = dt * speed_;
  if ((running_ && ParentVisible()) || keepProcessing_) {
    ProcessEffect(step, time);
    if (!self.Get()) return;
    elapsed_ += step;
  }
  if (runningTime_ > 0 && elapsed_ >= runningTime_) {
    if (loop_) {
      elapsed_ = 0;
      NewLoop();
    } else if (running_) {
      previousElapsed_ = elapsed_ - step;
      finishPending_ = true;
    }
  }
}

void Script::Describe(TClassBuilder<Script>& c) {
  // A plain field here: naming a script includes no object file.
  c.Property("fileName", &Script::scriptFileName_);
}

void Script::Loaded() {
  TWeak<Script> self(this);
  BaseObject::Loaded();
  if (!self.Get()) return;
  if (!scriptFileName_.empty() && GetApplet() && GetApplet()->ObjectCache())
    loaded_ = GetApplet()->ObjectCache()->LoadScript(GetApplet()->ResMan(), scriptFileName_);
}

void Script::BeforeDestruction() {
  if (loaded_ && GetApplet() && GetApplet()->ObjectCache()) GetApplet()->ObjectCache()->FreeScript(loaded_);
  loaded_ = nullptr;
  BaseObject::BeforeDestruction();
}

void ProxyObject::Describe(TClassBuilder<ProxyObject>& c) {
  c.Property("src", &ProxyObject::FileName, &ProxyObject::SetFileName).NoDefault();
}

ProxyObject::ProxyObject(const TCreateContext& context) : BaseObject(context) { MarkProxy(); }

}  // namespace corvane
