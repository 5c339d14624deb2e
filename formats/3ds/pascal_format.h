// Text formatting by Object Pascal's rules, for the reader's dump lines and
// its one formatted error text. A directive is
//   "%" [index ":"] ["-"] [width] ["." precision] type
// with the types d (decimal), u (unsigned decimal), x (upper-case hex),
// f (fixed, 2 decimals unless a precision is given) and s (string); "%%" is
// a percent sign. An index picks the argument (from 0) and the directives
// after it go on from there. Numbers go through base/text/number_text.h, so the
// decimal separator is always ".".
//
// A directive with no argument left, or of a type its argument cannot
// take, is written as it stands: dump text never fails.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace corvane {

class TFormatArg3DS {
 public:
  TFormatArg3DS(std::int64_t value) : value_(value) {}  // NOLINT: arguments convert in place
  TFormatArg3DS(int value) : value_(std::int64_t{value}) {}  // NOLINT
  TFormatArg3DS(unsigned value) : value_(std::int64_t{value}) {}  // NOLINT
  TFormatArg3DS(double value) : value_(value) {}  // NOLINT
  TFormatArg3DS(float value) : value_(double{value}) {}  // NOLINT
  TFormatArg3DS(std::string_view value) : value_(std::string(value)) {}  // NOLINT
  TFormatArg3DS(const char* value) : value_(std::string(value)) {}  // NOLINT
  TFormatArg3DS(const std::string& value) : value_(value) {}  // NOLINT

  const std::variant<std::int64_t, double, std::string>& Value() const { return value_; }

 private:
  std::variant<std::int64_t, double, std::string> value_;
};

std::string PascalFormat(std::string_view format, std::span<const TFormatArg3DS> args);
inline std::string PascalFormat(std::string_view format, std::initializer_list<TFormatArg3DS> args) {
  return PascalFormat(format, std::span<const TFormatArg3DS>(args.begin(), args.size()));
}

}  // namespace corvane
