// Registration of the platform classes that streams and scripts name,
// called once when the program starts.
#pragma once

namespace corvane {

void RegisterPlatformClasses();

}  // namespace corvane
