// Seconds of the process's monotonic clock: what guards that measure real
// time (a script's run, the end of the program after a close request)
// count in, whatever the frame clock says.
#pragma once

namespace corvane {

double SteadySeconds();

}  // namespace corvane
