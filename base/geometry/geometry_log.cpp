#include "base/geometry/geometry_log.h"

#include <initializer_list>
#include <string>
#include <string_view>

#include "base/geometry/color.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"

namespace corvane {

namespace {

std::string Num(float v) { return FloatToStrGeneral(v); }

// Built by appending: "literal" + std::string trips a false -Wrestrict in
// GCC 12 release builds.
std::string Join(std::initializer_list<std::string_view> parts) {
  std::string line;
  for (std::string_view p : parts) line.append(p);
  return line;
}

}  // namespace

void LogMatrix(const TSpaceMatrix& m, std::string_view name) {
  EngineLog(Utf8ToUtf16(Join({"Matrix ", name, " = "})));
  for (const TSpaceVector& row : m)
    EngineLog(Utf8ToUtf16(Join({"(", Num(row.x), ", ", Num(row.y), ", ", Num(row.z), ", ", Num(row.w), ")"})));
}

void LogVector(const TSpaceVector& v, std::string_view name) {
  EngineLog(Utf8ToUtf16(Join({name, " (", Num(v.x), ":", Num(v.y), ":", Num(v.z), ":", Num(v.w), ")"})));
}

void LogColor(std::uint32_t color, std::string_view name) {
  // ColorToStr gives "#AARRGGBB": plain ASCII.
  const std::string hex = NarrowLatin1(ColorToStr(color));
  EngineLog(Utf8ToUtf16(Join({name, " ", hex, "- R:", IntToStr8((color >> 16) & 0xFF), " G:",
                              IntToStr8((color >> 8) & 0xFF), " B:", IntToStr8(color & 0xFF), " A:",
                              IntToStr8(color >> 24)})));
}

}  // namespace corvane
