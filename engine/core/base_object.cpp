#include "engine/core/base_object.h"

#include <algorithm>
#include <new>

#include "base/reflection/class_builder.h"
#include "base/system/log_target.h"
#include "base/text/good_text.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "engine/core/container.h"
#include "engine/core/effect.h"
#include "engine/core/engine_services.h"
#include "engine/core/event.h"
#include "engine/core/object_cache.h"
#include "engine/core/object_factory.h"
#include "engine/core/object_loader.h"
#include "platform/platform.h"
#include "script/script_engine.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(BaseObject)

namespace {

std::uint64_t gNextSerial = 0;
std::int32_t gLiveCount = 0;

// The objects that asked for free notices, each at the slot it keeps. One
// that goes leaves a hole, closed once half the list is holes and no notice
// is being handed out (a notice may itself end objects, receivers among
// them), so that receivers freed in a row do not each search and move the
// list.
std::vector<BaseObject*> gNoticeList;
std::size_t gNoticeHoles = 0;
int gNoticeWalks = 0;

TCreateContext WithoutOwner(const TCreateContext& context) {
  TCreateContext own;
  own.InitialState = context.InitialState;
  return own;
}

bool IsAncestorOf(const BaseObject* candidate, const BaseObject* object) {
  for (const BaseObject* p = object; p; p = p->Parent())
    if (p == candidate) return true;
  return false;
}

std::u16string Described(const BaseObject* object) {
  return object->Name().empty() ? WidenLatin1(object->ClassName())
                                : WidenLatin1(object->ClassName()) + u" " + object->Name();
}

// The levels below root, counted up to `most` + 1 at the most: a walk of
// the subtree on a stack of its own, stopping as soon as it is too deep.
std::int32_t LevelsBelow(const BaseObject* root, std::int32_t most) {
  if (root->ChildList().empty()) return 0;
  std::int32_t deepest = 0;
  std::vector<std::pair<const BaseObject*, std::int32_t>> pending = {{root, 0}};
  while (!pending.empty()) {
    const auto [object, level] = pending.back();
    pending.pop_back();
    deepest = std::max(deepest, level);
    if (deepest > most) return deepest;
    for (const BaseObject* child : object->ChildList()) pending.emplace_back(child, level + 1);
  }
  return deepest;
}

}  // namespace

void BaseObject::Describe(TClassBuilder<BaseObject>& c) {
  c.Property("count", &BaseObject::count).Stored(false);
  c.Property("objectStyle", &BaseObject::objectStyle_).Stored(false);
  c.Property("fileName", &BaseObject::FileName, &BaseObject::SetFileName);
  c.Property("designTime", &BaseObject::DesignTime, &BaseObject::SetDesignTime).Stored(false);
  c.Property("timeFactor", &BaseObject::timeFactor_).Stored([](const BaseObject& o) { return o.timeFactor_ != 1.0f; });
  c.Property("str", &BaseObject::tagString_);
  c.Property("tagString", &BaseObject::tagString_);
  c.Property("tagFloat", &BaseObject::tagFloat_);
  c.Property("tagInt", &BaseObject::tagInt_);
  c.Property("Tag", &TGComponent::Tag, &TGComponent::SetTag).Stored(false);
  c.Property("onTick", &BaseObject::onTick_);
  c.Property("onCreate", &BaseObject::onCreate_);
  c.Property("onDestroy", &BaseObject::onDestroy_);
  c.Property("onCustomEvent", &BaseObject::onCustomEvent_);

  c.Method("dispose", &BaseObject::dispose);
  c.Method("store", &BaseObject::store);
  c.Method("scheduleDispose", &BaseObject::scheduleDispose);
  c.Method("deleteChildren", &BaseObject::deleteChildren);
  c.Method("customEvent", &BaseObject::customEvent);
  c.Method("design", &BaseObject::design);
  c.Method("getParent", &BaseObject::getParent);
  c.Method("children", &BaseObject::children);
  c.Method("moveTo", &BaseObject::moveTo);
  c.Method("findByTagString", &BaseObject::findByTagString);
  c.Method("findOwnByTagString", &BaseObject::findOwnByTagString);
  c.Method("findAllByTagString", &BaseObject::findAllByTagString);
  c.Method("findAllOwnByTagString", &BaseObject::findAllOwnByTagString);
  c.Method("findByName", &BaseObject::findByName);
  c.Method("removeExternal", &BaseObject::removeExternal);
  c.Method("runEffect", &BaseObject::RunEffect);
  c.Method("runEffectWait", &BaseObject::RunEffectWait);
  c.Method("stopEffect", &BaseObject::StopEffect);
}

