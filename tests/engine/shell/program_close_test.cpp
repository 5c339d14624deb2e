// A close request ends the program whatever its script does: a handler
// that loops around a wait (a sleep in onLoad, a message box in a timer,
// a wait for events in a tick, a fade in a key handler), or one that never
// waits, is stopped where it is (the log says so) instead of when the
// script guard's limit has passed. The requests come as a user's do: SIGTERM, Ctrl+C's SIGINT, and
// on an X server of the test's own the window manager's close of the
// window (WM_DELETE_WINDOW), and F2 typed into it.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tests/base/temp_dir.h"
#include "tests/engine/shell/applet_files_kit.h"
#include "tests/support/file_bytes.h"
#include "tests/support/program_run.h"
#include "tests/support/xvfb_server.h"

// Last: Xlib's macros (None, Status, Bool) would clash with what comes
// before.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace corvane {
namespace {

namespace fs = std::filesystem;

// Hands every top-level window of the display the event the function makes
// for it; the number of windows reached.
int SendToWindows(const std::string& display, const std::function<void(::Display*, Window)>& send) {
  ::Display* x = XOpenDisplay(display.c_str());
  if (!x) return 0;
  Window root = DefaultRootWindow(x);
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  int reached = 0;
  if (XQueryTree(x, root, &root, &parent, &children, &count)) {
    for (unsigned i = 0; i < count; ++i) {
      XWindowAttributes attributes;
      if (!XGetWindowAttributes(x, children[i], &attributes) || attributes.map_state != IsViewable) continue;
      send(x, children[i]);
      ++reached;
    }
    if (children) XFree(children);
  }
  XFlush(x);
  XCloseDisplay(x);
  return reached;
}

// What a window manager sends when the window's close button is pressed.
void AskToClose(::Display* x, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(x, window, False, NoEventMask, &event);
}

// The key pressed and released in the window.
std::function<void(::Display*, Window)> Typing(KeySym key) {
  return [key](::Display* x, Window window) {
    for (int type : {KeyPress, KeyRelease}) {
      XEvent event{};
      event.xkey.type = type;
      event.xkey.display = x;
      event.xkey.window = window;
      event.xkey.root = DefaultRootWindow(x);
      event.xkey.same_screen = True;
      event.xkey.time = CurrentTime;
      event.xkey.keycode = XKeysymToKeycode(x, key);
      XSendEvent(x, window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask, &event);
    }
  };
}

class ProgramCloseTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_.Start("1024x768x24"); }
  static void TearDownTestSuite() { server_.Stop(); }

  void Put(const std::string& name, const std::string& bytes) const {
    fs::create_directories((fs::path(folder_.Path()) / name).parent_path());
    std::ofstream(fs::path(folder_.Path()) / name, std::ios::binary) << bytes;
  }

  static const std::vector<std::string>& Offscreen() {
    static const std::vector<std::string> environment = {"SDL_VIDEODRIVER=offscreen", "DISPLAY", "WAYLAND_DISPLAY"};
    return environment;
  }
  std::vector<std::string> X11() const {
    return {"SDL_VIDEODRIVER=x11", "DISPLAY=" + server_.Display(), "WAYLAND_DISPLAY",
            "DBUS_SESSION_BUS_ADDRESS=unix:path=/dev/null/no-session-bus"};
  }

  // With `typeKey`, a key is typed into the window (again until the
  // handler it starts says it holds the program) before the request.
  test::TProgramRun Run(const std::string& argument, const std::vector<std::string>& environment,
                        std::function<void(int)> request, bool typeKey) const {
    const test::TProgramLaunch launch{.program = CORVANE_PROGRAM,
                                      .arguments = {argument},
                                      .environment = environment,
                                      .folder = folder_.Path(),
                                      .until = "(i) spinning",
                                      .request = std::move(request)};
    if (!typeKey) return test::RunProgram(launch);
    test::TProgramSession session(launch);
    for (int i = 0; i < 100 && !session.WaitFor(launch.until, 2); ++i)
      SendToWindows(server_.Display(), Typing(XK_k));
    return session.Finish(launch.until);
  }

  static inline test::TXvfbServer server_;
  test::TTempDir folder_;
};

