// Loading the library by name: every name looked up, the seventeen the
// engine calls required; one load and one output for any number of engines.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/bass/bass_binding.h"
#include "tests/platform_bass/bass_engine_kit.h"

namespace corvane::test {
namespace {

TEST(BassBinding, LoadsTheLibraryByNameWithTheCalledEntryPointsAndTheOthersNil) {
  std::set<std::string> names(kBassEntryPointNames, kBassEntryPointNames + kBassEntryPointCount);
  EXPECT_EQ(names.size(), kBassEntryPointCount) << "no name twice";

  ASSERT_TRUE(Load_BASSDLL("bass"));
  EXPECT_NE(BASS_Handle, 0u);
  std::size_t found = 0;
  for (std::size_t i = 0; i < kBassEntryPointCount; ++i)
    if (BassEntryPoint(i)) ++found;
  EXPECT_EQ(found, 18u) << "the seventeen and the reverb";
#define EXPECT_BOUND(name, type) EXPECT_NE(name, nullptr) << #name;
  BASS_API_ENTRY_POINTS(EXPECT_BOUND)
#undef EXPECT_BOUND
  EXPECT_EQ(BassEntryPoint(1), nullptr) << kBassEntryPointNames[1];

  Unload_BASSDLL();
  EXPECT_EQ(BASS_Handle, 0u);
  EXPECT_EQ(BASS_Init, nullptr);
  EXPECT_EQ(BassEntryPoint(5), nullptr);
  Unload_BASSDLL();  // twice is harmless
}

TEST(BassBinding, AMissingLibraryOrOneLackingACalledEntryPointIsNotLoaded) {
  EXPECT_FALSE(Load_BASSDLL("bass_nowhere"));
  EXPECT_EQ(BASS_Handle, 0u);
  EXPECT_FALSE(Load_BASSDLL("bass_lacking"));
  EXPECT_EQ(BASS_Handle, 0u);
  EXPECT_EQ(BASS_Init, nullptr) << "nothing of it stays bound";
}

// The presets map onto the reverb call, seen here through a stand-in for
// it; our library's own refuses, having no reverb.
std::vector<std::string> gReverbCalls;

BassBool RecordReverb(std::int32_t environment, float volume, float decay, float damping) {
  std::ostringstream call;
  call << environment << " " << volume << " " << decay << " " << damping;
  gReverbCalls.push_back(call.str());
  return BASS_TRUE;
}

TEST(BassBinding, ReverbPresetsMapOntoTheReverbCall) {
  EXPECT_EQ(BASS_SetEAXPreset(0), BASS_FALSE) << "not loaded";
  ASSERT_TRUE(Load_BASSDLL("bass"));
  ASSERT_NE(BASS_SetEAXParameters, nullptr);
  EXPECT_EQ(BASS_SetEAXPreset(0), BASS_FALSE) << "no reverb in our mix";

  BassSetEAXParametersFunc* library = BASS_SetEAXParameters;
  BASS_SetEAXParameters = &RecordReverb;
  for (std::int32_t preset : {0, 8, 25}) EXPECT_EQ(BASS_SetEAXPreset(preset), BASS_TRUE) << preset;
  for (std::int32_t preset : {-1, 26}) EXPECT_EQ(BASS_SetEAXPreset(preset), BASS_FALSE) << preset;
  EXPECT_EQ(gReverbCalls, (std::vector<std::string>{"0 0.5 1.493 0.5", "8 0.5 2.886 1.304", "25 0.486 7.563 0.806"}));
  BASS_SetEAXParameters = library;
  Unload_BASSDLL();
  EXPECT_EQ(BASS_SetEAXParameters, nullptr);
}

class BassEngineWithoutLibrary : public BassEngineTest, public ::testing::WithParamInterface<const char*> {
 protected:
  BassEngineWithoutLibrary() : BassEngineTest(GetParam(), BASS_DEVICE_MANUAL) {}
};

TEST_P(BassEngineWithoutLibrary, SaysCantLoadBassOnceAndStaysSilent) {
  TSoundEngineBass& engine = Engine();
  EXPECT_FALSE(engine.Enabled());
  EXPECT_EQ(log.CountError("Can't load Bass"), 1) << log.Text();
  EXPECT_FALSE(log.Contains("BASS - create"));
  // A later engine, while the first lives, does not try again.
  TOwned<TSoundEngineBass> second(Create<TSoundEngineBass>());
  EXPECT_FALSE(second->Enabled());
  EXPECT_EQ(log.CountError("Can't load Bass"), 1);

  EXPECT_EQ(LoadSound("shot.wav", libbass::test::Encode(libbass::test::Tone(440, 0.5, kRate, 1, 441), 1, kRate,
                                                        libbass::test::kWav16)),
            nullptr);
  EXPECT_EQ(LoadMusic("theme.xm", {1, 2, 3}), nullptr);
  engine.PlaySound(nullptr);
  engine.SetPause(true);
  engine.SetSoundVolume(0.75f);
  EXPECT_EQ(engine.SoundVolume(), 0.75f) << "the volumes are still kept";
  second.reset();
  FreeEngine();
  EXPECT_FALSE(log.Contains("finished"));
}

INSTANTIATE_TEST_SUITE_P(MissingOrLacking, BassEngineWithoutLibrary, ::testing::Values("bass_nowhere", "bass_lacking"));

TEST_F(BassEngineTest, TwoEnginesOpenTheOutputOnceAndTheLastOneFreesIt) {
  TSoundEngineBass& first = Engine();
  TOwned<TSoundEngineBass> second(Create<TSoundEngineBass>());
  EXPECT_TRUE(first.Enabled());
  EXPECT_TRUE(second->Enabled());
  EXPECT_EQ(log.CountInfo("Soun1dEngine - BASS - create"), 1) << log.Text();
  EXPECT_EQ(log.CountError("BASS: Error initializing audio!"), 0);

  FreeEngine();
  EXPECT_EQ(log.CountInfo("SoundEngine - BASS - finished"), 0);
  EXPECT_NE(BASS_Handle, 0u) << "the second engine still plays";
  second.reset();
  EXPECT_EQ(log.CountInfo("SoundEngine - BASS - finished"), 1);
  EXPECT_EQ(BASS_Handle, 0u);

  // A new first engine loads and opens it all again.
  TOwned<TSoundEngineBass> third(Create<TSoundEngineBass>());
  EXPECT_TRUE(third->Enabled());
  EXPECT_EQ(log.CountInfo("Soun1dEngine - BASS - create"), 2);
}

}  // namespace
}  // namespace corvane::test
