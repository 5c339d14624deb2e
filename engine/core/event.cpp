#include "engine/core/event.h"

#include <algorithm>
#include <new>

#include "base/geometry/coord.h"
#include "base/geometry/point_rect_persistent.h"
#include "base/lists/wide_string_list.h"
#include "base/reflection/class_builder.h"
#include "base/system/log_target.h"
#include "engine/core/applet_services.h"
#include "engine/core/container.h"
#include "engine/core/engine_services.h"
#include "engine/core/object_factory.h"
#include "engine/core/visual_object.h"
#include "platform/platform.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Event)

void Event::Describe(TClassBuilder<Event>& c) {
  auto ignore = [](Event&, bool) {};
  c.Property("isAltDown", &Event::IsAltDown, ignore).Stored(false);
  c.Property("isLButtonDown", &Event::IsLButtonDown, ignore).Stored(false);
  c.Property("isRButtonDown", &Event::IsRButtonDown, ignore).Stored(false);
  c.Property("mouseAsquired", &Event::MouseAsquired).Stored(false);
  c.Property("paramListCount", &Event::paramListCount, [](Event&, std::int32_t) {}).Stored(false);
  c.Property("paramPoint", &Event::ParamPoint, &Event::SetParamPoint).Stored(false);
  c.Property("paramDelta", &Event::ParamDelta, &Event::SetParamDelta).Stored(false);
  c.Property("paramNormal", &Event::ParamNormal, &Event::SetParamNormal).Stored(false);
  c.Property("paramPosition", &Event::ParamPosition, &Event::SetParamPosition).Stored(false);
  c.Property("paramKey", &Event::paramKey).Stored(false);
  c.Property("paramInt", &Event::paramInt).Stored(false);
  c.Property("paramString", &Event::paramString).Stored(false);
  c.Property("paramResult", &Event::paramResult).Stored(false);
  c.Property("paramObject", &Event::ParamObject, &Event::SetParamObject).Stored(false);
  c.Property("paramThis", &Event::ParamThis, &Event::SetParamThis).Stored(false);

  c.Method("addVarToDebug", &Event::addVarToDebug);
  c.Method("acquireMouse", &Event::acquireMouse);
  c.Method("unacquireMouse", &Event::unacquireMouse);
  c.Method("recordEvent", &Event::recordEvent);
  c.Method("playEvent", &Event::playEvent);
  c.Method("stop", &Event::stop);
  c.Method("isKeyDown", &Event::isKeyDown);
  c.Method("waitForEvents", &Event::waitForEvents);
  c.Method("paramList", &Event::paramList);
}

Event::Event(const TCreateContext& context) : BaseObject(context) {
  TObject* owner = AppletObjectOf(this);
  paramPoint_.reset(Create<TPointPersistent>(TCreateContext(owner)));
  paramDelta_.reset(Create<TPointPersistent>(TCreateContext(owner)));
  paramNormal_.reset(TSpaceCoord::CreateInitialized(owner, TSpaceVector{0, 0, 0, 1}));
  paramPosition_.reset(TSpaceCoord::CreateInitialized(owner, TSpaceVector{0, 0, 0, 1}));
  debugVars_.reset(Create<TWideStringList>(TCreateContext(owner)));
  recordList_.reset(Create<TWideStringList>(TCreateContext(owner)));
}

Event::~Event() = default;

void Event::BeforeDestruction() {
  FreeQueue();
  BaseObject::BeforeDestruction();
}

void Event::FreeQueue() {
  events_.clear();
  holes_ = 0;
  actions_.clear();
  orphans_.clear();
}

// ------------------------------------------------------------------- queue

void Event::AddEvent(std::unique_ptr<TLowEvent> event) {
  if (!event) return;
  if (event->EventType < evMouseUp) waiting_ = false;
  const bool inputEvent = event->EventType < evScheduleAction;
  if (inputEvent && GetApplet() && GetApplet()->Paused()) return;  // dropped while paused
  TLowEvent* added = event.get();
  Enqueue(std::move(event));
  if (inputEvent && recording_) RecordInput(*added);
}