BaseObject::BaseObject(const TCreateContext& context)
    : TGComponent(WithoutOwner(context)), serial_(++gNextSerial), fileName_(Utf8ToUtf16(context.LoadName)) {
  auto* owner = dynamic_cast<BaseObject*>(context.Owner);
  if (auto* applet = dynamic_cast<TAppletServices*>(context.Applet)) applet_ = applet;
  if (owner && owner->applet_ && !applet_) applet_ = owner->applet_;
  if (owner) {
    placedByConstructor_ = true;
    owner->AddChild(this);
    placedByConstructor_ = false;
  }
  ++gLiveCount;
}

BaseObject::~BaseObject() = default;

void BaseObject::AfterConstruction() {
  TGComponent::AfterConstruction();
  if (TEngineServices* engine = RunningEngine(); designTime_ && engine) engine->DesignAddObject(this);
}

void BaseObject::BeforeDestruction() {
  if (TEngineServices* engine = RunningEngine(); designTime_ && engine) engine->DesignFreeObject(this);
  if (applet_ && applet_->ScriptEngine()) {
    if (!prepared_) {
      CallScript(onDestroy_);
      prepared_ = true;
    }
    if (applet_ && applet_->ScriptEngine()) applet_->ScriptEngine()->ObjectDestroing(this);
    if (script_ && applet_ && applet_->ObjectCache()) applet_->ObjectCache()->FreeScript(script_);
    script_ = nullptr;
  }
  if (!fileName_.empty() && applet_ && applet_->ObjectCache()) applet_->ObjectCache()->FreeStream(fileName_);
  if (receivesFreeNotices_) LeaveNotices();
  BroadcastFreed();
  if (parent_) parent_->Remove(this);
  DeleteChildren();
  --gLiveCount;
  TGComponent::BeforeDestruction();
}

std::int32_t BaseObject::LiveCount() { return gLiveCount; }

void BaseObject::FreeChildren(const std::function<bool(const BaseObject*)>& keep) {
  const std::vector<TWeak<BaseObject>> children(Kids().begin(), Kids().end());
  for (const TWeak<BaseObject>& handle : children) {
    BaseObject* child = handle.Get();
    if (!child || child->parent_ != this || child->Freeing() || (keep && keep(child))) continue;
    child->Free();
  }
}

void BaseObject::ReceiveFreeNotices() {
  if (receivesFreeNotices_) return;
  receivesFreeNotices_ = true;
  noticeSlot_ = gNoticeList.size();
  gNoticeList.push_back(this);
}

void BaseObject::LeaveNotices() {
  receivesFreeNotices_ = false;
  gNoticeList[noticeSlot_] = nullptr;
  ++gNoticeHoles;
  CloseNoticeHoles();
}

void BaseObject::CloseNoticeHoles() {
  if (gNoticeWalks > 0 || gNoticeHoles * 2 <= gNoticeList.size()) return;
  std::erase(gNoticeList, nullptr);
  gNoticeHoles = 0;
  for (std::size_t i = 0; i < gNoticeList.size(); ++i) gNoticeList[i]->noticeSlot_ = i;
}

void BaseObject::BroadcastFreed() {
  ++gNoticeWalks;
  // By index: a notice may add receivers (visited too) or end some.
  for (std::size_t i = 0; i < gNoticeList.size(); ++i)
    if (BaseObject* receiver = gNoticeList[i]) receiver->FreeNotify(this);
  --gNoticeWalks;
  CloseNoticeHoles();
}

// ---------------------------------------------------------------- children

BaseObject* BaseObject::children(std::int32_t index) const {
  if (index < 0 || index >= count()) return nullptr;
  return children_[static_cast<std::size_t>(index)];
}

