// The recorded game the end-to-end test plays through the sample: input in
// the engine's own record format, the pictures the sample takes of itself
// on the way, and when (in seconds from the recording's start) the sounds
// the test listens for were asked for.
#pragma once

#include <string>
#include <vector>

namespace corvane::test {

struct TSampleShot {
  int frame = 0;     // the sample's frame, at 60 frames a second
  std::string name;  // its file, "<name>.png"
  // Rows above this one show what differs between runs and machines (the
  // console's log lines carry the time of day and the machine's paths):
  // only the rows from here down are compared.
  int firstRow = 0;
};

struct TSampleRecording {
  std::vector<std::u16string> lines;
  std::vector<TSampleShot> shots;
  float musicOff = 0;                // the check box turns the music off
  std::vector<float> clicks;         // Space, while no music plays
  float musicOn = 0;                 // M starts the tracker tune
};

TSampleRecording SampleRecording();

}  // namespace corvane::test
