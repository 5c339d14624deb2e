// Horizontal text alignment of widgets, and the text-layout flags it
// stands for.
#pragma once

#include "base/reflection/type_info.h"
#include "base/text/text_format.h"

namespace corvane {

CORVANE_ENUM(TTextAlign, taLeft, taCenter, taRight);

// taLeft [tfLeft], taCenter [tfCenter], taRight [tfRight]; else none.
TTextFormats TextAlignToFormat(TTextAlign align);

}  // namespace corvane
