// Tests that hear the mix sample by sample: the library loaded fresh for
// each test, its output opened on the manual device and started, so that
// every frame comes from BassManual_Render.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <deque>
#include <vector>

#include "tests/libs/bass/kit/loaded_libbass.h"
#include "tests/libs/bass/kit/recording_source.h"
#include "tests/libs/bass/kit/sound_media.h"

namespace libbass::test {

class ManualMix : public ::testing::Test {
 protected:
  static constexpr int kRate = 44100;

  void SetUp() override {
    ASSERT_TRUE(lib.Loaded()) << LoadedLibBass::Path();
    ASSERT_TRUE(lib.BASS_Init(BASS_DEVICE_MANUAL, kRate, 0, nullptr, nullptr));
    ASSERT_TRUE(lib.BASS_Start());
  }

  // The next frames of the mix, two floats a frame.
  std::vector<float> Render(std::size_t frames) {
    std::vector<float> mix(2 * frames, -2.0f);
    EXPECT_EQ(lib.BassManual_Render(mix.data(), static_cast<std::uint32_t>(frames)), frames);
    return mix;
  }

  BassHandle LoadSample(const Bytes& file, std::uint32_t flags = 0, std::uint32_t maxPlaybacks = 1) {
    return lib.BASS_SampleLoad(BASS_TRUE, file.data(), 0, static_cast<std::uint32_t>(file.size()),
                               maxPlaybacks, flags);
  }

  BassHandle Music(const Bytes& file, std::uint32_t flags = 0) {
    return lib.BASS_MusicLoad(BASS_TRUE, file.data(), 0, static_cast<std::uint32_t>(file.size()), flags, 0);
  }

  // A channel of a newly loaded sample of the frames, as a float WAV.
  BassHandle ChannelOf(const std::vector<float>& frames, int channels, int rate = kRate,
                       std::uint32_t flags = 0) {
    const BassHandle sample = LoadSample(Encode(frames, channels, rate, kWavFloat), flags);
    EXPECT_NE(sample, 0u);
    return lib.BASS_SampleGetChannel(sample, BASS_FALSE);
  }

  // The largest magnitude in frames [from, to) of a mix.
  static float Peak(const std::vector<float>& mix, std::size_t from = 0,
                    std::size_t to = static_cast<std::size_t>(-1)) {
    float peak = 0;
    for (std::size_t i = 2 * from; i < std::min(mix.size(), 2 * to); ++i)
      peak = std::max(peak, std::fabs(mix[i]));
    return peak;
  }

  // A source for a stream, alive until the library is unloaded (and so
  // has closed every stream still open).
  RecordingSource& Source(Bytes bytes) { return sources_.emplace_back(std::move(bytes)); }

  BassHandle Stream(RecordingSource& source, std::uint32_t flags) {
    return lib.BASS_StreamCreateFileUser(BASS_FALSE, flags, &RecordingSource::Proc, &source);
  }

 private:
  std::deque<RecordingSource> sources_;  // outlives lib

 protected:
  LoadedLibBass lib;
};

}  // namespace libbass::test