void BaseObject::CloseHoles() const {
  std::erase(children_, nullptr);
  holes_ = 0;
  RenumberFrom(0);
}

void BaseObject::RenumberFrom(std::size_t first) const {
  for (std::size_t i = first; i < children_.size(); ++i)
    if (children_[i]) children_[i]->slot_ = i;
}

std::size_t BaseObject::SlotOf(const BaseObject* child) const {
  if (!child) return std::string::npos;
  if (child->slot_ < children_.size() && children_[child->slot_] == child) return child->slot_;
  // From both ends at once: a child whose record is stale is most often
  // the newest or the oldest. A child is in the list once.
  for (std::size_t front = 0, back = children_.size(); front < back; ++front) {
    if (children_[--back] == child) return back;
    if (front < back && children_[front] == child) return front;
  }
  return std::string::npos;
}

std::int32_t BaseObject::IndexOfChild(const BaseObject* object) const {
  Kids();
  const std::size_t at = SlotOf(object);
  return at == std::string::npos ? -1 : static_cast<std::int32_t>(at);
}

void BaseObject::ExchangeChildren(std::int32_t i, std::int32_t j) {
  if (i < 0 || j < 0 || i >= count() || j >= count()) return;
  std::swap(children_[static_cast<std::size_t>(i)], children_[static_cast<std::size_t>(j)]);
  children_[static_cast<std::size_t>(i)]->slot_ = static_cast<std::size_t>(i);
  children_[static_cast<std::size_t>(j)]->slot_ = static_cast<std::size_t>(j);
}

void BaseObject::MoveChildren(std::int32_t from, std::int32_t to) {
  if (from < 0 || from >= count() || from == to) return;
  to = std::clamp(to, 0, count() - 1);
  BaseObject* child = children_[static_cast<std::size_t>(from)];
  children_.erase(children_.begin() + from);
  children_.insert(children_.begin() + to, child);
  RenumberFrom(static_cast<std::size_t>(std::min(from, to)));
}

BaseObject* BaseObject::AddNewChild(TClass cls) {
  if (!cls || !cls->InheritsFrom(BaseObject::StaticClass()) || !AcceptsNewChildren(this) ||
      !TakesNewChild([&] { return WidenLatin1(cls->Name()); }))
    return nullptr;
  auto* child = static_cast<BaseObject*>(cls->CreateInstance(TCreateContext(this)));
  if (child) AddChild(child);
  return child;
}

BaseObject* BaseObject::AddNewChildFirst(TClass cls) {
  if (!cls || !cls->InheritsFrom(BaseObject::StaticClass()) || !AcceptsNewChildren(this) ||
      !TakesNewChild([&] { return WidenLatin1(cls->Name()); }))
    return nullptr;
  TCreateContext context;
  context.Applet = applet_ ? applet_->AppletObject() : nullptr;
  auto* child = static_cast<BaseObject*>(cls->CreateInstance(context));
  if (child) Insert(0, child);
  return child;
}

bool BaseObject::Refuses(const std::u16string& what, std::int32_t levels) const {
  if (ChildDepth() + levels >= kMaxTreeLevels) {
    EngineError(u"Can't add " + what + u" to " + Described(this) + u": a tree holds at most " +
                IntToStr(kMaxTreeLevels) + u" levels");
    return true;
  }
  return false;
}

bool BaseObject::Admits(const BaseObject* child) const {
  if (child == this || (!child->ChildList().empty() && IsAncestorOf(child, this))) {
    EngineError(u"Can't add " + WidenLatin1(child->ClassName()) + u" " + child->Name() + u" below itself");
    return false;
  }
  // What its owner's constructor makes goes where the owner is (a
  // widget's parts): the refusals are for what scripts and files add.
  if (child->placedByConstructor_) return true;
  if (!AcceptsNewChildren(this)) return false;
  const std::int32_t room = std::max(kMaxTreeLevels - 1 - ChildDepth(), 0);
  const std::int32_t levels = LevelsBelow(child, room);
  return ChildDepth() + levels < kMaxTreeLevels || !Refuses(Described(child), levels);
}

