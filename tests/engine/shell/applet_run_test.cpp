// Whole applets end to end: the real Applet streamed from "main.object" by
// the program's start-up, on the null platform with the recording device,
// run by the main loop and shut down; the log, the files beside the applet,
// the three routes to an applet, the frame rate and the pause.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "engine/core/event.h"
#include "engine/core/object_loader.h"
#include "engine/shell/applet.h"
#include "platform/low_event.h"
#include "resources/vfs_res_man.h"
#include "tests/engine/shell/applet_files_kit.h"
#include "tests/engine/shell/applet_launch_kit.h"
#include "tests/support/kit/embedded_defaults_scope.h"

namespace corvane {
namespace {

using test::MakeContainer;
using test::TLaunchEnv;
using Lines = std::vector<std::string>;

const char kApplet[] = "object game: Applet\n  title = 'Game'\nend\n";

Applet* RunningApplet(SomeEngine* engine) {
  return engine->count() == 1 ? dynamic_cast<Applet*>(engine->children(0)) : nullptr;
}

// Asks the window of the applet (the running one unless given) to close,
// as the host does, and runs the loop until the program ends (at most a few
// hundred frames).
void CloseAndRun(TLaunchEnv& env, Applet* applet = nullptr) {
  if (!applet) applet = RunningApplet(env.engine);
  ASSERT_NE(applet, nullptr);
  env.Platform().Inject([applet] {
    applet->GetEvent()->AddEvent(std::make_unique<TActionEvent>(evActionEvent, applet->Window(), aeCloseWindow));
  });
  for (int i = 0; i < 300 && env.engine->count() > 0; ++i) env.engine->RunStep();
  EXPECT_EQ(env.engine->count(), 0);
}

// The lines of the ciphered preference file.
std::vector<std::u16string> PrefLines(const std::optional<std::string>& bytes) {
  return bytes ? test::CrLfLines(test::Decipher(*bytes)) : std::vector<std::u16string>{};
}

// What a run from a folder stores beside the applet: its window place and
// screen mode for the one (unnamed) user.
const std::vector<std::u16string> kStoredPrefs = {u"0", u"user1.screenmode=1024x768x32", u"user1.fullscreen=FALSE",
                                                  u"user1.left=100", u"user1.top=100"};

TEST(AppletRun, AHeadlessRunFromStartToEnd) {
  TLaunchEnv env(true);
  env.Put("main.object", kApplet);
  const std::string path = env.PathOf("main.object");
  env.Start({path});
  ASSERT_NE(RunningApplet(env.engine), nullptr);
  EXPECT_EQ(RunningApplet(env.engine)->Title(), u"Game");
  // While it runs, the marker holds the log so far, one line per LF.
  EXPECT_EQ(env.engine->RunFileName(), env.PathOf("main.run"));
  std::string marker;
  for (int i = 0; i < env.engine->LogBook().LogList.Count(); ++i) marker += env.engine->LogBook().LogList.Get(i) + "\n";
  EXPECT_EQ(env.Bytes("main.run"), marker);
  CloseAndRun(env);
  env.Finish();

  // Golden with the classes this test executable registers.
  const Lines expected = {
      "(i) === Corvane engine 2.0 started ===",
      "(i) executable name corvane",
      "(i) param 0 corvane",
      "(i) param 1 " + path,
      "(i) Resource manager TEmbeddedResMan starded",
      "(i) Embedded resource manager started TEmbeddedResMan",
      "(i) Resource manager TExtResourceMan starded",
      "(i) External resource manager started TExtResourceMan",
      "(i) Launch Applet by param",
      "(i) Trying to load " + path,
      "(i) Try to create Folder ResMan",
      "(i) Resource manager TFolderResourceMan starded",
      "(i) Resource manager created for Applet TFolderResourceMan",
      "(i) Set external resource path to " + env.folder,
      "(i) Start of the root object creation",
      "(i) Create main window",
      "(i) Main window created",
      "(i) Create main device",
      "(i) recording device manager stared",
      "(i) Device was created successful",
      "(i) Create most top layer",
      "(i) Set script vars",
      "(i) load main object and script",
      "(i) main object was loaded",
      "(i) Score load",
      "(i) Prefenses load",
      "(i) Prefenses loaded",
      "(i) 801.000000000000000x601.000000000000000:801.000000000000000x601.000000000000000",
      "(i) End of the root object creation",
      "(i) " + env.PathOf("main.log"),
      "(i) Last info===========",
      "(i) =====================",
      "(i) ==== Device statistics ==========",
      "(i) Max FPS: 0.00",
      "(i) Avg FPS: 0.00",
      "(i) ==== Device statistics finish ===",
      "(i) cleared",
      "(i) mesh ok",
      "(i) script ok",
      "(i) stream ok",
      "(i) sound ok",
      "(i) music ok",
      "(i) pixmap ok",
      "(i) font ok",
      "(i) Resource manager TFolderResourceMan closed",
      "(i) recording device manager closed",
      "(i) Objects destroyed",
      "(i) Embedded resource manager closed TEmbeddedResMan",
      "(i) Resource manager TEmbeddedResMan closed",
      "(i) Resource manager TExtResourceMan closed",
      "(i) === Corvane engine 2.0 finished ===",
  };
  EXPECT_EQ(TLaunchEnv::LogFileLines(env.Bytes("main.log").value_or("")), expected);
  // Beside the applet: the compiled root, the log, the preferences; no
  // score file for an empty table, no marker once the program ended.
  EXPECT_EQ(env.Bytes("main.bin").value_or("").substr(0, 4), "KVF0");
  EXPECT_EQ(PrefLines(env.Bytes("main.prefs")), kStoredPrefs);
  EXPECT_FALSE(env.Exists("main.score"));
  EXPECT_FALSE(env.Exists("main.run"));
}

// A container from a file or carried in the executable; a carried one's
// files go to the working folder, named after the path.
TEST(AppletRun, FromAContainer) {
  for (const bool carried : {false, true}) {
    SCOPED_TRACE(carried ? "carried in the executable" : "a file");
    TLaunchEnv env(true);
    test::TInFolder inFolder(env.folder);
    const std::string stem = carried ? "runtest_applet" : "game";
    const std::string argument = carried ? stem : env.PathOf("game.applet");
    if (carried) env.Embed(stem, {{"main.object", kApplet}});
    else MakeContainer(argument, {{"main.object", kApplet}});
    env.Start({argument});
    Applet* applet = RunningApplet(env.engine);
    ASSERT_NE(applet, nullptr);
    EXPECT_EQ(applet->Title(), u"Game");
    // The container's copy stays with the manager while the applet runs.
    EXPECT_EQ(applet->ResMan()->ClassName(), "TVirtualFileSystemResMan");
    EXPECT_TRUE(applet->ResMan()->StreamExists("main.object"));
    EXPECT_EQ(TLaunchEnv::Find(env.Messages(), "(i) Try to create VFSResMan") >= 0, !carried);
    EXPECT_EQ(env.engine->LogFileName(), carried ? stem + ".log" : env.PathOf(stem + ".log"));
    EXPECT_TRUE(env.Exists(stem + ".run"));
    CloseAndRun(env);
    env.Finish();
    EXPECT_EQ(std::count(env.messages.begin(), env.messages.end(), "(i) Trying to load " + argument), 1);
    EXPECT_EQ(PrefLines(env.Bytes(stem + ".prefs")), kStoredPrefs);
    EXPECT_TRUE(env.Exists(stem + ".log"));
    EXPECT_FALSE(env.Exists(stem + ".run"));
  }
}

// Counts the frames of the applet it lives in.
class TFrameCounter : public BaseObject {
  CORVANE_CLASS(TFrameCounter, BaseObject)
  using BaseObject::BaseObject;
  void ProcessTick(float dt, float time) override {
    ticks.push_back(dt);
    BaseObject::ProcessTick(dt, time);
  }
  static inline std::vector<float> ticks;
};
CORVANE_IMPLEMENT_CLASS(TFrameCounter)

struct TFrameRateCase {
  const char* Name;
  int FrameRate;
};

TEST(AppletRun, FrameRate) {
  for (const TFrameRateCase& c : {TFrameRateCase{"30 frames a second", 30}, TFrameRateCase{"free-running", 0}}) {
    SCOPED_TRACE(c.Name);
    TLaunchEnv env(true);
    RegisterClasses({TFrameCounter::StaticClass()});
    TFrameCounter::ticks.clear();
    env.Put("main.object", "object game: Applet\n  frameRate = " + std::to_string(c.FrameRate) +
                               "\n  object counter: TFrameCounter\n  end\nend\n");
    env.Start({"-nostorelog", env.PathOf("main.object")});
    ASSERT_NE(RunningApplet(env.engine), nullptr);
    env.Platform().SetStep(0.001f);
    for (int i = 0; i < 100 && TFrameCounter::ticks.size() < 30; ++i) env.engine->RunStep();
    ASSERT_EQ(TFrameCounter::ticks.size(), 30u);
    const std::vector<std::int32_t>& sleeps = env.Platform().Sleeps();
    if (c.FrameRate > 0) {
      for (float dt : TFrameCounter::ticks) EXPECT_EQ(dt, static_cast<float>(1.0 / c.FrameRate));
      EXPECT_NEAR(std::accumulate(sleeps.begin(), sleeps.end(), 0), 1000, 100);
    } else {
      EXPECT_TRUE(sleeps.empty());
    }
  }
}

// The host's close request ends the program running or paused, and a
// nested applet (with a window of its own, the one the request goes to) is
// freed by the root's end; a paused program runs no frame of its game.
TEST(AppletRun, AProgramClosesRunningOrPausedAndWithANestedApplet) {
  struct TCase {
    bool nested, paused;
  };
  for (const TCase c : {TCase{false, true}, TCase{true, false}, TCase{true, true}}) {
    SCOPED_TRACE(std::string(c.nested ? "nested" : "single") + (c.paused ? ", paused" : ", running"));
    TLaunchEnv env(true);
    RegisterClasses({TFrameCounter::StaticClass()});
    env.Put("main.object", std::string("object outer: Applet\n  object counter: TFrameCounter\n  end\n") +
                               (c.nested ? "  object inner: Applet\n    title = 'Inner'\n  end\n" : "") + "end\n");
    env.Start({env.PathOf("main.object")});
    Applet* outer = RunningApplet(env.engine);
    ASSERT_NE(outer, nullptr);
    auto* inner = dynamic_cast<Applet*>(outer->findByName(u"inner"));
    ASSERT_EQ(inner != nullptr, c.nested);
    ASSERT_TRUE(!inner || inner->Window());
    const int windows = c.nested ? 2 : 1;
    EXPECT_EQ(env.Platform().CountWindowCalls("CreateWindow"), windows);
    env.engine->RunStep();
    if (c.paused) env.engine->SetPause(true);
    TFrameCounter::ticks.clear();
    CloseAndRun(env, inner);
    EXPECT_EQ(TFrameCounter::ticks.empty(), c.paused);
    EXPECT_EQ(env.Platform().CountWindowCalls("DestroyWindow"), windows);
    env.Finish();
    if (!c.nested) {
      EXPECT_EQ(PrefLines(env.Bytes("main.prefs")), kStoredPrefs);
    }
    EXPECT_FALSE(env.Exists("main.run"));
  }
}

// A close the host has queued ends the applet before its frame: it paints
// and ticks none of its objects again (an applet of very many would make
// the user wait a long frame for nothing), and hears its deactivation
// first as usual.
TEST(AppletRun, AQueuedCloseEndsTheAppletBeforeItsFrame) {
  TLaunchEnv env(true);
  RegisterClasses({TFrameCounter::StaticClass()});
  env.Put("main.object", "object game: Applet\n  object counter: TFrameCounter\n  end\nend\n");
  env.Start({env.PathOf("main.object")});
  Applet* applet = RunningApplet(env.engine);
  ASSERT_NE(applet, nullptr);
  TFrameCounter::ticks.clear();
  env.engine->RunStep();
  ASSERT_EQ(TFrameCounter::ticks.size(), 1u);
  TFrameCounter::ticks.clear();
  test::TNullPlatform& platform = env.Platform();
  platform.Inject([applet, &platform] {
    for (const TAction action : {aeDeactivate, aeCloseWindow})
      applet->GetEvent()->AddEvent(std::make_unique<TActionEvent>(evActionEvent, applet->Window(), action));
    platform.closeRequested = true;
  });
  env.engine->RunStep();
  EXPECT_EQ(env.engine->count(), 0);
  EXPECT_TRUE(TFrameCounter::ticks.empty());
  env.Finish();
  const Lines log = TLaunchEnv::LogFileLines(env.Bytes("main.log").value_or(""));
  const auto deactivated = std::find(log.begin(), log.end(), "(i) Deactivate app");
  EXPECT_LT(deactivated, std::find(log.begin(), log.end(), "(i) Objects destroyed"));
}

// The default skin an applet reads as it is made is the engine's own
// load, not part of the applet's file: a file of exactly the budget of
// objects a load reads loads whole.
TEST(AppletRun, AFileOfExactlyTheLoadBudgetLoadsWhole) {
  const test::TEmbeddedDefaultsScope defaults;
  const TLoadLimits saved = LoadLimits();
  // More than the skin's elements, so that each load fits on its own.
  constexpr int kBudget = 30;
  SetLoadLimits({saved.Files, saved.Bytes, kBudget});
  TLaunchEnv env(true);
  std::string text = "object game: Applet\n";
  for (int i = 0; i < kBudget; ++i) text += "  object d" + std::to_string(i) + ": Dummy\n  end\n";
  env.Put("main.object", text + "end\n");
  env.Start({env.PathOf("main.object")});
  Applet* applet = RunningApplet(env.engine);
  SetLoadLimits(saved);
  ASSERT_NE(applet, nullptr);
  ASSERT_NE(applet->DefaultSkin(), nullptr);
  EXPECT_NE(applet->findByName(u"d29"), nullptr);  // the last
  env.Finish();
  EXPECT_EQ(env.Bytes("main.log").value_or("").find("stopped"), std::string::npos);
}

// An applet nested in another keeps its preferences in a file of its
// own: neither store drops what the other stored, run after run.
TEST(AppletRun, ANestedAppletKeepsItsOwnPreferences) {
  TLaunchEnv env(true);
  env.Put("main.object",
          "object outer: Applet\n  object inner: Applet\n    left = 7\n  end\nend\n");
  env.Put("main.prefs", test::Cipher(u"0\r\nuser1.outer=kept\r\n"));
  env.Put("main.inner.prefs", test::Cipher(u"0\r\nuser1.inner=kept\r\n"));
  for (int run = 0; run < 2; ++run) {
    env.Start({env.PathOf("main.object")});
    ASSERT_NE(RunningApplet(env.engine), nullptr);
    env.Finish();
  }
  std::vector<std::u16string> outer = kStoredPrefs;
  outer.insert(outer.begin() + 1, u"user1.outer=kept");
  EXPECT_EQ(PrefLines(env.Bytes("main.prefs")), outer);
  const std::vector<std::u16string> inner = {u"0",
                                             u"user1.inner=kept",
                                             u"user1.fullscreen=FALSE",
                                             u"user1.left=7",
                                             u"user1.top=100"};
  EXPECT_EQ(PrefLines(env.Bytes("main.inner.prefs")), inner);
}

// What a preference file holds beyond its lines (a last odd byte, the rest
// after a NUL) is stored again after them, so no store loses a byte of it.
TEST(AppletRun, PreferencesKeepTheBytesBeyondTheirLines) {
  for (const std::string& beyond : {std::string("\x7F"), test::Cipher(std::u16string(1, u'\0') + u"old") + "\x01"}) {
    TLaunchEnv env(true);
    env.Put("main.object", kApplet);
    env.Put("main.prefs", test::Cipher(u"0") + beyond);
    for (int run = 0; run < 2; ++run) {
      env.Start({env.PathOf("main.object")});
      env.Finish();
      const std::string bytes = env.Bytes("main.prefs").value_or("");
      EXPECT_EQ(PrefLines(bytes.substr(0, bytes.size() - beyond.size())), kStoredPrefs);
      EXPECT_TRUE(bytes.ends_with(beyond)) << run;
    }
  }
}

TEST(AppletRun, AnEmptyAppletForAuthoring) {
  TLaunchEnv env(true);
  env.StartWithoutLaunch({"-nostorelog"});
  EXPECT_FALSE(WriteMode);
  Applet* applet = env.engine->RunEmpty(env.folder);
  ASSERT_NE(applet, nullptr);
  EXPECT_TRUE(WriteMode);
  EXPECT_EQ(RunningApplet(env.engine), applet);
  EXPECT_EQ(applet->Title(), u"New Applet");
  ASSERT_NE(applet->ResMan(), nullptr);
  EXPECT_EQ(applet->ResMan()->ClassName(), "TFolderResourceMan");
  CloseAndRun(env);
}

TEST(AppletRun, AnAppletInAHostsWindow) {
  TLaunchEnv env(true);
  env.Put("main.object", kApplet);
  env.StartWithoutLaunch({"-nostorelog"});
  env.engine->SetEmbedded(true);
  Applet* applet =
      env.engine->RunAppletEmbedded(env.PathOf("main.object"), 7, 320, 200, u"#FF102030", false);
  ASSERT_NE(applet, nullptr);
  EXPECT_EQ(applet->Width(), 320);
  EXPECT_EQ(applet->Height(), 200);
  EXPECT_EQ(applet->BkColor(), 0xFF102030u);
  EXPECT_EQ(applet->WindowStyle(), maskStyle);
  // A host's applet is neither ended by a script nor freed by a frame.
  applet->terminate();
  env.engine->RunStep();
  EXPECT_EQ(RunningApplet(env.engine), applet);
}

// The sample the build places beside the program loads and runs cleanly.
TEST(AppletRun, TheBundledSample) {
  const std::string sample = ExePath() + "../Resources/main.object";
  if (!std::filesystem::exists(sample)) GTEST_SKIP() << "no " << sample;
  TLaunchEnv env(true);
  std::filesystem::copy_file(sample, env.PathOf("main.object"));
  env.Start({env.PathOf("main.object")});
  ASSERT_NE(RunningApplet(env.engine), nullptr);
  for (int i = 0; i < 10; ++i) env.engine->RunStep();
  CloseAndRun(env);
  env.Finish();
  for (const std::string& line : env.messages) EXPECT_FALSE(line.starts_with("(e) ")) << line;
}

}  // namespace
}  // namespace corvane
