// SDL events pushed into the queue come out as the engine's events.
#include <signal.h>

#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "tests/platform_sdl/sdl_platform_fixture.h"

namespace corvane::test {
namespace {

using SDLEventsTest = SDLPlatformTest;

struct TKeyCase {
  const char* name;
  SDL_Keycode sym;
  Uint16 mod;
  const char* text;  // the SDL_TEXTINPUT SDL sends behind the key; nullptr: none
  std::uint16_t key;
  char16_t ch;
  TShiftState shift;
};

// The keys with a virtual-key code and no character.
const std::pair<SDL_Keycode, std::uint16_t> kVirtualKeys[] = {
    {SDLK_RETURN, 13},   {SDLK_KP_ENTER, 13}, {SDLK_TAB, 9},          {SDLK_BACKSPACE, 8}, {SDLK_ESCAPE, 27},
    {SDLK_DELETE, 46},   {SDLK_HOME, 36},     {SDLK_END, 35},         {SDLK_PAGEUP, 33},   {SDLK_PAGEDOWN, 34},
    {SDLK_LEFT, 37},     {SDLK_UP, 38},       {SDLK_RIGHT, 39},       {SDLK_DOWN, 40},     {SDLK_F1, 112},
    {SDLK_F12, 123},     {SDLK_INSERT, 45},   {SDLK_SCROLLLOCK, 145}, {SDLK_PAUSE, 19},    {SDLK_NUMLOCKCLEAR, 144},
    {SDLK_F13, 0},       {SDLK_PRINTSCREEN, 0},
};

const TKeyCase kKeyCases[] = {
    {"Letter", SDLK_a, 0, "a", 0, u'a', {}},
    {"ShiftedLetter", SDLK_a, KMOD_LSHIFT, "A", 0, u'A', {ssShift}},
    {"AccentedLetter", SDLK_e, 0, "\xC3\xA9", 0, u'\u00E9', {}},
    {"CharacterBeyondBmpGivesItsFirstUnit", SDLK_q, 0, "\xF0\x9F\x98\x80", 0, char16_t{0xD83D}, {}},
    {"KeypadDigit", SDLK_KP_7, KMOD_NUM, "7", 0, u'7', {}},
    {"KeypadDigitWithoutText", SDLK_KP_3, KMOD_NUM, nullptr, 0, u'3', {}},
    {"KeypadPoint", SDLK_KP_PERIOD, KMOD_NUM, nullptr, 0, u'.', {}},
    {"CtrlLetter", SDLK_c, KMOD_LCTRL, nullptr, 0, u'c', {ssCtrl}},
    {"CtrlShiftLetter", SDLK_c, KMOD_RCTRL | KMOD_LSHIFT, nullptr, 0, u'C', {ssCtrl, ssShift}},
    {"CtrlLetterWithCaps", SDLK_v, KMOD_LCTRL | KMOD_CAPS, nullptr, 0, u'V', {ssCtrl, ssCaps}},
    {"AltLetter", SDLK_x, KMOD_LALT, "x", 0, u'x', {ssAlt}},
    {"SuperAndCaps", SDLK_RETURN, KMOD_LGUI | KMOD_CAPS, nullptr, 13, 0, {ssMeta, ssCaps}},
    {"RightModifiers", SDLK_TAB, KMOD_RCTRL | KMOD_RSHIFT | KMOD_RALT | KMOD_RGUI, nullptr, 9, 0,
     {ssCtrl, ssShift, ssAlt, ssMeta}},
};

TEST_F(SDLEventsTest, KeysComeWithTheirCodesCharactersAndShiftStates) {
  std::vector<TKeyCase> cases(std::begin(kKeyCases), std::end(kKeyCases));
  for (const auto& [sym, key] : kVirtualKeys) cases.push_back({"", sym, 0, nullptr, key, 0, {}});
  for (const TKeyCase& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + SDL_GetKeyName(c.sym));
    Push(KeyEvent(SDL_KEYDOWN, c.sym, c.mod));
    if (c.text) Push(TextEvent(c.text));
    platform->PeekHandler();
    EXPECT_TRUE(SDLQueueEmpty()) << "a key and its text are one host event";
    Push(KeyEvent(SDL_KEYUP, c.sym, c.mod));
    platform->PeekHandler();
    const std::vector<TSeenEvent> seen = Taken();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].Type, evKeyDown);
    EXPECT_EQ(seen[1].Type, evKeyUp);
    for (const TSeenEvent& e : seen) {
      EXPECT_EQ(e.Key, c.key);
      EXPECT_EQ(static_cast<int>(e.Char), static_cast<int>(c.ch));
      EXPECT_EQ(e.Shift.Mask(), c.shift.Mask());
      EXPECT_EQ(e.Window, window);
    }
  }
}

