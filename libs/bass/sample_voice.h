// Samples: decoded whole into memory when loaded, then played by any number
// of channels, each with its own position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "libs/bass/frame_mix.h"
#include "libs/bass/voice.h"

namespace libbass {

struct SampleData {
  // count + 1 frames: after the last comes the frame it runs on into,
  // the first for a looping sample and silence otherwise. A 16-bit file
  // keeps its frames in shorts (half the memory the mix reads), any other
  // in frames.
  std::vector<float> frames;
  std::vector<std::int16_t> shorts;
  std::size_t count = 0;
  int channels = 1;
  std::uint32_t rate = 0;
  bool loop = false;

  // The memory its frames take.
  std::size_t Bytes() const { return frames.capacity() * sizeof(float) + shorts.capacity() * sizeof(std::int16_t); }
};

// The longest sample, declared or decoded: ten minutes at 44.1 kHz.
constexpr std::size_t kMaxSampleFrames = 600 * 44100;

// The decoded bytes; nullptr when they do not decode, hold no frame, run
// past kMaxSampleFrames or would take more than maxBytes (then with
// *tooLarge set). Headers are not trusted: the buffer grows with the frames
// actually read, and never beyond maxBytes.
std::shared_ptr<const SampleData> DecodeSample(const void* bytes, std::size_t size, bool loop, std::size_t maxBytes,
                                               bool* tooLarge);

class SampleVoice final : public Voice {
 public:
  SampleVoice(std::shared_ptr<const SampleData> data, std::uint32_t outputRate);
  std::size_t Mix(const MixBuses& buses, std::size_t frames, float gain) override;
  void Rewind() override { pos_ = 0; }

 private:
  std::shared_ptr<const SampleData> data_;
  FramePos step_;
  FramePos pos_ = 0;
};

}  // namespace libbass
