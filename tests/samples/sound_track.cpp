#include "tests/samples/sound_track.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "tests/support/file_bytes.h"

namespace corvane::test {

TSoundTrack TSoundTrack::Read(const std::string& path, int rate) {
  TSoundTrack track;
  const std::string bytes = ReadFileBytes(path).value_or("");
  const std::size_t frameBytes = 2 * sizeof(float);
  const auto windowFrames = static_cast<std::size_t>(rate * kWindow);
  const std::size_t frames = bytes.size() / frameBytes;
  for (std::size_t first = 0; first < frames; first += windowFrames) {
    float peak = 0;
    for (std::size_t i = first * 2; i < std::min(frames, first + windowFrames) * 2; ++i) {
      float sample = 0;
      std::memcpy(&sample, bytes.data() + i * sizeof(float), sizeof(float));
      peak = std::max(peak, std::fabs(sample));
    }
    track.peaks_.push_back(peak);
  }
  return track;
}

float TSoundTrack::Peak(double from, double to) const {
  const auto first = static_cast<std::size_t>(std::max(0.0, from / kWindow));
  const auto last = std::min(peaks_.size(), static_cast<std::size_t>(std::max(0.0, to / kWindow)));
  float peak = 0;
  for (std::size_t i = first; i < last; ++i) peak = std::max(peak, peaks_[i]);
  return peak;
}

std::vector<TSoundSpan> TSoundTrack::Sounding(float level, double bridge) const {
  std::vector<TSoundSpan> spans;
  for (std::size_t i = 0; i < peaks_.size(); ++i) {
    if (peaks_[i] < level) continue;
    const double start = static_cast<double>(i) * kWindow;
    if (!spans.empty() && start - spans.back().end < bridge) spans.back().end = start + kWindow;
    else spans.push_back({start, start + kWindow});
  }
  return spans;
}

}  // namespace corvane::test
