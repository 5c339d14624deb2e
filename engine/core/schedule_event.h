// Deferred work on objects of the tree: an object asks the applet's event
// queue for an action (hide, show, dispose, a mission's finish or restart)
// after a delay, and the queue runs it in its dispatch once the summed frame
// times exceed the delay.
#pragma once

#include <cstdint>

#include "platform/low_event.h"

namespace corvane {

class BaseObject;

// Deferred actions on an object of the tree.
enum TScheduleAction : std::uint8_t { seaHide, seaShow, seaDispose, seaMissionFinish, seaMissionRestart };

class TScheduleEvent : public TLowEvent {
  CORVANE_CLASS(TScheduleEvent, TLowEvent)
  TScheduleEvent(TLowEventType eventType, float delay) : TLowEvent(eventType), Delay(delay) {}

  // Seconds counted so far.
  float Elapsed = 0.0f;
  // Seconds after which the event is due.
  float Delay;
};

class TScheduleActionEvent : public TScheduleEvent {
  CORVANE_CLASS(TScheduleActionEvent, TScheduleEvent)
  TScheduleActionEvent(TLowEventType eventType, float delay, BaseObject* obj, TScheduleAction action)
      : TScheduleEvent(eventType, delay), Obj(obj), Action(action) {}

  // The object the action applies to; cleared once the action is done, and
  // by the event queue when the object dies first. Not owned.
  BaseObject* Obj;
  TScheduleAction Action;
};

}  // namespace corvane
