// The mix, sample by sample, through the manual output: volumes, sums and
// clamping, restart, pause and stop, ends and loops, rates and channels.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "tests/libs/bass/manual_mix.h"

namespace libbass::test {
namespace {

class LibBassMix : public ManualMix {};

TEST_F(LibBassMix, VolumeIsALinearGainAndARestartPlaysFromTheFirstFrameAtTheCurrentVolume) {
  const std::vector<float> ramp = Ramp(2, 900);
  const BassHandle channel = ChannelOf(ramp, 2);
  ASSERT_NE(channel, 0u);
  for (int volume : {100, 50, 25, 1, 0}) {
    SCOPED_TRACE(volume);
    ASSERT_TRUE(lib.BASS_ChannelSetAttributes(channel, -1, volume, -101));
    // Half-way through, a restart starts over at the volume now set.
    ASSERT_TRUE(lib.BASS_ChannelPlay(channel, BASS_TRUE));
    Render(450);
    ASSERT_TRUE(lib.BASS_ChannelPlay(channel, BASS_TRUE));
    const std::vector<float> mix = Render(900);
    const float gain = static_cast<float>(volume) / 100.0f;
    for (std::size_t i = 0; i < ramp.size(); ++i) ASSERT_EQ(mix[i], ramp[i] * gain) << "value " << i;
  }
}

TEST_F(LibBassMix, VoicesAreSummedTimesTheirVolumesAndTheSumIsClamped) {
  struct Case {
    float a, b;
    int volume;
  };
  const Case cases[] = {{0.8f, 0.7f, 100}, {0.8f, 0.7f, 50}, {-0.8f, -0.7f, 100}, {0.9f, -0.3f, 100}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << " + " << c.b << " at " << c.volume);
    const BassHandle a = ChannelOf(std::vector<float>(200, c.a), 1);
    const BassHandle b = ChannelOf(std::vector<float>(200, c.b), 1);
    for (BassHandle h : {a, b}) {
      lib.BASS_ChannelSetAttributes(h, -1, c.volume, -101);
      lib.BASS_ChannelPlay(h, BASS_TRUE);
    }
    const float gain = static_cast<float>(c.volume) / 100.0f;
    const float want = std::fmax(-1.0f, std::fmin(1.0f, c.a * gain + c.b * gain));
    const std::vector<float> mix = Render(200);
    for (float v : mix) ASSERT_EQ(v, want);
  }
}

TEST_F(LibBassMix, PauseKeepsThePlaceStopKeepsItTooAndTheStatesSaySo) {
  const std::vector<float> ramp = Ramp(1, 800);
  const BassHandle channel = ChannelOf(ramp, 1);
  ASSERT_NE(channel, 0u);
  enum Action { kNone, kPlay, kRestart, kPause, kStop };
  struct Step {
    Action action;
    BassBool accepted;
    std::uint32_t state;
    int firstFrame;  // of the next 100 rendered; -1 for silence
  };
  const Step steps[] = {
      {kNone, BASS_TRUE, BASS_ACTIVE_STOPPED, -1},   {kPause, BASS_FALSE, BASS_ACTIVE_STOPPED, -1},
      {kPlay, BASS_TRUE, BASS_ACTIVE_PLAYING, 0},    {kPause, BASS_TRUE, BASS_ACTIVE_PAUSED, -1},
      {kPause, BASS_TRUE, BASS_ACTIVE_PAUSED, -1},   {kPlay, BASS_TRUE, BASS_ACTIVE_PLAYING, 100},
      {kStop, BASS_TRUE, BASS_ACTIVE_STOPPED, -1},   {kPause, BASS_FALSE, BASS_ACTIVE_STOPPED, -1},
      {kPlay, BASS_TRUE, BASS_ACTIVE_PLAYING, 200},  {kRestart, BASS_TRUE, BASS_ACTIVE_PLAYING, 0},
      {kNone, BASS_TRUE, BASS_ACTIVE_PLAYING, 100},  {kPlay, BASS_TRUE, BASS_ACTIVE_PLAYING, 200},
  };
  for (std::size_t s = 0; s < std::size(steps); ++s) {
    const Step& step = steps[s];
    SCOPED_TRACE(testing::Message() << "step " << s);
    BassBool result = BASS_TRUE;
    switch (step.action) {
      case kNone: break;
      case kPlay: result = lib.BASS_ChannelPlay(channel, BASS_FALSE); break;
      case kRestart: result = lib.BASS_ChannelPlay(channel, BASS_TRUE); break;
      case kPause: result = lib.BASS_ChannelPause(channel); break;
      case kStop: result = lib.BASS_ChannelStop(channel); break;
    }
    EXPECT_EQ(result, step.accepted);
    EXPECT_EQ(lib.BASS_ChannelIsActive(channel), step.state);
    const std::vector<float> mix = Render(100);
    for (std::size_t i = 0; i < 100; ++i) {
      const float want = step.firstFrame < 0 ? 0.0f : ramp[static_cast<std::size_t>(step.firstFrame) + i];
      ASSERT_EQ(mix[2 * i], want) << "frame " << i;
      ASSERT_EQ(mix[2 * i + 1], want) << "a mono sample plays on both sides";
    }
  }
}

TEST_F(LibBassMix, ANonLoopingChannelEndsSilentAndStoppedAndPlaysFromTheStartAgain) {
  const std::vector<float> ramp = Ramp(1, 300);
  const BassHandle channel = ChannelOf(ramp, 1);
  lib.BASS_ChannelPlay(channel, BASS_FALSE);
  std::vector<float> mix = Render(400);
  EXPECT_EQ(mix[2 * 299], ramp[299]);
  EXPECT_EQ(Peak(mix, 300), 0.0f);
  EXPECT_EQ(lib.BASS_ChannelIsActive(channel), BASS_ACTIVE_STOPPED);
  // Played again without a restart, an ended channel starts over.
  EXPECT_TRUE(lib.BASS_ChannelPlay(channel, BASS_FALSE));
  mix = Render(10);
  for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(mix[2 * i], ramp[i]);
}

TEST_F(LibBassMix, ALoopingSampleRunsOnFromItsLastFrameIntoItsFirst) {
  const std::vector<float> ramp = Ramp(1, 500);
  const BassHandle channel = ChannelOf(ramp, 1, kRate, BASS_SAMPLE_LOOP);
  lib.BASS_ChannelPlay(channel, BASS_FALSE);
  const std::vector<float> mix = Render(1700);
  for (std::size_t i = 0; i < 1700; ++i) ASSERT_EQ(mix[2 * i], ramp[i % 500]) << i;
  EXPECT_EQ(lib.BASS_ChannelIsActive(channel), BASS_ACTIVE_PLAYING);
}

TEST_F(LibBassMix, SourcesAtOtherRatesAreInterpolatedToTheMixRate) {
  const std::vector<float> ramp = Ramp(1, 400);
  {
    // Half the rate: every source frame, then the point half-way to the next.
    const BassHandle channel = ChannelOf(ramp, 1, kRate / 2);
    lib.BASS_ChannelPlay(channel, BASS_FALSE);
    const std::vector<float> mix = Render(900);
    for (std::size_t k = 0; k < 399; ++k) {
      ASSERT_EQ(mix[4 * k], ramp[k]) << k;
      ASSERT_NEAR(mix[4 * k + 2], (ramp[k] + ramp[k + 1]) / 2, 1e-6) << k;
    }
    EXPECT_NEAR(mix[4 * 399 + 2], ramp[399] / 2, 1e-6) << "the last frame fades towards silence";
    EXPECT_EQ(Peak(mix, 800), 0.0f) << "then the sample has ended";
    EXPECT_EQ(lib.BASS_ChannelIsActive(channel), BASS_ACTIVE_STOPPED);
  }
  {
    // Twice the rate: every other source frame.
    const BassHandle channel = ChannelOf(ramp, 1, kRate * 2);
    lib.BASS_ChannelPlay(channel, BASS_FALSE);
    const std::vector<float> mix = Render(250);
    for (std::size_t k = 0; k < 200; ++k) ASSERT_EQ(mix[2 * k], ramp[2 * k]) << k;
    EXPECT_EQ(Peak(mix, 200), 0.0f);
  }
}

TEST_F(LibBassMix, StereoKeepsItsSidesAndWiderFilesKeepTheirFirstTwoChannels) {
  for (int channels : {2, 4, 6}) {
    SCOPED_TRACE(channels);
    const std::vector<float> ramp = Ramp(channels, 300);
    const BassHandle channel = ChannelOf(ramp, channels);
    ASSERT_NE(channel, 0u);
    lib.BASS_ChannelPlay(channel, BASS_FALSE);
    const std::vector<float> mix = Render(300);
    const auto n = static_cast<std::size_t>(channels);
    for (std::size_t i = 0; i < 300; ++i) {
      ASSERT_EQ(mix[2 * i], ramp[i * n]);
      ASSERT_EQ(mix[2 * i + 1], ramp[i * n + 1]);
    }
  }
}

// 16-bit files are kept in 16 bits: at the mix rate, half of it and a rate
// between, looping or ending, mono, stereo and wider, they mix to the very
// values of their float reading.
TEST_F(LibBassMix, SixteenBitSamplesMixToTheValuesOfTheirFloatReading) {
  for (int channels : {1, 2, 3}) {
    for (int rate : {kRate, kRate / 2, 32000}) {
      SCOPED_TRACE(testing::Message() << channels << " channels at " << rate);
      // q / 32767 is written as the 16-bit value q, which reads as q / 32768.
      std::vector<float> written, read;
      for (std::size_t i = 0; i < 700 * static_cast<std::size_t>(channels); ++i) {
        const int q = static_cast<int>((i * 7919) % 65535) - 32767;
        written.push_back(static_cast<float>(q) / 32767.0f);
        read.push_back(static_cast<float>(q) / 32768.0f);
      }
      const std::uint32_t flags = channels == 2 ? 0 : BASS_SAMPLE_LOOP;
      std::vector<std::vector<float>> mixes;
      for (const Bytes& file : {Encode(written, channels, rate, kWav16), Encode(read, channels, rate, kWavFloat)}) {
        const BassHandle sample = LoadSample(file, flags);
        ASSERT_NE(sample, 0u);
        const BassHandle channel = lib.BASS_SampleGetChannel(sample, BASS_FALSE);
        lib.BASS_ChannelPlay(channel, BASS_FALSE);
        mixes.push_back(Render(1600));
        lib.BASS_SampleFree(sample);
      }
      EXPECT_GT(Peak(mixes[0]), 0.5f);
      ASSERT_EQ(mixes[0], mixes[1]);
    }
  }
}

TEST_F(LibBassMix, NonFiniteAndOverloudSamplesMixAsSilenceAndFullScale) {
  const float inf = std::numeric_limits<float>::infinity();
  const std::vector<float> frames = {std::nanf(""), inf, -inf, 5.0f, -5.0f, 0.25f,
                                     std::numeric_limits<float>::max(), -std::numeric_limits<float>::max()};
  const std::vector<float> want = {0.0f, 0.0f, 0.0f, 1.0f, -1.0f, 0.25f, 1.0f, -1.0f};
  // Many voices of the loudest values still sum to no NaN.
  std::vector<BassHandle> voices;
  for (int i = 0; i < 3; ++i) voices.push_back(ChannelOf(frames, 1));
  for (BassHandle h : voices) lib.BASS_ChannelPlay(h, BASS_FALSE);
  const std::vector<float> mix = Render(frames.size());
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const float single = want[i];
    const float summed = std::fmax(-1.0f, std::fmin(1.0f, 3 * single));
    EXPECT_EQ(mix[2 * i], summed) << i;
  }
}

