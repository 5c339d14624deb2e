// Missions: start, pause and resume, success, failure and restart through
// the scheduler, with their handlers and log lines.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/core/event.h"
#include "engine/core/mission.h"
#include "engine/shell/engine.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

using test::TTestWorld;

const char* kMission = R"(object level: Mission
  onStart = 'log start'
  onSuccess = 'log success'
  onFail = 'log fail'
  onPause = 'log pause'
  onResume = 'log resume'
  onDestroy = 'log destroy'
  onLoading = 'log loading'
  object thing: PositionObject
    onTick = 'log thing ticks'
  end
end
)";

struct MissionWorld {
  TTestWorld world;
  TWeak<Mission> mission;
  MissionWorld() { mission = dynamic_cast<Mission*>(world.Load(kMission)); }
  Event* GetEvent() const { return world.applet->GetEvent(); }
  int Count(const char* line) const { return world.log.CountInfo(line); }
};

TEST(Mission, StartPauseResumeAndSuccess) {
  MissionWorld m;
  Mission* mission = m.mission.Get();
  ASSERT_NE(mission, nullptr) << m.world.log.Text();
  EXPECT_EQ(m.Count("Mission was created"), 1);
  const auto& listeners = m.GetEvent()->Listeners();
  EXPECT_NE(std::find(listeners.begin(), listeners.end(), mission), listeners.end());
  EXPECT_TRUE(mission->MouseAcquire());
  EXPECT_FALSE(mission->Pause());

  mission->start();
  EXPECT_EQ(m.Count("start"), 1);
  EXPECT_EQ(m.Count("Mission was start successful "), 1);
  EXPECT_TRUE(m.GetEvent()->MouseAsquired());
  EXPECT_EQ(m.world.Platform().Acquired(), 1);

  // Pausing releases the mouse; Escape in a paused mission does nothing.
  mission->SetPause(true);
  EXPECT_EQ(m.Count("pause"), 1);
  EXPECT_FALSE(m.GetEvent()->MouseAsquired());
  std::uint16_t escape = 27;
  char16_t ch = 0;
  mission->KeyDown(escape, ch, {});
  EXPECT_EQ(m.Count("pause"), 1);
  mission->SetPause(false);
  EXPECT_EQ(m.Count("resume"), 1);
  EXPECT_TRUE(m.GetEvent()->MouseAsquired());
  // Escape in a running mission pauses it as pause := true does.
  mission->KeyDown(escape, ch, {});
  EXPECT_TRUE(mission->Pause());
  EXPECT_EQ(m.Count("pause"), 2);
  // pauseNoEvent changes the flag and the mouse without handlers.
  mission->SetPauseNoEvent(false);
  EXPECT_EQ(m.Count("resume"), 1);
  EXPECT_TRUE(m.GetEvent()->MouseAsquired());

  mission->success();
  EXPECT_TRUE(mission->IsSuccess());
  EXPECT_FALSE(mission->Visible());
  EXPECT_EQ(m.Count("success"), 0) << "the finish waits for the scheduler";
  m.world.Steps(5);
  EXPECT_FALSE(m.mission.Get());
  EXPECT_EQ(m.Count("success"), 1);
  EXPECT_EQ(m.Count("Mission success "), 1);
  EXPECT_EQ(m.Count("Mission was destroyed"), 1);
  EXPECT_FALSE(m.GetEvent()->MouseAsquired());
  EXPECT_TRUE(m.GetEvent()->Listeners().empty());
}

TEST(Mission, TheLastOfSuccessAndFailWinsAndFinishesOnce) {
  MissionWorld m;
  m.mission->start();
  m.mission->success();
  m.mission->fail();
  EXPECT_EQ(m.GetEvent()->QueueCount(), 1);
  m.world.Steps(5);
  EXPECT_FALSE(m.mission.Get());
  EXPECT_EQ(m.Count("fail"), 1);
  EXPECT_EQ(m.Count("success"), 0);
  EXPECT_EQ(m.Count("Mission fail "), 1);
}

