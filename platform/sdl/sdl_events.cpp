// The event half of TPlatformSDL: one SDL event per PeekHandler, turned
// into the engine's events for the applet of the current window.
#include <SDL.h>

#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "platform/device.h"
#include "platform/sdl/platform_sdl.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/window.h"
#include "platform/window_host.h"

namespace corvane {

namespace {

// The event at the head of SDL's queue, without taking it; false when the
// queue is empty.
bool PeekNext(SDL_Event& next) { return SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1; }

// Takes the head of the queue when it is of that type.
bool TakeNext(Uint32 type, SDL_Event& next) {
  return PeekNext(next) && next.type == type && SDL_PeepEvents(&next, 1, SDL_GETEVENT, type, type) == 1;
}

char16_t FirstUnit(const char* utf8) {
  const std::u16string text = Utf8ToUtf16(utf8);
  return text.empty() ? 0 : text.front();
}

TShiftState ShiftState(std::uint16_t modifiers, std::uint32_t buttons) {
  return SDLModifierShiftState(modifiers) + SDLButtonShiftState(buttons);
}

// The modifiers when the event being dispatched came. SDL's own state is
// that of the last event read from the system, which may already hold the
// release of a Shift held through a click: the key events still waiting
// are taken back, the first of them telling what stood before it.
std::uint16_t ModifiersNow() {
  SDL_Event next;
  if (SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_KEYDOWN, SDL_KEYUP) != 1)
    return static_cast<std::uint16_t>(SDL_GetModState());
  return SDLModifiersBefore(next.key.keysym.sym, next.type == SDL_KEYDOWN, next.key.repeat != 0, next.key.keysym.mod);
}

TShiftState MouseShiftState(std::uint32_t buttons) { return ShiftState(ModifiersNow(), buttons); }

// A key as the engine reports it: the space bar is the character ' ' with
// no key code, any other key its virtual key (0 for one without, whose
// character the caller finds).
struct TEngineKey {
  std::uint16_t Key = 0;
  char16_t Char = 0;
};

TEngineKey EngineKey(std::uint16_t virtualKey) {
  if (virtualKey == kVirtualKeySpace) return {0, u' '};
  return {virtualKey, 0};
}

}  // namespace

void TPlatformSDL::PeekHandler() {
  if (!eventsStarted_) return;
  // A quit that came before the window (or its event queue) existed.
  if (quitPending_ && CurrentWindow() != nullptr) RequestClose();
  // Pump and take one event ourselves: SDL_PollEvent ends each of its
  // polling rounds with an empty answer, which would cost a frame.
  SDL_PumpEvents();
  SDL_Event event;
  if (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) Dispatch(event);
  UpdateCursor();
}

// Whether the host holds a close request not yet dispatched (SDL_QUIT, which
// a signal becomes, a window's close or F2's release). It looks without
// taking: the events stay for the loop to dispatch.
bool TPlatformSDL::HostHoldsCloseRequest() {
  SDL_PumpEvents();
  if (SDL_HasEvent(SDL_QUIT)) return true;
  // The requests behind the rest of what waits; a queue this long is the
  // user's input, which a close outlasts.
  constexpr int kLook = 256;
  SDL_Event events[kLook];
  const int windowEvents = SDL_PeepEvents(events, kLook, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT);
  for (int i = 0; i < windowEvents; ++i)
    if (events[i].window.event == SDL_WINDOWEVENT_CLOSE) return true;
  const int keyUps = SDL_PeepEvents(events, kLook, SDL_PEEKEVENT, SDL_KEYUP, SDL_KEYUP);
  for (int i = 0; i < keyUps; ++i)
    if (SDLVirtualKey(events[i].key.keysym.sym, events[i].key.keysym.mod) == kVirtualKeyF2) return true;
  return false;
}

TWindow* TPlatformSDL::PendingCloseWindow() {
  TWindow* window = CurrentWindow();
  if (!eventsStarted_ || window == nullptr) return nullptr;
  return quitPending_ || closeQueued_ || HostHoldsCloseRequest() ? window : nullptr;
}

