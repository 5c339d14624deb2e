// The text-layout flags the font and GUI code share. As a set, tfLeft is
// bit 0 (value 1) through tfWordWrap at bit 6 (value 64).
#pragma once

#include "base/reflection/set.h"
#include "base/reflection/type_info.h"

namespace corvane {

CORVANE_ENUM(TTextFormat, tfLeft, tfCenter, tfRight, tfTop, tfVCenter, tfBottom, tfWordWrap);
using TTextFormats = TSet<TTextFormat>;

}  // namespace corvane
