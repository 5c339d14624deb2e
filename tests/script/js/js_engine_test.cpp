// The JavaScript engine of an applet: handlers evaluated in its global,
// errors in the log with file, line and column, constants, global values,
// several engines on the one context.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/shell/engine.h"
#include "engine/shell/engine_log.h"
#include "script/js/js_context.h"
#include "scene/register.h"
#include "script/js/register.h"
#include "tests/script/js/js_world.h"
#include "tests/support/process_probes.h"

namespace corvane {
namespace {

using test::TJsWorld;
using Lines = std::vector<std::string>;

class JsEngineTest : public ::testing::Test {
 protected:
  // A bare applet's engine.
  TJavaScriptEngine* Bare() {
    EXPECT_NE(world.Start(), nullptr);
    return world.Js();
  }

  TJsWorld world;
};

TEST_F(JsEngineTest, HandlersRunInTheGlobalAndReportTheirErrors) {
  TJavaScriptEngine* js = Bare();
  ASSERT_NE(js, nullptr);

  EXPECT_TRUE(js->CallScript(u""));
  std::size_t mark = world.Mark();
  EXPECT_FALSE(js->CallScript(u"x = 1; undefinedFn()"));
  EXPECT_EQ(world.ErrorsSince(mark), Lines{"(0:7) undefinedFn is not defined \"\""});
  // The statement before the error ran, and the next handler runs.
  EXPECT_TRUE(js->CallScript(u"y = x + 1"));
  EXPECT_EQ(js->GetVarValue(u"y"), u"2");

  // A handler's syntax error quotes its line; a later line counts from 0.
  mark = world.Mark();
  EXPECT_FALSE(js->CallScript(u"a = 1;\nb = ;"));
  EXPECT_EQ(world.ErrorsSince(mark), Lines{"(1:4) expected expression, got ';' \"b = ;\""});

  // A thrown value that is no error object.
  mark = world.Mark();
  EXPECT_FALSE(js->CallScript(u"throw 5"));
  EXPECT_EQ(world.ErrorsSince(mark), Lines{"(0:0) uncaught exception: 5 \"\""});

  // Endless recursion is an error like any other.
  mark = world.Mark();
  EXPECT_FALSE(js->CallScript(u"function f(){f()} f()"));
  const Lines errors = world.ErrorsSince(mark);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("too much recursion"), std::string::npos) << errors[0];
  EXPECT_TRUE(js->CallScript(u"z = 3"));
}

TEST_F(JsEngineTest, ConstantsKeepAllThirtyTwoBits) {
  TJavaScriptEngine* js = Bare();
  ASSERT_NE(js, nullptr);
  // The applet published the key constants.
  EXPECT_EQ(js->GetVarValue(u"VK_LEFT"), u"37");
  js->RegisterConst(u"BIG", 0xFFFFFFFFu);
  EXPECT_EQ(js->GetVarValue(u"BIG"), u"4294967295");
  js->RegisterConst(u"HIGH", 0x80000000u);
  EXPECT_TRUE(js->CallScript(u"if (HIGH <= 0) throw 'sign'"));
  EXPECT_TRUE(js->CallScript(u"n = 0; n = Object.keys(this).length"));
  const std::u16string before = js->GetVarValue(u"n");
  js->RegisterConst(u"", 1);
  EXPECT_TRUE(js->CallScript(u"n = Object.keys(this).length"));
  EXPECT_EQ(js->GetVarValue(u"n"), before);
  EXPECT_EQ(js->GetVarValue(u""), u"");
}

TEST_F(JsEngineTest, GlobalValuesAsText) {
  TJavaScriptEngine* js = Bare();
  ASSERT_NE(js, nullptr);
  ASSERT_TRUE(js->CallScript(u"s = 'Grüße'; f = 1.5; o = {toString() { return 'me'; }}"));
  EXPECT_EQ(js->GetVarValue(u"s"), u"Grüße");
  EXPECT_EQ(js->GetVarValue(u"f"), u"1.5");
  EXPECT_EQ(js->GetVarValue(u"o"), u"me");
  EXPECT_EQ(js->GetVarValue(u"missing"), u"");
  // The engine's globals are wrapped objects; classes are named globals.
  EXPECT_EQ(js->GetVarValue(u"applet"), u"[object Object]");
  EXPECT_EQ(js->GetVarValue(u"Applet"), u"[object Object]");
  // A value whose conversion throws gives nothing, and says why.
  ASSERT_TRUE(js->CallScript(u"bad = {toString() { throw new Error('no text'); }}"));
  const std::size_t mark = world.Mark();
  EXPECT_EQ(js->GetVarValue(u"bad"), u"");
  EXPECT_EQ(world.ErrorsSince(mark), Lines{"(0:26) no text \"\""});
}

TEST_F(JsEngineTest, EnginesKeepTheirGlobalsApartAndShareOneContext) {
  Applet* applet = world.Start();
  ASSERT_NE(applet, nullptr);
  auto* first = Create<TJavaScriptEngine>(TCreateContext(applet));
  auto* second = Create<TJavaScriptEngine>(TCreateContext(applet));
  ASSERT_NE(first->Context(), nullptr);
  EXPECT_EQ(first->Context(), second->Context());
  EXPECT_NE(first->GlobalObject(), second->GlobalObject());
  EXPECT_TRUE(first->CallScript(u"only = 'first'"));
  EXPECT_EQ(first->GetVarValue(u"only"), u"first");
  EXPECT_EQ(second->GetVarValue(u"only"), u"");
  EXPECT_FALSE(second->CallScript(u"only.length"));
  first->Free();
  second->Free();
  // The applet's own engine still runs; after every engine has gone a new
  // one makes the context again.
  EXPECT_TRUE(world.Js()->CallScript(u"q = 1"));
  world.FreeApplet();
  EXPECT_EQ(js::SharedContext(), nullptr);
  auto* third = Create<TJavaScriptEngine>(TCreateContext());
  EXPECT_TRUE(third->CallScript(u"r = 2 * 21"));
  EXPECT_EQ(third->GetVarValue(u"r"), u"42");
  third->Free();
}

// The heap's cap (the program's -scriptheap, set here before the context
// is made): a handler that would pass it fails with "out of memory" having
// taken no more than about the cap, and the next handler runs.
TEST(JsHeapCapTest, AHandlerPastTheCapFailsAndTheNextRuns) {
  const std::uint64_t previous = ScriptHeapLimit();
  SetScriptHeapLimit(std::uint64_t{32} << 20);
  {
    TJsWorld world;
    ASSERT_NE(world.Start(), nullptr);
    TJavaScriptEngine* js = world.Js();
    const std::size_t peak = test::PeakResidentBytes();
    const std::size_t mark = world.Mark();
    // About a gigabyte of live arrays, were there no cap.
    EXPECT_FALSE(js->CallScript(u"(function () { var a = []; for (var i = 0; i < 20000000; ++i) a.push([i]); })()"));
    const Lines errors = world.ErrorsSince(mark);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("out of memory"), std::string::npos) << errors[0];
    EXPECT_LT(test::PeakResidentBytes() - peak, std::size_t{256} << 20);
    EXPECT_TRUE(js->CallScript(u"after = [1, 2, 3].map(function (x) { return 2 * x; }).join()"));
    EXPECT_EQ(js->GetVarValue(u"after"), u"2,4,6");
  }
  SetScriptHeapLimit(previous);
}

