// BaseObject: the root of every object in an applet's tree. It adds to the
// streamable component an ordered list of owned children, a parent, the
// applet it lives in, script handlers held as text, a per-frame tick, named
// effects, look-ups by name and tag, and a two-stage dispose that frees the
// object later from the applet's scheduler, never from inside the handler
// that asked for it.
//
// Every object has a serial, unique for the program's run, and can be held
// through a weak handle (TWeak<BaseObject>): nested frames (waits, modal
// loops) may free objects that outer frames still hold, so code that keeps
// an object across a nested step checks it is still alive.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/reflection/component.h"
#include "base/reflection/set.h"
#include "base/streams/value_type.h"

namespace corvane {

class BaseObject;
class Effect;
class PositionObject;
class TAppletServices;
class TScript;
class VisualObject;

CORVANE_ENUM(BaseObjectStyle, osTick, osScriptable);
using BaseObjectStyles = TSet<BaseObjectStyle>;

using TForEachProc = std::function<void(BaseObject* AObj)>;

// How many levels one tree of objects holds, its root (an applet) among
// them: as many as an object file nests, so that whatever a tree holds can
// be stored and read back. Every way a tree grows (a load, a script's new
// object, a move) is held to it, and so is the stack of every walk.
inline constexpr int kMaxTreeLevels = kMaxStreamDepth;

class BaseObject : public TGComponent {
  CORVANE_CLASS(BaseObject, TGComponent)
  static void Describe(TClassBuilder<BaseObject>& c);

  // The component part has no owner: the object lives in its parent's child
  // list. A BaseObject owner adopts it (AddChild) and lends it its applet.
  explicit BaseObject(const TCreateContext& context);
  ~BaseObject() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  // Identity.
  std::uint64_t Serial() const { return serial_; }
  // The applet the object lives in; nullptr outside one.
  TAppletServices* GetApplet() const { return applet_; }
  void SetApplet(TAppletServices* applet) { applet_ = applet; }
  BaseObject* Parent() const { return parent_; }
  virtual void SetParent(BaseObject* parent) { parent_ = parent; }
  // Levels above the object in its tree: 0 for a root (an applet, or an
  // object on its own; the engine holding the applets stands at -1).
  std::int32_t Depth() const { return depth_; }
  // While its constructor places it in its owner: not yet whole, it is
  // placed again (laid out with its siblings) once constructed.
  bool PlacedByConstructor() const { return placedByConstructor_; }
  // Whether a new object may be made here, not below the last level a tree
  // holds. A refusal writes one error line naming what() (made only then:
  // loads ask for every object). (Nothing is made under a tree being freed
  // either: AcceptsNewChildren, engine/core/object_factory.h.)
  template <typename TWhat>
  bool TakesNewChild(const TWhat& what) const {
    return ChildDepth() < kMaxTreeLevels || !Refuses(what(), 0);
  }

  // Published state.
  std::int32_t count() const { return static_cast<std::int32_t>(Kids().size()); }
  BaseObjectStyles ObjectStyle() const { return objectStyle_; }
  void SetObjectStyle(BaseObjectStyles style) { objectStyle_ = style; }
  const std::u16string& FileName() const { return fileName_; }
  void SetFileName(const std::u16string& value);
  bool DesignTime() const { return designTime_; }
  void SetDesignTime(bool value);
  float TimeFactor() const { return timeFactor_; }
  void SetTimeFactor(float value) { timeFactor_ = value; }
  const std::u16string& TagString() const { return tagString_; }
  void SetTagString(const std::u16string& value) { tagString_ = value; }
  float TagFloat() const { return tagFloat_; }
  std::int32_t TagInt() const { return tagInt_; }
  void SetTagInt(std::int32_t value) { tagInt_ = value; }
  const std::u16string& OnTick() const { return onTick_; }
  const std::u16string& OnCreate() const { return onCreate_; }
  const std::u16string& OnDestroy() const { return onDestroy_; }
  const std::u16string& OnCustomEvent() const { return onCustomEvent_; }
  void SetOnTick(const std::u16string& text) { onTick_ = text; }
  void SetOnCreate(const std::u16string& text) { onCreate_ = text; }
  void SetOnDestroy(const std::u16string& text) { onDestroy_ = text; }
  void SetOnCustomEvent(const std::u16string& text) { onCustomEvent_ = text; }

