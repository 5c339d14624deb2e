#include "engine/applet.h"

#include "base/class_builder.h"
#include "engine/dummy.h"
#include "engine/engine.h"
#include "engine/event.h"
#include "engine/gizmo.h"
#include "engine/screen_gizmo.h"
#include "platform/window.h"
#include "resources/cache.h"
#include "scene/dynamic_engine.h"
#include "scene/materials.h"
#include "script/script_engine.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Applet)

void Applet::Describe(TClassBuilder<Applet>& c) {
  c.Property("terminated", &Applet::Terminated, &Applet::SetTerminated).Stored(false);
  c.Property("pause", &Applet::Paused, &Applet::SetPause).Stored(false);
  c.Property("effectInScript", &Applet::effectInScript_).Default(false);
  c.Property("scale", &Applet::scale_).Stored([](const Applet& a) { return a.scale_ != 1.0f; });
  c.Property("frameRate", &Applet::frameRate_).Default(0);
  c.Property("boundsCulling", &Applet::boundsCulling_).Default(false);
  c.Property("debugWireFrame", &Applet::debugWireFrame_).Stored(false);
  c.Property("debugDynamics", &Applet::debugDynamics_).Stored(false);
  c.Method("terminate", &Applet::terminate);
}

Applet::Applet(const TCreateContext& context) : Container(context) { SetApplet(this); }

Applet::~Applet() = default;

bool Applet::IsServiceObject(const BaseObject* object) const {
  return object && (object == event_ || object == cache_ || object == materials_ || object == mostTop_.Get());
}

void Applet::SetMaterials(Materials* materials) {
  if (materials == materials_) return;
  Materials* old = materials_;
  materials_ = materials;
  if (old) old->Free();
}

void Applet::SetDynamicEngine(TDynamicEngine* engine) {
  if (engine == dynamicEngine_) return;
  FreeAndNil(dynamicEngine_);
  dynamicEngine_ = engine;
}

void Applet::SetViewFrustums(const TFrustum& screen, const TFrustum& space) {
  screenFrustum_ = screen;
  spaceFrustum_ = space;
}

std::int32_t Applet::DrawOffsetX() const { return window_ ? window_->DrawOffsetX : 0; }
std::int32_t Applet::DrawOffsetY() const { return window_ ? window_->DrawOffsetY : 0; }

TRect Applet::GuiClientRect() const {
  const float scale = scale_ > 0 ? scale_ : 1.0f;
  const float mx = static_cast<float>(DrawOffsetX()) / scale;
  const float my = static_cast<float>(DrawOffsetY()) / scale;
  return {-mx, -my, static_cast<float>(width_) + mx, static_cast<float>(height_) + my};
}

void Applet::CreateMostTop() {
  if (mostTop_.Get()) return;
  auto* layer = Create<Dummy>(TCreateContext(this));
  layer->SetName(u"mostTopLayer");
  layer->IncludeStyle(csExternal);
  mostTop_ = layer;
  gizmo_ = Create<Gizmo>(TCreateContext(layer));
  gizmo_->hide();
  screenGizmo_ = Create<ScreenGizmo>(TCreateContext(layer));
  screenGizmo_->hide();
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
  if (dynamicEngine_) dynamicEngine_->UpdateWorlds(dt);
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
  // The top layer, then what the game's objects used: materials, the
  // physics engine (every body went with its object).
  if (Dummy* layer = mostTop_.Get()) layer->Free();
  if (Materials* materials = materials_) {
    materials_ = nullptr;
    materials->Free();
  }
  FreeAndNil(dynamicEngine_);
  if (Event* event = event_) {
    event_ = nullptr;
    event->Free();
  }
  if (TCache* cache = cache_) {
    cache_ = nullptr;
    cache->Free();  // its scripts go back through the script engine
  }
  Container::BeforeDestruction();
  if (TScriptEngine* scripts = scriptEngine_) {
    scriptEngine_ = nullptr;
    scripts->Free();
  }
}

}  // namespace corvane
