// The engine on real SDL output: the default driver redirected to SDL's
// file-writing "disk" driver, and the fall-back to the no-sound device
// when the default does not open. Freeing the last engine leaves no
// thread and no library behind.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/bass/bass_binding.h"
#include "tests/libs/bass/kit/sound_media.h"
#include "tests/libs/bass/kit/tracker_module.h"
#include "tests/platform_bass/bass_engine_kit.h"
#include "tests/support/process_probes.h"
#include "tests/support/scoped_env.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;
using libbass::test::Encode;
using libbass::test::Tone;


std::uint32_t State(TSound* sound) { return BASS_ChannelIsActive(static_cast<BassHandle>(sound->Channel)); }

class BassEngineOnDevice : public BassEngineTest {
 protected:
  BassEngineOnDevice() : BassEngineTest("bass", BASS_DEVICE_DEFAULT) {}
};

TEST_F(BassEngineOnDevice, TheDiskDriverGetsSilenceBeforePlaySoundThenTheToneAtTheSoundVolume) {
  const fs::path out = fs::temp_directory_path() / ("corvane_sound_disk_" + std::to_string(getpid()) + ".raw");
  TScopedEnv driver("SDL_AUDIODRIVER", "disk");
  TScopedEnv file("SDL_DISKAUDIOFILE", out.string());
  TScopedEnv delay("SDL_DISKAUDIODELAY", "0");  // as fast as it can write
  Engine().SetSoundVolume(0.5f);
  TSound* sound = LoadSound("tone.wav", Encode(Tone(440, 0.8, kRate, 1, Frames(0.5)), 1, kRate, libbass::test::kWav16));
  ASSERT_NE(sound, nullptr);
  ASSERT_NE(sound->Channel, 0u);
  EXPECT_EQ(log.CountError("BASS: Error initializing audio!"), 0) << log.Text();
  ASSERT_TRUE(WaitFor([&] { return FileSize(out) >= 64 * 1024; }, std::chrono::seconds(10)))
      << "the disk driver writes nothing to " << out;
  const std::size_t before = FileSize(out) / sizeof(float);  // all written before the play
  Engine().PlaySound(sound);
  ASSERT_TRUE(WaitFor([&] { return State(sound) == BASS_ACTIVE_STOPPED; }, std::chrono::seconds(30)))
      << "the tone never ended";
  FreeEngine();

  std::vector<float> written(FileSize(out) / sizeof(float));
  std::ifstream in(out, std::ios::binary);
  in.read(reinterpret_cast<char*>(written.data()), static_cast<std::streamsize>(written.size() * sizeof(float)));
  fs::remove(out);
  ASSERT_GT(written.size(), before + 2 * Frames(0.5));
  float silent = 0, peak = 0;
  for (std::size_t i = 0; i < written.size(); ++i) (i < before ? silent : peak) = std::fmax(i < before ? silent : peak, std::fabs(written[i]));
  EXPECT_EQ(silent, 0.0f);
  // As a 16-bit output carries it.
  EXPECT_NEAR(peak * 32767.0, 0.4 * 32767, 0.02 * 0.4 * 32767);
}

TEST_F(BassEngineOnDevice, WithoutADeviceTheNoSoundOutputPlaysSoundsToTheirEndAndFreeingLeavesNoThread) {
  TScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
  const std::size_t threadsBefore = ThreadCount();
  TSound* sound = LoadSound("short.wav", Encode(Tone(440, 0.5, kRate, 1, Frames(0.2)), 1, kRate, libbass::test::kWav16));
  EXPECT_EQ(log.CountError("BASS: Error initializing audio!"), 1) << log.Text();
  EXPECT_EQ(log.CountError("BASS: Error initializing nosound!"), 0);
  EXPECT_TRUE(Engine().Enabled());
  ASSERT_NE(sound, nullptr);
  ASSERT_NE(sound->Channel, 0u);
  TMusic* stream = LoadMusic("theme.ogg", Encode(Tone(220, 0.5, kRate, 2, Frames(0.3)), 2, kRate, libbass::test::kOggVorbis));
  TMusic* module = LoadMusic("song.xm", libbass::test::TrackerModule(8));
  ASSERT_NE(stream, nullptr);
  ASSERT_NE(module, nullptr);
  Engine().PlayMusic(stream);
  Engine().PlayMusic(module);
  Engine().PlaySound(sound);
  EXPECT_EQ(State(sound), BASS_ACTIVE_PLAYING);
  EXPECT_TRUE(WaitFor([&] { return State(sound) == BASS_ACTIVE_STOPPED; }, std::chrono::seconds(20)))
      << "the no-sound clock does not run";
  EXPECT_EQ(BASS_ChannelIsActive(static_cast<BassHandle>(stream->Handle)), BASS_ACTIVE_PLAYING) << "it loops";
  EXPECT_GT(ThreadCount(), threadsBefore) << "SDL mixes on a thread of its own";

  FreeEngine();  // with the music playing on the mixing thread
  EXPECT_EQ(ThreadCount(), threadsBefore);
  EXPECT_EQ(BASS_Handle, 0u);
  EXPECT_EQ(dlopen(LibraryFileName("bass").c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr) << "the library stayed loaded";
}

}  // namespace
}  // namespace corvane::test