  // Unpublished flags.
  bool Prepared() const { return prepared_; }
  bool IsProxy() const { return isProxy_; }
  bool SkipOwnEffects() const { return skipOwnEffects_; }
  void SetSkipOwnEffects(bool value) { skipOwnEffects_ = value; }
  // The script engine's handle of this object; null while unregistered.
  void* ScriptObject() const { return scriptObject_; }
  void SetScriptObject(void* handle) { scriptObject_ = handle; }
  TScript* Script() const { return script_; }

  // Children.
  // Child i; nullptr outside 0 .. count-1.
  BaseObject* children(std::int32_t index) const;
  std::int32_t GetCount() const { return count(); }
  const std::vector<BaseObject*>& ChildList() const { return Kids(); }
  std::int32_t IndexOfChild(const BaseObject* object) const;
  void ExchangeChildren(std::int32_t i, std::int32_t j);
  void MoveChildren(std::int32_t from, std::int32_t to);
  BaseObject* AddNewChild(TClass cls);
  BaseObject* AddNewChildFirst(TClass cls);
  virtual void AddChild(BaseObject* child);
  virtual void Insert(std::int32_t index, BaseObject* child);
  virtual void Remove(BaseObject* child);
  virtual void BringToFront();
  virtual void SendToBack();
  virtual void MoveTo(BaseObject* newParent);
  virtual void DeleteChildren();
  void ForEach(const TForEachProc& proc);

  // Streaming hooks.
  void GetChildren(const TGetChildProc& proc, TGComponent* root) override;
  TGComponent* GetParentComponent() const override { return parent_; }
  bool HasParent() const override { return parent_ != nullptr; }
  void SetParentComponent(TGComponent* parent) override;
  void Loaded() override;
  void SetName(const TGComponentName& newName) override;
  virtual void BeforeSave();
  virtual void AfterSave();

  // Deferred actions of the applet's scheduler. The base does nothing:
  // visual objects hide and show, missions finish and restart.
  virtual void ScheduledHide() {}
  virtual void ScheduledShow() {}
  virtual void ScheduledMissionFinish() {}
  virtual void ScheduledMissionRestart() {}
  // Missions: whether this object is one, and whether it stops the clocks
  // of its objects' scheduled actions.
  virtual bool IsMission() const { return false; }
  // A paused mission: its objects' scheduled actions wait without counting
  // time (unless it is being disposed) and its onTick does not run.
  virtual bool MissionPaused() const { return false; }

  // Whether effects on this object advance: a hidden visual object stands
  // its effects still.
  virtual bool IsVisibleForEffects() const { return true; }

  // Cheap type tests for the per-frame walks (paint, hit test, placement).
  virtual VisualObject* AsVisualObject() { return nullptr; }
  virtual PositionObject* AsPositionObject() { return nullptr; }

  // Per frame.
  virtual void ProcessTick(float dt, float time);
  virtual BaseObject* Clone() { return nullptr; }
  virtual void LoadProgress(std::int32_t position, std::int32_t total) {}

  // Free notices: called on every object of a class that asked for them
  // (ReceiveFreeNotices) when any BaseObject is destroyed.
  virtual void FreeNotify(BaseObject* object) {}

  // Dispose and free.
  virtual void PrepareForDispose();
  virtual void Dispose();
  void dispose() { Dispose(); }
  void scheduleDispose(float delay);
  // A script's DeleteChildren, keeping what scripts may not free: an
  // applet among the children ends instead (the main loop frees it once
  // no call of its own is left), and an applet keeps its own services.
  void deleteChildren();

  // Handlers.
  void CallScript(const std::u16string& text);
  void customEvent(const std::u16string& name);
  void Log(const std::u16string& text);
  void Error(const std::u16string& text);

  // Look-ups.
  BaseObject* getParent() const { return parent_; }
  BaseObject* findByName(const std::u16string& name) const;
  BaseObject* findByTagString(const std::u16string& text) const;
  BaseObject* findOwnByTagString(const std::u16string& text) const;
  std::int32_t findAllByTagString(const std::u16string& text);
  std::int32_t findAllOwnByTagString(const std::u16string& text);
  BaseObject* FindByClass(const std::string& className);
  BaseObject* FindChildObject(const BaseObject* object, bool directOnly) const;
  bool HaveEffect(const std::u16string& name) const;
  Effect* FindEffect(const std::u16string& name) const;

