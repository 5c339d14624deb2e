// Streams pulled through the file callback: what the callback is asked,
// the one close, loops and ends, and a stream mixing frame for frame as the
// same sound loaded whole.
#include <gtest/gtest.h>

#include <vector>

#include "tests/libs/bass/kit/recording_source.h"
#include "tests/libs/bass/manual_mix.h"

namespace libbass::test {
namespace {

constexpr int kStreamFormats[] = {kWav16, kFlac16, kOggVorbis, kMp3};
constexpr std::size_t kToneFrames = 22050;  // half a second

class LibBassStream : public ManualMix {};

TEST_F(LibBassStream, ALoopingStreamIsAskedForLengthReadsAndSeeksPlaysOnAndClosesOnce) {
  for (int format : kStreamFormats) {
    SCOPED_TRACE(FormatName(format));
    const Bytes file = Encode(Tone(440, 0.5, kRate, 2, kToneFrames), 2, kRate, format);
    ASSERT_FALSE(file.empty());
    RecordingSource& source = Source(file);
    const BassHandle stream = Stream(source, BASS_SAMPLE_LOOP);
    ASSERT_NE(stream, 0u);
    EXPECT_GE(source.lengths, 1);
    EXPECT_GE(source.reads, 1);
    EXPECT_EQ(lib.BASS_ChannelIsActive(stream), BASS_ACTIVE_STOPPED);
    ASSERT_TRUE(lib.BASS_ChannelPlay(stream, BASS_FALSE));
    const int seeksBefore = source.seeks;
    const std::vector<float> mix = Render(3 * kToneFrames + kToneFrames / 2);
    EXPECT_GT(Peak(mix, 3 * kToneFrames), 0.4f) << "not silent after three lengths";
    EXPECT_GT(source.seeks, seeksBefore) << "each loop seeks back to the start";
    EXPECT_EQ(lib.BASS_ChannelIsActive(stream), BASS_ACTIVE_PLAYING);
    EXPECT_EQ(source.closes, 0);

    ASSERT_TRUE(lib.BASS_StreamFree(stream));
    EXPECT_EQ(source.closes, 1);
    Render(4096);
    EXPECT_EQ(source.callsAfterClose, 0);
    EXPECT_EQ(source.unknownActions, 0);
  }
}

TEST_F(LibBassStream, ANonLoopingStreamEndsSilentAndStopped) {
  for (int format : kStreamFormats) {
    SCOPED_TRACE(FormatName(format));
    RecordingSource& source = Source(Encode(Tone(440, 0.5, kRate, 1, kToneFrames), 1, kRate, format));
    const BassHandle stream = Stream(source, 0);
    ASSERT_NE(stream, 0u);
    lib.BASS_ChannelPlay(stream, BASS_FALSE);
    // Lossy encoders pad the end a little.
    const std::vector<float> mix = Render(2 * kToneFrames);
    EXPECT_GT(Peak(mix, 0, kToneFrames / 2), 0.4f);
    EXPECT_EQ(Peak(mix, kToneFrames + 4096), 0.0f);
    EXPECT_EQ(lib.BASS_ChannelIsActive(stream), BASS_ACTIVE_STOPPED);
    lib.BASS_StreamFree(stream);
    EXPECT_EQ(source.closes, 1);
  }
}

TEST_F(LibBassStream, AStreamMixesFrameForFrameAsTheSameSoundLoadedWhole) {
  // Longer than a decoded block, at the mix rate and at others, looping
  // or not: the block seams must not show.
  for (int rate : {kRate, 22050, 48000, 11025}) {
    for (std::uint32_t flags : {0u, BASS_SAMPLE_LOOP}) {
      SCOPED_TRACE(testing::Message() << rate << " Hz, flags " << flags);
      const std::vector<float> frames = Tone(311, 0.7, rate, 2, 9000);
      const Bytes file = Encode(frames, 2, rate, kWavFloat);
      const std::size_t length = 3 * 9000 * static_cast<std::size_t>(kRate) / static_cast<std::size_t>(rate);

      RecordingSource& source = Source(file);
      const BassHandle stream = Stream(source, flags);
      lib.BASS_ChannelPlay(stream, BASS_FALSE);
      const std::vector<float> streamed = Render(length);
      lib.BASS_StreamFree(stream);

      const BassHandle sample = LoadSample(file, flags);
      lib.BASS_ChannelPlay(lib.BASS_SampleGetChannel(sample, BASS_FALSE), BASS_FALSE);
      const std::vector<float> whole = Render(length);
      lib.BASS_SampleFree(sample);

      ASSERT_EQ(streamed.size(), whole.size());
      for (std::size_t i = 0; i < whole.size(); ++i) ASSERT_EQ(streamed[i], whole[i]) << "value " << i;
    }
  }
}

TEST_F(LibBassStream, ARestartPlaysTheStreamFromItsFirstFrame) {
  const Bytes file = Encode(Ramp(1, 900), 1, kRate, kWavFloat);
  RecordingSource& source = Source(file);
  const BassHandle stream = Stream(source, 0);
  lib.BASS_ChannelPlay(stream, BASS_FALSE);
  const std::vector<float> first = Render(600);
  lib.BASS_ChannelPlay(stream, BASS_TRUE);
  EXPECT_EQ(Render(600), first);
  lib.BASS_ChannelStop(stream);
  lib.BASS_ChannelPlay(stream, BASS_FALSE);
  const std::vector<float> rest = Render(300);
  EXPECT_EQ(rest[0], Ramp(1, 900)[600]) << "a stop keeps the place";
}

TEST_F(LibBassStream, AStreamStartsAtItsSourcesFirstByteAndNeedsASourceThatSeeks) {
  const std::vector<float> ramp = Ramp(1, 500);
  RecordingSource& moved = Source(Encode(ramp, 1, kRate, kWavFloat));
  moved.pos = 123;  // left there by an earlier reader
  const BassHandle stream = Stream(moved, 0);
  ASSERT_NE(stream, 0u);
  lib.BASS_ChannelPlay(stream, BASS_FALSE);
  const std::vector<float> mix = Render(500);
  for (std::size_t i = 0; i < 500; ++i) ASSERT_EQ(mix[2 * i], ramp[i]) << i;

  RecordingSource& fixed = Source(Encode(ramp, 1, kRate, kWavFloat));
  fixed.refuseSeeks = true;
  EXPECT_EQ(Stream(fixed, BASS_SAMPLE_LOOP), 0u);
  EXPECT_EQ(fixed.closes, 0);
}

TEST_F(LibBassStream, AnEmptyLoopingStreamEndsInsteadOfSpinning) {
  RecordingSource& source = Source(Encode({}, 1, kRate, kWav16));
  const BassHandle stream = Stream(source, BASS_SAMPLE_LOOP);
  ASSERT_NE(stream, 0u);
  lib.BASS_ChannelPlay(stream, BASS_FALSE);
  EXPECT_EQ(Peak(Render(1000)), 0.0f);
  EXPECT_EQ(lib.BASS_ChannelIsActive(stream), BASS_ACTIVE_STOPPED);
}

TEST_F(LibBassStream, ASourceThatDoesNotDecodeGivesNoStreamAndIsNeverClosed) {
  const Bytes wav = Encode(Tone(440, 0.5, kRate, 1, 1000), 1, kRate, kWav16);
  const Bytes inputs[] = {Bytes(), Bytes(5000, 0), Bytes(wav.begin(), wav.begin() + 20),
                          Bytes(4000, 0x55)};
  for (const Bytes& input : inputs) {
    RecordingSource& source = Source(input);
    EXPECT_EQ(Stream(source, BASS_SAMPLE_LOOP), 0u) << input.size() << " bytes";
    EXPECT_EQ(source.closes, 0);
  }
}

}  // namespace
}  // namespace libbass::test
