// The engine as an applet gets it: made by the cache on the first music,
// following the applet's pause, freed with the applet.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/reflection/class_info.h"
#include "base/reflection/variant.h"
#include "platform/bass/bass_binding.h"
#include "engine/shell/applet.h"
#include "engine/shell/engine.h"
#include "engine/shell/preferences.h"
#include "resources/cache/cache.h"
#include "scene/media_effects.h"
#include "tests/libs/bass/kit/sound_media.h"
#include "tests/libs/bass/kit/tracker_module.h"
#include "tests/platform_bass/bass_engine_kit.h"
#include "tests/support/kit/applet_world.h"
#include "tests/support/kit/test_world.h"

namespace corvane::test {
namespace {

// The engine on the library's manual output; a second of tone at 0.5.
class AppletSound : public ::testing::Test {
 protected:
  AppletSound() {
    files.Put("shot.wav", libbass::test::Encode(libbass::test::Tone(440, 0.5, 44100, 1, 44100), 1, 44100,
                                                libbass::test::kWav16));
  }
  TBassEngineSetting manual{"bass", BASS_DEVICE_MANUAL};
  TBytesResMan files;
};

TEST_F(AppletSound, TheCacheMakesTheBassEngineWhichFollowsTheAppletsPauseAndGoesWithTheApplet) {
  files.Put("song.xm", libbass::test::TrackerModule(8));
  int finished = 0;
  {
    TTestWorld world;
    SoundEngineClass = TSoundEngineBass::StaticClass();
    TCache& cache = *world.applet->Cache();
    TMusic* music = cache.LoadMusic(&files, u"song.xm");
    ASSERT_NE(music, nullptr);
    auto* engine = dynamic_cast<TSoundEngineBass*>(world.applet->SoundEngine());
    ASSERT_NE(engine, nullptr);
    EXPECT_TRUE(engine->Enabled());
    EXPECT_EQ(engine->Owner(), world.applet);

    world.applet->SetPause(true);
    engine->PlayMusic(music);
    EXPECT_EQ(PeakOf(RenderManual(2048)), 0.0f);
    world.applet->SetPause(false);
    EXPECT_GT(PeakOf(RenderManual(4410)), 0.05f);

    TSound* shot = cache.LoadSound(&files, u"shot.wav");
    ASSERT_NE(shot, nullptr);
    engine->PlaySound(shot);
    EXPECT_EQ(BASS_ChannelIsActive(static_cast<BassHandle>(shot->Channel)), BASS_ACTIVE_PLAYING);
    cache.FreeSound(shot);
    EXPECT_EQ(world.log.CountInfo("SoundEngine - BASS - finished"), 0);
    SoundEngineClass = nullptr;
    world.applet->Free();
    world.applet = nullptr;
    finished = world.log.CountInfo("SoundEngine - BASS - finished");
  }
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(BASS_Handle, 0u);
}

TEST_F(AppletSound, ASoundEffectIsHeardWhileItRuns) {
  TTestWorld world;
  world.applet->SetResMan(&files);
  SoundEngineClass = TSoundEngineBass::StaticClass();
  auto* effect = Create<SoundEffect>(TCreateContext(world.applet));
  effect->SetFileName("shot.wav");
  ASSERT_NE(effect->Sound(), nullptr) << world.log.Text();
  EXPECT_EQ(PeakOf(RenderManual(2048)), 0.0f);
  effect->SetRunning(true);
  // The tone's 0.5 at the default sound volume of 0.5.
  EXPECT_NEAR(PeakOf(RenderManual(4410)), 0.25f, 0.01f);
  effect->SetRunning(false);
  EXPECT_EQ(PeakOf(RenderManual(2048)), 0.0f);
  effect->Free();
  SoundEngineClass = nullptr;
}

TEST_F(AppletSound, AnAppletWhosePreferencesHoldTheVolumesStartsTheBassEngineWithThem) {
  TAppletWorld world;
  Applet* first = world.Launch("object Game: Applet\nend\n");
  ASSERT_NE(first, nullptr);
  first->GetPreferences()->SetValue(u"soundvolume", u"0.75");
  first->GetPreferences()->SetValue(u"musicvolume", u"0.25");
  world.FreeApplet();

  SoundEngineClass = TSoundEngineBass::StaticClass();
  const std::size_t mark = world.Mark();
  Applet* applet = world.engine->RunApplet(world.PathOf("main.object"));
  ASSERT_NE(applet, nullptr) << world.Text();
  auto* engine = dynamic_cast<TSoundEngineBass*>(applet->SoundEngine());
  ASSERT_NE(engine, nullptr);
  EXPECT_TRUE(engine->Enabled());
  EXPECT_FLOAT_EQ(engine->SoundVolume(), 0.75f);
  EXPECT_FLOAT_EQ(engine->MusicVolume(), 0.25f);
  EXPECT_EQ(world.CountInfo("Soun1dEngine - BASS - create"), 1) << world.Text();
  applet->Free();
  SoundEngineClass = nullptr;
  std::vector<std::string> since = world.MessagesSince(mark);
  EXPECT_EQ(std::count(since.begin(), since.end(), "(i) SoundEngine - BASS - finished"), 1);
  EXPECT_EQ(BASS_Handle, 0u);
}

// Mended: by name (as scripts call them) DestroySound and DestroyMusic free
// only what was loaded by name; the cache's, which players and effects
// hold, are refused with a line and stay whole.
TEST_F(AppletSound, ByNameOnlyWhatWasLoadedByNameIsDestroyed) {
  files.Put("song.xm", libbass::test::TrackerModule(8));
  TTestWorld world;
  SoundEngineClass = TSoundEngineBass::StaticClass();
  TCache& cache = *world.applet->Cache();
  TSound* held = cache.LoadSound(&files, u"shot.wav");
  TMusic* music = cache.LoadMusic(&files, u"song.xm");
  ASSERT_NE(held, nullptr);
  ASSERT_NE(music, nullptr);
  TSoundEngine& engine = *world.applet->SoundEngine();
  const TClass cls = engine.ClassType();
  const auto call = [&](const char* method, std::vector<Variant> arguments) {
    return cls->FindMethod(method)->Invoke(engine, arguments);
  };
  call("DestroySound", {Variant(static_cast<TObject*>(held))});
  call("DestroyMusic", {Variant(static_cast<TObject*>(music))});
  EXPECT_EQ(world.log.CountError("Can't destroy sound: the engine holds it"), 1);
  EXPECT_EQ(world.log.CountError("Can't destroy music: the engine holds it"), 1);
  EXPECT_EQ(engine.Sounds(), std::vector<TSound*>{held});
  EXPECT_EQ(engine.Musics(), std::vector<TMusic*>{music});

  TObject* own = call("LoadSound", {Variant(static_cast<TObject*>(&files)), Variant(u"shot.wav")}).AsObject();
  ASSERT_NE(dynamic_cast<TSound*>(own), nullptr);
  call("DestroySound", {Variant(own)});
  EXPECT_EQ(engine.Sounds(), std::vector<TSound*>{held});
  cache.FreeSound(held);
  cache.FreeMusic(music);
}

}  // namespace
}  // namespace corvane::test