// The handlers: each logs "spinning" once it holds the program. A key
// handler needs a key typed into a window on the X server.
struct TScript {
  const char* what;
  const char* applet;
  bool typeKey = false;
};
const TScript kScripts[] = {
    {"a sleep loop in onLoad", "  onLoad = 'engine.log(\"spinning\"); while (true) applet.sleep(0.01)'\n"},
    {"a message box loop in a timer",
     "  object timer: Timer\n    interval = 0.05\n    enabled = true\n"
     "    onTimer = 'engine.log(\"spinning\"); while (true) applet.showMessage(\"hello\", \"\")'\n  end\n"},
    {"a wait for events loop in onTick",
     "  onTick = 'if (typeof held == \"undefined\") { held = 1; engine.log(\"spinning\"); "
     "while (true) event.waitForEvents() }'\n"},
    {"a fade loop in a key handler",
     "  onKeyPress = 'if (typeof held == \"undefined\") { held = 1; engine.log(\"spinning\"); "
     "while (true) applet.fadeScreenToColorWait(\"#FF000000\", 5) }'\n",
     true},
    {"a loop without a wait in onLoad", "  onLoad = 'engine.log(\"spinning\"); while (true) {}'\n"},
    {"a loop without a wait in onTick", "  onTick = 'engine.log(\"spinning\"); while (true) {}'\n"},
    {"a promise chain that never ends in onLoad",
     "  onLoad = 'engine.log(\"spinning\"); function spin() { Promise.resolve().then(spin) } spin()'\n"},
};

struct TRequest {
  const char* what;
  bool x11;
  std::function<void(int)> send;
};

TEST_F(ProgramCloseTest, EndsAScriptThatNeverLetsGoAtOnce) {
  const std::string display = server_.Display();
  const std::vector<TRequest> requests = {
      {"SIGTERM", false, [](int pid) { kill(pid, SIGTERM); }},
      {"SIGINT", false, [](int pid) { kill(pid, SIGINT); }},
      {"window closed", true, [display](int) { EXPECT_EQ(SendToWindows(display, AskToClose), 1); }},
      {"F2", true, [display](int) { EXPECT_EQ(SendToWindows(display, Typing(XK_F2)), 1); }},
  };
  const std::vector<std::string>& offscreen = Offscreen();
  const std::vector<std::string> x11Environment = X11();
  int n = 0;
  for (const TScript& script : kScripts)
    for (const TRequest& request : requests) {
      SCOPED_TRACE(std::string(script.what) + ", " + request.what);
      const bool x11 = request.x11 || script.typeKey;
      if (x11 && !server_.Installed()) continue;  // no Xvfb: the signals alone
      ASSERT_TRUE(!x11 || server_.Running()) << "Xvfb is installed but did not start: " << server_.Error();
      const std::string name = "applet" + std::to_string(++n);
      Put(name + "/main.object", std::string("object game: Applet\n  width = 320\n  height = 240\n") + script.applet +
                                     "end\n");
      const test::TProgramRun run =
          Run(name + "/main.object", x11 ? x11Environment : offscreen, request.send, script.typeKey);
      EXPECT_EQ(run.status, 0) << run.output;
      EXPECT_NE(run.output.find(") script stopped: its applet ends"), std::string::npos) << run.output;
      EXPECT_EQ(run.output.find("script stopped: no frame"), std::string::npos) << run.output;
      EXPECT_NE(run.output.find("(i) === Corvane engine 2.0 finished ==="), std::string::npos) << run.output;
    }
}

// An applet of thousands of objects that are told of every free (event
// objects) ends at once: a free reaches only the receivers that hold
// something, not each of them.
TEST_F(ProgramCloseTest, AnAppletOfManyObjectsToldOfEveryFreeEndsAtOnce) {
  std::string text = "object game: Applet\n  width = 320\n  height = 240\n  onLoad = 'engine.log(\"spinning\")'\n";
  for (int i = 0; i < 30000; ++i) text += "  object Event\n  end\n";
  Put("events/main.object", text + "end\n");
  const test::TProgramRun run = Run("events/main.object", Offscreen(), nullptr, false);
  EXPECT_EQ(run.status, 0) << run.output.substr(0, 4000);
  EXPECT_NE(run.output.find("(i) Objects destroyed"), std::string::npos);
  EXPECT_NE(run.output.find("(i) === Corvane engine 2.0 finished ==="), std::string::npos);
}

