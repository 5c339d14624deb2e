// Bytes that are no sound, cut short, or whose headers lie: no handle, no
// crash, no allocation the header asks for, under ASan and UBSan.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/libs/bass/kit/recording_source.h"
#include "tests/libs/bass/kit/tracker_module.h"
#include "tests/libs/bass/manual_mix.h"

namespace libbass::test {
namespace {

class LibBassHostileInput : public ManualMix {};

Bytes Text(const std::string& text, std::size_t repeat) {
  Bytes out;
  for (std::size_t i = 0; i < repeat; ++i) out.insert(out.end(), text.begin(), text.end());
  return out;
}

Bytes Cut(const Bytes& file, std::size_t size) { return Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size)); }

// The 36-bit total sample count of a FLAC file's STREAMINFO, set by hand
// (0 means "not known").
Bytes WithFlacTotalSamples(Bytes flac, std::uint64_t total) {
  // "fLaC", the block header, 18 bytes into STREAMINFO: 4 bits then 32.
  flac[21] = static_cast<unsigned char>((flac[21] & 0xF0) | ((total >> 32) & 0x0F));
  for (int i = 0; i < 4; ++i) flac[22 + static_cast<std::size_t>(i)] = static_cast<unsigned char>(total >> (24 - 8 * i));
  return flac;
}

TEST_F(LibBassHostileInput, GarbageCutAndOverlongSamplesGiveNoHandle) {
  const Bytes wav = Encode(Tone(440, 0.5, kRate, 1, 4410), 1, kRate, kWav16);
  const Bytes ogg = Encode(Tone(440, 0.5, kRate, 1, 4410), 1, kRate, kOggVorbis);
  const Bytes flac = Encode(Tone(440, 0.5, kRate, 1, 4410), 1, kRate, kFlac16);
  struct Case {
    std::string what;
    Bytes bytes;
  };
  const Case cases[] = {
      {"nothing", {}},
      {"text", Text("this is no sound file, only words. ", 200)},
      {"zeros", Bytes(8000, 0)},
      {"a byte pattern", Bytes(8000, 0x55)},
      {"a WAV cut in its header", Cut(wav, 20)},
      {"a WAV cut after its header", Cut(wav, 44)},
      {"an OGG cut in its first page", Cut(ogg, 60)},
      {"a FLAC cut in its STREAMINFO", Cut(flac, 30)},
      {"nine channels", Encode(Tone(440, 0.5, kRate, 9, 100), 9, kRate, kWavFloat)},
      {"a FLAC declaring years of sound", WithFlacTotalSamples(flac, 0xFFFFFFFFFull)},
      {"a FLAC declaring just over ten minutes", WithFlacTotalSamples(flac, 600 * 44100 + 1)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LoadSample(c.bytes), 0u) << c.what;
  }
}

TEST_F(LibBassHostileInput, ASampleThatDecodesPastTenMinutesGivesNoHandle) {
  // Silence compresses to almost nothing, and a FLAC of unknown length
  // tells nothing in advance: only the frames decoded can stop it.
  const std::size_t cap = 600 * 44100;
  const Bytes longer = WithFlacTotalSamples(
      Encode(std::vector<float>(cap + 4410, 0.0f), 1, kRate, SF_FORMAT_FLAC | SF_FORMAT_PCM_S8), 0);
  ASSERT_FALSE(longer.empty());
  EXPECT_EQ(LoadSample(longer), 0u);
  const Bytes within = WithFlacTotalSamples(Encode(std::vector<float>(cap, 0.0f), 1, kRate, SF_FORMAT_FLAC | SF_FORMAT_PCM_S8), 0);
  EXPECT_NE(LoadSample(within), 0u) << "ten minutes exactly still load";
}

