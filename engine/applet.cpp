#include "engine/applet.h"

#include "base/class_builder.h"
#include "engine/engine.h"
#include "engine/event.h"
#include "resources/cache.h"
#include "script/script_engine.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Applet)

void Applet::Describe(TClassBuilder<Applet>& c) {
  c.Property("terminated", &Applet::Terminated, &Applet::SetTerminated).Stored(false);
  c.Property("pause", &Applet::Paused, &Applet::SetPause).Stored(false);
  c.Property("effectInScript", &Applet::effectInScript_).Default(false);
  c.Property("scale", &Applet::scale_).Stored([](const Applet& a) { return a.scale_ != 1.0f; });
  c.Property("frameRate", &Applet::frameRate_).Default(0);
  c.Method("terminate", &Applet::terminate);
}

Applet::Applet(const TCreateContext& context) : BaseObject(context) { SetApplet(this); }

Applet::~Applet() = default;

bool Applet::IsServiceObject(const BaseObject* object) const {
  return object && (object == event_ || object == cache_);
}

void Applet::terminate() {
  if (!Engine || !Engine->Embedded()) terminated_ = true;
}

void Applet::Dispose() { terminate(); }

void Applet::ProcessTick(float dt, float time) {
  TWeak<Applet> self(this);
  BaseObject::ProcessTick(dt, time);
  if (!self.Get()) return;
  CallScript(OnTick());
  if (!self.Get()) return;
  if (event_) event_->ProcessEvents();
  if (!self.Get()) return;
  if (scriptEngine_) scriptEngine_->ProcessGarbageColection();
}

void Applet::BeforeDestruction() {
  terminated_ = true;
  // The game's objects go first, while every service they call still
  // stands; then the services, each field cleared before its object goes,
  // so that later destructors find no service rather than a freed one.
  for (std::size_t i = 0; i < ChildList().size();) {
    BaseObject* child = ChildList()[i];
    if (IsServiceObject(child)) {
      ++i;
      continue;
    }
    child->Free();
  }
  if (Event* event = event_) {
    event_ = nullptr;
    event->Free();
  }
  if (TCache* cache = cache_) {
    cache_ = nullptr;
    cache->Free();  // its scripts go back through the script engine
  }
  BaseObject::BeforeDestruction();
  if (TScriptEngine* scripts = scriptEngine_) {
    scriptEngine_ = nullptr;
    scripts->Free();
  }
}

}  // namespace corvane