void BaseObject::SetDepths(BaseObject* root, std::int32_t depth) {
  // Depths below an object placed again where it stood are right already.
  if (root->depth_ == depth) return;
  root->depth_ = depth;
  std::vector<BaseObject*> pending = {root};
  while (!pending.empty()) {
    BaseObject* object = pending.back();
    pending.pop_back();
    for (BaseObject* below : object->Kids()) {
      below->depth_ = object->depth_ + 1;
      pending.push_back(below);
    }
  }
}

void BaseObject::AddChild(BaseObject* child) {
  // The parent link says whether it is in this list (every edit keeps the
  // two together), without a search.
  if (!child || child->parent_ == this || !Admits(child)) return;
  // Out of any previous parent first, so that one list alone owns it.
  if (child->parent_) child->parent_->Remove(child);
  children_.push_back(child);
  child->slot_ = children_.size() - 1;
  child->SetParent(this);
  SetDepths(child, ChildDepth());
  if (!child->applet_) child->applet_ = applet_;
  if (HasState(csLoadingProps)) child->IncludeStyle(csExternal);
  if (designTime_) child->SetDesignTime(true);
}

void BaseObject::Insert(std::int32_t index, BaseObject* child) {
  if (!child || child->parent_ == this || !Admits(child)) return;
  if (child->parent_) child->parent_->Remove(child);
  index = std::clamp(index, 0, count());
  children_.insert(children_.begin() + index, child);
  RenumberFrom(static_cast<std::size_t>(index));
  child->SetParent(this);
  SetDepths(child, ChildDepth());
  if (!child->applet_) child->applet_ = applet_;
}

void BaseObject::Remove(BaseObject* child) {
  if (!child || child->parent_ != this || SlotOf(child) == std::string::npos) return;
  if (child->Owner() == this) RemoveComponent(child);
  // Looked up again: the component's notices may have closed the holes.
  const std::size_t at = SlotOf(child);
  if (at != std::string::npos) {
    children_[at] = nullptr;
    ++holes_;
    if (holes_ * 2 > children_.size()) CloseHoles();
  }
  child->SetParent(nullptr);
}

void BaseObject::BringToFront() {
  if (!parent_) return;
  parent_->Kids();
  const std::size_t at = parent_->SlotOf(this);
  if (at == std::string::npos) return;
  auto& list = parent_->children_;
  list.erase(list.begin() + static_cast<std::ptrdiff_t>(at));
  list.push_back(this);
  parent_->RenumberFrom(at);
}

void BaseObject::SendToBack() {
  if (!parent_) return;
  parent_->Kids();
  const std::size_t at = parent_->SlotOf(this);
  if (at == std::string::npos) return;
  auto& list = parent_->children_;
  list.erase(list.begin() + static_cast<std::ptrdiff_t>(at));
  list.insert(list.begin(), this);
  parent_->RenumberFrom(0);
}

void BaseObject::MoveTo(BaseObject* newParent) {
  // Refused before the object leaves its parent, so that a refusal leaves
  // it where it was rather than owned by nobody.
  if (newParent && !newParent->Admits(this)) return;
  TAppletServices* keeper = applet_;
  if (!newParent && parent_ && (!keeper || keeper->AppletObject() == this)) {
    EngineError(u"Can't take " + WidenLatin1(ClassName()) + u" " + Name() + u" out of the object tree");
    return;
  }
  const bool placed = parent_ != nullptr;
  if (parent_) parent_->Remove(this);
  if (newParent) {
    newParent->AddChild(this);
  } else if (placed) {
    // A root of its own from now on: what is added below it counts from it.
    SetDepths(this, 0);
    keeper->KeepDetached(this);
  }
}

void BaseObject::SetParentComponent(TGComponent* parent) { MoveTo(dynamic_cast<BaseObject*>(parent)); }

void BaseObject::DeleteChildren() {
  // First to last. Taking each from the front of a vector would move the
  // rest every time; the list is turned round once and taken from its end.
  Kids();
  std::reverse(children_.begin(), children_.end());
  while (!children_.empty()) {
    BaseObject* child = children_.back();
    children_.pop_back();
    if (!child) {  // a hole: a child freed by the one before it
      --holes_;
      continue;
    }
    // Unlinked without SetParent: nothing of a child about to be freed is
    // placed again (a positioned object would mark its whole subtree).
    child->parent_ = nullptr;
    child->Free();
  }
  holes_ = 0;
}

