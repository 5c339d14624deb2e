#include "engine/shell/engine.h"

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "base/lists/wide_string_list.h"
#include "base/reflection/class_builder.h"
#include "base/streams/resource_man.h"
#include "base/system/steady_clock.h"
#include "base/system/stop_question.h"
#include "engine/core/close_request.h"
#include "engine/shell/applet.h"
#include "engine/shell/engine_log.h"
#include "engine/shell/gizmo.h"
#include "engine/shell/screen_gizmo.h"
#include "platform/platform.h"
#include "resources/library_loader.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(SomeEngine)

SomeEngine* Engine = nullptr;
bool DisableParams = false;
bool UseOGL = false;

bool IsEngine(const BaseObject* object) { return object && object == Engine; }

namespace {

std::vector<TClass>& DesignComps() {
  static std::vector<TClass> classes;
  return classes;
}

}  // namespace

const std::vector<TClass>& DesignCompsList() { return DesignComps(); }

void RegisterComponent(std::initializer_list<TClass> classes) {
  for (TClass cls : classes) DesignComps().push_back(cls);
}

void SomeEngine::Describe(TClassBuilder<SomeEngine>& c) {
  c.Property("deltaTime", &SomeEngine::deltaTime_);
  c.Property("time", &SomeEngine::Time, &SomeEngine::SetTime);
  c.Property("pause", &SomeEngine::Pause, &SomeEngine::SetPause);
  c.Method("log", &SomeEngine::Log);
  c.Method("error", &SomeEngine::Error);
  c.Method("runStep", &SomeEngine::runStep);
}

SomeEngine::SomeEngine(const TCreateContext& context)
    : BaseObject(context), log_(std::make_unique<TEngineLog>()), params_(Create<TWideStringList>()) {
  // Everything made from here on may log.
  Engine = this;
  SetRunningEngine(this);
  SetLogTarget(log_.get());
  SetInfoBoard(log_.get());
  SetLibraryLoaderLog(true);
  // Long compiles and reads of object files hear the host's close request.
  SetStopQuestion(&CloseRequestHeard);
  ReceiveFreeNotices();
  HoldTrees();
}

void SomeEngine::AfterConstruction() {
  BaseObject::AfterConstruction();
  StartUp();
}

SomeEngine::~SomeEngine() {
  if (Engine != this) return;
  Engine = nullptr;
  SetRunningEngine(nullptr);
  SetStopQuestion(nullptr);
  SetLibraryLoaderLog(false);
}

void SomeEngine::BeforeDestruction() {
  SetPause(true);
  // Applets store their preferences and scores on the way out.
  DeleteChildren();
  params_.reset();
  FreeAndNil(embeddedResMan_);
  FreeAndNil(externalResMan_);
  platform_.reset();
  if (!runFileName_.empty()) {
    std::remove(runFileName_.c_str());
    runFileName_.clear();
  }
  BaseObject::BeforeDestruction();
  Log(u"=== " + EngineName() + u" " + EngineVer() + u" finished ===");
}

void SomeEngine::NoteCloseRequest() {
  if (closingSince_ < 0) closingSince_ = SteadySeconds();
}

void SomeEngine::EndAtOnce(const std::u16string& reason) {
  Error(reason);
  // Every applet, nested ones too, stores what it would on its way out;
  // nothing it fails on stops the others or the end.
  std::vector<BaseObject*> pending(ChildList().rbegin(), ChildList().rend());
  while (!pending.empty()) {
    BaseObject* object = pending.back();
    pending.pop_back();
    if (auto* applet = dynamic_cast<Applet*>(object)) {
      try {
        applet->StoreAtEnd();
      } catch (const std::exception&) {
        Error(u"The preferences and scores of applet " + applet->Name() + u" could not be stored");
      }
    }
    pending.insert(pending.end(), object->ChildList().rbegin(), object->ChildList().rend());
  }
  if (!runFileName_.empty()) std::remove(runFileName_.c_str());
  Log(u"=== " + EngineName() + u" " + EngineVer() + u" finished ===");
  std::fflush(nullptr);
  std::_Exit(0);
}

void SomeEngine::Log(const std::u16string& text) { log_->Log(text); }
void SomeEngine::Error(const std::u16string& text) { log_->Error(text); }
void SomeEngine::ShowInfo(const std::u16string& name, const std::u16string& value) { log_->ShowInfo(name, value); }
const std::string& SomeEngine::LogFileName() const { return log_->LogFileName; }

void SomeEngine::SetEmbeddedResMan(TResourceMan* resMan) {
  if (resMan != embeddedResMan_) FreeAndNil(embeddedResMan_);
  embeddedResMan_ = resMan;
}

void SomeEngine::SetExternalResMan(TResourceMan* resMan) {
  if (resMan != externalResMan_) FreeAndNil(externalResMan_);
  externalResMan_ = resMan;
}

void SomeEngine::DesignAddObject(BaseObject* object) {
  if (OnDesignAdd) OnDesignAdd(object);
}

namespace {

// The selected object went: the manipulators of its applet hide.
void HideManipulators(const BaseObject* object) {
  Applet* applet = AppletOf(object);
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
  if (selectHookOwner_.Get() && selectHook_) {
    // The hook may replace itself while it runs.
    const std::function<void(BaseObject*)> hook = selectHook_;
    hook(object);
  }
  PositionObject* positioned = alive.Get() ? object->AsPositionObject() : nullptr;
  Applet* applet = AppletOf(positioned);
  if (!applet) return;
  if (positioned->Kind() == okSpace) {
    if (Gizmo* gizmo = applet->GetGizmo()) gizmo->SetObject(positioned);
  } else if (ScreenGizmo* gizmo = applet->GetScreenGizmo()) {
    gizmo->SetObject(positioned);
  }
}

void SomeEngine::SetDesignSelectHook(BaseObject* owner, std::function<void(BaseObject*)> hook) {
  selectHook_ = std::move(hook);
  selectHookOwner_ = owner;
  selectHookOwnerAddress_ = owner;
}

void SomeEngine::ClearDesignSelectHook(const BaseObject* owner) {
  if (owner != selectHookOwnerAddress_) return;
  selectHook_ = nullptr;
  selectHookOwner_.Reset();
  selectHookOwnerAddress_ = nullptr;
}

void SomeEngine::FreeNotify(BaseObject* object) {
  if (designSelected_ != object) return;
  designSelected_ = nullptr;
  HideManipulators(object);
}

}  // namespace corvane
