// A close request that comes while a script waits in frames (a sleep, a
// message box, a modal loop, a fade, a wait for input, frames of its own):
// the wait returns, the script that loops around it is stopped at its next
// step, and the applet is freed once its calls are off the stack, whether
// the wait began in onLoad, in a tick, in a key handler or in a timer.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "engine/shell/applet.h"
#include "engine/shell/engine.h"
#include "platform/low_event.h"
#include "scene/register.h"
#include "tests/script/js/js_world.h"
#include "tests/support/kit/null_platform.h"

namespace corvane {
namespace {

using test::TJsWorld;

// Each waits in frames until something ends it; the scripts loop around
// it, so a wait that returns at once spins without a frame.
const char* const kWaits[] = {
    "applet.sleep(5)",
    "applet.showMessage(\"hello\", \"\")",
    "applet.enterModal(applet.new(\"Form\", applet))",
    "applet.fadeScreenToColorWait(\"#FF000000\", 5)",
    "applet.hideScreenWait(5)",
    "applet.runEffectWait(\"show\")",
    "applet.fadeShowWait()",
    "applet.fadeHideWait()",
    "applet.toggleConsole()",
    "event.waitForEvents()",
    "engine.runStep()",
};

// Where the waiting script runs; %s is the handler's text.
struct TPlace {
  const char* name;
  const char* object;
};
const TPlace kPlaces[] = {
    {"onLoad", "  onLoad = '%s'\n"},
    {"onTick", "  object ticker: BaseObject\n    onTick = 'if (typeof held == \"undefined\") { %s }'\n  end\n"},
    {"key", "  onKeyPress = 'if (typeof held == \"undefined\") { %s }'\n"},
    // The timer fires once as it is enabled, while it is read; the wait
    // begins in its second firing, in a tick.
    {"timer",
     "  object timer: Timer\n    interval = 0.05\n"
     "    onTimer = 'fired = (typeof fired == \"number\" ? fired : 0) + 1; if (fired == 2) { %s }'\n"
     "    enabled = true\n  end\n"},
};

enum class TClose { Terminate, Host };

std::string Replace(std::string text, const std::string& with) {
  text.replace(text.find("%s"), 2, with);
  return text;
}

// The applet's file: the place's handler, which notes that it waits
// (tagInt) and loops around the wait, and an object that ends the applet
// three ticks later when the close is the script's own.
std::string MainObject(const TPlace& place, const char* wait, TClose close) {
  const std::string hold = std::string("held = true; applet.tagInt = 1; for (;;) { ") + wait + "; }";
  std::string text = "object game: Applet\n" + Replace(place.object, hold);
  if (close == TClose::Terminate)
    text += "  object closer: BaseObject\n"
            "    onTick = 'if (applet.tagInt == 1 && (closeTicks = (typeof closeTicks == \"number\" ? closeTicks : 0) "
            "+ 1) == 3) applet.terminate()'\n"
            "  end\n";
  return text + "end\n";
}

// Runs as a host event in every frame until it says it is done.
void EveryFrame(test::TNullPlatform& platform, std::function<bool()> step) {
  platform.Inject([&platform, step] {
    if (!step()) EveryFrame(platform, step);
  });
}

// Log lines holding the text.
int Lines(const TJsWorld& world, const std::string& text) {
  int n = 0;
  for (const std::string& line : world.Messages()) n += line.find(text) != std::string::npos;
  return n;
}

Applet* TheApplet(const SomeEngine& engine) {
  for (BaseObject* child : engine.ChildList())
    if (auto* applet = dynamic_cast<Applet*>(child)) return applet;
  return nullptr;
}

// The host's side: a key typed at the start (for the key handler), and,
// for a host close, the deactivate and close pair the window's close
// button, F2 and the quit signals queue, three frames into the wait.
void DriveHost(TJsWorld& world, bool typeKey, TClose close) {
  int frames = 0;
  bool typed = !typeKey;
  EveryFrame(world.Platform(), [&world, frames, typed, close]() mutable {
    Applet* applet = TheApplet(*world.engine);
    if (!applet || !applet->Ready()) return false;
    if (!typed) {
      typed = true;
      applet->QueueEvent(std::make_unique<TKeyEvent>(evKeyDown, applet->Window(), 0, u'k', TShiftState{}));
      applet->QueueEvent(std::make_unique<TKeyEvent>(evKeyUp, applet->Window(), 0, u'k', TShiftState{}));
    }
    if (close == TClose::Terminate) return typed;
    if (applet->TagInt() != 1 || ++frames < 3) return false;
    applet->QueueEvent(std::make_unique<TActionEvent>(evActionEvent, applet->Window(), aeDeactivate));
    applet->QueueEvent(std::make_unique<TActionEvent>(evActionEvent, applet->Window(), aeCloseWindow));
    return true;
  });
}

// Runs the applet, the host driven as asked, until it is gone (20 frames
// at most); it must go, and never by the guard's limit. The scripts the
// close stopped.
int RunUntilClosed(const std::string& mainObject, bool typeKey, TClose close) {
  TJsWorld world;
  RegisterSceneClasses();
  world.Platform().SetStep(0.01f);
  DriveHost(world, typeKey, close);
  world.Start(mainObject);
  for (int i = 0; i < 20 && TheApplet(*world.engine); ++i) world.Steps(1, 0.05f);
  EXPECT_EQ(TheApplet(*world.engine), nullptr) << world.Text();
  EXPECT_EQ(Lines(world, "script stopped: no frame"), 0) << world.Text();
  return Lines(world, ") script stopped: its applet ends");
}

TEST(JsCloseRequest, EveryWaitEndsAndItsScriptStopsWhereverItWaits) {
  for (const TPlace& place : kPlaces)
    for (const char* wait : kWaits)
      for (TClose close : {TClose::Terminate, TClose::Host}) {
        SCOPED_TRACE(std::string(place.name) + ": " + wait + (close == TClose::Host ? ", host close" : ", terminate"));
        // The waiting script, and the one that called terminate when it
        // runs on after it.
        EXPECT_GE(RunUntilClosed(MainObject(place, wait, close), std::string(place.name) == "key", close), 1);
      }
}

// A paused applet ticks nothing, but its window's close is still heard:
// when nothing runs, and when its script sleeps in frames (the sleep
// stands still with the applet).
TEST(JsCloseRequest, APausedAppletStillHearsItsWindowClose) {
  for (const char* script : {"applet.pause = true; applet.tagInt = 1",
                             "applet.pause = true; applet.tagInt = 1; for (;;) { applet.sleep(1); }"}) {
    SCOPED_TRACE(script);
    RunUntilClosed(std::string("object game: Applet\n  onLoad = '") + script + "'\nend\n", false, TClose::Host);
  }
}

// A script that never waits ends on its applet's own terminate at once, not
// when the guard's limit has passed.
TEST(JsCloseRequest, ALoopThatNeverWaitsStopsOnTerminate) {
  TJsWorld world;
  world.Start("object game: Applet\n  onTick = 'applet.terminate(); while (true) {}'\nend\n");
  world.Steps(2);
  EXPECT_EQ(world.Live(), nullptr);
  EXPECT_EQ(Lines(world, ") script stopped: its applet ends"), 1) << world.Text();
  EXPECT_EQ(Lines(world, "script stopped: no frame"), 0) << world.Text();
}

// A script that deletes the children of the engine ends its applet (freed
// once its calls are off the stack); one that deletes the applet's
// children frees the game's objects and keeps the services it runs on.
TEST(JsCloseRequest, DeletingTheChildrenOfTheEngineOrTheAppletFreesNothingInUse) {
  {
    TJsWorld world;
    world.Start("object game: Applet\n  onTick = 'engine.deleteChildren()'\nend\n");
    world.Steps(2);
    EXPECT_EQ(world.Live(), nullptr);
  }
  TJsWorld world;
  Applet* applet = world.Start(
      "object game: Applet\n"
      "  onTick = 'ticks = (typeof ticks == \"number\" ? ticks : 0) + 1; if (ticks == 1) applet.deleteChildren()'\n"
      "  object box: BaseObject\n  end\nend\n");
  ASSERT_NE(applet, nullptr);
  world.Steps(3);
  ASSERT_EQ(world.Live(), applet);
  EXPECT_EQ(applet->findByName(u"box"), nullptr);
  EXPECT_NE(applet->GetEvent(), nullptr);
  EXPECT_NE(applet->MostTop(), nullptr);
  EXPECT_EQ(world.Js()->GetVarValue(u"ticks"), u"3");
}

}  // namespace
}  // namespace corvane