void BaseObject::ForEach(const TForEachProc& proc) {
  proc(this);
  for (std::size_t i = 0; i < Kids().size(); ++i) Kids()[i]->ForEach(proc);
}

void BaseObject::GetChildren(const TGetChildProc& proc, TGComponent*) {
  if (HasState(csLoading) || HasStyle(csUnstoreable)) return;
  for (BaseObject* child : Kids())
    if (!child->HasStyle(csExternal)) proc(child);
}

// ------------------------------------------------------------------ state

void BaseObject::SetDesignTime(bool value) {
  designTime_ = value;
  for (BaseObject* child : Kids()) child->SetDesignTime(value);
}

void BaseObject::SetName(const TGComponentName& newName) { TGComponent::SetName(newName); }

std::u16string BaseObject::AutomaticName() const {
  return WidenLatin1(AsciiLowerCase(ClassName())) + IntToStr(static_cast<std::int64_t>(serial_));
}

void BaseObject::Loaded() {
  TGComponent::Loaded();
  if (objectStyle_.Contains(osScriptable) && Name().empty()) SetName(AutomaticName());
  // Registering a name may run a script's setter of that global, which may
  // free this object.
  TWeak<BaseObject> self(this);
  if (applet_ && applet_->ScriptEngine())
    applet_->ScriptEngine()->RegisterVariable(Name(), WidenLatin1(ClassName()), this);
  if (self.Get()) CallScript(onCreate_);
}

void BaseObject::BeforeSave() {
  if (GOODCompareText(Name(), AutomaticName()) == 0) SetName(u"");
  for (BaseObject* child : Kids()) child->BeforeSave();
}

void BaseObject::AfterSave() {
  if (Name().empty()) SetName(WidenLatin1(ClassName()) + IntToStr(static_cast<std::int64_t>(serial_)));
  for (BaseObject* child : Kids()) child->AfterSave();
}

void BaseObject::SetFileName(const std::u16string& value) {
  if (value == fileName_) return;
  fileName_ = value;
  if (designTime_) return;
  TResourceMan* resMan = applet_ ? applet_->ResMan() : nullptr;
  if (isProxy_) {
    BaseObject* loaded = LoadObject(resMan, value, parent_, nullptr, false);
    if (!loaded) {
      EngineError(u"ProxyObject not loaded " + value);
      return;
    }
    EngineLog(u"ProxyObject loaded " + value);
    if (parent_ && loaded->parent_ == parent_)
      parent_->ExchangeChildren(parent_->IndexOfChild(this), parent_->IndexOfChild(loaded));
    Dispose();
    return;
  }
  IncludeState(csLoadingProps);
  TWeak<BaseObject> self(this);
  LoadObject(resMan, value, parent_, this, false);
  if (!self.Get()) return;
  ExcludeState(csLoadingProps);
  if (!script_) LoadCompanionScript(value);
}

void BaseObject::LoadCompanionScript(const std::u16string& name) {
  if (applet_ && applet_->ObjectCache()) script_ = applet_->ObjectCache()->LoadScript(applet_->ResMan(), name);
}

// --------------------------------------------------------------- per frame

void BaseObject::ProcessTick(float dt, float time) {
  if (Kids().empty()) return;
  TWeak<BaseObject> self(this);
  for (std::size_t i = 0; i < Kids().size(); ++i) {
    BaseObject* child = Kids()[i];
    if (!child->objectStyle_.Contains(osTick)) continue;
    TWeak<BaseObject> alive(child);
    child->ProcessTick(dt * child->timeFactor_, time);
    // The tick may have freed this object, the child or its siblings
    // (nested frames run the scheduler).
    if (!self.Get() || Kids().size() <= i) return;
    if (!alive.Get() || Kids()[i] != child) continue;
    if (!child->onTick_.empty() && !child->MissionPaused()) child->CallScript(child->onTick_);
    if (!self.Get()) return;
  }
}

// -------------------------------------------------------- dispose and free

