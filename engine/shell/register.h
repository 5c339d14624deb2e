// Registration of the engine core's classes by name, called once when the
// program starts (and by tests that stream engine objects).
#pragma once

namespace corvane {

// The scene-object base classes, in the registry's fixed order, then the
// applet's own: Applet, Event, ScoreTable and Preferences.
void RegisterEngineClasses();

}  // namespace corvane
