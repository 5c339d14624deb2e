#include "engine/engine.h"

#include <cmath>

#include "base/class_builder.h"
#include "base/number_text.h"
#include "base/resource_man.h"
#include "base/text_convert.h"
#include "engine/applet.h"
#include "engine/engine_log.h"
#include "engine/gizmo.h"
#include "engine/screen_gizmo.h"
#include "platform/platform.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(SomeEngine)

SomeEngine* Engine = nullptr;
bool WriteMode = false;

bool IsEngine(const BaseObject* object) { return object && object == Engine; }

void SomeEngine::Describe(TClassBuilder<SomeEngine>& c) {
  c.Property("deltaTime", &SomeEngine::deltaTime_);
  c.Property("time", &SomeEngine::time_);
  c.Property("pause", &SomeEngine::Pause, &SomeEngine::SetPause);
  c.Method("log", &SomeEngine::Log);
  c.Method("error", &SomeEngine::Error);
  c.Method("runStep", &SomeEngine::runStep);
}

SomeEngine::SomeEngine(const TCreateContext& context) : BaseObject(context), log_(std::make_unique<TEngineLog>()) {
  Engine = this;
  SetLogTarget(log_.get());
  ReceiveFreeNotices();
}

void SomeEngine::AfterConstruction() {
  BaseObject::AfterConstruction();
  if (PlatformClass) platform_.reset(static_cast<TPlatform*>(PlatformClass->CreateInstance(TCreateContext{})));
}

SomeEngine::~SomeEngine() {
  if (Engine == this) Engine = nullptr;
}

void SomeEngine::BeforeDestruction() {
  SetPause(true);
  DeleteChildren();
  FreeAndNil(embeddedResMan_);
  FreeAndNil(externalResMan_);
  platform_.reset();
  BaseObject::BeforeDestruction();
}

void SomeEngine::Log(const std::u16string& text) { log_->Log(text); }
void SomeEngine::Error(const std::u16string& text) { log_->Error(text); }
void SomeEngine::ShowInfo(const std::u16string& name, const std::u16string& value) { log_->ShowInfo(name, value); }

void SomeEngine::SetEmbeddedResMan(TResourceMan* resMan) {
  if (resMan != embeddedResMan_) FreeAndNil(embeddedResMan_);
  embeddedResMan_ = resMan;
}

void SomeEngine::SetExternalResMan(TResourceMan* resMan) {
  if (resMan != externalResMan_) FreeAndNil(externalResMan_);
  externalResMan_ = resMan;
}

void SomeEngine::SetPause(bool value) {
  if (pause_ && !value && platform_) {
    curTime_ = lastTime_ = platform_->GetCurrentTime();
    deltaTime_ = 0;
  }
  pause_ = value;
}

void SomeEngine::Run() {
  // The clock starts now: the first frame's time is the time since here.
  if (platform_) curTime_ = lastTime_ = platform_->GetCurrentTime();
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
  if (pause_) return true;
  if (nestingDepth_ >= kMaxNestedFrames) {
    if (!nestingReported_) Error(u"Frames nested deeper than " + IntToStr(kMaxNestedFrames) + u" levels");
    nestingReported_ = true;
    return false;
  }
  if (nestingDepth_ == 0) nestingReported_ = false;
  ++nestingDepth_;
  struct Leave {
    std::int32_t& depth;
    ~Leave() { --depth; }
  } leave{nestingDepth_};

  if (platform_) platform_->PeekHandler();
  lastTime_ = curTime_;
  if (platform_) curTime_ = platform_->GetCurrentTime();
  deltaTime_ = (deltaTime_ + (curTime_ - lastTime_)) / 2.0f;
  time_ += deltaTime_;

  for (std::int32_t i = count() - 1; i >= 0; --i) {
    auto* applet = dynamic_cast<Applet*>(children(i));
    if (!applet) continue;
    TWeak<Applet> alive(applet);
    if (!applet->Terminated() && applet->Ready()) TickApplet(applet);
    // Only the outermost frame frees: nested frames run inside ticks that
    // still use their applet.
    if (alive.Get() && applet->Terminated() && !embedded_ && nestingDepth_ == 1) applet->Free();
    if (i > count()) i = count();  // the pass freed children
  }
  return true;
}

void SomeEngine::TickApplet(Applet* applet) {
  const std::int32_t frameRate = applet->FrameRate();
  if (frameRate < 1) {
    applet->ProcessTick(deltaTime_, time_);
    return;
  }
  const auto period = static_cast<float>(1.0 / frameRate);
  if (curTime_ - lastTime_ >= period) return;  // the next pass ticks it
  deltaTime_ = period;
  time_ = lastTime_ + period;
  applet->ProcessTick(period, lastTime_ + period);
  if (!platform_) return;
  const float now = platform_->GetCurrentTime();
  if (period - (now - curTime_) > 0.0f)
    platform_->Sleep(static_cast<std::int32_t>(std::trunc((period - (platform_->GetCurrentTime() - curTime_)) * 1000.0f)));
}

void SomeEngine::DesignAddObject(BaseObject* object) {
  if (OnDesignAdd) OnDesignAdd(object);
}

namespace {

// The selected object went: the manipulators of its applet hide.
void HideManipulators(const BaseObject* object) {
  Applet* applet = object ? object->GetApplet() : nullptr;
  if (!applet) return;
  if (Gizmo* gizmo = applet->GetGizmo()) gizmo->hide();
  if (ScreenGizmo* gizmo = applet->GetScreenGizmo()) gizmo->hide();
}

}  // namespace

void SomeEngine::DesignFreeObject(BaseObject* object) {
  if (object && object == designSelected_) {
    designSelected_ = nullptr;
    HideManipulators(object);
  }
  if (OnDesignFree) OnDesignFree(object);
}

void SomeEngine::DesignSelectObject(BaseObject* object) {
  designSelected_ = object;
  if (!object) return;
  TWeak<BaseObject> alive(object);
  if (OnDesignSelect) OnDesignSelect(object);
  PositionObject* positioned = alive.Get() ? object->AsPositionObject() : nullptr;
  Applet* applet = positioned ? positioned->GetApplet() : nullptr;
  if (!applet) return;
  if (positioned->Kind() == okSpace) {
    if (Gizmo* gizmo = applet->GetGizmo()) gizmo->SetObject(positioned);
  } else if (ScreenGizmo* gizmo = applet->GetScreenGizmo()) {
    gizmo->SetObject(positioned);
  }
}

void SomeEngine::FreeNotify(BaseObject* object) {
  if (designSelected_ != object) return;
  designSelected_ = nullptr;
  HideManipulators(object);
}

}  // namespace corvane
