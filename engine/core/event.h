// Event: the applet's single road for input and deferred work. It queues
// low-level events (input from the platform, deferred actions from objects),
// dispatches them once per frame, carries the parameters handlers and
// scripts read (paramPoint, paramKey, paramObject, paramThis ...), keeps the
// keys and buttons held down, publishes the script globals, and records
// input to a file and plays it back.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/geometry/geometry.h"
#include "engine/core/base_object.h"
#include "engine/core/schedule_event.h"

namespace corvane {

class TPointPersistent;
class TSpaceCoord;
class TStringList;
class TWideStringList;

class Event : public BaseObject {
  CORVANE_CLASS(Event, BaseObject)
  static void Describe(TClassBuilder<Event>& c);
  explicit Event(const TCreateContext& context);
  ~Event() override;
  void BeforeDestruction() override;

  // The queue: newest first; the queue owns its events.
  void AddEvent(std::unique_ptr<TLowEvent> event);
  void DeleteLastEvent(TLowEventType type);
  std::int32_t QueueCount() const { return static_cast<std::int32_t>(events_.size() - holes_); }
  TLowEvent* QueuedEvent(std::int32_t index) const;
  // The per-frame dispatch, oldest first.
  void ProcessEvents();
  void TranslateEvent(TLowEvent* event);
  // Asks for the action on the object after delay seconds; a second request
  // for the same object and action while the first waits adds nothing.
  void ScheduleAction(BaseObject* object, TScheduleAction action, double delay);

  void FreeNotify(BaseObject* object) override;

  // Key listeners (not owned; one entry per AddListner). A listener that
  // leaves (removed, or freed) is marked and dropped at the next read, so
  // that thousands leaving together cost each a step.
  void AddListner(VisualObject* object);
  void RemoveListner(VisualObject* object);
  const std::vector<VisualObject*>& Listeners() const;

  // Keys and buttons.
  bool isKeyDown(std::int32_t key) const;
  const std::vector<std::uint32_t>& KeysDown() const { return keysDown_; }
  bool IsAltDown() const { return isAltDown_; }
  bool IsLButtonDown() const { return isLButtonDown_; }
  bool IsRButtonDown() const { return isRButtonDown_; }
  bool MouseAsquired() const { return mouseAsquired_; }
  void acquireMouse();
  void unacquireMouse();

  // Results of findAllByTagString and its kin.
  void AddResult(BaseObject* object);
  void ClearResults();
  std::int32_t paramListCount() const;
  BaseObject* paramList(std::int32_t index) const;

  // The object stacks: paramObject and paramThis are their tops. A freed
  // object's entries become none, so every pop still matches its push.
  void PushParamObject(BaseObject* object);
  void PopParamObject();
  void PushThis(BaseObject* object);
  void PopThis();
  BaseObject* ParamObject() const;
  BaseObject* ParamThis() const;

  // Parameters.
  TPointPersistent* ParamPoint() const { return paramPoint_.get(); }
  TPointPersistent* ParamDelta() const { return paramDelta_.get(); }
  TSpaceCoord* ParamNormal() const { return paramNormal_.get(); }
  TSpaceCoord* ParamPosition() const { return paramPosition_.get(); }
  std::uint32_t paramKey = 0;
  std::uint32_t paramInt = 0;
  std::u16string paramString;
  bool paramResult = false;

  // Waits for input: whole frames run until a key or mouse press arrives,
  // or the applet terminates.
  void waitForEvents();
  bool Waiting() const { return waiting_; }
  void addVarToDebug(const std::u16string& name) {}

  // Input recording and playback. Recording keeps one line per input event
  // queued (its engine time and its text form) and writes them at stop;
  // playing puts the recorded events back into the queue, one per frame,
  // when the engine's clock reaches their times.
  void recordEvent(const std::u16string& fileName);
  void playEvent(const std::u16string& fileName);
  void stop();
  bool Recording() const { return recording_; }
  bool Playing() const { return playing_; }
  const std::u16string& RecordFileName() const { return recordFileName_; }
  const TWideStringList& RecordList() const { return *recordList_; }

 private:
  // The input half of TranslateEvent, one per kind of event.
  void DispatchKeyDown(TKeyEvent* event);
  void DispatchKeyUp(TKeyEvent* event);
  void DispatchMouseDown(TMouseEvent* event);
  void DispatchMouseUp(TMouseEvent* event);
  void DispatchMouseMove(TMouseEvent* event);
  void DispatchWheel(TWheelEvent* event);
  // A window position in applet units: the drawing offsets taken off, then
  // divided by the applet's scale.
  TPoint AppletPoint(std::int32_t x, std::int32_t y) const;
  // Recording and playback hooks of AddEvent and ProcessEvents.
  void RecordInput(const TLowEvent& event);
  void PlaybackStep();
  void FollowButtons(TMouseEvent& mouse);
  // Writes the record file through the applet's resource manager.
  void SaveRecord();