TEST_F(SDLEventsTest, ModifierKeysAloneGiveNoKeyEvent) {
  for (SDL_Keycode sym : {SDLK_LSHIFT, SDLK_RSHIFT, SDLK_LCTRL, SDLK_RCTRL, SDLK_LALT, SDLK_RALT, SDLK_LGUI,
                          SDLK_RGUI, SDLK_MODE, SDLK_CAPSLOCK}) {
    Push(KeyEvent(SDL_KEYDOWN, sym, KMOD_LSHIFT));
    Push(KeyEvent(SDL_KEYUP, sym, 0));
  }
  Drain();
  EXPECT_TRUE(Taken().empty());
}

TEST_F(SDLEventsTest, KeyUpCarriesTheCharacterItsKeyWentDownWith) {
  // Shift+a, then b; Shift goes up before a does.
  Push(KeyEvent(SDL_KEYDOWN, SDLK_a, KMOD_LSHIFT));
  Push(TextEvent("A"));
  Push(KeyEvent(SDL_KEYDOWN, SDLK_b, 0));
  Push(TextEvent("b"));
  Push(KeyEvent(SDL_KEYDOWN, SDLK_b, 0, 1));  // auto-repeat
  Push(TextEvent("b"));
  Push(KeyEvent(SDL_KEYUP, SDLK_a, 0));
  Push(KeyEvent(SDL_KEYUP, SDLK_b, 0));
  EXPECT_EQ(Drain(), 5);
  const std::vector<TSeenEvent> seen = Taken();
  ASSERT_EQ(seen.size(), 5u);
  const std::u16string chars = {seen[0].Char, seen[1].Char, seen[2].Char, seen[3].Char, seen[4].Char};
  EXPECT_EQ(chars, u"AbbAb");
  EXPECT_EQ(seen[2].Type, evKeyDown);
  EXPECT_EQ(seen[3].Type, evKeyUp);
  EXPECT_TRUE(seen[3].Shift.Empty());
}

TEST_F(SDLEventsTest, TextWithoutAKeyIsTypedCharacterByCharacter) {
  Push(TextEvent("h\xC3\xA9"));
  EXPECT_EQ(Drain(), 1);
  const std::vector<TSeenEvent> seen = Taken();
  ASSERT_EQ(seen.size(), 4u);
  const TLowEventType types[] = {evKeyDown, evKeyUp, evKeyDown, evKeyUp};
  const char16_t chars[] = {u'h', u'h', u'\u00E9', u'\u00E9'};
  for (std::size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].Type, types[i]);
    EXPECT_EQ(seen[i].Key, 0);
    EXPECT_EQ(seen[i].Char, chars[i]);
  }
}

TEST_F(SDLEventsTest, ReleasingF2ClosesTheApplet) {
  Push(KeyEvent(SDL_KEYDOWN, SDLK_F2, 0));
  Push(KeyEvent(SDL_KEYUP, SDLK_F2, 0));
  Drain();
  const std::vector<TSeenEvent> seen = Taken();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].Type, evKeyDown);
  EXPECT_EQ(seen[0].Key, 113);
  EXPECT_EQ(seen[1].Type, evActionEvent);
  EXPECT_EQ(seen[1].Action, aeDeactivate);
  EXPECT_EQ(seen[2].Type, evActionEvent);
  EXPECT_EQ(seen[2].Action, aeCloseWindow);
}

struct TButtonCase {
  const char* name;
  Uint8 button;
  SDL_Keymod mod;
  bool queued;
  TMouseButton engineButton;
  TShiftState shiftDown;  // with the button's own flag
  TShiftState shiftUp;
};

const TButtonCase kButtonCases[] = {
    {"Left", SDL_BUTTON_LEFT, KMOD_NONE, true, mbLeft, {ssLeft}, {ssLeft}},
    {"RightIsSDLButton3", SDL_BUTTON_RIGHT, KMOD_NONE, true, mbRight, {ssRight}, {ssRight}},
    {"ShiftLeft", SDL_BUTTON_LEFT, KMOD_LSHIFT, true, mbLeft, {ssShift, ssLeft}, {ssShift, ssLeft}},
    {"CtrlAltRight", SDL_BUTTON_RIGHT, static_cast<SDL_Keymod>(KMOD_LCTRL | KMOD_RALT), true, mbRight,
     {ssCtrl, ssAlt, ssRight}, {ssCtrl, ssAlt, ssRight}},
    {"MiddleIsSDLButton2AndQueuesNothing", SDL_BUTTON_MIDDLE, KMOD_NONE, false, mbNone, {}, {}},
    {"FourthButtonQueuesNothing", SDL_BUTTON_X1, KMOD_NONE, false, mbNone, {}, {}},
};

