// Long work of the base library (compiling an object text, reading an
// object stream) asks between two blocks of its input whether to stop.
// The engine installs the question when it starts: whether the user asked
// the program to close. Without one nothing stops.
#pragma once

namespace corvane {

using TStopQuestion = bool (*)();

// Installs the question (nullptr: none) and returns the previous one.
TStopQuestion SetStopQuestion(TStopQuestion question);
// The installed question's answer; false without one.
bool StopAsked();

}  // namespace corvane
