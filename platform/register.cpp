#include "platform/register.h"

#include "base/reflection/class_registry.h"
#include "platform/media.h"

namespace corvane {

void RegisterPlatformClasses() { RegisterClasses({TPixmap::StaticClass(), TFont::StaticClass()}); }

}  // namespace corvane
