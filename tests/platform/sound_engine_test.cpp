#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/reflection/prop_access.h"
#include "base/reflection/variant.h"
#include "platform/sound_engine.h"
#include "tests/support/kit/test_sound_engine.h"

namespace corvane {
namespace {

class SoundEngineTest : public ::testing::Test {
 protected:
  SoundEngineTest() { test::TTestSoundEngine::Journal().clear(); }
  std::vector<std::string>& Journal() { return test::TTestSoundEngine::Journal(); }
};

TEST_F(SoundEngineTest, AFreshEngineSetsItsVolumesThroughTheImplementation) {
  TOwned<TSoundEngine> engine(Create<test::TTestSoundEngine>());
  EXPECT_EQ(engine->SoundVolume(), 0.5f);
  EXPECT_EQ(engine->MusicVolume(), 0.3f);
  EXPECT_FALSE(engine->Pause());
  EXPECT_EQ(Journal(), (std::vector<std::string>{"sound volume 0.5", "music volume 0.3"}));

  // Scripts and streams reach them by name.
  SetPropValue(*engine, "soundVolume", Variant(0.25));
  SetPropValue(*engine, "pause", Variant(true));
  EXPECT_EQ(engine->SoundVolume(), 0.25f);
  EXPECT_TRUE(engine->Pause());
  EXPECT_EQ(Journal().back(), "pause on");
}

TEST_F(SoundEngineTest, LoadedSoundsAndMusicAreListedAndDestroyedOnce) {
  auto* engine = Create<test::TTestSoundEngine>();
  TSound* a = engine->LoadSound(nullptr, "a.wav");
  TSound* b = engine->LoadSound(nullptr, "b.wav");
  EXPECT_EQ(engine->LoadSound(nullptr, "missing.wav"), nullptr);
  TMusic* m1 = engine->LoadMusic(nullptr, "m1.ogg");
  engine->LoadMusic(nullptr, "m2.ogg");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(m1, nullptr);
  EXPECT_EQ(engine->Sounds(), (std::vector<TSound*>{a, b}));
  EXPECT_EQ(engine->Musics().size(), 2u);

  engine->DestroySound(a);
  EXPECT_EQ(a, nullptr);
  EXPECT_EQ(engine->Sounds(), std::vector<TSound*>{b});
  Journal().clear();
  engine->Free();  // the rest: sounds first, each list last to first
  EXPECT_EQ(Journal(), (std::vector<std::string>{"close sound b.wav", "close music m2.ogg", "close music m1.ogg"}));
}

}  // namespace
}  // namespace corvane
