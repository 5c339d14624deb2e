#include "platform/sys_font.h"

#include "base/class_builder.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(T3DSysFont)

TClass SysFontClass = nullptr;

}  // namespace corvane