// A close request while a load runs the hooks of what it read (here while
// one object's onCreate never returns) ends the program without the hooks
// of the objects after it: those of a large file would register and run
// scripts for seconds. A nested applet whose hook never ran has not read
// its preferences, so it leaves those stored as they were.
TEST_F(ProgramCloseTest, ACloseDuringTheHooksOfALoadSkipsTheRestAndKeepsTheirData) {
  const std::string stored = test::Cipher(u"0\r\nuser1.mine=kept\r\n");
  Put("hooks/main.inner.prefs", stored);
  Put("hooks/main.object",
      "object game: Applet\n  width = 320\n  height = 240\n"
      "  object first: Dummy\n    onCreate = 'engine.log(\"spinning\"); while (true) {}'\n  end\n"
      "  object second: Dummy\n    onCreate = 'engine.log(\"second made\")'\n  end\n"
      "  object inner: Applet\n    width = 100\n    height = 100\n  end\nend\n");
  const test::TProgramRun run = Run("hooks/main.object", Offscreen(), nullptr, false);
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("(i) Loading of main.object stopped: the program is closing"), std::string::npos)
      << run.output;
  EXPECT_EQ(run.output.find("second made"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("(i) === Corvane engine 2.0 finished ==="), std::string::npos) << run.output;
  EXPECT_EQ(test::ReadFileBytes(folder_ / "hooks/main.inner.prefs").value_or(""), stored);
}

// The handlers that run while the applet ends (onFree, the onDestroy of
// each object it frees) share half a second from its end: one that loops
// around a sleep or a frame, or never returns, is stopped, as is every
// later one at its first step, so the program ends however many there are
// (on the script guard's limit alone, 10 s each, forty would take minutes).
// Whatever ends the applet: SIGTERM, its window closed, its own terminate.
TEST_F(ProgramCloseTest, EndsWhateverItsEndHandlersDo) {
  std::string destroyers;
  for (int i = 0; i < 40; ++i)
    destroyers += "  object b" + std::to_string(i) + ": Box\n    onDestroy = '" +
                  (i % 2 ? "while (true) {}" : "while (true) applet.sleep(0.01)") + "'\n  end\n";
  const struct {
    const char* what;
    std::string applet;
  } handlers[] = {
      {"a sleep loop in onFree", "  onFree = 'engine.log(\"onFree runs\"); while (true) applet.sleep(0.01)'\n"},
      {"a frame loop in onFree", "  onFree = 'engine.log(\"onFree runs\"); while (true) engine.runStep()'\n"},
      {"endless onDestroy handlers of 40 objects", "  onFree = 'engine.log(\"onFree runs\")'\n" + destroyers},
  };
  const std::string display = server_.Display();
  const std::vector<TRequest> requests = {
      {"SIGTERM", false, [](int pid) { kill(pid, SIGTERM); }},
      {"window closed", true, [display](int) { EXPECT_EQ(SendToWindows(display, AskToClose), 1); }},
      {"its own terminate", false, nullptr},
  };
  int n = 0;
  for (const auto& handler : handlers)
    for (const TRequest& request : requests) {
      SCOPED_TRACE(std::string(handler.what) + ", " + request.what);
      if (request.x11 && !server_.Installed()) continue;
      ASSERT_TRUE(!request.x11 || server_.Running()) << "Xvfb is installed but did not start: " << server_.Error();
      const std::string name = "ending" + std::to_string(++n);
      // Without a request the applet ends itself on its first frame.
      const std::string ending = request.send ? "" : "  onTick = 'applet.terminate()'\n";
      Put(name + "/main.object", "object game: Applet\n  width = 320\n  height = 240\n"
                                 "  onLoad = 'engine.log(\"spinning\")'\n" + ending + handler.applet + "end\n");
      const test::TProgramRun run = test::RunProgram(
          {.program = CORVANE_PROGRAM,
           .arguments = {name + "/main.object"},
           .environment = request.x11 ? X11() : Offscreen(),
           .folder = folder_.Path(),
           .until = "(i) spinning",
           .request = request.send ? request.send : [](int) {}});
      EXPECT_EQ(run.status, 0) << run.output;
      EXPECT_NE(run.output.find(") script stopped: its applet ends"), std::string::npos) << run.output;
      EXPECT_EQ(run.output.find("script stopped: no frame"), std::string::npos) << run.output;
      EXPECT_NE(run.output.find("(i) === Corvane engine 2.0 finished ==="), std::string::npos) << run.output;
    }
}