void BaseObject::PrepareForDispose() {
  if (prepared_) return;
  TWeak<BaseObject> self(this);
  CallScript(onDestroy_);
  if (!self.Get()) return;
  onDestroy_.clear();
  prepared_ = true;
  for (std::size_t i = 0; i < Kids().size(); ++i) {
    Kids()[i]->PrepareForDispose();
    if (!self.Get()) return;
  }
}

namespace {

// The engine and an applet's own services are not for scripts to dispose
// or move: the engine and the applet hold them in fields of their own.
bool RefusesScript(BaseObject* object, const char16_t* action) {
  if (IsEngineObject(object) || (object->GetApplet() && object->GetApplet()->IsServiceObject(object))) {
    const std::u16string name = object->Name().empty() ? WidenLatin1(object->ClassName()) : object->Name();
    EngineError(u"Can't " + std::u16string(action) + u" " + name);
    return true;
  }
  return false;
}

}  // namespace

void BaseObject::deleteChildren() {
  TWeak<BaseObject> self(this);
  const std::vector<TWeak<BaseObject>> children(children_.begin(), children_.end());
  for (const TWeak<BaseObject>& handle : children) {
    BaseObject* child = handle.Get();
    if (!child || child->parent_ != this) continue;
    if (auto* applet = dynamic_cast<TAppletServices*>(child)) {
      applet->terminate();
    } else if (!applet_ || !applet_->IsServiceObject(child)) {
      // Out through Remove, which leaves a hole in place: erasing each from
      // the front moved the rest every time.
      Remove(child);
      child->Free();
    }
    if (!self.Get()) return;
  }
}

void BaseObject::moveTo(BaseObject* newParent) {
  if (!RefusesScript(this, u"move")) MoveTo(newParent);
}

void BaseObject::Dispose() { scheduleDispose(0.2f); }

void BaseObject::scheduleDispose(float delay) {
  if (RefusesScript(this, u"dispose")) return;
  if (auto* applet = dynamic_cast<TAppletServices*>(this)) {
    applet->terminate();
    return;
  }
  TWeak<BaseObject> self(this);
  CallScript(onDestroy_);
  if (!self.Get()) return;
  onDestroy_.clear();
  PrepareForDispose();
  if (!self.Get()) return;
  if (applet_ && applet_->GetEvent()) applet_->GetEvent()->ScheduleAction(this, seaDispose, delay);
}

// ---------------------------------------------------------------- handlers

void BaseObject::CallScript(const std::u16string& text) {
  if (designTime_ || text.empty() || !applet_) return;
  TAppletServices* applet = applet_;
  TScriptEngine* scripts = applet->ScriptEngine();
  if (!scripts) return;
  TPlatform* platform = RunningEngine() ? RunningEngine()->Platform() : nullptr;
  const bool measure = platform && applet->DebugFormVisible();
  const double start = measure ? platform->GetCurrentTime() : 0.0;
  TWeak<TAppletServices> appletAlive(applet);
  TWeak<Event> event(applet->GetEvent());
  if (event.Get()) event->PushThis(this);
  TWeak<BaseObject> self(this);
  // The handler may free this object: only locals from here on.
  try {
    scripts->CallScript(text);
  } catch (const std::bad_alloc&) {
    // The handler is over; the frame and the other handlers go on.
    EngineError(u"Handler" + (self.Get() ? u" of " + self->Name() : std::u16string()) + u" stopped: out of memory");
  }
  if (event.Get()) event->PopThis();
  if (measure && appletAlive.Get()) applet->AddScriptTime(static_cast<float>(platform->GetCurrentTime() - start));
}

void BaseObject::customEvent(const std::u16string& name) {
  if (name.empty() || onCustomEvent_.empty()) return;
  Event* event = applet_ ? applet_->GetEvent() : nullptr;
  if (!event) {
    CallScript(onCustomEvent_);
    return;
  }
  TWeak<Event> alive(event);
  const std::u16string saved = event->paramString;
  event->paramString = name;
  CallScript(onCustomEvent_);
  if (alive.Get()) event->paramString = saved;
}

void BaseObject::Log(const std::u16string& text) { EngineLog(text); }
void BaseObject::Error(const std::u16string& text) { EngineError(text); }

// ----------------------------------------------------------------- look-ups