TEST(JsEngineRegistration, MakesItTheScriptEngine) {
  const TClass previous = ScriptEngineClass;
  RegisterJavaScriptEngine();
  EXPECT_EQ(ScriptEngineClass, TJavaScriptEngine::StaticClass());
  EXPECT_EQ(RegisteredScriptEngine(".JS"), TJavaScriptEngine::StaticClass());
  EXPECT_EQ(RegisteredScriptEngine(".lua"), nullptr);
  ScriptEngineClass = previous;
}

TEST_F(JsEngineTest, TheAppletsScriptLifecycle) {
  world.Put("main.js", "var loaded = 1;\nfunction started() { loadedRuns = loaded + 1; }\n");
  Applet* applet = world.Start(
      "object Game: Applet\n  onLoad = 'started()'\n  onTick = 'ticks = (typeof ticks == \"number\" ? ticks : 0) + 1'\nend\n");
  ASSERT_NE(applet, nullptr);
  EXPECT_EQ(world.CountInfo("main.js was compiled successful"), 1);
  EXPECT_TRUE(world.Exists("main.jsbin"));
  EXPECT_EQ(world.Js()->GetVarValue(u"loadedRuns"), u"2");
  world.Steps(3);
  EXPECT_EQ(world.Js()->GetVarValue(u"ticks"), u"3");
  EXPECT_EQ(world.Js()->GetVarValue(u"Game"), u"[object Object]");
  world.FreeApplet();
  EXPECT_EQ(world.CountInfo("Mozzila Spider Monkey scripting engine finished TJavaScriptEngine"), 1);
}