bool TPlatformSDL::PollCloseRequest() {
  if (quitPending_ || closeQueued_) return true;
  if (!eventsStarted_) return false;
  // Pumping costs a trip to the display server: asked between every two
  // objects of a load, it looks again only kClosePollMs after finding none.
  const Uint64 now = SDL_GetTicks64();
  if (now - lastClosePoll_ < kClosePollMs) return false;
  if (HostHoldsCloseRequest()) return true;
  lastClosePoll_ = now;
  return false;
}

void TPlatformSDL::Dispatch(const SDL_Event& event) {
  if (event.type == SDL_QUIT) {
    RequestClose();
    return;
  }
  TWindow* window = CurrentWindow();
  if (window == nullptr || window->Handle == nullptr) return;
  switch (event.type) {
    case SDL_WINDOWEVENT:
      HandleWindowEvent(event);
      break;
    case SDL_KEYDOWN:
      HandleKeyDown(event.key);
      break;
    case SDL_KEYUP:
      HandleKeyUp(event.key);
      break;
    case SDL_TEXTINPUT:
      HandleText(event.text.text);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      HandleButton(event);
      break;
    case SDL_MOUSEMOTION:
      HandleMotion(event.motion);
      break;
    case SDL_MOUSEWHEEL:
      HandleWheel(event);
      break;
    default:
      break;
  }
}

void TPlatformSDL::HandleWindowEvent(const SDL_Event& event) {
  TWindow* window = CurrentWindow();
  switch (event.window.event) {
    case SDL_WINDOWEVENT_CLOSE: {
      RequestClose();
      // SDL follows the close of its last window with a quit: the same
      // request.
      SDL_FlushEvent(SDL_QUIT);
      break;
    }
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      Queue(std::make_unique<TActionEvent>(evActionEvent, window, aeActivate));
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      Queue(std::make_unique<TActionEvent>(evActionEvent, window, aeDeactivate));
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      if (window->Root != nullptr) {
        if (TDevice* device = window->Root->Device()) {
          UpdateWindow(window, 0.0f, 0.0f);
          device->FlipWindow();
        }
      }
      break;
    case SDL_WINDOWEVENT_MOVED:
      window->Left = event.window.data1;
      window->Top = event.window.data2;
      if (window->Root != nullptr) window->Root->UpdateApplet();
      break;
    case SDL_WINDOWEVENT_MINIMIZED:
      EngineLog(u"collapse");
      break;
    default:
      break;
  }
}

void TPlatformSDL::HandleKeyDown(const SDL_KeyboardEvent& key) {
  const SDL_Keycode keycode = key.keysym.sym;
  if (SDLModifierOnlyKey(keycode)) return;
  // SDL sends the text a key types as its own event right behind the key:
  // the two are one keystroke.
  SDL_Event next;
  const char16_t typed = TakeNext(SDL_TEXTINPUT, next) ? FirstUnit(next.text.text) : 0;
  const TShiftState shift = ShiftState(key.keysym.mod, buttons_);
  const std::uint16_t virtualKey = SDLVirtualKey(keycode, key.keysym.mod);
  auto [engineKey, ch] = EngineKey(virtualKey);
  if (virtualKey == 0) {
    ch = SDLKeypadCharacter(keycode, key.keysym.mod);
    if (ch == 0) ch = typed;
    if (ch == 0 && (key.keysym.mod & KMOD_CTRL) != 0) ch = SDLControlLetter(keycode, key.keysym.mod);
  }
  const int scancode = key.keysym.scancode;
  if (scancode >= 0 && scancode < kScancodeCount) keyChars_[static_cast<std::size_t>(scancode)] = ch;
  Queue(std::make_unique<TKeyEvent>(evKeyDown, CurrentWindow(), engineKey, ch, shift));
}

void TPlatformSDL::HandleKeyUp(const SDL_KeyboardEvent& key) {
  const SDL_Keycode keycode = key.keysym.sym;
  if (SDLModifierOnlyKey(keycode)) return;
  const std::uint16_t virtualKey = SDLVirtualKey(keycode, key.keysym.mod);
  if (virtualKey == kVirtualKeyF2) {
    // Releasing F2 asks the applet to close its window.
    RequestClose();
    return;
  }
  const TShiftState shift = ShiftState(key.keysym.mod, buttons_);
  auto [engineKey, ch] = EngineKey(virtualKey);
  if (virtualKey == 0) {
    const int scancode = key.keysym.scancode;
    if (scancode >= 0 && scancode < kScancodeCount) {
      ch = keyChars_[static_cast<std::size_t>(scancode)];
      keyChars_[static_cast<std::size_t>(scancode)] = 0;
    }
  }
  Queue(std::make_unique<TKeyEvent>(evKeyUp, CurrentWindow(), engineKey, ch, shift));
}

