// How SDL's keys, modifiers and buttons read as the engine's: the
// virtual-key table (Windows codes, which scripts compare with their VK_
// constants), the keypad characters, the keys that only modify, and the
// shift state.
#pragma once

#include <cstdint>

#include "platform/low_event.h"

namespace corvane {

// Virtual-key codes the table hands out that the key translation treats
// apart: Space comes as the character " ", and releasing F2 closes the
// applet.
inline constexpr std::uint16_t kVirtualKeySpace = 32;
inline constexpr std::uint16_t kVirtualKeyF2 = 113;

// The engine's virtual-key code of an SDL key code (SDL_Keycode) under
// those modifiers (SDL_Keymod); 0 for a key outside the table, which then
// comes as a character. Without Num Lock the keypad's digits and point
// are its arrows, Home, End, PageUp, PageDown, Insert and Delete.
std::uint16_t SDLVirtualKey(std::int32_t keycode, std::uint16_t modifiers);

// The character of a keypad digit or operator key; 0 for any other key,
// and for the digits and the point without Num Lock.
char16_t SDLKeypadCharacter(std::int32_t keycode, std::uint16_t modifiers);

// Shift, Ctrl, Alt, the Super keys, AltGr and Caps Lock: keys that change
// others and give no key event of their own.
bool SDLModifierOnlyKey(std::int32_t keycode);

// The letter a Ctrl+letter key stands for (SDL sends no text for it):
// upper case when exactly one of Shift and Caps Lock is on. 0 for a key
// that is not a letter.
char16_t SDLControlLetter(std::int32_t keycode, std::uint16_t modifiers);

// The modifiers (SDL_Keymod) as they stood before a key event that
// carries these, SDL's after the key's own change: a modifier key's
// press or release taken back, a lock key's press toggled back. Any other
// key, and a repeated press, changed nothing.
std::uint16_t SDLModifiersBefore(std::int32_t keycode, bool pressed, bool repeat, std::uint16_t modifiers);

// Shift -> ssShift, Ctrl -> ssCtrl, Alt -> ssAlt, Super -> ssMeta, Caps
// Lock -> ssCaps, from an SDL_Keymod.
TShiftState SDLModifierShiftState(std::uint16_t modifiers);
// Left -> ssLeft, right -> ssRight, middle -> ssMiddle, from an SDL button
// mask (SDL numbers its right button 3 and its middle button 2).
TShiftState SDLButtonShiftState(std::uint32_t buttons);

}  // namespace corvane