TEST_F(SDLEventsTest, MouseButtonsComeWithPositionAndShiftState) {
  for (const TButtonCase& c : kButtonCases) {
    SCOPED_TRACE(c.name);
    SDL_SetModState(c.mod);
    Push(ButtonEvent(SDL_MOUSEBUTTONDOWN, c.button, 12, 34));
    Push(ButtonEvent(SDL_MOUSEBUTTONUP, c.button, 13, 35));
    EXPECT_EQ(Drain(), 2);
    const std::vector<TSeenEvent> seen = Taken();
    if (!c.queued) {
      EXPECT_TRUE(seen.empty());
      continue;
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].Type, evMouseDown);
    EXPECT_EQ(seen[1].Type, evMouseUp);
    EXPECT_EQ(seen[0].Button, c.engineButton);
    EXPECT_EQ(seen[1].Button, c.engineButton);
    EXPECT_EQ(seen[0].X, 12);
    EXPECT_EQ(seen[0].Y, 34);
    EXPECT_EQ(seen[1].X, 13);
    EXPECT_EQ(seen[1].Y, 35);
    EXPECT_EQ(seen[0].Shift.Mask(), c.shiftDown.Mask());
    EXPECT_EQ(seen[1].Shift.Mask(), c.shiftUp.Mask());
  }
}

TEST_F(SDLEventsTest, ButtonsHeldShowInTheShiftStateOfLaterEvents) {
  Push(ButtonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 5, 5));
  Push(ButtonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 5));
  Push(WheelEvent(0, 1));
  Push(KeyEvent(SDL_KEYDOWN, SDLK_RETURN, 0));
  Push(ButtonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 5, 5));
  Push(ButtonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 5, 5));
  Drain();
  const std::vector<TSeenEvent> seen = Taken();
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].Shift.Mask(), (TShiftState{ssLeft, ssMiddle}).Mask());
  EXPECT_EQ(seen[1].Shift.Mask(), (TShiftState{ssLeft, ssMiddle}).Mask());  // wheel
  EXPECT_EQ(seen[2].Shift.Mask(), (TShiftState{ssLeft, ssMiddle}).Mask());  // key
  EXPECT_EQ(seen[3].Shift.Mask(), (TShiftState{ssLeft}).Mask());            // left up, middle gone
}

struct TWheelCase {
  const char* name;
  Sint32 x, y;
  Uint32 direction;
  SDL_Keymod mod;
  bool queued;
  std::int32_t delta;
  TShiftState shift;
};

const TWheelCase kWheelCases[] = {
    {"OneNotchAway", 0, 1, SDL_MOUSEWHEEL_NORMAL, KMOD_NONE, true, 1, {}},
    {"ThreeNotchesBack", 0, -3, SDL_MOUSEWHEEL_NORMAL, KMOD_NONE, true, -3, {}},
    {"FlippedIsNegated", 0, 2, SDL_MOUSEWHEEL_FLIPPED, KMOD_NONE, true, -2, {}},
    {"WithCtrl", 0, 1, SDL_MOUSEWHEEL_NORMAL, KMOD_RCTRL, true, 1, {ssCtrl}},
    {"SidewaysOnly", 4, 0, SDL_MOUSEWHEEL_NORMAL, KMOD_NONE, false, 0, {}},
};

TEST_F(SDLEventsTest, WheelGivesOneStepPerNotch) {
  for (const TWheelCase& c : kWheelCases) {
    SCOPED_TRACE(c.name);
    SDL_SetModState(c.mod);
    Push(WheelEvent(c.x, c.y, c.direction));
    Drain();
    const std::vector<TSeenEvent> seen = Taken();
    if (!c.queued) {
      EXPECT_TRUE(seen.empty());
      continue;
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].Type, evMouseWheel);
    EXPECT_EQ(seen[0].Delta, c.delta);
    EXPECT_EQ(seen[0].Shift.Mask(), c.shift.Mask());
  }
}

TEST_F(SDLEventsTest, ConsecutiveMotionsAreOneMove) {
  SDL_SetModState(KMOD_LALT);
  Push(MotionEvent(10, 10, 10, 10));
  Push(MotionEvent(15, 12, 5, 2));
  Push(MotionEvent(20, 30, 5, 18, SDL_BUTTON_LMASK));
  Push(ButtonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 20, 30));
  Push(MotionEvent(25, 28, 5, -2));
  EXPECT_EQ(Drain(), 3);
  const std::vector<TSeenEvent> seen = Taken();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].Type, evMouseMove);
  EXPECT_EQ(seen[0].Button, mbLeft);
  EXPECT_EQ(seen[0].X, 20);
  EXPECT_EQ(seen[0].Y, 30);
  EXPECT_EQ(seen[0].DX, 20);
  EXPECT_EQ(seen[0].DY, 30);
  EXPECT_EQ(seen[0].Shift.Mask(), (TShiftState{ssAlt, ssLeft}).Mask());
  EXPECT_EQ(seen[1].Type, evMouseUp);
  EXPECT_EQ(seen[2].Type, evMouseMove);
  EXPECT_EQ(seen[2].X, 25);
  EXPECT_EQ(seen[2].Y, 28);
  EXPECT_EQ(seen[2].DX, 5);
  EXPECT_EQ(seen[2].DY, -2);
  EXPECT_EQ(seen[2].Shift.Mask(), (TShiftState{ssAlt}).Mask());
  EXPECT_EQ(window->LastMouseX, 25);
  EXPECT_EQ(window->LastMouseY, 28);
}