TEST(Mission, APausedMissionStopsItsTicksAndTheClocksOfItsActions) {
  MissionWorld m;
  m.world.Steps(1);
  EXPECT_EQ(m.Count("thing ticks"), 1);
  m.mission->SetPause(true);
  m.mission->success();
  m.world.Steps(10);
  EXPECT_TRUE(m.mission.Get()) << "the finish waits while the mission is paused";
  EXPECT_EQ(m.Count("thing ticks"), 1);
  m.mission->SetPause(false);
  m.world.Steps(5);
  EXPECT_FALSE(m.mission.Get());
  EXPECT_EQ(m.Count("success"), 1);
}

TEST(Mission, DisposeFinishesAsAFailure) {
  MissionWorld m;
  m.mission->start();
  m.mission->dispose();
  EXPECT_EQ(m.Count("destroy"), 1);
  EXPECT_EQ(m.Count("fail"), 0);
  m.world.Steps(5);
  EXPECT_FALSE(m.mission.Get());
  EXPECT_EQ(m.Count("destroy"), 1);
  EXPECT_EQ(m.Count("fail"), 1);
  EXPECT_EQ(m.Count("Mission fail "), 1);
  EXPECT_EQ(m.Count("success"), 0);
}

TEST(Mission, RestartRunsOnFailThenOnStartAndReadsItsFileAgain) {
  MissionWorld m;
  m.mission->start();
  m.mission->restart();
  EXPECT_TRUE(m.mission->Visible()) << "a restart does not hide the mission";
  m.world.Steps(5);
  ASSERT_TRUE(m.mission.Get());
  std::vector<std::string> handlers;
  for (const std::string& line : m.world.log.Lines())
    if (line == "(i) fail" || line == "(i) start") handlers.push_back(line);
  EXPECT_EQ(handlers, (std::vector<std::string>{"(i) start", "(i) fail", "(i) start"}));
  EXPECT_EQ(m.mission->count(), 0) << "an empty fileName restarts with no children";
  EXPECT_FALSE(m.mission->Pause());
  EXPECT_FALSE(m.mission->IsSuccess());
}

TEST(Mission, LoadingReportsAClampedPercentage) {
  struct Case {
    std::int32_t position, total;
    std::uint32_t want;
  };
  const Case cases[] = {{50, 200, 25}, {1, 3, 33}, {200, 200, 100}, {0, 0, 100}, {5, -1, 100},
                        {-5, 100, 0},  {300, 100, 100}};
  MissionWorld m;
  for (const Case& c : cases) {
    m.mission->LoadProgress(c.position, c.total);
    EXPECT_EQ(m.GetEvent()->paramInt, c.want) << c.position << "/" << c.total;
  }
  EXPECT_EQ(m.Count("loading"), static_cast<int>(std::size(cases)));
}

TEST(Mission, AMissionWithoutAnAppletDoesNoHarm) {
  TTestWorld world;
  auto* mission = Create<Mission>();
  EXPECT_EQ(world.log.CountInfo("Mission was created"), 1);
  mission->LoadProgress(1, 2);
  mission->start();
  mission->SetPause(true);
  mission->success();
  mission->restart();
  mission->Free();
  EXPECT_EQ(world.log.CountInfo("Mission was destroyed"), 1);
}

TEST(Mission, AtDesignTimeAFinishFreesSilentlyAndARestartDoesNothing) {
  MissionWorld m;
  m.mission->SetDesignTime(true);
  m.mission->ScheduledMissionRestart();
  EXPECT_TRUE(m.mission.Get());
  EXPECT_EQ(m.Count("fail"), 0);
  Engine->DesignSelectObject(m.mission.Get());
  EXPECT_EQ(m.mission->getDesignSelected(), m.mission.Get());
  m.mission->ScheduledMissionFinish();
  EXPECT_FALSE(m.mission.Get());
  EXPECT_EQ(m.Count("fail"), 0);
  EXPECT_EQ(m.Count("Mission fail "), 0);
  EXPECT_EQ(Engine->DesignSelected(), nullptr);
}

}  // namespace
}  // namespace corvane
