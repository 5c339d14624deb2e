// A tracker module built byte by byte: a four-channel ProTracker file
// ("M.K.") whose first channel plays one looping sine sample from the
// first row, in a song of `rows` rows at one tick a row (20 ms at the
// default 125 BPM).
#pragma once

#include "tests/libs/bass/kit/sound_media.h"

namespace libbass::test {

Bytes TrackerModule(int rows);
inline double TrackerModuleSeconds(int rows) { return rows * 0.02; }

}  // namespace libbass::test
