// Tracker modules from memory: looping on, ending when not asked to loop,
// restarting.
#include <gtest/gtest.h>

#include <vector>

#include "tests/libs/bass/kit/tracker_module.h"
#include "tests/libs/bass/manual_mix.h"

namespace libbass::test {
namespace {

class LibBassModule : public ManualMix {};

TEST_F(LibBassModule, ALoopingModulePlaysOnAndAnotherEndsStopped) {
  const int rows = 4;
  const auto length = static_cast<std::size_t>(TrackerModuleSeconds(rows) * kRate);
  const BassHandle looping = Music(TrackerModule(rows), BASS_MUSIC_LOOP);
  const BassHandle once = Music(TrackerModule(rows), 0);
  ASSERT_NE(looping, 0u);
  ASSERT_NE(once, 0u);

  lib.BASS_ChannelPlay(looping, BASS_FALSE);
  std::vector<float> mix = Render(4 * length);
  EXPECT_GT(Peak(mix, 0, length), 0.05f);
  EXPECT_GT(Peak(mix, 3 * length), 0.05f) << "not silent after three lengths";
  EXPECT_EQ(lib.BASS_ChannelIsActive(looping), BASS_ACTIVE_PLAYING);
  lib.BASS_ChannelStop(looping);

  // libopenmpt lets the last tick ring on for a tenth of a second.
  const std::size_t tail = kRate / 10;
  lib.BASS_ChannelPlay(once, BASS_FALSE);
  mix = Render(length + 3 * tail);
  EXPECT_GT(Peak(mix, 0, length), 0.05f);
  EXPECT_EQ(Peak(mix, length + 2 * tail), 0.0f);
  EXPECT_EQ(lib.BASS_ChannelIsActive(once), BASS_ACTIVE_STOPPED);

  // Played again, the ended module starts over.
  lib.BASS_ChannelPlay(once, BASS_FALSE);
  EXPECT_GT(Peak(Render(length)), 0.05f);
  EXPECT_TRUE(lib.BASS_MusicFree(once));
  EXPECT_TRUE(lib.BASS_MusicFree(looping));
}

TEST_F(LibBassModule, AModuleFollowsItsVolume) {
  const BassHandle music = Music(TrackerModule(64), BASS_MUSIC_LOOP);
  lib.BASS_ChannelPlay(music, BASS_FALSE);
  const std::vector<float> full = Render(4410);
  lib.BASS_ChannelSetAttributes(music, -1, 50, -101);
  lib.BASS_ChannelPlay(music, BASS_TRUE);
  const std::vector<float> half = Render(4410);
  // The same frames again after the restart, at half the gain.
  for (std::size_t i = 0; i < full.size(); ++i) ASSERT_NEAR(half[i], full[i] / 2, 1e-3) << i;
  lib.BASS_ChannelSetAttributes(music, -1, 0, -101);
  EXPECT_EQ(Peak(Render(4410)), 0.0f);
}

}  // namespace
}  // namespace libbass::test
