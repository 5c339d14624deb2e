// Low-level events: the small records of what happened to the applet's
// window (keys, mouse, wheel, window actions), as the host layer makes them,
// and the base of the deferred actions objects ask for
// (engine/core/schedule_event.h). The applet's event object queues them,
// dispatches each once per frame and frees it. Key and mouse events also
// have a one-line text form, used to record input and play it back.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/reflection/object.h"
#include "base/reflection/set.h"

namespace corvane {

class TWindow;

// Ordinals are stored in 8 bits and written in the text form.
enum TLowEventType : std::uint8_t {
  evKeyDown,         // TKeyEvent
  evKeyUp,           // TKeyEvent
  evMouseDown,       // TMouseEvent
  evMouseUp,         // TMouseEvent
  evMouseMove,       // TMouseEvent
  evMouseWheel,      // TWheelEvent
  evScheduleAction,  // TScheduleActionEvent
  evActionEvent      // TActionEvent
};

enum TMouseButton : std::uint8_t { mbNone, mbLeft, mbRight };

// What happened to the window.
enum TAction : std::uint8_t { aeCloseWindow, aeActivate, aeDeactivate };

enum TShiftStateEnum : std::uint8_t {
  ssShift,
  ssAlt,
  ssCtrl,
  ssLeft,
  ssRight,
  ssMiddle,
  ssDouble,
  ssMeta,
  ssSuper,
  ssHyper,
  ssAltGr,
  ssCaps,
  ssNum,
  ssScroll,
  ssTriple,
  ssQuad
};
// Modifier and button flags, element n at bit n of a 32-bit mask.
using TShiftState = TSet<TShiftStateEnum>;
// The bits of the defined flags.
inline constexpr std::uint32_t kShiftStateBits = 0xFFFF;

// A pointer coordinate at or above this value means the pointer is outside
// the window.
inline constexpr std::int32_t MouseOutsideWindow = 65534;

class TLowEvent : public TObject {
  CORVANE_CLASS(TLowEvent, TObject)
  explicit TLowEvent(TLowEventType eventType) : EventType(eventType) {}

  TLowEventType EventType;
  // Set by the dispatcher when the event is done and may leave the queue.
  bool Handled = false;
  // True while the dispatcher handles the event, so that a nested pass of
  // the dispatcher skips it.
  bool InProcess = false;
};

class TKeyEvent : public TLowEvent {
  CORVANE_CLASS(TKeyEvent, TLowEvent)
  TKeyEvent(TLowEventType eventType, TWindow* window, std::uint16_t key, char16_t ch, TShiftState shift)
      : TLowEvent(eventType), Key(key), Char(ch), Shift(shift), Window(window) {}

  // Virtual-key code; 0 when the key comes as a character.
  std::uint16_t Key;
  // The character typed; 0 when the key comes as a virtual-key code.
  char16_t Char;
  TShiftState Shift;
  // The window the event came from; none for a replayed event. Not owned.
  TWindow* Window;
};

class TMouseEvent : public TLowEvent {
  CORVANE_CLASS(TMouseEvent, TLowEvent)
  TMouseEvent(TLowEventType eventType, TWindow* window, TMouseButton button, TShiftState shift, std::int32_t x,
              std::int32_t y, std::int32_t dx, std::int32_t dy)
      : TLowEvent(eventType), Button(button), X(x), Y(y), DX(dx), DY(dy), Shift(shift), Window(window) {}

  bool OutsideWindow() const { return X >= MouseOutsideWindow || Y >= MouseOutsideWindow; }

  TMouseButton Button;
  // Pointer position in window pixels (see MouseOutsideWindow).
  std::int32_t X, Y;
  // Movement since the previous move, in pixels.
  std::int32_t DX, DY;
  TShiftState Shift;
  TWindow* Window;
};

class TWheelEvent : public TLowEvent {
  CORVANE_CLASS(TWheelEvent, TLowEvent)
  TWheelEvent(TLowEventType eventType, TWindow* window, std::int32_t delta, TShiftState shift)
      : TLowEvent(eventType), Delta(delta), Shift(shift), Window(window) {}

  // Wheel movement as the platform reports it.
  std::int32_t Delta;
  TShiftState Shift;
  TWindow* Window;
};

class TActionEvent : public TLowEvent {
  CORVANE_CLASS(TActionEvent, TLowEvent)
  TActionEvent(TLowEventType eventType, TWindow* window, TAction action)
      : TLowEvent(eventType), Window(window), Action(action) {}

  TWindow* Window;
  TAction Action;
};

// The text form: decimal values each followed by ",". The type, then for a
// key event Key, the code of Char and Shift's mask, for a mouse event
// Button, X, Y, DX, DY and Shift's mask, for a wheel event Delta and
// Shift's mask. Other events write the type only; the window is never
// written. Shift is kept so that a replayed drag, shift-click or
// Shift+arrow does what it did live, the wheel's delta so that a replayed
// scroll does.
std::u16string EventToStr(const TLowEvent& event);

// A new key, mouse or wheel event (no window) from the text form; none for
// an empty text, a type other than 0 to 5, a wheel event without its delta
// (a bare "5,", as older records hold it), or a value that is missing or
// not a decimal integer. The type and the button keep their low 8 bits, Key
// and Char their low 16, Shift its defined flags; a button outside
// TMouseButton is mbNone. A text that ends before Shift (written before
// the state was kept) reads with an empty one, and *shiftRead (when given)
// tells which. Values beyond Shift are ignored.
std::unique_ptr<TLowEvent> StrToEvent(std::u16string_view text, bool* shiftRead = nullptr);

}  // namespace corvane
