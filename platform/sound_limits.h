// How much sound the program holds in memory. Sounds are decoded whole and
// modules are loaded whole, so each file's bytes (and more) sit in memory
// while it is loaded, and each sound's decoded frames while it lives;
// streamed music read in place from its file has no limit, since only a
// block at a time is read. Each bound holds for the whole process, however
// many applets load sound. The user sets them on the command line:
// "-soundmb=N", "-soundmemory=N", "-musicmb=N" (mebibytes).
#pragma once

#include <cstdint>
#include <string>

namespace corvane {

struct TSoundFileLimits {
  // A sound file read whole to be decoded (a minute of 16-bit stereo WAV
  // is about 10 MiB).
  std::int64_t SoundBytes = std::int64_t{32} << 20;
  // The decoded frames of all the program's sounds together. A sound that
  // would pass it is streamed from its file instead, as it plays.
  std::int64_t DecodedSoundBytes = std::int64_t{256} << 20;
  // Music held in memory, all of the program's together: tracker modules,
  // and streamed pieces whose stream cannot be read apart from the main
  // thread (neither a file of its own nor a file of a container opened
  // from a path).
  std::int64_t MusicBytes = std::int64_t{64} << 20;
};

// The limits in force; the command line changes them at start-up.
extern TSoundFileLimits SoundFileLimits;

// The bytes of music the program holds in memory now.
extern std::int64_t MusicBytesHeld;

}  // namespace corvane
