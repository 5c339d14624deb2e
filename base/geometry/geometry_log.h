// Debugging helpers that write a matrix, a vector or a colour to the engine
// log. Names are UTF-8; numbers appear in the general number form.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/geometry/geometry.h"

namespace corvane {

// "Matrix <name> = ", then one line "(a, b, c, d)" per row.
void LogMatrix(const TSpaceMatrix& m, std::string_view name);
// "<name> (x:y:z:w)".
void LogVector(const TSpaceVector& v, std::string_view name);
// "<name> #AARRGGBB- R:r G:g B:b A:a".
void LogColor(std::uint32_t color, std::string_view name);

}  // namespace corvane
