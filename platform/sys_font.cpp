#include "platform/sys_font.h"

#include "base/reflection/class_builder.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(T3DSysFont)

TClass SysFontClass = nullptr;

}  // namespace corvane
