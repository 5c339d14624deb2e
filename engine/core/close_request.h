// Long work between two frames (loading an object file or a model, building
// an effect text) asks between its steps whether the user asked the
// program to close, and stops early when so: the request itself reaches
// the applet through the event loop as usual, and the program ends within
// a second however large the file.
#pragma once

namespace corvane {

// The host's close request through the running engine's platform
// (TPlatform::PollCloseRequest, cheap enough to ask between any two
// steps); false without a running engine or platform.
bool CloseRequestHeard();

}  // namespace corvane