BaseObject* BaseObject::findByName(const std::u16string& name) const {
  for (BaseObject* child : Kids()) {
    if (child->Name() == name) return child;
    if (BaseObject* found = child->findByName(name)) return found;
  }
  return nullptr;
}

BaseObject* BaseObject::findByTagString(const std::u16string& text) const {
  for (BaseObject* child : Kids()) {
    if (child->tagString_ == text) return child;
    if (BaseObject* found = child->findByTagString(text)) return found;
  }
  return nullptr;
}

BaseObject* BaseObject::findOwnByTagString(const std::u16string& text) const {
  for (BaseObject* child : Kids())
    if (child->tagString_ == text) return child;
  return nullptr;
}

void BaseObject::CollectByTag(const std::u16string& text, bool recursive) {
  Event* event = applet_ ? applet_->GetEvent() : nullptr;
  if (!event) return;
  for (BaseObject* child : Kids()) {
    if (child->tagString_ == text) event->AddResult(child);
    if (recursive) child->CollectByTag(text, true);
  }
}

std::int32_t BaseObject::findAllByTagString(const std::u16string& text) {
  if (Kids().empty()) return 0;
  CollectByTag(text, true);
  Event* event = applet_ ? applet_->GetEvent() : nullptr;
  return event ? event->paramListCount() : 0;
}

std::int32_t BaseObject::findAllOwnByTagString(const std::u16string& text) {
  if (Kids().empty()) return 0;
  CollectByTag(text, false);
  Event* event = applet_ ? applet_->GetEvent() : nullptr;
  return event ? event->paramListCount() : 0;
}

BaseObject* BaseObject::FindByClass(const std::string& className) {
  if (SameText(ClassName(), className)) return this;
  for (BaseObject* child : Kids())
    if (BaseObject* found = child->FindByClass(className)) return found;
  return nullptr;
}

BaseObject* BaseObject::FindChildObject(const BaseObject* object, bool directOnly) const {
  for (BaseObject* child : Kids())
    if (child == object) return child;
  if (directOnly) return nullptr;
  for (BaseObject* child : Kids())
    if (BaseObject* found = child->FindChildObject(object, false)) return found;
  return nullptr;
}

bool BaseObject::HaveEffect(const std::u16string& name) const {
  for (BaseObject* child : Kids())
    if (dynamic_cast<Effect*>(child) && GOODCompareText(child->Name(), name) == 0) return true;
  for (BaseObject* child : Kids())
    if (child->HaveEffect(name)) return true;
  return false;
}

Effect* BaseObject::FindEffect(const std::u16string& name) const {
  if (!skipOwnEffects_)
    for (BaseObject* child : Kids())
      if (auto* effect = dynamic_cast<Effect*>(child); effect && GOODCompareText(child->Name(), name) == 0)
        return effect;
  for (BaseObject* child : Kids())
    if (Effect* found = child->FindEffect(name)) return found;
  return nullptr;
}

// ----------------------------------------------------------------- effects

void BaseObject::RunEffect(const std::u16string& name) {
  if (Effect* effect = FindEffect(name)) effect->SetRunning(true);
}

void BaseObject::RunEffectWait(const std::u16string& name) {
  Effect* effect = FindEffect(name);
  if (!effect) return;
  effect->SetRunning(true);
  effect->WaitFor();
}

void BaseObject::StopEffect(const std::u16string& name) {
  if (Effect* effect = FindEffect(name)) effect->SetRunning(false);
}

void BaseObject::RunEffectVar(Effect* effect) {
  if (effect) effect->SetRunning(true);
}

void BaseObject::Wait(float seconds) {
  TWeak<BaseObject> self(this);
  TWeak<TAppletServices> applet(applet_);
  float waited = 0;
  while (waited < seconds && RunningEngine()) {
    // An ending applet runs no more frames for its waits.
    if (applet_ && (!applet.Get() || applet_->Terminated())) return;
    if (!RunningEngine()->RunStep()) return;
    if (!self.Get()) return;
    waited += RunningEngine()->DeltaTime();
  }
}

void BaseObject::store() {
  if (!fileName_.empty() && applet_) applet_->storeObject(this, fileName_);
}

void BaseObject::design() {
  SetDesignTime(true);
  if (applet_) applet_->ShowInspector();
}

}  // namespace corvane