TEST(LibBassManualOutput, BeforeStartItRendersSilenceAndNothingMoves) {
  LoadedLibBass lib;
  ASSERT_TRUE(lib.Loaded());
  ASSERT_TRUE(lib.BASS_Init(BASS_DEVICE_MANUAL, 44100, 0, nullptr, nullptr));
  const std::vector<float> ramp = Ramp(1, 100);
  const Bytes wav = Encode(ramp, 1, 44100, kWavFloat);
  const BassHandle sample = lib.BASS_SampleLoad(BASS_TRUE, wav.data(), 0, static_cast<std::uint32_t>(wav.size()), 1, 0);
  const BassHandle channel = lib.BASS_SampleGetChannel(sample, BASS_FALSE);
  ASSERT_TRUE(lib.BASS_ChannelPlay(channel, BASS_FALSE));
  std::vector<float> mix(2 * 50, -2.0f);
  ASSERT_EQ(lib.BassManual_Render(mix.data(), 50), 50u);
  for (float v : mix) EXPECT_EQ(v, 0.0f);
  ASSERT_TRUE(lib.BASS_Start());
  ASSERT_EQ(lib.BassManual_Render(mix.data(), 50), 50u);
  for (std::size_t i = 0; i < 50; ++i) EXPECT_EQ(mix[2 * i], ramp[i]);
  EXPECT_EQ(lib.BassManual_Render(nullptr, 50), 0u);
}

