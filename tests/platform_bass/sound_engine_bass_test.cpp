// Sounds and music through the engine, heard sample by sample on the
// library's manual output.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "platform/bass/bass_binding.h"
#include "tests/libs/bass/kit/sound_media.h"
#include "tests/libs/bass/kit/tracker_module.h"
#include "tests/platform_bass/bass_engine_kit.h"

namespace corvane::test {
namespace {

using libbass::test::Encode;
using libbass::test::Ramp;
using libbass::test::Tone;
using libbass::test::TrackerModule;

class SoundEngineBassTest : public BassEngineTest {
 protected:
  // A tone of constant peak, long enough to measure.
  Bytes ToneWav(double amplitude, double seconds) {
    return Encode(Tone(441, amplitude, kRate, 1, Frames(seconds)), 1, kRate, libbass::test::kWavFloat);
  }
};

TEST_F(SoundEngineBassTest, PlaySoundStartsFromTheFirstFrameAtTheSoundVolume) {
  TSound* sound = LoadSound("ramp.wav", Encode(Ramp(1, 4000), 1, kRate, libbass::test::kWavFloat));
  ASSERT_NE(sound, nullptr);
  ASSERT_NE(sound->Handle, 0u);
  ASSERT_NE(sound->Channel, 0u);
  EXPECT_EQ(Engine().Sounds(), std::vector<TSound*>{sound});
  EXPECT_EQ(Peak(Render(100)), 0.0f) << "silent until played";

  Engine().SetSoundVolume(1.0f);
  Engine().PlaySound(sound);
  const std::vector<float> first = Render(1500);
  Engine().PlaySound(sound);  // again, mid-way: from the top
  const std::vector<float> again = Render(1500);
  for (std::size_t i = 0; i < 2 * 1500; ++i) ASSERT_EQ(again[i], first[i]) << i;

  Engine().StopSound(sound);
  EXPECT_EQ(Peak(Render(100)), 0.0f);
}

TEST_F(SoundEngineBassTest, SoundVolumesScaleTheMixAndOutOfRangeValuesClamp) {
  TSound* sound = LoadSound("tone.wav", ToneWav(0.8, 0.1));
  ASSERT_NE(sound, nullptr);
  auto peakAt = [&](float volume) {
    Engine().SetSoundVolume(volume);
    Engine().PlaySound(sound);
    return Peak(Render(Frames(0.05)));
  };
  const float full = peakAt(1.0f);
  EXPECT_NEAR(full, 0.8f, 0.01f);
  EXPECT_NEAR(peakAt(0.5f), full / 2, 1e-4f);
  EXPECT_EQ(peakAt(2.0f), full);
  EXPECT_EQ(Engine().SoundVolume(), 2.0f) << "the property keeps what was set";
  EXPECT_EQ(peakAt(-0.5f), 0.0f);
  EXPECT_EQ(peakAt(-0.001f), 0.0f) << "not taken for 'unchanged'";
  EXPECT_EQ(peakAt(std::numeric_limits<float>::quiet_NaN()), 0.0f);
  EXPECT_EQ(peakAt(std::numeric_limits<float>::infinity()), 0.0f);
  EXPECT_EQ(peakAt(1e30f), full);

  // A change of volume reaches a sound that plays.
  Engine().SetSoundVolume(1.0f);
  Engine().PlaySound(sound);
  Render(100);
  Engine().SetSoundVolume(0.25f);
  EXPECT_NEAR(Peak(Render(Frames(0.02))), full / 4, 1e-4f);
}

TEST(SoundEngineBassVolume, IsTheTruncatedHundredthsOfTheClampedVolume) {
  EXPECT_EQ(TSoundEngineBass::LibraryVolume(0.5f), 50);
  EXPECT_EQ(TSoundEngineBass::LibraryVolume(0.999f), 99);
  EXPECT_EQ(TSoundEngineBass::LibraryVolume(1.0f), 100);
  EXPECT_EQ(TSoundEngineBass::LibraryVolume(3.0f), 100);
  EXPECT_EQ(TSoundEngineBass::LibraryVolume(-0.004f), 0);
  EXPECT_EQ(TSoundEngineBass::LibraryVolume(-std::numeric_limits<float>::infinity()), 0);
}

TEST(SoundEngineBassNames, OggAndMp3AnywhereInTheNameInAnyCaseStream) {
  for (const char* name : {"theme.ogg", "THEME.OGG", "a.Mp3", "x.ogg.bak", "dir.mp3/tune"})
    EXPECT_TRUE(TSoundEngineBass::IsStreamedMusic(name)) << name;
  for (const char* name : {"theme.xm", "song.mod", "tune.it", "ogg", "theme.og"})
    EXPECT_FALSE(TSoundEngineBass::IsStreamedMusic(name)) << name;
}

TEST_F(SoundEngineBassTest, StreamsAndModulesLoopPastThreeOfTheirLengths) {
  const double seconds = 0.1;
  const Bytes ogg = Encode(Tone(330, 0.5, kRate, 2, Frames(seconds)), 2, kRate, libbass::test::kOggVorbis);
  const Bytes mp3 = Encode(Tone(330, 0.5, kRate, 1, Frames(seconds)), 1, kRate, libbass::test::kMp3);
  struct Case {
    std::string name;
    Bytes bytes;
    bool streamed;
    double seconds;
  };
  const Case cases[] = {
      {"theme.ogg", ogg, true, seconds},
      {"theme.mp3", mp3, true, seconds},
      {"song.xm", TrackerModule(5), false, libbass::test::TrackerModuleSeconds(5)},
  };
  Engine().SetMusicVolume(1.0f);
  for (const Case& c : cases) {
    TMusic* music = LoadMusic(c.name, c.bytes);
    ASSERT_NE(music, nullptr) << c.name;
    ASSERT_NE(music->Handle, 0u) << c.name;
    EXPECT_EQ(music->Source != nullptr, c.streamed) << c.name;
    Engine().PlayMusic(music);
    const std::vector<float> mix = Render(Frames(3.5 * c.seconds));
    EXPECT_GT(Peak(mix, Frames(3.1 * c.seconds)), 0.1f) << c.name << " is silent after three lengths";
    Engine().DestroyMusic(music);
    EXPECT_EQ(music, nullptr);
    EXPECT_EQ(Peak(Render(256)), 0.0f) << c.name << " still sounds after it was destroyed";
  }
  EXPECT_TRUE(Engine().Musics().empty());
  EXPECT_EQ(log.CountError("Can't decode music theme.ogg"), 0) << log.Text();
}

TEST_F(SoundEngineBassTest, PauseMusicContinuesWhereItStoppedAndStopMusicSilences) {
  TMusic* music = LoadMusic("ramp.ogg", Encode(Ramp(1, 40000), 1, kRate, libbass::test::kWavFloat));
  ASSERT_NE(music, nullptr);
  Engine().SetMusicVolume(1.0f);
  Engine().PlayMusic(music);
  Render(1000);
  Engine().PauseMusic(music);
  EXPECT_EQ(Peak(Render(500)), 0.0f);
  Engine().PlayMusic(music);
  // Frame 1000 of the ramp comes next (its values run (i % 1000) / 1000).
  const std::vector<float> resumed = Render(2);
  EXPECT_NEAR(resumed[0], 0.0f, 1e-6f);
  EXPECT_NEAR(resumed[2], 0.001f, 1e-6f);
  Engine().StopMusic(music);
  EXPECT_EQ(Peak(Render(500)), 0.0f);
}

class SoundEnginePauseTest : public SoundEngineBassTest {
 protected:
  void SetUp() override {
    Engine().SetMusicVolume(1.0f);
    for (TMusic*& music : musics) {
      music = LoadMusic("m" + std::to_string(&music - musics) + ".xm", TrackerModule(8));
      ASSERT_NE(music, nullptr);
      ASSERT_NE(music->Handle, 0u);
    }
  }
  std::uint32_t State(TMusic* music) { return BASS_ChannelIsActive(static_cast<BassHandle>(music->Handle)); }

