// Whole applets on the real host under an X server of the test's own, with
// input given as a keyboard and a mouse give it: XTest makes the server
// send the X events, SDL reads them, the platform queues them and the
// engine's frames dispatch them. libX11 and libXtst are opened by name (the
// test needs no development files of them); without Xvfb or libXtst the
// tests are skipped.
#pragma once

#include <SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/window.h"
#include "tests/platform_sdl/applet_picture_kit.h"
#include "tests/support/scoped_env.h"
#include "tests/support/xvfb_server.h"

// Last: Xlib's macros stay out of the headers above.
#include <SDL_syswm.h>

#include "tests/platform_sdl/x_window_picture.h"

namespace corvane::test {
// Internal to each test file, as the launch kit it holds.
namespace {

// X key symbols the tests press (X11/keysymdef.h).
enum : unsigned long {
  kXKeyGrave = 0x60,
  kXKeyTab = 0xFF09,
  kXKeyEscape = 0xFF1B,
  kXKeyShift = 0xFFE1,
  kXKeyNumLock = 0xFF7F,
  kXKeyKeypadHome = 0xFF95,  // keypad 7 without Num Lock
  kXKeyKeypadLeft = 0xFF96,  // keypad 4
  kXKeyKeypadEnd = 0xFF9C,   // keypad 1
  kXKeyKeypadDelete = 0xFF9F,
  kXKeyKeypadInsert = 0xFF9E,
};

// The few Xlib and XTest calls the kit makes.
class TXTest {
 public:
  bool Open(const std::string& display) {
    x11_ = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    xtst_ = dlopen("libXtst.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!x11_ || !xtst_) return false;
    openDisplay_ = reinterpret_cast<void* (*)(const char*)>(dlsym(x11_, "XOpenDisplay"));
    closeDisplay_ = reinterpret_cast<int (*)(void*)>(dlsym(x11_, "XCloseDisplay"));
    sync_ = reinterpret_cast<int (*)(void*, int)>(dlsym(x11_, "XSync"));
    keycode_ = reinterpret_cast<unsigned char (*)(void*, unsigned long)>(dlsym(x11_, "XKeysymToKeycode"));
    fakeKey_ = reinterpret_cast<int (*)(void*, unsigned, int, unsigned long)>(dlsym(xtst_, "XTestFakeKeyEvent"));
    fakeButton_ =
        reinterpret_cast<int (*)(void*, unsigned, int, unsigned long)>(dlsym(xtst_, "XTestFakeButtonEvent"));
    fakeMotion_ =
        reinterpret_cast<int (*)(void*, int, int, int, unsigned long)>(dlsym(xtst_, "XTestFakeMotionEvent"));
    fakeRelative_ =
        reinterpret_cast<int (*)(void*, int, int, unsigned long)>(dlsym(xtst_, "XTestFakeRelativeMotionEvent"));
    if (!openDisplay_ || !closeDisplay_ || !sync_ || !keycode_ || !fakeKey_ || !fakeButton_ || !fakeMotion_ ||
        !fakeRelative_)
      return false;
    display_ = openDisplay_(display.c_str());
    return display_ != nullptr;
  }
  ~TXTest() {
    if (display_) closeDisplay_(display_);
    // The libraries stay loaded: SDL's X11 driver holds its own handles.
  }

  // Each call returns once the server has sent the events it made.
  void MoveTo(int screenX, int screenY) { Done(fakeMotion_(display_, -1, screenX, screenY, 0)); }
  // As a mouse moves: by a step, wherever the pointer is.
  void MoveBy(int dx, int dy) { Done(fakeRelative_(display_, dx, dy, 0)); }
  void Button(unsigned button, bool down) { Done(fakeButton_(display_, button, down ? 1 : 0, 0)); }
  void Key(unsigned long keysym, bool down) { Done(fakeKey_(display_, keycode_(display_, keysym), down ? 1 : 0, 0)); }
  void Tap(unsigned long keysym) {
    Key(keysym, true);
    Key(keysym, false);
  }
  // Once the server has sent our events, a round trip on another client's
  // connection reads all it was sent before the answer: SDL's, here.
  void SyncClient(void* display) { sync_(display, 0); }

 private:
  void Done(int) { sync_(display_, 0); }

  void* x11_ = nullptr;
  void* xtst_ = nullptr;
  void* display_ = nullptr;
  void* (*openDisplay_)(const char*) = nullptr;
  int (*closeDisplay_)(void*) = nullptr;
  int (*sync_)(void*, int) = nullptr;
  unsigned char (*keycode_)(void*, unsigned long) = nullptr;
  int (*fakeKey_)(void*, unsigned, int, unsigned long) = nullptr;
  int (*fakeButton_)(void*, unsigned, int, unsigned long) = nullptr;
  int (*fakeMotion_)(void*, int, int, int, unsigned long) = nullptr;
  int (*fakeRelative_)(void*, int, int, unsigned long) = nullptr;
};

class XTestAppletTest : public AppletPictureTest {
 protected:
  static void SetUpTestSuite() {
    server_.emplace();
    if (server_->Installed()) server_->Start("1024x768x24");
  }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    AppletPictureTest::SetUp();
    if (!server_->Installed()) GTEST_SKIP() << "no Xvfb: input tests through X need an X server";
    ASSERT_TRUE(server_->Running()) << "Xvfb is installed but did not start: " << server_->Error();
    displayOverride_.emplace("DISPLAY", server_->Display());
    // The server has no session bus: without an address libdbus would try
    // to autolaunch one for its display.
    busOverride_.emplace("DBUS_SESSION_BUS_ADDRESS", "unix:path=/dev/null/no-session-bus");
    setenv("SDL_VIDEODRIVER", "x11", 1);
    if (!x_.Open(server_->Display())) GTEST_SKIP() << "no libXtst: input tests through X need XTest";
  }
  void TearDown() override {
    env.Finish();
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    busOverride_.reset();
    displayOverride_.reset();
  }