void Event::Enqueue(std::unique_ptr<TLowEvent> event) {
  const std::uint64_t seq = ++lastSeq_;
  if (event->EventType == evScheduleAction)
    if (const BaseObject* object = static_cast<TScheduleActionEvent*>(event.get())->Obj) {
      ReceiveFreeNotices();
      actions_.emplace(object, seq);
    }
  events_.push_back({seq, std::move(event)});
}

Event::TQueued* Event::FindQueued(std::uint64_t seq) {
  const auto it = std::lower_bound(events_.begin(), events_.end(), seq,
                                   [](const TQueued& queued, std::uint64_t s) { return queued.Seq < s; });
  return it != events_.end() && it->Seq == seq && it->Event ? &*it : nullptr;
}

std::unique_ptr<TLowEvent> Event::TakeOut(TQueued& entry) {
  ++holes_;
  return std::move(entry.Event);
}

void Event::Compact() {
  if (holes_ == 0) return;
  std::erase_if(events_, [](const TQueued& queued) { return !queued.Event; });
  holes_ = 0;
}

void Event::DeleteLastEvent(TLowEventType type) {
  for (TQueued& queued : events_)
    if (queued.Event && queued.Event->EventType == type && !queued.Event->InProcess) {
      TakeOut(queued);
      Compact();
      return;
    }
}

TLowEvent* Event::QueuedEvent(std::int32_t index) const {
  if (index < 0 || index >= QueueCount()) return nullptr;
  if (holes_ == 0) return events_[events_.size() - 1 - static_cast<std::size_t>(index)].Event.get();
  for (auto it = events_.rbegin(); it != events_.rend(); ++it)
    if (it->Event && index-- == 0) return it->Event.get();
  return nullptr;
}

void Event::ProcessEvents() {
  TWeak<Event> self(this);
  PlaybackStep();
  // Oldest first, each queued event once per pass: the next event is the
  // oldest one that came after the last one this pass took. Handlers may
  // run nested passes that add or remove events; those skip the event in
  // hand (InProcess).
  std::uint64_t last = 0;
  std::size_t at = 0;  // where the last one taken stood, while nothing closed the holes
  for (;;) {
    auto it = at < events_.size() && events_[at].Seq == last
                  ? events_.begin() + static_cast<std::ptrdiff_t>(at) + 1
                  : std::upper_bound(events_.begin(), events_.end(), last,
                                     [](std::uint64_t seq, const TQueued& queued) { return seq < queued.Seq; });
    while (it != events_.end() && (!it->Event || it->Event->Handled || it->Event->InProcess)) ++it;
    if (it == events_.end()) break;
    last = it->Seq;
    at = static_cast<std::size_t>(it - events_.begin());
    TLowEvent* event = it->Event.get();
    event->InProcess = true;
    try {
      TranslateEvent(event);
    } catch (const std::bad_alloc&) {
      // That event is spent (it stays queued, or among the orphans, until
      // the walk below); the others are dispatched as usual.
      EngineError(u"Event dispatch stopped: out of memory");
      if (self.Get()) event->Handled = true;
    }
    if (!self.Get()) return;  // the dispatch ended the applet and its queue
    const auto orphan = std::find_if(orphans_.begin(), orphans_.end(), [&](const auto& e) { return e.get() == event; });
    if (orphan != orphans_.end()) {
      orphans_.erase(orphan);  // taken out of the queue while dispatched: ours to free
      continue;
    }
    TQueued* queued = at < events_.size() && events_[at].Seq == last ? &events_[at] : FindQueued(last);
    if (!queued || queued->Event.get() != event) continue;
    if (event->Handled) TakeOut(*queued);
    else event->InProcess = false;
  }
  Compact();
}

