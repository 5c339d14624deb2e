// The recorded game the offscreen end-to-end test plays through the
// sample: the input the engine recorded while a player played the sample
// through the X server (sample_live_test.cpp keeps it as
// tests/samples/fixtures/sample_play.rec), the pictures the sample takes of
// itself on the way, and when (in seconds of the recording) the sounds the
// test listens for were asked for. All of them are found in the recording
// by what the player did, in the order the live test does it.
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
  std::string file;  // the record file
  std::vector<TSampleShot> shots;
  float musicOff = 0;         // the check box turns the music off
  std::vector<float> clicks;  // Space, while no music plays
  float musicOn = 0;          // M starts the tracker tune
  std::string error;          // what the recording lacks; empty when whole
};

// The game the live test plays, read from that record file.
TSampleRecording ReadSampleRecording(const std::string& file);

}  // namespace corvane::test