  TMusic* musics[3] = {};
};

TEST_F(SoundEnginePauseTest, MusicAskedToPlayDuringThePauseWaitsForItsEnd) {
  Engine().SetPause(true);
  Engine().PlayMusic(musics[0]);
  EXPECT_EQ(State(musics[0]), BASS_ACTIVE_STOPPED);
  EXPECT_EQ(Peak(Render(Frames(0.05))), 0.0f);
  Engine().SetPause(false);
  EXPECT_EQ(State(musics[0]), BASS_ACTIVE_PLAYING);
  EXPECT_GT(Peak(Render(Frames(0.05))), 0.1f);
}

TEST_F(SoundEnginePauseTest, TheEndOfThePauseResumesOnlyWhatWasPlayingAndWhatTheScriptStoppedStaysStopped) {
  Engine().PlayMusic(musics[0]);
  Engine().PlayMusic(musics[1]);
  Engine().PlayMusic(musics[2]);
  Engine().PauseMusic(musics[2]);  // paused by the script before the pause
  Render(Frames(0.05));

  Engine().SetPause(true);
  for (TMusic* music : musics) EXPECT_EQ(State(music), BASS_ACTIVE_PAUSED);
  EXPECT_EQ(Peak(Render(Frames(0.05))), 0.0f);
  Engine().SetPause(true);  // no change, nothing happens
  Engine().StopMusic(musics[1]);  // stopped by the script during the pause

  Engine().SetPause(false);
  EXPECT_EQ(State(musics[0]), BASS_ACTIVE_PLAYING);
  EXPECT_EQ(State(musics[1]), BASS_ACTIVE_STOPPED);
  EXPECT_EQ(State(musics[2]), BASS_ACTIVE_PAUSED);

  // Paused by the script during a pause: stays paused after it too.
  Engine().SetPause(true);
  Engine().PauseMusic(musics[0]);
  Engine().SetPause(false);
  EXPECT_EQ(State(musics[0]), BASS_ACTIVE_PAUSED);
}

TEST_F(SoundEnginePauseTest, SoundsAreNotTouchedByThePause) {
  TSound* sound = LoadSound("tone.wav", Encode(Tone(441, 0.5, kRate, 1, Frames(1)), 1, kRate, libbass::test::kWav16));
  ASSERT_NE(sound, nullptr);
  Engine().PlaySound(sound);
  Engine().SetPause(true);
  EXPECT_EQ(BASS_ChannelIsActive(static_cast<BassHandle>(sound->Channel)), BASS_ACTIVE_PLAYING);
  EXPECT_GT(Peak(Render(Frames(0.05))), 0.1f);
}

TEST_F(SoundEngineBassTest, MusicStartedDuringAPausePlaysAtTheMusicVolumeWhenItEnds) {
  const Bytes tone = Encode(Tone(441, 0.8, kRate, 1, Frames(1)), 1, kRate, libbass::test::kWavFloat);
  Engine().SetMusicVolume(0.25f);  // before the load: the new channel is at full volume
  TMusic* music = LoadMusic("tone.ogg", tone);  // a WAV, streamed for its name
  ASSERT_NE(music, nullptr);
  Engine().SetPause(true);
  Engine().PlayMusic(music);
  Engine().SetPause(false);
  EXPECT_NEAR(Peak(Render(Frames(0.05))), 0.8f * 0.25f, 1e-3f);
}

TEST_F(SoundEngineBassTest, SetMusicVolumeAppliesAndLogsTheVolumeForEachMusic) {
  TMusic* a = LoadMusic("a.xm", TrackerModule(8));
  TMusic* b = LoadMusic("b.xm", TrackerModule(8));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  Engine().SetMusicVolume(1.0f);
  Engine().PlayMusic(a);
  const float full = Peak(Render(Frames(0.1)));
  ASSERT_GT(full, 0.1f);
  log.Clear();
  Engine().SetMusicVolume(0.25f);
  EXPECT_EQ(log.CountInfo("music volume 0.25"), 2) << log.Text();
  Engine().StopMusic(a);
  Engine().PlayMusic(a);
  EXPECT_NEAR(Peak(Render(Frames(0.1))), full / 4, full * 0.02f);
}

TEST_F(SoundEngineBassTest, FreeingTheEngineDestroysWhatIsLeftAndTheOutput) {
  LoadSound("a.wav", ToneWav(0.5, 0.1));
  LoadSound("b.wav", ToneWav(0.5, 0.1));
  TMusic* streamed = LoadMusic("c.ogg", Encode(Tone(330, 0.5, kRate, 2, Frames(0.2)), 2, kRate, libbass::test::kOggVorbis));
  LoadMusic("d.mod", TrackerModule(8));
  ASSERT_NE(streamed, nullptr);
  Engine().PlayMusic(streamed);
  Render(Frames(0.05));
  EXPECT_EQ(Engine().Sounds().size(), 2u);
  EXPECT_EQ(Engine().Musics().size(), 2u);
  FreeEngine();  // under LeakSanitizer: every sample, stream source and module freed
  EXPECT_EQ(log.CountInfo("SoundEngine - BASS - finished"), 1);
}

TEST_F(SoundEngineBassTest, AFileThatIsNotThereLoadsNothingAndSaysSo) {
  EXPECT_EQ(Engine().LoadSound(&files, "nowhere.wav"), nullptr);
  EXPECT_EQ(Engine().LoadMusic(&files, "nowhere.ogg"), nullptr);
  EXPECT_EQ(Engine().LoadMusic(nullptr, "theme.xm"), nullptr);
  EXPECT_TRUE(Engine().Sounds().empty());
  EXPECT_TRUE(Engine().Musics().empty());
  EXPECT_EQ(log.CountError("Can't load sound nowhere.wav: there is no such file"), 1) << log.Text();
  EXPECT_EQ(log.CountError("Can't load music nowhere.ogg: there is no such file"), 1) << log.Text();
  EXPECT_EQ(log.ErrorCount(), 2) << log.Text();
}

}  // namespace
}  // namespace corvane::test
