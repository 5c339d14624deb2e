// The sound the disk audio driver wrote (32-bit float frames, stereo) as
// the loudest sample of every hundredth of a second, and the stretches in
// which it sounds.
#pragma once

#include <string>
#include <vector>

namespace corvane::test {

struct TSoundSpan {
  double start = 0;  // seconds from the file's start
  double end = 0;
  double Length() const { return end - start; }
};

class TSoundTrack {
 public:
  static constexpr double kWindow = 0.01;

  // Empty when the file cannot be read.
  static TSoundTrack Read(const std::string& path, int rate);

  double Seconds() const { return static_cast<double>(peaks_.size()) * kWindow; }
  // The loudest sample between the two times.
  float Peak(double from, double to) const;
  // Where the peak reaches the level, stretches less than `bridge` seconds
  // apart joined into one.
  std::vector<TSoundSpan> Sounding(float level, double bridge) const;

 private:
  std::vector<float> peaks_;
};

}  // namespace corvane::test
