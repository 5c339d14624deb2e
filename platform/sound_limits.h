// How large a sound or music file the engine reads into memory. Sounds are
// decoded whole and modules are loaded whole, so each file's bytes (and
// more) sit in memory while it is loaded; streamed music read in place
// from its file has no limit, since only a block at a time is read.
// The user sets both on the command line: "-soundmb=N", "-musicmb=N"
// (mebibytes).
#pragma once

#include <cstdint>
#include <string>

namespace corvane {

struct TSoundFileLimits {
  // A sound: a short sample, decoded whole (a minute of 16-bit stereo WAV
  // is about 10 MiB).
  std::int64_t SoundBytes = std::int64_t{32} << 20;
  // Music held in memory: a tracker module, or a streamed piece whose
  // stream cannot be read apart from the main thread (neither a file of
  // its own nor a file of a container opened from a path).
  std::int64_t MusicBytes = std::int64_t{64} << 20;
};

// The limits in force; the command line changes them at start-up.
extern TSoundFileLimits SoundFileLimits;

}  // namespace corvane