void TPlatformSDL::HandleText(const char* text) {
  // Text with no key before it (an input method's): each character is
  // typed as a key that goes down and up.
  const TShiftState shift = MouseShiftState(buttons_);
  for (const char16_t ch : Utf8ToUtf16(text)) {
    Queue(std::make_unique<TKeyEvent>(evKeyDown, CurrentWindow(), 0, ch, shift));
    Queue(std::make_unique<TKeyEvent>(evKeyUp, CurrentWindow(), 0, ch, shift));
  }
}

void TPlatformSDL::HandleButton(const SDL_Event& event) {
  const SDL_MouseButtonEvent& button = event.button;
  const bool down = event.type == SDL_MOUSEBUTTONDOWN;
  if (button.button >= 1 && button.button <= 32) {
    const std::uint32_t mask = SDL_BUTTON(button.button);
    buttons_ = down ? (buttons_ | mask) : (buttons_ & ~mask);
  }
  TMouseButton engineButton;
  TShiftStateEnum held;
  if (button.button == SDL_BUTTON_LEFT) {
    engineButton = mbLeft;
    held = ssLeft;
  } else if (button.button == SDL_BUTTON_RIGHT) {
    engineButton = mbRight;
    held = ssRight;
  } else {
    return;  // the engine knows two buttons
  }
  TShiftState shift = MouseShiftState(buttons_);
  shift.Include(held);
  Queue(std::make_unique<TMouseEvent>(down ? evMouseDown : evMouseUp, CurrentWindow(), engineButton, shift, button.x,
                                      button.y, 0, 0));
}

void TPlatformSDL::HandleMotion(const SDL_MouseMotionEvent& first) {
  TWindow* window = CurrentWindow();
  const bool acquired = window->AcquireCount > 0;
  std::int32_t x = window->LastMouseX;
  std::int32_t y = window->LastMouseY;
  std::int32_t dx = 0;
  std::int32_t dy = 0;
  bool userMoved = false;
  auto take = [&](const SDL_MouseMotionEvent& motion) {
    if (warpPending_ && motion.x == warpX_ && motion.y == warpY_) {
      // Our own warp: the pointer is there now, and nobody moved it.
      warpPending_ = false;
    } else if (acquired) {
      dx += motion.xrel;
      dy += motion.yrel;
      userMoved = true;
    } else {
      dx += motion.x - x;
      dy += motion.y - y;
      userMoved = true;
    }
    x = motion.x;
    y = motion.y;
    buttons_ = motion.state;
  };
  take(first);
  // A run of motions is one move, so that the applet never lags behind
  // the pointer.
  SDL_Event next;
  while (TakeNext(SDL_MOUSEMOTION, next)) take(next.motion);
  // An acquired pointer is put back in the centre after every move: that
  // is where it is. (SDL's relative mode adds the deltas up to its own
  // position, which stops at the window's edge.)
  if (acquired) {
    x = window->Width / 2;
    y = window->Height / 2;
  }
  window->LastMouseX = x;
  window->LastMouseY = y;
  if (!userMoved) return;
  Queue(std::make_unique<TMouseEvent>(evMouseMove, window, mbLeft, MouseShiftState(buttons_), x, y, dx, dy));
  // Where SDL has no relative mode the cursor goes back to the centre
  // after every move, as the acquisition wants it.
  if (acquired && !SDL_GetRelativeMouseMode()) Warp(window, window->Width / 2, window->Height / 2);
}

void TPlatformSDL::HandleWheel(const SDL_Event& event) {
  std::int32_t notches = event.wheel.y;
  if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
  if (notches == 0) return;  // a sideways scroll
  Queue(std::make_unique<TWheelEvent>(evMouseWheel, CurrentWindow(), notches, MouseShiftState(buttons_)));
}

}  // namespace corvane
