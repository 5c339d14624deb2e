// Registers the scene classes that applets name in their object files.
#pragma once

namespace corvane {

void RegisterSceneClasses();

}  // namespace corvane
