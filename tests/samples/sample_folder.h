// A copy of the sample's folder the built program runs in, as a user runs
// it, and what it did there: its output, the lists it stored. Shared by the
// end-to-end tests, offscreen and through the X server.
#pragma once

#include <string>
#include <vector>

#include "tests/samples/sample_recording.h"
#include "tests/support/program_run.h"

namespace corvane::test {

// The applet's own account of the game both tests play, in order.
extern const std::vector<std::string> kSampleGameLines;

// SDL's disk audio driver, which writes what it plays to audio.raw.
extern const std::vector<std::string> kDiskAudio;

bool Holds(const std::string& text, const std::string& part);
// The rest of every line of the output after the mark.
std::vector<std::string> LinesAfter(const std::string& output, const std::string& mark);

class TSampleFolder {
 public:
  explicit TSampleFolder(const std::string& path) : path_(path) {}

  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  const std::string& Path() const { return path_; }

  // The sample's folder as the build placed it, without any run's files:
  // its folders (the engine's cache) empty. False without a sample.
  bool CopySample() const;

  // The program's launch in this folder, headless (SDL's offscreen video),
  // with the environment changes given after.
  TProgramLaunch Launch(const std::vector<std::string>& arguments,
                        const std::vector<std::string>& environment = {}) const;
  TProgramRun Run(const std::vector<std::string>& arguments, const std::string& until = {}) const;

  // The recorded game, on the fixed step, picturing itself on the way.
  TProgramRun Play(const TSampleRecording& recording) const;

  // A stored list as the applet wrote it (ciphered), one line each.
  std::vector<std::string> StoredLines(const std::string& name) const;

 private:
  std::string path_;
};

}  // namespace corvane::test
