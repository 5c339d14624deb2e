// What scripts call on the global "applet": objects made by class name or
// from object files and made known to the script engine, storing and
// compiling object files, missions, the modal message box, screen fades,
// sleeping, particles, devices and window pictures; and the script globals,
// key constants and classes the applet publishes.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/streams/resource_man.h"
#include "base/system/file_utils.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/core/container.h"
#include "engine/core/dummy.h"
#include "engine/core/effect.h"
#include "engine/core/event.h"
#include "engine/core/key_constants.h"
#include "engine/core/mission.h"
#include "engine/core/object_factory.h"
#include "engine/shell/applet.h"
#include "engine/shell/applet_collaborators.h"
#include "engine/shell/engine.h"
#include "engine/shell/preferences.h"
#include "engine/shell/score_table.h"
#include "gui/applet_roles.h"
#include "gui/gui_object.h"
#include "scene/applet_roles.h"
#include "platform/device.h"
#include "platform/filters/filter.h"
#include "platform/platform.h"
#include "resources/cache/cache.h"
#include "resources/cache/object_storage.h"
#include "resources/contained_name.h"
#include "resources/folder_res_man.h"
#include "resources/resource_paths.h"
#include "scene/materials.h"
#include "script/script_engine.h"

namespace corvane {

namespace {

// The effect sleep waits on: it counts its time even while the applet is
// hidden (a hidden parent stands ordinary effects still).
class TSleepEffect : public Effect {
  CORVANE_CLASS(TSleepEffect, Effect)
  explicit TSleepEffect(const TCreateContext& context) : Effect(context) { SetKeepProcessing(true); }
};

CORVANE_IMPLEMENT_CLASS(TSleepEffect)

// The object's class name followed by its identity, for objects that come
// without a name.
void GiveAutomaticName(BaseObject* object) {
  object->SetName(WidenLatin1(object->ClassName()) + IntToStr(static_cast<std::int64_t>(object->Serial())));
}

// Seconds as frames of 1/30 s, rounded to the nearest (halves to even).
std::int32_t Frames(float seconds) {
  const double frames = std::nearbyint(static_cast<double>(seconds) / (1.0 / 30.0));
  if (!std::isfinite(frames) || frames < 0) return 0;
  return static_cast<std::int32_t>(std::min(frames, 2147483647.0));
}

}  // namespace

void Applet::RegisterObject(BaseObject* object) {
  if (object && scriptEngine_)
    scriptEngine_->RegisterVariable(object->Name(), WidenLatin1(object->ClassName()), object);
}

// ---------------------------------------------------------------- objects

// Registering runs script code (a setter of that global), and so does
// loading (the objects' onCreate): each may free the object, which is then
// no result.
BaseObject* Applet::New(const std::u16string& className, BaseObject* parent) {
  BaseObject* object = CreateObject(NarrowLatin1(className), parent);
  if (!object) return nullptr;
  TWeak<BaseObject> alive(object);
  if (object->Name().empty() && !object->ScriptObject()) {
    GiveAutomaticName(object);
    RegisterObject(object);
  }
  return alive.Get();
}

BaseObject* Applet::newFromFile(const std::u16string& fileName, BaseObject* parent) {
  BaseObject* object = CreateObjectFromFile(fileName, parent, false);
  if (!object) return nullptr;
  TWeak<BaseObject> alive(object);
  if (!object->ScriptObject()) {
    if (object->Name().empty()) GiveAutomaticName(object);
    const std::u16string logged = u"Resiter variable " + object->Name() + u" " + WidenLatin1(object->ClassName());
    RegisterObject(object);
    EngineLog(logged);
  }
  if (alive.Get() && object->DesignTime()) {
    // In a design the object stands for its file: what it holds comes from
    // the file again, as external children, and is not saved with it.
    object->DeleteChildren();
    object->removeExternal();
    object->SetFileName(u"");  // at design time only stored
    object->SetDesignTime(false);
    object->SetFileName(fileName);
    if (alive.Get()) object->SetDesignTime(true);
  }
  return alive.Get();
}

BaseObject* Applet::newFromCache(const std::u16string& fileName, BaseObject* parent) {
  BaseObject* object = CreateObjectFromFile(fileName, parent, true);
  if (!object) return nullptr;
  TWeak<BaseObject> alive(object);
  if (object->Name().empty() && !object->ScriptObject()) {
    GiveAutomaticName(object);
    RegisterObject(object);
    if (alive.Get() && object->DesignTime()) object->removeExternal();
  }
  return alive.Get();
}

BaseObject* Applet::startMission(const std::u16string& fileName, BaseObject* parent) {
  TWeak<BaseObject> object(newFromFile(fileName, parent));
  if (auto* mission = dynamic_cast<Mission*>(object.Get())) mission->Start();
  return object.Get();
}

BaseObject* Applet::editMission(const std::u16string& fileName, BaseObject* parent) {
  TWeak<BaseObject> object(newFromFile(fileName, parent));
  if (object.Get()) object->SetDesignTime(true);
  return object.Get();
}

void Applet::storeObject(BaseObject* object, const std::u16string& fileName) {
  if (!object) return;
  const std::u16string reference = object->FileName();
  // The next load of any form of the file reads the new one.
  if (cache_ && !reference.empty()) {
    const std::u16string base = Utf8ToUtf16(FileNameWithoutExt(Utf16ToUtf8(reference)));
    cache_->FreeStream(reference);
    cache_->FreeStream(base + u".object");
    cache_->FreeStream(base + u".bin");
  }
  TResourceMan* resMan = resMan_;
  if (fileName.find(u"main.object") == std::u16string::npos && fileName.find(u':') != std::u16string::npos &&
      Engine && Engine->ExternalResMan()) {
    resMan = Engine->ExternalResMan();
    EngineLog(u"Use external resource for file " + fileName);
  }
  std::string name = Utf16ToUtf8(fileName);
  // A leading "/" is the applet's folder to its manager. A full path that
  // lies in that folder names its file there; any other is stored below
  // the folder, and where it went is said.
  std::string storedAs;
  if (auto* folder = dynamic_cast<TFolderResourceMan*>(resMan); folder && name.find_first_of("/\\") == 0) {
    const std::string root = CorrectPath(folder->ResourceFile());
    if (const std::optional<std::string> below = PathInsideRoot(root, CorrectPath(name))) name = *below;
    else if (const std::optional<std::string> inside = ContainedName(name)) storedAs = root + *inside;
  }
  if (SaveObject(resMan, name, object) && !storedAs.empty())
    EngineError(u"Stored " + fileName + u" as " + Utf8ToUtf16(storedAs) +
                u": a name starting with \"/\" is below the applet's folder, not a full path");
}

void Applet::createBin(const std::u16string& fileName) { CreateBin(resMan_, Utf16ToUtf8(fileName)); }

// ------------------------------------------------------------- message box

void Applet::showMessage(const std::u16string& text, const std::u16string&) {
  TWeak<Applet> self(this);
  auto* frame = collaborator::MakeAs<GuiObject>("ImageForm", this, u"GuiObject");
  auto* skinned = collaborator::As<TSkinnedWidget>(frame, u"TSkinnedWidget");
  auto* movable = skinned ? collaborator::As<TMovableForm>(frame, u"TMovableForm") : nullptr;
  TWeak<VisualObject> form(movable ? frame : nullptr);
  if (!form.Get()) return;
  skinned->SetSkinElement("form");
  skinned->SetCaption(text);
  movable->SetMovable(false);
  frame->SetBoundsRect({0, 0, static_cast<float>(width_), 150});
  auto* button = collaborator::MakeAs<GuiObject>("Button", frame, u"GuiObject");
  auto* caption = collaborator::As<TSkinnedWidget>(button, u"TSkinnedWidget");
  if (auto* modal = caption ? collaborator::As<TModalButton>(button, u"TModalButton") : nullptr) {
    button->SetWidth(70);
    button->SetHeight(20);
    caption->SetCaption(u"OK");
    modal->SetModalResult(mrOk);
    caption->SetSkinElement("button");
    button->SetX(std::trunc((frame->Width() - button->Width()) / 2.0f));
    button->SetY(frame->Height() - 50);
  }
  if (!form.Get()) return;
  enterModal(form.Get());
  if (!self.Get() || !form.Get()) return;
  form->hide();
  if (form.Get()) form->dispose();
}

// ------------------------------------------------------------------- fades

bool Applet::PrepareFade(const std::u16string& effect, float alpha, float seconds) {
  VisualObject* screen = screen_.Get();
  if (!screen) return false;
  screen->SetAlpha(alpha);
  if (auto* gui = dynamic_cast<GuiObject*>(screen)) gui->SetGuiAlign(gaClient);
  const std::int32_t frames = Frames(seconds);
  if (frames > 0) {
    if (auto* animation = dynamic_cast<TAlphaAnimation*>(screen->FindEffect(effect))) animation->SetKeyFrame(1, frames);
    return true;
  }
  // A fade of no frames would run (and be waited for) without end: it is
  // over at once.
  screen->SetAlpha(1.0f - alpha);
  screen->SetVisible(alpha == 0.0f);
  return false;
}

void Applet::fadeScreenToColor(const std::u16string& color, float seconds) {
  if (auto* fill = dynamic_cast<TScreenFill*>(screen_.Get())) fill->SetFillColor(color);
  if (PrepareFade(u"show", 0.0f, seconds)) screen_->fadeShow();
}

void Applet::hideScreen(float seconds) {
  if (PrepareFade(u"hide", 1.0f, seconds)) screen_->fadeHide();
}

void Applet::fadeScreenToColorWait(const std::u16string& color, float seconds) {
  if (auto* fill = dynamic_cast<TScreenFill*>(screen_.Get())) fill->SetFillColor(color);
  if (PrepareFade(u"show", 0.0f, seconds)) screen_->fadeShowWait();
}

void Applet::hideScreenWait(float seconds) {
  if (PrepareFade(u"hide", 1.0f, seconds)) screen_->fadeHideWait();
}

// ------------------------------------------------------------------ others

void Applet::sleep(float seconds) {
  // An effect of no duration would never end.
  if (!(seconds > 0.0f) || !std::isfinite(seconds)) return;
  // An ending applet runs no frames for its waits: a sleep in a loop would
  // only pile up effects.
  if (Terminated()) return;
  auto* effect = Create<TSleepEffect>(TCreateContext(this));
  effect->IncludeStyle(csExternal);
  TWeak<Effect> alive(effect);
  effect->SetRunningTime(seconds);
  effect->SetRunning(true);
  effect->WaitFor();
  if (Effect* done = alive.Get()) done->dispose();
}

void Applet::killParticles() {
  for (const TWeak<BaseObject>& renderer : renderers_)
    if (auto* rendering = dynamic_cast<TParticleRendering*>(renderer.Get())) rendering->KillAll();
}

std::u16string Applet::devices(std::int32_t index) const {
  if (index < 0 || index >= DeviceCount()) return {};
  const TDeviceClass& entry = DeviceList()[static_cast<std::size_t>(index)];
  return entry.Name ? entry.Name() : std::u16string();
}

void Applet::makepng(const std::u16string& fileName) {
  TPlatform* platform = Engine ? Engine->Platform() : nullptr;
  TResourceMan* folder = Engine ? Engine->ExternalResMan() : nullptr;
  if (!platform || !folder || !window_) return;
  // Stored as the external manager stores: below its root, the applet's
  // folder, by a name there or a full path that lies in it.
  platform->MakePng(window_, *folder, Utf16ToUtf8(fileName));
}

void Applet::ShowInspector() {
  if (VisualObject* inspector = inspector_.Get()) inspector->show();
}

// --------------------------------------------------------- script globals

void Applet::SetScriptVars() {
  if (!event_) return;
  PublishScriptVars();
  PublishScriptClasses();
}

void Applet::PublishScriptVars() {
  TScriptEngine* scripts = scriptEngine_;
  if (!scripts) return;
  for (TClass cls : {BaseObject::StaticClass(), PositionObject::StaticClass(), Container::StaticClass(),
                     VisualObject::StaticClass(), Dummy::StaticClass(), Mission::StaticClass(),
                     GuiObject::StaticClass()})
    scripts->RegisterClass(cls);
  // The widget classes, as far as they are registered.
  for (const char* name :
       {"Button", "StaticText", "Image", "Dropdown", "ColorDropdown", "Edit", "Form", "ImageForm", "DebugForm"})
    if (const TClass cls = GetClass(name)) scripts->RegisterClass(cls);

  auto publish = [scripts](const char16_t* name, TObject* object) {
    if (object) scripts->RegisterVariable(name, WidenLatin1(object->ClassName()), object);
  };
  publish(u"engine", Engine);
  publish(u"device", device_);
  publish(u"applet", this);
  publish(u"preferences", preferences_);
  publish(u"scoreTable", scoreTable_);
  publish(u"event", event_);
  publish(u"materials", materials_);
  publish(u"filter", filter_);
  publish(u"mostTop", MostTop());
  publish(u"inspector", Inspector());
  if (Engine) {
    publish(u"externalResMan", Engine->ExternalResMan());
    publish(u"embeddedResMan", Engine->EmbeddedResMan());
  }
  publish(u"resMan", resMan_);

  for (const TScriptConstant& constant : kScriptConstants) scripts->RegisterConst(constant.Name, constant.Value);
}

void Applet::PublishScriptClasses() {
  TScriptEngine* scripts = scriptEngine_;
  const std::vector<TClass>* classes = GlobalClassList();
  if (!scripts || !classes) return;
  // A copy: a registration made meanwhile must not move the walk.
  const std::vector<TClass> walk = *classes;
  for (TClass cls : walk)
    if (cls && cls->InheritsFrom(BaseObject::StaticClass())) scripts->RegisterClass(cls);
}

}  // namespace corvane
