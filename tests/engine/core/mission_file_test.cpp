// Missions read from their object files: loading reports its progress, a
// restart reads the file into the mission again, and manipulator classes in
// a file are not found (their records become Dummy objects).
#include <gtest/gtest.h>

#include "engine/core/dummy.h"
#include "engine/core/event.h"
#include "engine/core/mission.h"
#include "engine/core/object_loader.h"
#include "engine/core/position_object.h"
#include "tests/resources/resource_helpers.h"

namespace corvane {
namespace {

const char* kLevel = R"(object level: Mission
  onLoading = 'log loading'
  onStart = 'log start'
  onFail = 'log fail'
  object crate: PositionObject
    x = 3
  end
end
)";

TEST(MissionFile, LoadingEndsAtOneHundredPercent) {
  test::TFolderWorld f;
  f.Write("level.object", kLevel);
  BaseObject* loaded = LoadObject(f.man.get(), u"level.object", f.world->applet);
  ASSERT_NE(dynamic_cast<Mission*>(loaded), nullptr) << f.Log().Text();
  EXPECT_GE(f.Log().CountInfo("loading"), 1);
  EXPECT_EQ(f.world->applet->GetEvent()->paramInt, 100u);
}

TEST(MissionFile, ARestartReadsTheMissionsFileAgain) {
  test::TFolderWorld f;
  f.Write("level.object", kLevel);
  auto* mission = dynamic_cast<Mission*>(f.world->Load("object m: Mission\n  fileName = 'level.object'\nend\n"));
  ASSERT_NE(mission, nullptr) << f.Log().Text();
  auto* crate = dynamic_cast<PositionObject*>(mission->findByName(u"crate"));
  ASSERT_NE(crate, nullptr) << f.Log().Text();
  crate->SetX(50);
  mission->start();
  mission->restart();
  f.world->Steps(5);
  auto* fresh = dynamic_cast<PositionObject*>(mission->findByName(u"crate"));
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->X(), 3);
  EXPECT_EQ(mission->count(), 1);
  EXPECT_FALSE(mission->Pause());
  EXPECT_EQ(f.Log().CountInfo("fail"), 1);
}

TEST(MissionFile, ManipulatorsInAFileBecomeDummies) {
  test::TFolderWorld f;
  f.Write("odd.object", "object g: Gizmo\n  object s: ScreenGizmo\n  end\nend\n");
  BaseObject* loaded = LoadObject(f.man.get(), u"odd.object", f.world->applet);
  EXPECT_NE(dynamic_cast<Dummy*>(loaded), nullptr) << f.Log().Text();
  EXPECT_EQ(loaded ? loaded->ClassName() : "", "Dummy");
}

}  // namespace
}  // namespace corvane
