// Scripts that never return are stopped once no frame has begun for the
// limit, and reported with where they were; scripts that run frames go on.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <jsapi.h>

#include "engine/core/engine_services.h"
#include "script/js/js_watchdog.h"
#include "tests/script/js/js_world.h"

namespace corvane {
namespace {

using test::TJsWorld;
using Lines = std::vector<std::string>;

class JsWatchdogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = js::ScriptTimeLimit();
    js::SetScriptTimeLimit(0.5);
  }
  void TearDown() override { js::SetScriptTimeLimit(previous_); }

 private:
  double previous_ = 10;
};

TEST_F(JsWatchdogTest, EndlessLoopsInATickAreStoppedAndTheNextFrameTicks) {
  for (const char* loop : {"while(true){}", "try{for(;;){}}catch(e){}"}) {
    TJsWorld world;
    const std::string handler = std::string("ticks = (typeof ticks == \"number\" ? ticks : 0) + 1; if (ticks == 1) {") +
                                loop + "}";
    ASSERT_NE(world.Start("object Game: Applet\n  onTick = '" + handler + "'\nend\n"), nullptr);
    const std::size_t mark = world.Mark();
    world.Steps(2);
    EXPECT_EQ(world.Js()->GetVarValue(u"ticks"), u"2") << loop;
    const Lines errors = world.ErrorsSince(mark);
    ASSERT_EQ(errors.size(), 1u) << loop;
    EXPECT_EQ(errors[0].rfind("(0:", 0), 0u) << errors[0];
    EXPECT_NE(errors[0].find(") script stopped: no frame for 0.5 s"), std::string::npos) << errors[0];
  }
}

TEST_F(JsWatchdogTest, TheStopNamesTheFileAndLine) {
  TJsWorld world;
  ASSERT_NE(world.Start(), nullptr);
  world.Put("spin.js", "function spin() {\n  for (;;) {}\n}\n");
  TScript* script = world.Js()->LoadScript(world.Live()->ResMan(), u"spin.js");
  ASSERT_NE(script, nullptr);
  const std::size_t mark = world.Mark();
  EXPECT_FALSE(world.Js()->CallScript(u"spin()"));
  script->Free();
  const Lines errors = world.ErrorsSince(mark);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind("spin.js(", 0), 0u) << errors[0];
}

// A wait of a script: one engine frame after a pause, as sleep and modal
// loops run them.
bool RunFrame(JSContext*, unsigned argc, JS::Value* vp) {
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  if (TEngineServices* engine = RunningEngine()) engine->RunStep();
  JS::CallArgsFromVp(argc, vp).rval().setUndefined();
  return true;
}

TEST_F(JsWatchdogTest, ScriptsThatRunFramesGoOnAndTheGuardCanBeOff) {
  TJsWorld world;
  ASSERT_NE(world.Start(), nullptr);
  TJavaScriptEngine* js = world.Js();
  {
    JSAutoRealm realm(js->Context(), js->GlobalObject());
    JS::RootedObject global(js->Context(), js->GlobalObject());
    ASSERT_NE(JS_DefineFunction(js->Context(), global, "runFrame", RunFrame, 0, 0), nullptr);
  }
  const std::size_t mark = world.Mark();
  // Three limits long, with a frame every 40 ms.
  EXPECT_TRUE(js->CallScript(u"var t0 = Date.now(); while (Date.now() - t0 < 1500) runFrame(); done = 1"));
  EXPECT_EQ(js->GetVarValue(u"done"), u"1");
  EXPECT_EQ(world.ErrorsSince(mark), Lines{});

  js::SetScriptTimeLimit(0);
  EXPECT_TRUE(js->CallScript(u"var t1 = Date.now(); while (Date.now() - t1 < 800) {} off = 1"));
  EXPECT_EQ(js->GetVarValue(u"off"), u"1");
  EXPECT_EQ(world.ErrorsSince(mark), Lines{});
}

}  // namespace
}  // namespace corvane