// The decoded frames of all samples together stay within the bound the
// program sets: a sample that would pass it gives no handle and says why
// (a small file of silence decoding to a minute is one, stopped by the
// frames decoded), one that does not decode says otherwise, and a freed
// sample makes room again.
TEST_F(LibBassHostileInput, SamplesTogetherStayWithinTheirMemoryBound) {
  EXPECT_EQ(lib.BASS_SetConfig(BASS_CONFIG_SAMPLE_MEMORY + 1, 1), BASS_FALSE) << "no such option";
  const Bytes second = Encode(Tone(440, 0.5, kRate, 1, kRate), 1, kRate, kOggVorbis);  // 172 KiB decoded
  const Bytes minute =
      WithFlacTotalSamples(Encode(std::vector<float>(60 * kRate, 0.0f), 1, kRate, SF_FORMAT_FLAC | SF_FORMAT_PCM_S8), 0);
  ASSERT_TRUE(lib.BASS_SetConfig(BASS_CONFIG_SAMPLE_MEMORY, 1 << 20));
  std::vector<BassHandle> loaded;
  for (BassHandle sample; (sample = LoadSample(second)) != 0;) {
    EXPECT_EQ(lib.BASS_ErrorGetCode(), BASS_OK);
    loaded.push_back(sample);
  }
  EXPECT_EQ(lib.BASS_ErrorGetCode(), BASS_ERROR_MEM);
  EXPECT_GE(loaded.size(), 4u);
  EXPECT_LE(loaded.size(), 6u);
  EXPECT_EQ(LoadSample(Bytes(8000, 0)), 0u);
  EXPECT_EQ(lib.BASS_ErrorGetCode(), BASS_ERROR_UNKNOWN);
  EXPECT_TRUE(lib.BASS_SampleFree(loaded.back()));
  EXPECT_NE(LoadSample(second), 0u) << "room again";
  EXPECT_EQ(LoadSample(minute), 0u);
  EXPECT_EQ(lib.BASS_ErrorGetCode(), BASS_ERROR_MEM);
  ASSERT_TRUE(lib.BASS_SetConfig(BASS_CONFIG_SAMPLE_MEMORY, 0));
  EXPECT_NE(LoadSample(minute), 0u) << "unbounded again";
}

TEST_F(LibBassHostileInput, AWavHeaderClaimingGigabytesLoadsTheFramesThatAreThere) {
  const std::vector<float> ramp = Ramp(1, 500);
  Bytes wav = Encode(ramp, 1, kRate, kWavFloat);
  // The RIFF and data sizes, both near 4 GB.
  for (std::size_t at : {std::size_t{4}, wav.size() - 500 * 4 - 4})
    for (int i = 0; i < 4; ++i) wav[at + static_cast<std::size_t>(i)] = i == 0 ? 0xF0 : 0xFF;
  const BassHandle sample = LoadSample(wav);
  ASSERT_NE(sample, 0u);
  lib.BASS_ChannelPlay(lib.BASS_SampleGetChannel(sample, BASS_FALSE), BASS_FALSE);
  const std::vector<float> mix = Render(600);
  for (std::size_t i = 0; i < 500; ++i) ASSERT_EQ(mix[2 * i], ramp[i]) << i;
  EXPECT_EQ(Peak(mix, 500), 0.0f);
}

TEST_F(LibBassHostileInput, BytesThatAreNoModuleGiveNoHandle) {
  const Bytes mod = TrackerModule(4);
  const Bytes wav = Encode(Tone(440, 0.5, kRate, 1, 4410), 1, kRate, kWav16);
  struct Case {
    std::string what;
    Bytes bytes;
  };
  const Case cases[] = {
      {"nothing", {}},
      {"text", Text("this is no module, only words. ", 200)},
      {"zeros", Bytes(8000, 0)},
      {"a WAV", wav},
      {"a module cut in its sample headers", Cut(mod, 300)},
  };
  for (const Case& c : cases) EXPECT_EQ(Music(c.bytes), 0u) << c.what;
}

TEST_F(LibBassHostileInput, StreamsCutShortPlayWhatIsThereAndEnd) {
  for (int format : {kWav16, kFlac16, kOggVorbis, kMp3}) {
    for (std::uint32_t flags : {0u, BASS_SAMPLE_LOOP}) {
      SCOPED_TRACE(testing::Message() << FormatName(format) << ", flags " << flags);
      const Bytes whole = Encode(Tone(440, 0.5, kRate, 2, 22050), 2, kRate, format);
      RecordingSource& source = Source(Cut(whole, whole.size() / 2));
      const BassHandle stream = Stream(source, flags);
      if (stream == 0) {
        EXPECT_EQ(source.closes, 0);
        continue;
      }
      lib.BASS_ChannelPlay(stream, BASS_FALSE);
      const std::vector<float> mix = Render(3 * 22050);
      if (flags == 0) {
        EXPECT_EQ(lib.BASS_ChannelIsActive(stream), BASS_ACTIVE_STOPPED);
        EXPECT_EQ(Peak(mix, 22050 + 4096), 0.0f);
      }
      lib.BASS_StreamFree(stream);
      EXPECT_EQ(source.closes, 1);
    }
  }
}

}  // namespace
}  // namespace libbass::test