TEST_F(JsEngineTest, ATimersHandlerRunsInJavaScript) {
  RegisterSceneClasses();
  Applet* applet = world.Start(
      "object Game: Applet\n"
      "  object clock: Timer\n"
      "    interval = 0.25\n"
      "    onTimer = 'fired = (typeof fired == \"number\" ? fired : 0) + 1'\n"
      "    enabled = True\n"
      "  end\n"
      "end\n");
  ASSERT_NE(applet, nullptr);
  EXPECT_EQ(world.Js()->GetVarValue(u"fired"), u"1") << "enabled while loading: fired at once";
  world.Steps(10, 0.1f);
  const std::int32_t fired = StrToInt(world.Js()->GetVarValue(u"fired"));
  EXPECT_GE(fired, 3);
  EXPECT_LE(fired, 6);
}

TEST_F(JsEngineTest, TwoAppletsKeepTheirGlobalsApart) {
  world.Put("main.js", "var who = 'first';");
  Applet* first = world.Start();
  ASSERT_NE(first, nullptr);
  std::filesystem::create_directory(world.PathOf("second"));
  world.Put("second/main.object", "object Other: Applet\nend\n");
  world.Put("second/main.js", "var who = 'second'; var onlySecond = 1;");
  TWeak<Applet> second(world.engine->RunApplet(world.PathOf("second/main.object")));
  ASSERT_NE(second.Get(), nullptr);
  auto* firstJs = dynamic_cast<TJavaScriptEngine*>(first->ScriptEngine());
  auto* secondJs = dynamic_cast<TJavaScriptEngine*>(second->ScriptEngine());
  ASSERT_NE(firstJs, nullptr);
  ASSERT_NE(secondJs, nullptr);
  EXPECT_EQ(firstJs->GetVarValue(u"who"), u"first");
  EXPECT_EQ(secondJs->GetVarValue(u"who"), u"second");
  EXPECT_EQ(firstJs->GetVarValue(u"onlySecond"), u"");
  world.Steps(2);
  second->Free();
  world.FreeApplet();
  EXPECT_EQ(js::SharedContext(), nullptr);
}


TEST_F(JsEngineTest, OneCollectionPerEngineFrameShownOnTheBoard) {
  Applet* first = world.Start("object Game: Applet\n  debugInfo = True\nend\n");
  ASSERT_NE(first, nullptr);
  std::filesystem::create_directory(world.PathOf("second"));
  world.Put("second/main.object", "object Other: Applet\nend\n");
  TWeak<Applet> second(world.engine->RunApplet(world.PathOf("second/main.object")));
  ASSERT_NE(second.Get(), nullptr);
  JSContext* cx = js::SharedContext();
  ASSERT_NE(cx, nullptr);
  world.Steps(1);
  const std::uint32_t before = JS_GetGCParameter(cx, JSGC_NUMBER);
  world.Steps(3);
  // Both applets ticked each frame; the shared heap was collected once.
  EXPECT_EQ(JS_GetGCParameter(cx, JSGC_NUMBER) - before, 3u);
  const auto& board = world.engine->LogBook().Info;
  const std::u16string elapsed = board.getValue(u"JS GC:");
  EXPECT_EQ(elapsed.size(), 8u) << Utf16ToUtf8(elapsed);
  EXPECT_NE(elapsed.find(u'.'), std::u16string::npos);
  EXPECT_EQ(board.getValue(u"JS Objects:"),
            IntToStr(dynamic_cast<TJavaScriptEngine*>(first->ScriptEngine())->ObjectCount()));
  second->Free();
}


TEST_F(JsEngineTest, HostileNestingIsAnErrorNotACrash) {
  TJavaScriptEngine* js = Bare();
  ASSERT_NE(js, nullptr);
  for (const std::size_t depth : {std::size_t{10000}, std::size_t{200000}}) {
    const std::u16string deep = u"x = " + std::u16string(depth, u'(') + u"1" + std::u16string(depth, u')');
    const std::size_t mark = world.Mark();
    EXPECT_FALSE(js->CallScript(deep)) << depth;
    EXPECT_EQ(world.ErrorsSince(mark).size(), 1u) << depth;
    std::u16string arrays = u"y = ";
    for (std::size_t i = 0; i < depth; ++i) arrays += u"[";
    EXPECT_FALSE(js->CallScript(arrays));
  }
  // Deep script recursion through a native frame of the engine's own.
  EXPECT_FALSE(js->CallScript(u"function r(n) { return [n].map(r); } r(0)"));
  EXPECT_TRUE(js->CallScript(u"ok = 1"));
}

}  // namespace
}  // namespace corvane
