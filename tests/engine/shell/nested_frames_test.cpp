// Frames run from inside frames (waits in handlers and in code) while
// objects and applets come and go: nothing may touch freed memory.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "base/text/number_text.h"
#include "engine/core/effect.h"
#include "engine/core/event.h"
#include "engine/shell/engine.h"
#include "engine/shell/engine_log.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

using test::TTestWorld;

TEST(NestedFrames, TerminatedAppletsAreFreedOnlyByTheOutermostFrame) {
  TTestWorld world;
  BaseObject* root = world.Load(R"(object root: BaseObject
  onTick = 'terminate; wait 0.3; log after wait'
end
)");
  ASSERT_NE(root, nullptr);
  TWeak<Applet> applet(world.applet);
  world.Platform().SetStep(0.1f);
  world.engine->RunStep();
  // The wait returned as soon as its applet ended; the outer frame then
  // freed the applet, after the handler was done with it.
  EXPECT_FALSE(applet.Get());
  EXPECT_EQ(world.log.CountInfo("after wait"), 1);
}

TEST(NestedFrames, AWaitOfAnObjectFreedDuringItReturns) {
  TTestWorld world;
  BaseObject* root = world.Load(R"(object root: BaseObject
  object waiter: BaseObject
  end
end
)");
  BaseObject* waiter = root->findByName(u"waiter");
  TWeak<BaseObject> alive(waiter);
  world.Platform().Inject([&] { root->deleteChildren(); });
  world.Platform().SetStep(0.1f);
  waiter->Wait(10);
  EXPECT_FALSE(alive.Get());
}

TEST(NestedFrames, ATickThatFreesItselfAndASiblingRunsNoHandlerOnFreedMemory) {
  TTestWorld world;
  BaseObject* root = world.Load(R"(object root: BaseObject
  object a: BaseObject
    onTick = 'log tick a'
  end
  object b: BaseObject
    onTick = 'log tick b'
  end
  object c: BaseObject
    onTick = 'log tick c'
  end
end
)");
  // a's subtree gets a child whose tick frees a and c through a nested frame.
  BaseObject* a = root->findByName(u"a");
  BaseObject* killer = Create<BaseObject>(TCreateContext(a));
  killer->SetOnTick(u"at a call dispose; at c call dispose; wait 1");
  world.Platform().SetStep(0.1f);
  world.applet->ProcessTick(0.1f, 0);
  EXPECT_EQ(root->findByName(u"a"), nullptr);
  EXPECT_EQ(root->findByName(u"c"), nullptr);
  EXPECT_EQ(root->findByName(u"b")->Parent(), root);
}

// A handler that waits in every frame nests frames down to the limit in
// outer frame after outer frame: the limit is said once while that lasts,
// and again only after an outer frame that stayed within it.
TEST(NestedFrames, TheNestingLimitIsSaidOncePerEpisode) {
  TTestWorld world;
  BaseObject* root = world.Load("object root: BaseObject\n  onTick = 'wait 0.3'\nend\n");
  ASSERT_NE(root, nullptr);
  world.Platform().SetStep(1);  // each nested frame ends its wait
  // Said by the engine's own log, as the program says it.
  const auto said = [&] {
    const std::string text = world.engine->LogBook().LogList.Text();
    int n = 0;
    for (std::size_t at = 0; (at = text.find("(e) Frames nested deeper than 32 levels", at)) != std::string::npos; ++at)
      ++n;
    return n;
  };
  for (int frame = 0; frame < 6; ++frame) world.engine->RunStep();
  EXPECT_EQ(said(), 1) << world.engine->LogBook().LogList.Text();
  root->SetOnTick(u"");
  world.engine->RunStep();
  root->SetOnTick(u"wait 0.3");
  for (int frame = 0; frame < 6; ++frame) world.engine->RunStep();
  EXPECT_EQ(said(), 2) << world.engine->LogBook().LogList.Text();
}

// Ten thousand objects whose handlers (each runs once) dispose random
// objects and wait, running nested frames, for a hundred frames.
TEST(NestedFrames, StressRandomDisposalsDuringNestedWaits) {
  TTestWorld world;
  BaseObject* root = world.Load("object root: BaseObject\nend\n");
  std::mt19937 random(7);
  std::vector<BaseObject*> all{root};
  for (int i = 0; i < 10000; ++i) {
    BaseObject* parent = all[random() % all.size()];
    BaseObject* object = Create<BaseObject>(TCreateContext(parent));
    object->SetName(u"o" + IntToStr(i));
    all.push_back(object);
  }
  for (int i = 0; i < 300; ++i) {
    BaseObject* object = all[1 + random() % (all.size() - 1)];
    const std::u16string other = u"o" + IntToStr(static_cast<int>(random() % 10000));
    const std::u16string once = u"set onTick; ";
    switch (random() % 4) {
      case 0: object->SetOnTick(once + u"at " + other + u" call dispose"); break;
      case 1: object->SetOnTick(once + u"at " + other + u" call deleteChildren; wait 0.05"); break;
      case 2: object->SetOnTick(once + u"dispose; wait 0.02"); break;
      default: object->SetOnTick(once + u"at " + other + u" call scheduleDispose 0"); break;
    }
  }
  all.clear();  // from here on only names, never pointers
  world.Platform().SetStep(0.01f);
  TWeak<BaseObject> rootAlive(root);
  for (int frame = 0; frame < 100 && rootAlive.Get(); ++frame) world.engine->RunStep();
  EXPECT_TRUE(rootAlive.Get());
  EXPECT_LT(root->count() + BaseObject::LiveCount(), 20000);
}

}  // namespace
}  // namespace corvane
