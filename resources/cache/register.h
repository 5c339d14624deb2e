// The resources subsystem's start-up, called once when the program starts
// (and by tests that load object files): registers its classes by name,
// names the embedded manager's class for the engine and installs object
// storage as the loader of the object tree.
#pragma once

namespace corvane {

void RegisterResourceServices();

}  // namespace corvane