void Event::TranslateEvent(TLowEvent* event) {
  switch (event->EventType) {
    case evKeyDown: DispatchKeyDown(static_cast<TKeyEvent*>(event)); return;
    case evKeyUp: DispatchKeyUp(static_cast<TKeyEvent*>(event)); return;
    case evMouseDown: DispatchMouseDown(static_cast<TMouseEvent*>(event)); return;
    case evMouseUp: DispatchMouseUp(static_cast<TMouseEvent*>(event)); return;
    case evMouseMove: DispatchMouseMove(static_cast<TMouseEvent*>(event)); return;
    case evMouseWheel: DispatchWheel(static_cast<TWheelEvent*>(event)); return;
    case evScheduleAction: DispatchScheduleAction(static_cast<TScheduleActionEvent*>(event)); return;
    case evActionEvent: DispatchWindowAction(static_cast<TActionEvent*>(event)); return;
  }
}

void Event::DispatchScheduleAction(TScheduleActionEvent* event) {
  TWeak<BaseObject> target(event->Obj);
  if (event->Action == seaDispose && target.Get()) target->PrepareForDispose();
  BaseObject* mission = GetObjectMission(target.Get());
  const bool stopped = mission && mission->MissionPaused() && !mission->Prepared();
  if (!stopped && RunningEngine()) event->Elapsed += RunningEngine()->DeltaTime();
  if (event->Elapsed <= event->Delay && target.Get()) {
    event->Handled = false;
    return;
  }
  if (BaseObject* object = target.Get()) {
    event->Obj = nullptr;
    switch (event->Action) {
      case seaHide: object->ScheduledHide(); break;
      case seaShow: object->ScheduledShow(); break;
      case seaDispose: object->Free(); break;
      case seaMissionFinish: object->ScheduledMissionFinish(); break;
      case seaMissionRestart: object->ScheduledMissionRestart(); break;
    }
  }
  event->Handled = true;
}

void Event::DispatchWindowAction(TActionEvent* event) {
  event->Handled = true;
  TAppletServices* applet = GetApplet();
  if (!applet) return;
  switch (event->Action) {
    case aeCloseWindow: applet->CloseRequested(); break;
    case aeActivate: applet->Activate(); break;
    case aeDeactivate: applet->Deactivate(); break;
  }
}

void Event::ScheduleAction(BaseObject* object, TScheduleAction action, double delay) {
  const auto [first, last] = actions_.equal_range(object);
  for (auto it = first; it != last;) {
    TQueued* queued = FindQueued(it->second);
    const auto* scheduled = queued ? static_cast<const TScheduleActionEvent*>(queued->Event.get()) : nullptr;
    if (!scheduled || scheduled->Obj != object) {
      it = actions_.erase(it);  // done or gone
      continue;
    }
    if (scheduled->Action == action) return;
    ++it;
  }
  AddEvent(std::make_unique<TScheduleActionEvent>(evScheduleAction, static_cast<float>(delay), object, action));
}

void Event::FreeNotify(BaseObject* object) {
  BaseObject::FreeNotify(object);
  const auto [first, last] = actions_.equal_range(object);
  for (auto it = first; it != last; ++it) {
    TQueued* queued = FindQueued(it->second);
    auto* scheduled = queued ? static_cast<TScheduleActionEvent*>(queued->Event.get()) : nullptr;
    if (!scheduled || scheduled->Obj != object) continue;
    scheduled->Obj = nullptr;
    std::unique_ptr<TLowEvent> taken = TakeOut(*queued);
    if (taken->InProcess) orphans_.push_back(std::move(taken));
  }
  actions_.erase(object);
  // Closed at once only when half the queue is holes, so that freeing a
  // thousand objects does not close a hole a thousand times.
  if (holes_ * 2 >= events_.size()) Compact();
  if (resultCounts_.erase(object) > 0) freedResults_.push_back(object);
  if (const auto listed = listenerEntries_.find(object); listed != listenerEntries_.end()) {
    leavingListeners_[object] += listed->second;
    listenerEntries_.erase(listed);
  }
  std::replace(paramObjects_.begin(), paramObjects_.end(), object, static_cast<BaseObject*>(nullptr));
  std::replace(thisStack_.begin(), thisStack_.end(), object, static_cast<BaseObject*>(nullptr));
}

