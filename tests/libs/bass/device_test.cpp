// Real SDL output: the default driver redirected to SDL's file-writing
// "disk" driver, end to end, and the "dummy" no-sound device, whose clock
// runs so that channels end; unloading after BASS_Free leaves no thread.
#include <SDL2/SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/libs/bass/kit/loaded_libbass.h"
#include "tests/libs/bass/kit/recording_source.h"
#include "tests/libs/bass/kit/sound_media.h"
#include "tests/libs/bass/kit/tracker_module.h"
#include "tests/support/process_probes.h"
#include "tests/support/scoped_env.h"

namespace libbass::test {
namespace {

namespace fs = std::filesystem;
using corvane::test::TScopedEnv;
using corvane::test::FileSize;
using corvane::test::ThreadCount;
using corvane::test::WaitFor;

BassHandle ChannelOfFile(LoadedLibBass& lib, const Bytes& file, std::uint32_t flags = 0) {
  const BassHandle sample = lib.BASS_SampleLoad(BASS_TRUE, file.data(), 0, static_cast<std::uint32_t>(file.size()), 1, flags);
  return lib.BASS_SampleGetChannel(sample, BASS_FALSE);
}

TEST(LibBassDevice, TheDiskDriverGetsSilenceBeforePlayThenTheToneAtItsVolume) {
  const fs::path out = fs::temp_directory_path() / ("libbass_disk_" + std::to_string(getpid()) + ".raw");
  TScopedEnv driver("SDL_AUDIODRIVER", "disk");
  TScopedEnv file("SDL_DISKAUDIOFILE", out.string());
  TScopedEnv delay("SDL_DISKAUDIODELAY", "0");  // as fast as it can write
  {
    LoadedLibBass lib;
    ASSERT_TRUE(lib.Loaded());
    ASSERT_TRUE(lib.BASS_Init(BASS_DEVICE_DEFAULT, 44100, 0, nullptr, nullptr));
    ASSERT_TRUE(lib.BASS_Start());
    const BassHandle channel = ChannelOfFile(lib, Encode(Tone(440, 0.8, 44100, 1, 22050), 1, 44100, kWav16));
    ASSERT_NE(channel, 0u);
    ASSERT_TRUE(lib.BASS_ChannelSetAttributes(channel, -1, 50, -101));
    ASSERT_TRUE(WaitFor([&] { return FileSize(out) >= 64 * 1024; }, std::chrono::seconds(10)))
        << "the disk driver writes nothing to " << out;
    // Everything in the file now was written before the play.
    const std::size_t before = FileSize(out);
    ASSERT_TRUE(lib.BASS_ChannelPlay(channel, BASS_TRUE));
    ASSERT_TRUE(WaitFor([&] { return lib.BASS_ChannelIsActive(channel) == BASS_ACTIVE_STOPPED; },
                        std::chrono::seconds(30)))
        << "the tone never ended";
    lib.Unload();

    std::ifstream in(out, std::ios::binary);
    std::vector<float> written((FileSize(out) / sizeof(float)));
    in.read(reinterpret_cast<char*>(written.data()), static_cast<std::streamsize>(written.size() * sizeof(float)));
    ASSERT_GT(written.size(), before / sizeof(float) + 2 * 22050);
    float silentPeak = 0, peak = 0;
    for (std::size_t i = 0; i < written.size(); ++i)
      (i < before / sizeof(float) ? silentPeak : peak) = std::fmax(i < before / sizeof(float) ? silentPeak : peak, std::fabs(written[i]));
    EXPECT_EQ(silentPeak, 0.0f);
    // As 16-bit output would carry it.
    const double s16Peak = peak * 32767.0;
    EXPECT_NEAR(s16Peak, 0.4 * 32767, 0.02 * 0.4 * 32767);
  }
  fs::remove(out);
}

TEST(LibBassDevice, TheNoSoundDeviceRunsItsClockAndUnloadingAfterFreeLeavesNoThreadAndSDLAsItWas) {
  // The window's part of SDL, already running.
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
  const std::size_t threadsBefore = ThreadCount();
  {
    RecordingSource source(Encode(Tone(220, 0.5, 44100, 2, 44100), 2, 44100, kOggVorbis));
    RecordingSource freedSource(Encode(Tone(330, 0.5, 44100, 1, 44100), 1, 44100, kMp3));
    LoadedLibBass lib;
    ASSERT_TRUE(lib.Loaded());
    ASSERT_TRUE(lib.BASS_Init(BASS_DEVICE_NOSOUND, 44100, 0, nullptr, nullptr));
    ASSERT_TRUE(lib.BASS_Start());
    EXPECT_STREQ(SDL_GetCurrentAudioDriver(), "dummy");
    EXPECT_GT(ThreadCount(), threadsBefore) << "SDL mixes on a thread of its own";
    // A fifth of a second, and a stream and a module that play on.
    const BassHandle channel = ChannelOfFile(lib, Encode(Tone(440, 0.5, 44100, 1, 8820), 1, 44100, kWav16));
    const BassHandle stream = lib.BASS_StreamCreateFileUser(BASS_FALSE, BASS_SAMPLE_LOOP, &RecordingSource::Proc, &source);
    const Bytes mod = TrackerModule(8);
    const BassHandle music = lib.BASS_MusicLoad(BASS_TRUE, mod.data(), 0, static_cast<std::uint32_t>(mod.size()), BASS_MUSIC_LOOP, 0);
    for (BassHandle h : {channel, stream, music}) {
      ASSERT_NE(h, 0u);
      ASSERT_TRUE(lib.BASS_ChannelPlay(h, BASS_TRUE));
    }
    const BassHandle freed = lib.BASS_StreamCreateFileUser(BASS_FALSE, BASS_SAMPLE_LOOP, &RecordingSource::Proc, &freedSource);
    ASSERT_NE(freed, 0u);
    ASSERT_TRUE(lib.BASS_ChannelPlay(freed, BASS_FALSE));
    EXPECT_TRUE(WaitFor([&] { return lib.BASS_ChannelIsActive(channel) == BASS_ACTIVE_STOPPED; },
                        std::chrono::seconds(20)))
        << "the sample never ended";
    // A stream freed while the mixing thread plays it is out of the mix
    // before its source closes, and is never read again.
    std::uint32_t stateAtClose = BASS_ACTIVE_PLAYING;
    freedSource.onClose = [&] { stateAtClose = lib.BASS_ChannelIsActive(freed); };
    ASSERT_TRUE(lib.BASS_StreamFree(freed));
    EXPECT_EQ(freedSource.closes, 1);
    EXPECT_EQ(stateAtClose, BASS_ACTIVE_STOPPED);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // more mixing, without it
    EXPECT_EQ(lib.BASS_ChannelIsActive(stream), BASS_ACTIVE_PLAYING);
    EXPECT_EQ(lib.BASS_ChannelIsActive(music), BASS_ACTIVE_PLAYING);
    lib.Unload();  // BASS_Free with all of it loaded, then dlclose
    EXPECT_EQ(source.closes, 1);
    EXPECT_EQ(source.callsAfterClose, 0);
    EXPECT_EQ(freedSource.callsAfterClose, 0);
  }
  EXPECT_EQ(ThreadCount(), threadsBefore);
  EXPECT_EQ(dlopen(LoadedLibBass::Path(), RTLD_NOW | RTLD_NOLOAD), nullptr) << "the library stayed loaded";
  EXPECT_EQ(SDL_GetCurrentAudioDriver(), nullptr) << "SDL's audio is quit";
  EXPECT_NE(SDL_WasInit(SDL_INIT_EVENTS), 0u) << "and nothing else of SDL";
  SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

TEST(LibBassDevice, ADefaultDriverThatDoesNotOpenFailsInitAndTheNoSoundDeviceStillOpens) {
  TScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
  LoadedLibBass lib;
  ASSERT_TRUE(lib.Loaded());
  EXPECT_EQ(lib.BASS_Init(BASS_DEVICE_DEFAULT, 44100, 0, nullptr, nullptr), BASS_FALSE);
  EXPECT_EQ(SDL_GetCurrentAudioDriver(), nullptr);
  EXPECT_EQ(lib.BASS_Start(), BASS_FALSE);
  // The fallback picks its driver by name, whatever the environment says.
  ASSERT_TRUE(lib.BASS_Init(BASS_DEVICE_NOSOUND, 44100, 0, nullptr, nullptr));
  EXPECT_STREQ(SDL_GetCurrentAudioDriver(), "dummy");
  EXPECT_TRUE(lib.BASS_Start());
  EXPECT_TRUE(lib.BASS_Free());
  EXPECT_EQ(SDL_GetCurrentAudioDriver(), nullptr);
}

}  // namespace
}  // namespace libbass::test