  // Starts the applet with its window at the screen's origin and the
  // pointer over it.
  Applet* Start(const std::string& mainObject) {
    Applet* applet = Launch(mainObject);
    if (applet == nullptr || applet->Window() == nullptr) return nullptr;
    MoveTo(1, 1);
    return applet;
  }
  // Window coordinates; the window has no frame on a server without a
  // window manager.
  void MoveTo(int x, int y) {
    int left = 0, top = 0;
    SDL_GetWindowPosition(static_cast<SDL_Window*>(Running()->Window()->Handle), &left, &top);
    x_.MoveTo(left + x, top + y);
    Settle();
  }
  void Press(int x, int y, unsigned button = 1) {
    MoveTo(x, y);
    x_.Button(button, true);
    Settle();
  }
  void Release(int x, int y, unsigned button = 1) {
    MoveTo(x, y);
    x_.Button(button, false);
    Settle();
  }
  void Click(int x, int y) {
    Press(x, y);
    Release(x, y);
  }
  // Notches of the wheel, as X gives them: presses and releases of button 4
  // (up, positive) or 5 (down).
  void Wheel(int notches) {
    for (int i = 0; i < (notches < 0 ? -notches : notches); ++i) {
      x_.Button(notches < 0 ? 5 : 4, true);
      x_.Button(notches < 0 ? 5 : 4, false);
    }
    Settle();
  }
  void Tap(unsigned long keysym) {
    x_.Tap(keysym);
    Settle();
  }
  // Letters and digits as typed on the main keyboard (their key symbols are
  // their ASCII codes).
  void Type(const std::string& text) {
    for (const char c : text) x_.Tap(static_cast<unsigned char>(c));
    Settle();
  }
  // The X events made so far wait in SDL's queue.
  void SyncHost() {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(static_cast<SDL_Window*>(Running()->Window()->Handle), &info) == SDL_TRUE &&
        info.subsystem == SDL_SYSWM_X11)
      x_.SyncClient(info.info.x11.display);
    SDL_PumpEvents();
  }
  // The applet's window as the X server shows it, once what was drawn has
  // reached the server.
  TPngPicture WindowPicture() {
    SyncHost();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(static_cast<SDL_Window*>(Running()->Window()->Handle), &info) != SDL_TRUE ||
        info.subsystem != SDL_SYSWM_X11)
      return {};
    return XWindowPicture(server_->Display(), info.info.x11.window);
  }
  static bool HostEventsWaiting() { return SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) == SDL_TRUE; }
  // Frames until the host's events are dispatched: one host event a frame
  // (bounded: a platform that stopped reading would spin here), then a
  // frame for what they started.
  void Settle() {
    SyncHost();
    for (int i = 0; i < 200 && HostEventsWaiting(); ++i) Frames(1);
    Frames(2);
  }

  static inline std::optional<TXvfbServer> server_;
  TXTest x_;
  std::optional<TScopedEnv> displayOverride_;
  std::optional<TScopedEnv> busOverride_;
};

}  // namespace
}  // namespace corvane::test
