#include "platform/sdl/sdl_keys.h"

#include <SDL.h>

namespace corvane {

namespace {

struct TKeyEntry {
  SDL_Keycode Keycode;
  std::uint16_t VirtualKey;
};

// Where the Mac keyboard had Help, F14, F15 and the keypad's Clear, a PC
// keyboard has Insert, Scroll Lock, Pause and Num Lock: they take those
// keys' codes.
constexpr TKeyEntry kVirtualKeys[] = {
    {SDLK_RETURN, 13},       {SDLK_KP_ENTER, 13},  {SDLK_TAB, 9},         {SDLK_SPACE, kVirtualKeySpace},
    {SDLK_BACKSPACE, 8},     {SDLK_ESCAPE, 27},    {SDLK_DELETE, 46},     {SDLK_HOME, 36},
    {SDLK_END, 35},          {SDLK_PAGEUP, 33},    {SDLK_PAGEDOWN, 34},   {SDLK_LEFT, 37},
    {SDLK_UP, 38},           {SDLK_RIGHT, 39},     {SDLK_DOWN, 40},       {SDLK_F1, 112},
    {SDLK_F2, kVirtualKeyF2}, {SDLK_F3, 114},      {SDLK_F4, 115},        {SDLK_F5, 116},
    {SDLK_F6, 117},          {SDLK_F7, 118},       {SDLK_F8, 119},        {SDLK_F9, 120},
    {SDLK_F10, 121},         {SDLK_F11, 122},      {SDLK_F12, 123},       {SDLK_INSERT, 45},
    {SDLK_SCROLLLOCK, 145},  {SDLK_PAUSE, 19},     {SDLK_NUMLOCKCLEAR, 144},
};

// Without Num Lock the keypad's digits and point are the navigation keys
// printed under them; 5 is none.
constexpr TKeyEntry kKeypadNavigationKeys[] = {
    {SDLK_KP_0, 45}, {SDLK_KP_1, 35}, {SDLK_KP_2, 40}, {SDLK_KP_3, 34}, {SDLK_KP_4, 37},      {SDLK_KP_6, 39},
    {SDLK_KP_7, 36}, {SDLK_KP_8, 38}, {SDLK_KP_9, 33}, {SDLK_KP_PERIOD, 46},
};

bool NumLockOff(std::uint16_t modifiers) { return (modifiers & KMOD_NUM) == 0; }

bool KeypadDigitOrPoint(std::int32_t keycode) {
  return (keycode >= SDLK_KP_1 && keycode <= SDLK_KP_0) || keycode == SDLK_KP_PERIOD;
}

struct TKeypadEntry {
  SDL_Keycode Keycode;
  char16_t Char;
};

constexpr TKeypadEntry kKeypadCharacters[] = {
    {SDLK_KP_0, u'0'},      {SDLK_KP_1, u'1'},     {SDLK_KP_2, u'2'},      {SDLK_KP_3, u'3'},
    {SDLK_KP_4, u'4'},      {SDLK_KP_5, u'5'},     {SDLK_KP_6, u'6'},      {SDLK_KP_7, u'7'},
    {SDLK_KP_8, u'8'},      {SDLK_KP_9, u'9'},     {SDLK_KP_PERIOD, u'.'}, {SDLK_KP_COMMA, u','},
    {SDLK_KP_DIVIDE, u'/'}, {SDLK_KP_MULTIPLY, u'*'}, {SDLK_KP_MINUS, u'-'}, {SDLK_KP_PLUS, u'+'},
    {SDLK_KP_EQUALS, u'='},
};

}  // namespace

std::uint16_t SDLVirtualKey(std::int32_t keycode, std::uint16_t modifiers) {
  for (const TKeyEntry& entry : kVirtualKeys) {
    if (entry.Keycode == keycode) return entry.VirtualKey;
  }
  if (NumLockOff(modifiers)) {
    for (const TKeyEntry& entry : kKeypadNavigationKeys) {
      if (entry.Keycode == keycode) return entry.VirtualKey;
    }
  }
  return 0;
}

char16_t SDLKeypadCharacter(std::int32_t keycode, std::uint16_t modifiers) {
  if (NumLockOff(modifiers) && KeypadDigitOrPoint(keycode)) return 0;
  for (const TKeypadEntry& entry : kKeypadCharacters) {
    if (entry.Keycode == keycode) return entry.Char;
  }
  return 0;
}

bool SDLModifierOnlyKey(std::int32_t keycode) {
  switch (keycode) {
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
    case SDLK_LCTRL:
    case SDLK_RCTRL:
    case SDLK_LALT:
    case SDLK_RALT:
    case SDLK_LGUI:
    case SDLK_RGUI:
    case SDLK_MODE:
    case SDLK_CAPSLOCK:
      return true;
    default:
      return false;
  }
}

char16_t SDLControlLetter(std::int32_t keycode, std::uint16_t modifiers) {
  if (keycode < SDLK_a || keycode > SDLK_z) return 0;
  const bool upper = ((modifiers & KMOD_SHIFT) != 0) != ((modifiers & KMOD_CAPS) != 0);
  const int offset = keycode - SDLK_a;
  return static_cast<char16_t>((upper ? u'A' : u'a') + offset);
}

std::uint16_t SDLModifiersBefore(std::int32_t keycode, bool pressed, bool repeat, std::uint16_t modifiers) {
  std::uint16_t held = 0;
  std::uint16_t lock = 0;
  switch (keycode) {
    case SDLK_LSHIFT: held = KMOD_LSHIFT; break;
    case SDLK_RSHIFT: held = KMOD_RSHIFT; break;
    case SDLK_LCTRL: held = KMOD_LCTRL; break;
    case SDLK_RCTRL: held = KMOD_RCTRL; break;
    case SDLK_LALT: held = KMOD_LALT; break;
    case SDLK_RALT: held = KMOD_RALT; break;
    case SDLK_LGUI: held = KMOD_LGUI; break;
    case SDLK_RGUI: held = KMOD_RGUI; break;
    case SDLK_MODE: held = KMOD_MODE; break;
    case SDLK_CAPSLOCK: lock = KMOD_CAPS; break;
    case SDLK_NUMLOCKCLEAR: lock = KMOD_NUM; break;
    default: return modifiers;
  }
  if (repeat) return modifiers;
  if (lock != 0) return pressed ? static_cast<std::uint16_t>(modifiers ^ lock) : modifiers;
  return pressed ? static_cast<std::uint16_t>(modifiers & ~held) : static_cast<std::uint16_t>(modifiers | held);
}

TShiftState SDLModifierShiftState(std::uint16_t modifiers) {
  TShiftState shift;
  shift.Set(ssShift, (modifiers & KMOD_SHIFT) != 0);
  shift.Set(ssCtrl, (modifiers & KMOD_CTRL) != 0);
  shift.Set(ssAlt, (modifiers & KMOD_ALT) != 0);
  shift.Set(ssMeta, (modifiers & KMOD_GUI) != 0);
  shift.Set(ssCaps, (modifiers & KMOD_CAPS) != 0);
  return shift;
}

TShiftState SDLButtonShiftState(std::uint32_t buttons) {
  TShiftState shift;
  shift.Set(ssLeft, (buttons & SDL_BUTTON_LMASK) != 0);
  shift.Set(ssRight, (buttons & SDL_BUTTON_RMASK) != 0);
  shift.Set(ssMiddle, (buttons & SDL_BUTTON_MMASK) != 0);
  return shift;
}

}  // namespace corvane