TEST_F(LibBassMix, SetAttributesChangesOnlyTheVolumeAndRefusesWhatItCannotDo) {
  struct Case {
    std::int32_t frequency, volume, pan;
    bool accepted;
    float gainAfter;
  };
  // Starting from volume 40 each time.
  const Case cases[] = {
      {-1, 70, -101, true, 0.7f},  {0, 70, 0, true, 0.7f},     {-1, -1, -101, true, 0.4f},
      {-1, 0, -101, true, 0.0f},   {-1, 100, -101, true, 1.0f}, {-1, 101, -101, false, 0.4f},
      {-1, -2, -101, false, 0.4f}, {22050, 70, -101, false, 0.4f}, {-1, 70, 50, false, 0.4f},
      {-1, 70, -100, false, 0.4f},
  };
  const BassHandle channel = ChannelOf(std::vector<float>(64, 1.0f), 1, kRate, BASS_SAMPLE_LOOP);
  lib.BASS_ChannelPlay(channel, BASS_FALSE);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.frequency << ", " << c.volume << ", " << c.pan);
    ASSERT_TRUE(lib.BASS_ChannelSetAttributes(channel, -1, 40, -101));
    EXPECT_EQ(lib.BASS_ChannelSetAttributes(channel, c.frequency, c.volume, c.pan) != BASS_FALSE, c.accepted);
    EXPECT_EQ(Render(1)[0], c.gainAfter);
  }
}

}  // namespace
}  // namespace libbass::test
