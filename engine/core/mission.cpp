#include "engine/core/mission.h"

#include <algorithm>
#include <cmath>

#include "base/reflection/class_builder.h"
#include "base/system/log_target.h"
#include "engine/core/applet_services.h"
#include "engine/core/engine_services.h"
#include "engine/core/event.h"
#include "engine/core/object_loader.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Mission)

void Mission::Describe(TClassBuilder<Mission>& c) {
  c.Property("pause", &Mission::Pause, &Mission::SetPause).Stored(false);
  c.Property("pauseNoEvent", &Mission::Pause, &Mission::SetPauseNoEvent).Stored(false);
  c.Property("mouseAcquire", &Mission::mouseAcquire_).Default(true);
  c.Property("isSuccess", &Mission::isSuccess_).Default(false);
  c.Property("onLoading", &Mission::onLoading_);
  c.Property("onStart", &Mission::onStart_);
  c.Property("onSuccess", &Mission::onSuccess_);
  c.Property("onFail", &Mission::onFail_);
  c.Property("onPause", &Mission::onPause_);
  c.Property("onResume", &Mission::onResume_);

  c.Method("dispose", &Mission::dispose);
  c.Method("start", &Mission::start);
  c.Method("success", &Mission::success);
  c.Method("fail", &Mission::fail);
  c.Method("restart", &Mission::restart);
  c.Method("getDesignSelected", &Mission::getDesignSelected);
}

namespace {

Event* EventOf(const BaseObject* object) { return object->GetApplet() ? object->GetApplet()->GetEvent() : nullptr; }

}  // namespace

Mission::Mission(const TCreateContext& context) : PositionObject(context) {
  // A mission made outside an applet has no event object to listen to.
  if (Event* event = EventOf(this)) event->AddListner(this);
  EngineLog(u"Mission was created");
}

void Mission::BeforeDestruction() {
  EngineLog(u"Mission was destroyed");
  if (Event* event = EventOf(this)) event->RemoveListner(this);
  PositionObject::BeforeDestruction();
}

// ------------------------------------------------------------------ pause

void Mission::AcquireMouse(bool acquire) {
  Event* event = EventOf(this);
  if (!mouseAcquire_ || !event) return;
  if (acquire) event->acquireMouse();
  else event->unacquireMouse();
}

void Mission::SetPauseFlag(bool value, bool runHandlers) {
  if (value == pause_) return;
  pause_ = value;
  TWeak<Mission> self(this);
  if (value) {
    AcquireMouse(false);
    if (runHandlers) CallScript(onPause_);
  } else {
    if (runHandlers) CallScript(onResume_);
    if (self.Get()) AcquireMouse(true);
  }
}

void Mission::SetPause(bool value) { SetPauseFlag(value, true); }
void Mission::SetPauseNoEvent(bool value) { SetPauseFlag(value, false); }

// ----------------------------------------------------------------- phases

void Mission::Start() {
  TWeak<Mission> self(this);
  CallScript(onStart_);
  if (!self.Get()) return;
  spawn();
  if (!self.Get()) return;
  AcquireMouse(true);
  EngineLog(u"Mission was start successful " + FileName());
}

void Mission::ScheduleFinish(TScheduleAction action) {
  if (Event* event = EventOf(this)) event->ScheduleAction(this, action, 0.1);
}

void Mission::Success() {
  isSuccess_ = true;
  hide();
  ScheduleFinish(seaMissionFinish);
}

void Mission::Fail() {
  isSuccess_ = false;
  hide();
  ScheduleFinish(seaMissionFinish);
}

void Mission::Restart() {
  isSuccess_ = false;
  ScheduleFinish(seaMissionRestart);
}

BaseObject* Mission::getDesignSelected() { return RunningEngine() ? RunningEngine()->DesignSelected() : nullptr; }

void Mission::RealFinish() {
  pause_ = true;
  if (DesignTime()) {
    Free();
    return;
  }
  TWeak<Mission> self(this);
  AcquireMouse(false);
  unspawn();
  if (!self.Get()) return;
  if (isSuccess_) {
    CallScript(onSuccess_);
    EngineLog(u"Mission success " + FileName());
  } else {
    CallScript(onFail_);
    EngineLog(u"Mission fail " + FileName());
  }
  if (self.Get()) Free();
}

void Mission::RealRestart() {
  if (DesignTime()) return;
  TWeak<Mission> self(this);
  pause_ = true;
  unspawn();
  if (!self.Get()) return;
  CallScript(onFail_);
  if (!self.Get()) return;
  DeleteChildren();
  if (!FileName().empty()) {
    LoadObject(GetApplet() ? GetApplet()->ResMan() : nullptr, FileName(), Parent(), this, false);
    if (!self.Get()) return;
  }
  CallScript(onStart_);
  if (!self.Get()) return;
  spawn();
  if (!self.Get()) return;
  pause_ = false;
}

// ---------------------------------------------------------------- overrides

void Mission::Dispose() {
  TWeak<Mission> self(this);
  PrepareForDispose();
  if (self.Get()) Fail();
}

void Mission::PrepareForDispose() {
  TWeak<Mission> self(this);
  Fail();
  if (self.Get()) PositionObject::PrepareForDispose();
}

void Mission::LoadProgress(std::int32_t position, std::int32_t total) {
  Event* event = EventOf(this);
  if (!event) return;
  // A total of 0 or less reports the whole; the value stays within 0..100.
  double percent = 100;
  if (total > 0) percent = std::trunc(static_cast<double>(position) / total * 100.0);
  event->paramInt = static_cast<std::uint32_t>(std::clamp(percent, 0.0, 100.0));
  CallScript(onLoading_);
}

void Mission::ProcessTick(float dt, float time) {
  if (!pause_) PositionObject::ProcessTick(dt, time);
}

void Mission::KeyDown(std::uint16_t& key, char16_t& ch, TShiftState shift) {
  TWeak<Mission> self(this);
  PositionObject::KeyDown(key, ch, shift);
  if (self.Get() && key == 27 && !pause_) SetPause(true);
}

}  // namespace corvane
