#include "platform/low_event.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "base/reflection/class_builder.h"
#include "base/system/file_utils.h"
#include "base/text/number_text.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TLowEvent)
CORVANE_IMPLEMENT_CLASS(TKeyEvent)
CORVANE_IMPLEMENT_CLASS(TMouseEvent)
CORVANE_IMPLEMENT_CLASS(TWheelEvent)
CORVANE_IMPLEMENT_CLASS(TActionEvent)

namespace {

void Put(std::u16string& out, std::int64_t value) {
  out += IntToStr(value);
  out += u',';
}

// A recorded file is outside input: every value is a plain decimal 32-bit
// integer (an optional sign, then digits); anything else, an empty token
// included, is no value.
std::optional<std::int32_t> Decimal(std::u16string_view token) {
  std::size_t i = 0;
  bool negative = false;
  if (i < token.size() && (token[i] == u'+' || token[i] == u'-')) negative = token[i++] == u'-';
  if (i == token.size()) return std::nullopt;
  std::int64_t value = 0;
  for (; i < token.size(); ++i) {
    if (token[i] < u'0' || token[i] > u'9') return std::nullopt;
    value = value * 10 + (token[i] - u'0');
    if (value > std::int64_t{INT32_MAX} + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

// The next token of the text form, consumed from the front of rest.
std::optional<std::int32_t> Next(std::u16string& rest) { return Decimal(GetToken(rest, u",")); }

// The low bits of a value, taken from its two's-complement form.
std::uint32_t LowBits(std::int32_t value, std::uint32_t mask) { return static_cast<std::uint32_t>(value) & mask; }

// The shift state behind the fields: none when the text ends there (a
// record written before the state was kept); only the defined flags.
std::optional<TShiftState> NextShift(std::u16string& rest, bool& read) {
  read = std::ranges::any_of(rest, [](char16_t c) { return c > u' '; });
  if (!read) return TShiftState{};
  const auto mask = Next(rest);
  if (!mask) return std::nullopt;
  return TShiftState::FromMask(LowBits(*mask, kShiftStateBits));
}

}  // namespace

std::u16string EventToStr(const TLowEvent& event) {
  std::u16string text;
  Put(text, event.EventType);
  if (const auto* key = dynamic_cast<const TKeyEvent*>(&event)) {
    Put(text, key->Key);
    Put(text, key->Char);
    Put(text, key->Shift.Mask());
  } else if (const auto* mouse = dynamic_cast<const TMouseEvent*>(&event)) {
    Put(text, mouse->Button);
    Put(text, mouse->X);
    Put(text, mouse->Y);
    Put(text, mouse->DX);
    Put(text, mouse->DY);
    Put(text, mouse->Shift.Mask());
  } else if (const auto* wheel = dynamic_cast<const TWheelEvent*>(&event)) {
    Put(text, wheel->Delta);
    Put(text, wheel->Shift.Mask());
  }
  return text;
}

std::unique_ptr<TLowEvent> StrToEvent(std::u16string_view text, bool* shiftRead) {
  bool read = false;
  if (shiftRead) *shiftRead = false;
  if (text.empty()) return nullptr;
  std::u16string rest(text);
  const auto type = Next(rest);
  if (!type) return nullptr;
  const auto eventType = static_cast<TLowEventType>(LowBits(*type, 0xFF));
  switch (eventType) {
    case evKeyDown:
    case evKeyUp: {
      const auto key = Next(rest);
      if (!key) return nullptr;
      const auto ch = Next(rest);
      if (!ch) return nullptr;
      const auto shift = NextShift(rest, read);
      if (!shift) return nullptr;
      if (shiftRead) *shiftRead = read;
      return std::make_unique<TKeyEvent>(eventType, nullptr, static_cast<std::uint16_t>(LowBits(*key, 0xFFFF)),
                                         static_cast<char16_t>(LowBits(*ch, 0xFFFF)), *shift);
    }
    case evMouseDown:
    case evMouseUp:
    case evMouseMove: {
      std::int32_t v[5];
      for (auto& value : v) {
        const auto next = Next(rest);
        if (!next) return nullptr;
        value = *next;
      }
      const auto shift = NextShift(rest, read);
      if (!shift) return nullptr;
      if (shiftRead) *shiftRead = read;
      const std::uint32_t buttonValue = LowBits(v[0], 0xFF);
      const auto button = buttonValue <= mbRight ? static_cast<TMouseButton>(buttonValue) : mbNone;
      return std::make_unique<TMouseEvent>(eventType, nullptr, button, *shift, v[1], v[2], v[3], v[4]);
    }
    case evMouseWheel: {
      const auto delta = Next(rest);
      if (!delta) return nullptr;
      const auto shift = NextShift(rest, read);
      if (!shift) return nullptr;
      if (shiftRead) *shiftRead = read;
      return std::make_unique<TWheelEvent>(eventType, nullptr, *delta, *shift);
    }
    default:
      return nullptr;
  }
}

}  // namespace corvane