// A script that sits in one long call of the library (a search that takes
// hours, hearing no interrupt) when the close request comes, or that starts
// one in onFree after it: the program still ends within a second of the
// request, without running any more script code, and the preferences and
// scores the game set are stored all the same.
TEST_F(ProgramCloseTest, EndsWhileAScriptSitsInOneLongLibraryCall) {
  const std::string longCall = "\"a\".repeat(2e7).indexOf(\"a\".repeat(1e7) + \"b\"); engine.log(\"returned\")";
  const std::string store = "preferences.setValue(\"level\", \"7\"); scoreTable.addScore(\"Ada\", 42); ";
  const std::string display = server_.Display();
  const TRequest sigterm = {"SIGTERM", false, [](int pid) { kill(pid, SIGTERM); }};
  const TRequest sigint = {"SIGINT", false, [](int pid) { kill(pid, SIGINT); }};
  const TRequest closed = {"window closed", true, [display](int) { EXPECT_EQ(SendToWindows(display, AskToClose), 1); }};
  const TRequest f2 = {"F2", true, [display](int) { EXPECT_EQ(SendToWindows(display, Typing(XK_F2)), 1); }};
  const struct {
    const char* what;
    std::string applet;
    std::vector<TRequest> requests;
  } scripts[] = {
      {"in onLoad",
       "  onLoad = '" + store + "engine.log(\"spinning\"); " + longCall + "'\n  onFree = 'engine.log(\"onFree ran\")'\n",
       {sigterm, sigint, closed, f2}},
      {"in onFree", "  onLoad = '" + store + "engine.log(\"spinning\")'\n  onFree = '" + longCall + "'\n",
       {sigterm, closed}},
  };
  int n = 0;
  for (const auto& script : scripts)
    for (const TRequest& request : script.requests) {
      SCOPED_TRACE(std::string(script.what) + ", " + request.what);
      if (request.x11 && !server_.Installed()) continue;
      ASSERT_TRUE(!request.x11 || server_.Running()) << "Xvfb is installed but did not start: " << server_.Error();
      const std::string name = "long" + std::to_string(++n);
      Put(name + "/main.object", "object game: Applet\n  width = 320\n  height = 240\n" + script.applet + "end\n");
      const test::TProgramRun run =
          Run(name + "/main.object", request.x11 ? X11() : Offscreen(), request.send, false);
      EXPECT_EQ(run.status, 0) << run.output;
      EXPECT_NE(run.output.find("(e) A script has not returned from a long call since the close request: "
                                "the program ends"),
                std::string::npos)
          << run.output;
      EXPECT_NE(run.output.find("(i) === Corvane engine 2.0 finished ==="), std::string::npos) << run.output;
      for (const char* never : {"(i) returned", "(i) onFree ran"})
        EXPECT_EQ(run.output.find(never), std::string::npos) << run.output;
      const std::u16string prefs = test::Decipher(test::ReadFileBytes(folder_ / (name + "/main.prefs")).value_or(""));
      EXPECT_NE(prefs.find(u"level=7"), std::u16string::npos) << run.output;
      const std::u16string scores = test::Decipher(test::ReadFileBytes(folder_ / (name + "/main.score")).value_or(""));
      EXPECT_NE(scores.find(u"Ada=42"), std::u16string::npos) << run.output;
    }
}

}  // namespace
}  // namespace corvane