  void SetParamPoint(TPointPersistent* value);
  void SetParamDelta(TPointPersistent* value);
  void SetParamNormal(TSpaceCoord* value);
  void SetParamPosition(TSpaceCoord* value);
  void SetParamObject(BaseObject* value);
  void SetParamThis(BaseObject* value);
  void DispatchScheduleAction(TScheduleActionEvent* event);
  void DispatchWindowAction(TActionEvent* event);
  void FreeQueue();

  // A queued event and its place in the order of arrival.
  struct TQueued {
    std::uint64_t Seq = 0;
    std::unique_ptr<TLowEvent> Event;  // none once taken out (a hole)
  };
  void Enqueue(std::unique_ptr<TLowEvent> event);
  // The entry of the event numbered seq; none when it left the queue.
  TQueued* FindQueued(std::uint64_t seq);
  // Takes the entry's event out, leaving a hole that Compact closes.
  std::unique_ptr<TLowEvent> TakeOut(TQueued& entry);
  void Compact();

  // Oldest first, numbered in order of arrival. Every look-up goes by
  // number, so a pass (nested ones too) walks the queue once, and an event
  // taken out in the middle leaves a hole closed later: thousands of
  // actions queued and run in one frame cost each a constant share.
  std::deque<TQueued> events_;
  std::size_t holes_ = 0;
  std::uint64_t lastSeq_ = 0;
  // The numbers of the actions queued for each object, so a request or a
  // free finds them without a walk; entries of actions already gone are
  // dropped when met.
  std::unordered_multimap<const BaseObject*, std::uint64_t> actions_;
  std::vector<std::uint32_t> keysDown_;
  // Keys whose press went to a modal object (the console, a message box)
  // or toggled the console, until their release, and what had the keys
  // then: that release is its too, even once the object is gone.
  struct TTakenKey {
    std::uint16_t Key = 0;
    char16_t Char = 0;
    TWeak<VisualObject> Receiver;
  };
  static constexpr std::size_t kMaxTakenKeys = 64;
  void TakeKey(const TKeyEvent& event, VisualObject* receiver);
  // The receiver the key's press went to (none when nothing had the keys),
  // taken off the list; nothing when its press was the game's.
  std::optional<TWeak<VisualObject>> GiveBackKey(const TKeyEvent& event);
  std::vector<TTakenKey> takenKeys_;
  bool isLButtonDown_ = false;
  bool isRButtonDown_ = false;
  bool isAltDown_ = false;
  bool mouseAsquired_ = false;
  std::vector<BaseObject*> paramObjects_;
  std::vector<BaseObject*> thisStack_;
  void DropLeavingListeners() const;
  mutable std::vector<VisualObject*> listeners_;
  std::unordered_map<const BaseObject*, std::int32_t> listenerEntries_;  // entries per listed object
  // Entries to drop at the next read, per object (its first ones).
  mutable std::unordered_map<const BaseObject*, std::int32_t> leavingListeners_;
  // Events taken out of the queue while being dispatched: freed by the
  // dispatch when it returns.
  std::vector<std::unique_ptr<TLowEvent>> orphans_;
  // Freed objects leave the result list the next time it is read (or
  // added to): scripts dispose thousands of found objects in one go, and
  // taking each out at once would walk the list each time.
  void DropFreedResults() const;
  mutable std::vector<BaseObject*> resultList_;
  std::unordered_map<const BaseObject*, int> resultCounts_;  // entries per listed object
  mutable std::vector<BaseObject*> freedResults_;
  TOwned<TPointPersistent> paramPoint_;
  TOwned<TPointPersistent> paramDelta_;
  TOwned<TSpaceCoord> paramNormal_;
  TOwned<TSpaceCoord> paramPosition_;
  bool waiting_ = false;
  TOwned<TWideStringList> debugVars_;
  bool recording_ = false;
  bool playing_ = false;
  float playStart_ = -1.0f;
  // The buttons held in the playback, for lines that carry no shift state.
  TShiftState playButtons_;
  std::u16string recordFileName_;
  TOwned<TWideStringList> recordList_;
};

}  // namespace corvane
