#include "platform/platform.h"

#include "base/reflection/class_builder.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TPlatform)

TClass PlatformClass = nullptr;

}  // namespace corvane
