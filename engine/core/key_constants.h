// The constants scripts see for keys and modal results: the virtual-key
// codes of special keys (the Windows virtual-key table; letters, digits and
// space arrive as characters with key code 0) and the ordinals of
// TModalResult. Published to the script engine in this order.
#pragma once

#include <cstdint>

namespace corvane {

struct TScriptConstant {
  const char16_t* Name;
  std::uint32_t Value;
};

inline constexpr TScriptConstant kScriptConstants[] = {
    {u"VK_BACK", 8},        {u"VK_TAB", 9},         {u"VK_CLEAR", 12},      {u"VK_RETURN", 13},
    {u"VK_SHIFT", 16},      {u"VK_CONTROL", 17},    {u"VK_MENU", 18},       {u"VK_PAUSE", 19},
    {u"VK_CAPITAL", 20},    {u"VK_KANA", 21},       {u"VK_HANGUL", 21},     {u"VK_JUNJA", 23},
    {u"VK_FINAL", 24},      {u"VK_HANJA", 25},      {u"VK_KANJI", 25},      {u"VK_CONVERT", 28},
    {u"VK_NONCONVERT", 29}, {u"VK_ACCEPT", 30},     {u"VK_MODECHANGE", 31}, {u"VK_ESCAPE", 27},
    {u"VK_SPACE", 32},      {u"VK_PRIOR", 33},      {u"VK_NEXT", 34},       {u"VK_END", 35},
    {u"VK_HOME", 36},       {u"VK_LEFT", 37},       {u"VK_UP", 38},         {u"VK_RIGHT", 39},
    {u"VK_DOWN", 40},       {u"VK_SELECT", 41},     {u"VK_PRINT", 42},      {u"VK_EXECUTE", 43},
    {u"VK_SNAPSHOT", 44},   {u"VK_INSERT", 45},     {u"VK_DELETE", 46},     {u"VK_HELP", 47},
    {u"VK_LWIN", 91},       {u"VK_RWIN", 92},       {u"VK_APPS", 93},       {u"VK_SLEEP", 95},
    {u"VK_NUMPAD0", 96},    {u"VK_NUMPAD1", 97},    {u"VK_NUMPAD2", 98},    {u"VK_NUMPAD3", 99},
    {u"VK_NUMPAD4", 100},   {u"VK_NUMPAD5", 101},   {u"VK_NUMPAD6", 102},   {u"VK_NUMPAD7", 103},
    {u"VK_NUMPAD8", 104},   {u"VK_NUMPAD9", 105},   {u"VK_MULTIPLY", 106},  {u"VK_ADD", 107},
    {u"VK_SEPARATOR", 108}, {u"VK_SUBTRACT", 109},  {u"VK_DECIMAL", 110},   {u"VK_DIVIDE", 111},
    {u"VK_F1", 112},        {u"VK_F2", 113},        {u"VK_F3", 114},        {u"VK_F4", 115},
    {u"VK_F5", 116},        {u"VK_F6", 117},        {u"VK_F7", 118},        {u"VK_F8", 119},
    {u"VK_F9", 120},        {u"VK_F10", 121},       {u"VK_F11", 122},       {u"VK_F12", 123},
    {u"VK_F13", 124},       {u"VK_F14", 125},       {u"VK_F15", 126},       {u"VK_F16", 127},
    {u"VK_F17", 128},       {u"VK_F18", 129},       {u"VK_F19", 130},       {u"VK_F20", 131},
    {u"VK_F21", 132},       {u"VK_F22", 133},       {u"VK_F23", 134},       {u"VK_F24", 135},
    {u"VK_NUMLOCK", 144},   {u"VK_SCROLL", 145},    {u"MR_NONE", 0},        {u"MR_OK", 1},
    {u"MR_CANCEL", 2},
};

// Key codes the dispatch itself acts on.
inline constexpr std::uint16_t kKeyEscape = 27;
inline constexpr char16_t kConsoleChar = u'`';

}  // namespace corvane