// --------------------------------------------------------------- listeners

void Event::AddListner(VisualObject* object) {
  if (!object) return;
  ReceiveFreeNotices();
  // First: a new object may stand where a freed listener stood.
  DropLeavingListeners();
  listeners_.push_back(object);
  ++listenerEntries_[object];
}

void Event::RemoveListner(VisualObject* object) {
  const auto listed = listenerEntries_.find(object);
  if (listed == listenerEntries_.end()) return;
  if (--listed->second == 0) listenerEntries_.erase(listed);
  ++leavingListeners_[object];
}

const std::vector<VisualObject*>& Event::Listeners() const {
  DropLeavingListeners();
  return listeners_;
}

void Event::DropLeavingListeners() const {
  if (leavingListeners_.empty()) return;
  // The first entries of each leaving object go, as many as it left.
  std::erase_if(listeners_, [this](VisualObject* listener) {
    const auto leaving = leavingListeners_.find(listener);
    if (leaving == leavingListeners_.end() || leaving->second == 0) return false;
    --leaving->second;
    return true;
  });
  leavingListeners_.clear();
}

// ----------------------------------------------------------------- input

bool Event::isKeyDown(std::int32_t key) const {
  return std::find(keysDown_.begin(), keysDown_.end(), static_cast<std::uint32_t>(key)) != keysDown_.end();
}

// ---------------------------------------------------------------- stacks

void Event::AddResult(BaseObject* object) {
  ReceiveFreeNotices();
  DropFreedResults();
  resultList_.push_back(object);
  ++resultCounts_[object];
}

void Event::ClearResults() {
  resultList_.clear();
  resultCounts_.clear();
  freedResults_.clear();
}

std::int32_t Event::paramListCount() const {
  DropFreedResults();
  return static_cast<std::int32_t>(resultList_.size());
}

void Event::DropFreedResults() const {
  if (freedResults_.empty()) return;
  std::sort(freedResults_.begin(), freedResults_.end());
  std::erase_if(resultList_, [this](BaseObject* object) {
    return std::binary_search(freedResults_.begin(), freedResults_.end(), object);
  });
  freedResults_.clear();
}

BaseObject* Event::paramList(std::int32_t index) const {
  if (index < 0 || index >= paramListCount()) return nullptr;
  return resultList_[static_cast<std::size_t>(index)];
}

void Event::PushParamObject(BaseObject* object) {
  ReceiveFreeNotices();
  paramObjects_.push_back(object);
}

void Event::PopParamObject() {
  if (paramObjects_.empty()) EngineError(u"Broken PopXXX call for ParamObject");
  else paramObjects_.pop_back();
}

void Event::PushThis(BaseObject* object) {
  ReceiveFreeNotices();
  thisStack_.push_back(object);
}

void Event::PopThis() {
  if (thisStack_.empty()) EngineError(u"Broken PopXXX call for This");
  else thisStack_.pop_back();
}

BaseObject* Event::ParamObject() const { return paramObjects_.empty() ? nullptr : paramObjects_.back(); }
BaseObject* Event::ParamThis() const { return thisStack_.empty() ? nullptr : thisStack_.back(); }

void Event::SetParamPoint(TPointPersistent*) { EngineError(u"Incorrect setting ParamPoint"); }
void Event::SetParamDelta(TPointPersistent*) { EngineError(u"Incorrect setting ParamDelta"); }
void Event::SetParamObject(BaseObject*) { EngineError(u"Incorrect setting ParamObject"); }
void Event::SetParamThis(BaseObject*) { EngineError(u"Incorrect setting This"); }

// An assigned coordinate is copied into the event's own: nothing changes
// owner, nothing is freed twice.
void Event::SetParamNormal(TSpaceCoord* value) {
  if (value && value != paramNormal_.get()) paramNormal_->Assign(value);
}

void Event::SetParamPosition(TSpaceCoord* value) {
  if (value && value != paramPosition_.get()) paramPosition_->Assign(value);
}

}  // namespace corvane
