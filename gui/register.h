// Registers the widget classes that applets name in their object files and
// scripts create by name.
#pragma once

namespace corvane {

void RegisterGuiClasses();

}  // namespace corvane
