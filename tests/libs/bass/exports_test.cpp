// The library's surface: the names it exports, and the rule that a call
// without an output, or on no handle, a stale one or one of another kind,
// does nothing and says so.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/libs/bass/kit/loaded_libbass.h"
#include "tests/libs/bass/kit/recording_source.h"
#include "tests/libs/bass/kit/sound_media.h"
#include "tests/libs/bass/kit/tracker_module.h"
#include "tests/libs/bass/manual_mix.h"

namespace libbass::test {
namespace {

TEST(LibBassExports, TheCalledEntryPointsTheReverbAndTheManualRenderAreExportedAndNothingElse) {
  LoadedLibBass lib;
  ASSERT_TRUE(lib.Loaded()) << LoadedLibBass::Path();
  // Names of the BASS interface that the engine never calls stay absent, as
  // do the library's own insides.
  for (const char* absent : {"BASS_GetConfig", "BASS_GetVersion", "BASS_ChannelGetPosition",
                             "BASS_GetEAXParameters", "BASS_StreamCreateFile"})
    EXPECT_EQ(lib.Symbol(absent), nullptr) << absent;
  // The reverb of the presets is there, and refused: the mix has none.
  auto* reverb = reinterpret_cast<BassSetEAXParametersFunc*>(lib.Symbol("BASS_SetEAXParameters"));
  ASSERT_NE(reverb, nullptr);
  ASSERT_TRUE(lib.BASS_Init(BASS_DEVICE_MANUAL, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(reverb(8, 0.5f, 2.886f, 1.304f), BASS_FALSE);
}

// Every entry point's answer when it must do nothing.
void ExpectEveryCallRefused(LoadedLibBass& lib, const std::vector<BassHandle>& handles,
                            const std::string& when) {
  SCOPED_TRACE(when);
  const Bytes wav = Encode(Tone(440, 0.5, 44100, 1, 441), 1, 44100, kWavFloat);
  const Bytes mod = TrackerModule(2);
  RecordingSource source(wav);
  EXPECT_EQ(lib.BASS_SampleLoad(BASS_TRUE, wav.data(), 0, static_cast<std::uint32_t>(wav.size()), 1, 0), 0u);
  EXPECT_EQ(lib.BASS_MusicLoad(BASS_TRUE, mod.data(), 0, static_cast<std::uint32_t>(mod.size()), 0, 0), 0u);
  EXPECT_EQ(lib.BASS_StreamCreateFileUser(BASS_FALSE, 0, &RecordingSource::Proc, &source), 0u);
  EXPECT_EQ(source.closes, 0) << "a refused stream never closes its source";
  float frames[4] = {};
  EXPECT_EQ(lib.BassManual_Render(frames, 2), 0u);
  for (BassHandle h : handles) {
    EXPECT_EQ(lib.BASS_SampleGetChannel(h, BASS_FALSE), 0u) << h;
    EXPECT_EQ(lib.BASS_SampleFree(h), BASS_FALSE) << h;
    EXPECT_EQ(lib.BASS_MusicFree(h), BASS_FALSE) << h;
    EXPECT_EQ(lib.BASS_StreamFree(h), BASS_FALSE) << h;
    EXPECT_EQ(lib.BASS_ChannelPlay(h, BASS_TRUE), BASS_FALSE) << h;
    EXPECT_EQ(lib.BASS_ChannelStop(h), BASS_FALSE) << h;
    EXPECT_EQ(lib.BASS_ChannelPause(h), BASS_FALSE) << h;
    EXPECT_EQ(lib.BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED) << h;
    EXPECT_EQ(lib.BASS_ChannelSetAttributes(h, -1, 50, -101), BASS_FALSE) << h;
  }
}

TEST(LibBassExports, BeforeInitAndAfterFreeEveryCallDoesNothingAndFreeMayComeTwice) {
  const Bytes wav = Encode(Tone(440, 0.5, 44100, 1, 4410), 1, 44100, kWavFloat);
  RecordingSource source(wav);  // outlives the library
  LoadedLibBass lib;
  ASSERT_TRUE(lib.Loaded());
  EXPECT_EQ(lib.BASS_Start(), BASS_FALSE);
  EXPECT_EQ(lib.BASS_Free(), BASS_FALSE);
  ExpectEveryCallRefused(lib, {0, 1, 0x10001, 0xFFFFFFFF}, "before BASS_Init");

  ASSERT_TRUE(lib.BASS_Init(BASS_DEVICE_MANUAL, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(lib.BASS_Init(BASS_DEVICE_MANUAL, 44100, 0, nullptr, nullptr), BASS_FALSE)
      << "a second init while open";
  const Bytes mod = TrackerModule(2);
  const BassHandle sample = lib.BASS_SampleLoad(BASS_TRUE, wav.data(), 0, static_cast<std::uint32_t>(wav.size()), 1, 0);
  const BassHandle channel = lib.BASS_SampleGetChannel(sample, BASS_FALSE);
  const BassHandle music = lib.BASS_MusicLoad(BASS_TRUE, mod.data(), 0, static_cast<std::uint32_t>(mod.size()), BASS_MUSIC_LOOP, 0);
  const BassHandle stream = lib.BASS_StreamCreateFileUser(BASS_FALSE, BASS_SAMPLE_LOOP, &RecordingSource::Proc, &source);
  for (BassHandle h : {sample, channel, music, stream}) ASSERT_NE(h, 0u);
  for (BassHandle h : {channel, music, stream}) EXPECT_TRUE(lib.BASS_ChannelPlay(h, BASS_FALSE));

  EXPECT_TRUE(lib.BASS_Free());
  EXPECT_EQ(source.closes, 1) << "BASS_Free frees the streams left";
  EXPECT_EQ(lib.BASS_Free(), BASS_FALSE);
  EXPECT_EQ(lib.BASS_Start(), BASS_FALSE);
  ExpectEveryCallRefused(lib, {sample, channel, music, stream}, "after BASS_Free");

  // Open again: the old handles still find nothing, even once new objects
  // take their slots.
  ASSERT_TRUE(lib.BASS_Init(BASS_DEVICE_MANUAL, 44100, 0, nullptr, nullptr));
  const BassHandle again = lib.BASS_SampleLoad(BASS_TRUE, wav.data(), 0, static_cast<std::uint32_t>(wav.size()), 1, 0);
  ASSERT_NE(again, 0u);
  EXPECT_NE(again, sample);
  EXPECT_EQ(lib.BASS_SampleGetChannel(sample, BASS_FALSE), 0u);
  EXPECT_EQ(source.closes, 1);
  EXPECT_EQ(source.callsAfterClose, 0);
}

TEST(LibBassExports, InitOpensOnlyKnownDevicesAtMixRates) {
  struct Case {
    std::int32_t device;
    std::uint32_t rate;
    bool opens;
  };
  const Case cases[] = {
      {BASS_DEVICE_MANUAL, 44100, true}, {BASS_DEVICE_MANUAL, 8000, true},
      {BASS_DEVICE_MANUAL, 192000, true}, {BASS_DEVICE_MANUAL, 7999, false},
      {BASS_DEVICE_MANUAL, 192001, false}, {BASS_DEVICE_MANUAL, 0, false},
      {0, 44100, false}, {1, 44100, false}, {-4, 44100, false},
  };
  LoadedLibBass lib;
  ASSERT_TRUE(lib.Loaded());
  for (const Case& c : cases) {
    EXPECT_EQ(lib.BASS_Init(c.device, c.rate, 0, nullptr, nullptr) != BASS_FALSE, c.opens)
        << "device " << c.device << " at " << c.rate;
    EXPECT_EQ(lib.BASS_Free() != BASS_FALSE, c.opens);
  }
}

class LibBassHandles : public ManualMix {};

TEST_F(LibBassHandles, StaleUnknownAndWrongKindHandlesAreRefused) {
  const Bytes wav = Encode(Tone(440, 0.5, kRate, 1, 4410), 1, kRate, kWavFloat);
  const Bytes mod = TrackerModule(2);
  RecordingSource& source = Source(wav);
  const BassHandle sample = LoadSample(wav);
  const BassHandle channel = lib.BASS_SampleGetChannel(sample, BASS_FALSE);
  const BassHandle music = Music(mod);
  const BassHandle stream = Stream(source, 0);
  for (BassHandle h : {sample, channel, music, stream}) ASSERT_NE(h, 0u);

  // Another generation of a live slot, and slots never handed out.
  for (BassHandle h : {sample + 0x10000, channel ^ 0x80000000u, 0x0000FFFFu, 0x00010000u}) {
    EXPECT_EQ(lib.BASS_ChannelPlay(h, BASS_TRUE), BASS_FALSE) << h;
    EXPECT_EQ(lib.BASS_SampleFree(h), BASS_FALSE) << h;
  }
  // Each free takes only its own kind.
  EXPECT_EQ(lib.BASS_SampleFree(channel), BASS_FALSE);
  EXPECT_EQ(lib.BASS_SampleFree(music), BASS_FALSE);
  EXPECT_EQ(lib.BASS_MusicFree(stream), BASS_FALSE);
  EXPECT_EQ(lib.BASS_MusicFree(channel), BASS_FALSE);
  EXPECT_EQ(lib.BASS_StreamFree(music), BASS_FALSE);
  EXPECT_EQ(lib.BASS_StreamFree(sample), BASS_FALSE);
  // A sample is no channel, and only a sample has channels.
  EXPECT_EQ(lib.BASS_ChannelPlay(sample, BASS_TRUE), BASS_FALSE);
  EXPECT_EQ(lib.BASS_ChannelSetAttributes(sample, -1, 10, -101), BASS_FALSE);
  EXPECT_EQ(lib.BASS_SampleGetChannel(music, BASS_FALSE), 0u);
  EXPECT_EQ(source.closes, 0);

  // Freed: the handles go stale, the sample's channel with it.
  EXPECT_TRUE(lib.BASS_SampleFree(sample));
  EXPECT_TRUE(lib.BASS_MusicFree(music));
  EXPECT_TRUE(lib.BASS_StreamFree(stream));
  EXPECT_EQ(source.closes, 1);
  for (BassHandle h : {channel, music, stream}) EXPECT_EQ(lib.BASS_ChannelPlay(h, BASS_TRUE), BASS_FALSE) << h;
  EXPECT_EQ(lib.BASS_SampleFree(sample), BASS_FALSE);
  EXPECT_EQ(lib.BASS_StreamFree(stream), BASS_FALSE);
  EXPECT_EQ(source.closes, 1) << "a second free closes nothing";
}

TEST_F(LibBassHandles, LoadsTakeOnlyMemoryAndSaneArguments) {
  const Bytes wav = Encode(Tone(440, 0.5, kRate, 1, 441), 1, kRate, kWavFloat);
  const Bytes mod = TrackerModule(2);
  const auto size = static_cast<std::uint32_t>(wav.size());
  EXPECT_EQ(lib.BASS_SampleLoad(BASS_FALSE, wav.data(), 0, size, 1, 0), 0u) << "no file names";
  EXPECT_EQ(lib.BASS_SampleLoad(BASS_TRUE, nullptr, 0, size, 1, 0), 0u);
  EXPECT_EQ(lib.BASS_SampleLoad(BASS_TRUE, wav.data(), 0, size, 0, 0), 0u) << "no playbacks";
  EXPECT_EQ(lib.BASS_SampleLoad(BASS_TRUE, wav.data(), 0, size, 0x10000, 0), 0u);
  EXPECT_EQ(lib.BASS_MusicLoad(BASS_FALSE, mod.data(), 0, static_cast<std::uint32_t>(mod.size()), 0, 0), 0u);
  EXPECT_EQ(lib.BASS_MusicLoad(BASS_TRUE, mod.data(), 0, static_cast<std::uint32_t>(mod.size()), 0, 44100), 0u);
  EXPECT_EQ(lib.BASS_StreamCreateFileUser(BASS_FALSE, 0, nullptr, nullptr), 0u);
  // An offset into a larger block.
  Bytes padded(7, 0xAA);
  padded.insert(padded.end(), wav.begin(), wav.end());
  EXPECT_NE(lib.BASS_SampleLoad(BASS_TRUE, padded.data(), 7, size, 1, 0), 0u);
}

TEST_F(LibBassHandles, SampleChannelsAreBoundedByThePlaybacksAndReusedWhenNotPlaying) {
  const Bytes wav = Encode(Tone(440, 0.5, kRate, 1, 441), 1, kRate, kWavFloat);
  const BassHandle sample = LoadSample(wav, 0, 2);
  const BassHandle first = lib.BASS_SampleGetChannel(sample, BASS_FALSE);
  const BassHandle second = lib.BASS_SampleGetChannel(sample, BASS_TRUE);
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  EXPECT_NE(first, second);
  EXPECT_EQ(lib.BASS_SampleGetChannel(sample, BASS_TRUE), 0u) << "no third new one";
  EXPECT_EQ(lib.BASS_SampleGetChannel(sample, BASS_FALSE), first) << "the first not playing";
  lib.BASS_ChannelPlay(first, BASS_TRUE);
  EXPECT_EQ(lib.BASS_SampleGetChannel(sample, BASS_FALSE), second);
  lib.BASS_ChannelPlay(second, BASS_TRUE);
  EXPECT_EQ(lib.BASS_SampleGetChannel(sample, BASS_FALSE), 0u) << "all playing";
}

TEST_F(LibBassHandles, AFullTableGivesNoHandleAndAStreamThatFindsNoSlotLeavesItsSourceOpen) {
  const Bytes wav = Encode(Tone(440, 0.5, kRate, 1, 441), 1, kRate, kWavFloat);
  const Bytes mod = TrackerModule(2);
  const BassHandle sample = LoadSample(wav, 0, 0xFFFF);
  ASSERT_NE(sample, 0u);
  std::size_t channels = 0;
  while (lib.BASS_SampleGetChannel(sample, BASS_TRUE) != 0) ASSERT_LT(++channels, 0x10000u);
  EXPECT_EQ(channels, 0xFFFEu) << "the sample and its channels fill every slot";

  RecordingSource& source = Source(wav);
  EXPECT_EQ(Stream(source, 0), 0u);
  EXPECT_EQ(source.closes, 0) << "the caller still owns the source";
  EXPECT_EQ(LoadSample(wav), 0u);
  EXPECT_EQ(Music(mod), 0u);

  ASSERT_TRUE(lib.BASS_SampleFree(sample));
  const BassHandle stream = Stream(source, 0);
  EXPECT_NE(stream, 0u);
  lib.BASS_StreamFree(stream);
  EXPECT_EQ(source.closes, 1);
}

}  // namespace
}  // namespace libbass::test
