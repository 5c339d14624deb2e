// A TPlatformSDL with one window under SDL's offscreen driver (no display
// needed), its events pushed as SDL events and read back from the test
// applet's event queue.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/core/event.h"
#include "platform/low_event.h"
#include "platform/sdl/platform_sdl.h"
#include "platform/window.h"
#include "tests/platform_sdl/gl_harness.h"
#include "tests/support/kit/test_world.h"

namespace corvane::test {

// What a queued engine event says, copied out of the queue.
struct TSeenEvent {
  TLowEventType Type = evKeyDown;
  std::uint16_t Key = 0;
  char16_t Char = 0;
  TShiftState Shift;
  TMouseButton Button = mbNone;
  std::int32_t X = 0, Y = 0, DX = 0, DY = 0;
  std::int32_t Delta = 0;
  TAction Action = aeCloseWindow;
  TWindow* Window = nullptr;
};

inline SDL_Event KeyEvent(Uint32 type, SDL_Keycode sym, Uint16 mod, Uint8 repeat = 0) {
  SDL_Event e{.type = type};
  e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.key.repeat = repeat;
  e.key.keysym = {SDL_GetScancodeFromKey(sym), sym, mod, 0};
  return e;
}

inline SDL_Event TextEvent(const char* text) {
  SDL_Event e{.type = SDL_TEXTINPUT};
  std::strncpy(e.text.text, text, sizeof e.text.text - 1);
  return e;
}

inline SDL_Event ButtonEvent(Uint32 type, Uint8 button, Sint32 x, Sint32 y) {
  SDL_Event e{.type = type};
  e.button.button = button;
  e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.button.clicks = 1;
  e.button.x = x;
  e.button.y = y;
  return e;
}

inline SDL_Event MotionEvent(Sint32 x, Sint32 y, Sint32 xrel, Sint32 yrel, Uint32 state = 0) {
  SDL_Event e{.type = SDL_MOUSEMOTION};
  e.motion.state = state;
  e.motion.x = x;
  e.motion.y = y;
  e.motion.xrel = xrel;
  e.motion.yrel = yrel;
  return e;
}

inline SDL_Event WheelEvent(Sint32 x, Sint32 y, Uint32 direction = SDL_MOUSEWHEEL_NORMAL) {
  SDL_Event e{.type = SDL_MOUSEWHEEL};
  e.wheel.x = x;
  e.wheel.y = y;
  e.wheel.direction = direction;
  return e;
}

inline SDL_Event WindowEvent(Uint8 kind, Sint32 data1 = 0, Sint32 data2 = 0) {
  SDL_Event e{.type = SDL_WINDOWEVENT};
  e.window.event = kind;
  e.window.data1 = data1;
  e.window.data2 = data2;
  return e;
}

inline SDL_Event QuitEvent() { return SDL_Event{.type = SDL_QUIT}; }

class SDLPlatformTest : public ::testing::Test {
 protected:
  static constexpr std::int32_t kWidth = 320;
  static constexpr std::int32_t kHeight = 240;

  void SetUp() override {
    // Event translation needs no display; an X server would add focus and
    // exposure events of its own.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    platform = Create<TPlatformSDL>();
    window = platform->CreateWindow(world.applet, "TTestAppletWnd", 0, 0, kWidth, kHeight, systemStyle);
    ASSERT_NE(window, nullptr) << world.log.Text();
    Drain();
    Taken();
    SDL_SetModState(KMOD_NONE);
  }

  void TearDown() override {
    PinLoadedLibraries();
    SDL_SetModState(KMOD_NONE);
    if (window != nullptr) platform->DestroyWindow(window);
    if (platform != nullptr) platform->Free();
  }

  static void Push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }
  static bool SDLQueueEmpty() { return SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) == SDL_FALSE; }

  // Runs PeekHandler until SDL's queue is empty; returns how many calls it
  // took.
  int Drain() {
    int calls = 0;
    while (!SDLQueueEmpty() && calls < 1000) {
      platform->PeekHandler();
      ++calls;
    }
    return calls;
  }

  // The applet's queued events, oldest first; the queue is emptied.
  std::vector<TSeenEvent> Taken() {
    std::vector<TSeenEvent> seen;
    Event* queue = world.applet->GetEvent();
    for (std::int32_t i = queue->QueueCount() - 1; i >= 0; --i) {
      const TLowEvent* e = queue->QueuedEvent(i);
      TSeenEvent s;
      s.Type = e->EventType;
      if (auto* key = dynamic_cast<const TKeyEvent*>(e)) {
        s.Key = key->Key;
        s.Char = key->Char;
        s.Shift = key->Shift;
        s.Window = key->Window;
      } else if (auto* mouse = dynamic_cast<const TMouseEvent*>(e)) {
        s.Button = mouse->Button;
        s.X = mouse->X;
        s.Y = mouse->Y;
        s.DX = mouse->DX;
        s.DY = mouse->DY;
        s.Shift = mouse->Shift;
        s.Window = mouse->Window;
      } else if (auto* wheel = dynamic_cast<const TWheelEvent*>(e)) {
        s.Delta = wheel->Delta;
        s.Shift = wheel->Shift;
        s.Window = wheel->Window;
      } else if (auto* action = dynamic_cast<const TActionEvent*>(e)) {
        s.Action = action->Action;
        s.Window = action->Window;
      }
      seen.push_back(s);
    }
    while (queue->QueueCount() > 0) queue->DeleteLastEvent(queue->QueuedEvent(queue->QueueCount() - 1)->EventType);
    return seen;
  }

  TTestWorld world;
  TPlatformSDL* platform = nullptr;
  TWindow* window = nullptr;
};

}  // namespace corvane::test