TEST_F(SDLEventsTest, AcquiredMouseReportsRawDeltasAndIgnoresItsOwnWarp) {
  platform->AcquireMouse(window);
  // The warp to the centre arrives as a motion of its own: no user move.
  Drain();
  EXPECT_TRUE(Taken().empty());
  EXPECT_EQ(window->LastMouseX, kWidth / 2);
  EXPECT_EQ(window->LastMouseY, kHeight / 2);
  Push(MotionEvent(kWidth / 2 + 3, kHeight / 2 - 2, 3, -2));
  Push(MotionEvent(kWidth / 2 + 4, kHeight / 2 - 2, 7, 1));
  Drain();
  const std::vector<TSeenEvent> seen = Taken();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].Type, evMouseMove);
  EXPECT_EQ(seen[0].DX, 10);
  EXPECT_EQ(seen[0].DY, -1);
  platform->AcquireDisable(window);
}

TEST_F(SDLEventsTest, OneCloseRequestQueuesOneDeactivateAndClosePair) {
  Push(WindowEvent(SDL_WINDOWEVENT_CLOSE));
  Push(QuitEvent());
  EXPECT_EQ(Drain(), 1) << "the quit behind the close is the same request";
  // Another quit, and F2, later on: the pair is already queued.
  Push(QuitEvent());
  Push(KeyEvent(SDL_KEYUP, SDLK_F2, 0));
  Drain();
  const std::vector<TSeenEvent> seen = Taken();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].Type, evActionEvent);
  EXPECT_EQ(seen[0].Action, aeDeactivate);
  EXPECT_EQ(seen[1].Type, evActionEvent);
  EXPECT_EQ(seen[1].Action, aeCloseWindow);
  EXPECT_EQ(seen[1].Window, window);
}

TEST_F(SDLEventsTest, TerminationSignalIsACloseRequest) {
  struct sigaction current {};
  ASSERT_EQ(sigaction(SIGTERM, nullptr, &current), 0);
  if (current.sa_handler == SIG_DFL || current.sa_handler == SIG_IGN) GTEST_SKIP() << "SDL handles no signals here";
  raise(SIGTERM);
  platform->PeekHandler();
  const std::vector<TSeenEvent> seen = Taken();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].Action, aeDeactivate);
  EXPECT_EQ(seen[1].Action, aeCloseWindow);
}

TEST_F(SDLEventsTest, WindowEventsBecomeWindowActions) {
  Push(WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED));
  Push(WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST));
  Push(WindowEvent(SDL_WINDOWEVENT_MOVED, 30, 40));
  Push(WindowEvent(SDL_WINDOWEVENT_MINIMIZED));
  Push(WindowEvent(SDL_WINDOWEVENT_EXPOSED));  // no device: nothing to paint
  Drain();
  const std::vector<TSeenEvent> seen = Taken();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].Action, aeActivate);
  EXPECT_EQ(seen[1].Action, aeDeactivate);
  EXPECT_EQ(window->Left, 30);
  EXPECT_EQ(window->Top, 40);
  EXPECT_EQ(world.log.CountInfo("collapse"), 1);
}

TEST_F(SDLEventsTest, EventsWithoutAWindowAreDroppedButAQuitIsRememberedForIt) {
  platform->DestroyWindow(window);
  window = nullptr;
  EXPECT_EQ(platform->CurrentWindow(), nullptr);
  Push(KeyEvent(SDL_KEYDOWN, SDLK_RETURN, 0));
  Push(ButtonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 1));
  Push(WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED));
  Push(QuitEvent());
  Drain();
  EXPECT_TRUE(Taken().empty());
  window = platform->CreateWindow(world.applet, "TTestAppletWnd", 0, 0, kWidth, kHeight, systemStyle);
  ASSERT_NE(window, nullptr);
  platform->PeekHandler();
  const std::vector<TSeenEvent> seen = Taken();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].Action, aeDeactivate);
  EXPECT_EQ(seen[1].Action, aeCloseWindow);
  EXPECT_EQ(seen[1].Window, window);
}

}  // namespace
}  // namespace corvane::test