  // Effects.
  virtual void RunEffect(const std::u16string& name);
  virtual void RunEffectWait(const std::u16string& name);
  virtual void StopEffect(const std::u16string& name);
  void RunEffectVar(Effect* effect);

  // Runs whole engine steps for that many seconds; returns early when the
  // applet terminates or this object dies.
  void Wait(float seconds);

  void store();
  void removeExternal() { ExcludeStyle(csExternal); }
  void design();
  // MoveTo for scripts, which may not move the engine or a service.
  void moveTo(BaseObject* newParent);

  // The automatic name: lower-case class name + serial.
  std::u16string AutomaticName() const;

  // Live objects, for the debug board.
  static std::int32_t LiveCount();

 protected:
  // Called by classes that override FreeNotify, once they hold an object
  // they must let go when it is freed (every receiver is told of every
  // object freed, so one that holds nothing should not ask yet).
  void ReceiveFreeNotices();
  // For the engine, whose children (applets) are each the root of a tree.
  void HoldTrees() { depth_ = -1; }
  // Frees the children there are now, in list order, but those `keep`
  // names. Each child costs a step, whatever their destruction does: one
  // freed by another's destruction is passed by, one already being freed
  // is left to the call freeing it, and children added meanwhile are not
  // visited.
  void FreeChildren(const std::function<bool(const BaseObject*)>& keep);
  // For ProxyObject's constructor.
  void MarkProxy() { isProxy_ = true; }
  // Loads the companion script through the applet's cache.
  void LoadCompanionScript(const std::u16string& name);

 private:
  // The receivers of free notices.
  void LeaveNotices();
  static void CloseNoticeHoles();
  void BroadcastFreed();

  // Walk helpers (pre-order).
  void CollectByTag(const std::u16string& text, bool recursive);
  // Whether the child (with what lies below it) may be placed here; a
  // refusal writes its line.
  bool Admits(const BaseObject* child) const;
  // Whether something `levels` deep below its top may not be added here
  // (the tree would be too deep), with the line that says so.
  bool Refuses(const std::u16string& what, std::int32_t levels) const;
  static void SetDepths(BaseObject* root, std::int32_t depth);
  // The depth a child of this object stands at.
  std::int32_t ChildDepth() const { return depth_ + 1; }

  std::uint64_t serial_;
  TAppletServices* applet_ = nullptr;
  BaseObject* parent_ = nullptr;
  // The children in order. A child taken out leaves a hole until the list
  // is next read (or half of it is holes), so that siblings freed in a row
  // (thousands disposed together go oldest first) do not each move the
  // rest; every read sees the list closed up.
  const std::vector<BaseObject*>& Kids() const {
    if (holes_ > 0) CloseHoles();
    return children_;
  }
  void CloseHoles() const;
  // Where the child stands in this list: its own record when that holds,
  // else a search from both ends; npos when absent.
  std::size_t SlotOf(const BaseObject* child) const;
  void RenumberFrom(std::size_t first) const;
  mutable std::vector<BaseObject*> children_;
  mutable std::size_t holes_ = 0;
  // This object's place in its parent's list, as last recorded there.
  mutable std::size_t slot_ = 0;
  // Kept for the whole subtree on every placement. A removal leaves it, so
  // that an object on its way to another parent is not walked twice; one
  // taken out for good counts from 0 again (MoveTo).
  std::int32_t depth_ = 0;
  // Set while the object's constructor places it in its owner: the engine's
  // own objects (a widget's parts) go where their owner is.
  bool placedByConstructor_ = false;
  TScript* script_ = nullptr;
  void* scriptObject_ = nullptr;

  BaseObjectStyles objectStyle_{osTick, osScriptable};
  std::u16string fileName_;
  bool designTime_ = false;
  float timeFactor_ = 1.0f;
  std::u16string tagString_;
  float tagFloat_ = 0;
  std::int32_t tagInt_ = 0;
  std::u16string onTick_;
  std::u16string onCreate_;
  std::u16string onDestroy_;
  std::u16string onCustomEvent_;

  bool prepared_ = false;
  bool isProxy_ = false;
  bool skipOwnEffects_ = false;
  bool receivesFreeNotices_ = false;
  std::size_t noticeSlot_ = 0;
};

}  // namespace corvane
