// Display modes: the filter on a given list, and (under an X server of our
// own, when Xvfb is installed) the real list, the switch to full screen and
// the real window: its size, its borders and the largest size it takes.
#include "platform/sdl/platform_sdl_modes.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "base/text/text_convert.h"
#include "platform/sdl/gl_loader.h"
#include "platform/sdl/platform_sdl.h"
#include "platform/window.h"
#include "tests/platform_sdl/gl_harness.h"
#include "tests/support/scoped_env.h"
#include "tests/support/xvfb_server.h"
#include "tests/support/kit/test_world.h"

namespace corvane::test {
namespace {

TDisplayModeInfo Mode(std::int32_t w, std::int32_t h, std::int32_t bits, std::int32_t hz = 60) {
  TDisplayModeInfo m;
  m.Width = w;
  m.Height = h;
  m.BitsPerPixel = bits;
  m.RefreshRate = hz;
  return m;
}

TEST(ScreenModeFilterTest, KeepsUsableModesOncePerNameAndFindsTheDesktopMode) {
  struct TCase {
    const char* name;
    std::vector<TDisplayModeInfo> modes;
    TDisplayModeInfo desktop;
    std::vector<std::u16string> names;
    std::int32_t current;
    std::int32_t currentHz;  // refresh rate of the entry kept for the current name
  };
  const TCase cases[] = {
      {"Empty", {}, Mode(1024, 768, 32), {}, -1, 0},
      {"OnlyTooSmallOrOddDepths",
       {Mode(639, 480, 32), Mode(800, 399, 32), Mode(800, 600, 24), Mode(800, 600, 8)},
       Mode(800, 600, 24),
       {},
       -1,
       0},
      {"SmallestUsable", {Mode(640, 400, 16)}, Mode(640, 400, 16), {u"640x400x16"}, 0, 60},
      {"RefreshRatesShareAnEntryAndTheDesktopsOneIsKept",
       {Mode(1920, 1080, 32, 144), Mode(1920, 1080, 32, 60), Mode(1280, 720, 32), Mode(1280, 720, 16)},
       Mode(1920, 1080, 32, 60),
       {u"1920x1080x32", u"1280x720x32", u"1280x720x16"},
       0,
       60},
      {"DesktopNotListed",
       {Mode(1024, 768, 32), Mode(800, 600, 32)},
       Mode(1366, 768, 32),
       {u"1024x768x32", u"800x600x32"},
       -1,
       0},
      {"DesktopLaterInTheList",
       {Mode(800, 600, 32), Mode(640, 480, 32), Mode(1024, 768, 32, 75)},
       Mode(1024, 768, 32, 75),
       {u"800x600x32", u"640x480x32", u"1024x768x32"},
       2,
       75},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TCaptureLog log;
    const TScreenModeList list = FilterScreenModes(c.modes, c.desktop);
    EXPECT_EQ(list.Names, c.names);
    ASSERT_EQ(list.Modes.size(), list.Names.size());
    for (std::size_t i = 0; i < list.Names.size(); ++i) EXPECT_EQ(DisplayModeName(list.Modes[i]), list.Names[i]);
    EXPECT_EQ(list.CurrentIndex, c.current);
    if (c.current >= 0) {
      EXPECT_EQ(list.Modes[static_cast<std::size_t>(c.current)].RefreshRate, c.currentHz);
      EXPECT_TRUE(log.Contains("Current mode ")) << log.Text();
    }
    EXPECT_EQ(list.Desktop.Width, c.desktop.Width);
    EXPECT_EQ(list.Desktop.Height, c.desktop.Height);
    EXPECT_EQ(log.CountInfo("Current mode is " + Utf16ToUtf8(DisplayModeName(c.desktop))), 1);
  }
}

TEST(ScreenModeFilterTest, NothingToReadOrSwitchWithoutVideo) {
  EXPECT_TRUE(ReadScreenModes().Names.empty());
  EXPECT_FALSE(SetWindowFullScreen(nullptr, true, 0, 0, 0));
}

// An X server of the test's own, on a display number it picks itself.
class XvfbScreenTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new TXvfbServer("1280x1024x24"); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }

  void SetUp() override {
    if (!server_->Installed()) GTEST_SKIP() << "no Xvfb: display-mode and window tests need an X server";
    ASSERT_TRUE(server_->Running()) << "Xvfb is installed but did not start: " << server_->Error();
    displayOverride_.emplace("DISPLAY", server_->Display());
    // The server has no session bus: without an address libdbus would try
    // to autolaunch one for its display.
    busOverride_.emplace("DBUS_SESSION_BUS_ADDRESS", "unix:path=/dev/null/no-session-bus");
    setenv("SDL_VIDEODRIVER", "x11", 1);
    platform_ = Create<TPlatformSDL>();
    window_ = platform_->CreateWindow(world_.applet, "TTestAppletWnd", 0, 0, 320, 240, systemStyle);
    ASSERT_NE(window_, nullptr) << world_.log.Text();
  }

  void TearDown() override {
    PinLoadedLibraries();
    if (window_ != nullptr) platform_->DestroyWindow(window_);
    if (platform_ != nullptr) platform_->Free();
    if (server_->Running()) setenv("SDL_VIDEODRIVER", "offscreen", 1);
    busOverride_.reset();
    displayOverride_.reset();
  }

  // Clears a frame of that size and shows it: no OpenGL error on the way.
  static void ExpectFrameShown(SDL_Window* host, int width, int height) {
    glViewport(0, 0, width, height);
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapWindow(host);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }

  static inline TXvfbServer* server_ = nullptr;
  std::optional<TScopedEnv> displayOverride_;
  std::optional<TScopedEnv> busOverride_;
  TTestWorld world_;
  TPlatformSDL* platform_ = nullptr;
  TWindow* window_ = nullptr;
};

TEST_F(XvfbScreenTest, ListsTheScreensModeAsCurrentWith32Bits) {
  const TScreenModeList list = ReadScreenModes();
  ASSERT_FALSE(list.Names.empty()) << world_.log.Text();
  ASSERT_GE(list.CurrentIndex, 0);
  EXPECT_EQ(list.Names[static_cast<std::size_t>(list.CurrentIndex)], u"1280x1024x32");
  EXPECT_EQ(list.Desktop.Width, 1280);
  EXPECT_EQ(list.Desktop.Height, 1024);
  EXPECT_EQ(list.Desktop.BitsPerPixel, 32);
}

TEST_F(XvfbScreenTest, FullScreenAndBackKeepTheContext) {
  SDL_Window* host = SDLWindowOf(window_);
  platform_->ShowWindow(window_);
  SDL_GLContext context = SDL_GL_CreateContext(host);
  ASSERT_NE(context, nullptr) << SDL_GetError();
  ASSERT_TRUE(LoadOpenGL("libGL.so.1"));
  const TScreenModeList list = ReadScreenModes();
  ASSERT_GE(list.CurrentIndex, 0);
  const TDisplayModeInfo& mode = list.Modes[static_cast<std::size_t>(list.CurrentIndex)];

  struct TSwitch {
    bool on;
    std::int32_t width, height, bits;
  };
  const TSwitch switches[] = {{true, 0, 0, 0}, {false, 0, 0, 0}, {true, mode.Width, mode.Height, 32}, {false, 0, 0, 0}};
  for (const TSwitch& s : switches) {
    EXPECT_TRUE(SetWindowFullScreen(window_, s.on, s.width, s.height, s.bits)) << world_.log.Text();
    EXPECT_EQ((SDL_GetWindowFlags(host) & SDL_WINDOW_FULLSCREEN) != 0, s.on);
    EXPECT_EQ(SDL_GL_GetCurrentContext(), context);
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    std::uint8_t pixel[4] = {};
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(pixel[1], 255);
  }
  FreeOpenGL();
  SDL_GL_DeleteContext(context);
}

// (The offscreen driver cannot change borders once the window is made.)
TEST_F(XvfbScreenTest, RealWindowTakesItsStylesBorders) {
  SDL_Window* host = SDLWindowOf(window_);
  platform_->ShowWindow(window_);
  struct TCase {
    TWindowStyle style;
    TWindowStyle becomes;
    bool borderless;
  };
  const TCase cases[] = {{maskStyle, maskStyle, true}, {systemStyle, systemStyle, false}, {layerStyle, maskStyle, true}};
  for (const TCase& c : cases) {
    window_->Style = c.style;
    platform_->ApplyWindowStyle(window_);
    EXPECT_EQ(window_->Style, c.becomes);
    EXPECT_EQ((SDL_GetWindowFlags(host) & SDL_WINDOW_BORDERLESS) != 0, c.borderless);
  }
}

// Sizes far beyond the screen come out as the largest window that works,
// with a line in the log: the window shows, and its buffers swap (a window
// larger than the X server takes ended the program there).
TEST_F(XvfbScreenTest, AWindowTooLargeForTheScreenTakesTheLargestThatWorks) {
  platform_->DestroyWindow(window_);
  world_.log.Clear();
  window_ = platform_->CreateWindow(world_.applet, "TTestAppletWnd", 0, 0, INT_MAX, INT_MAX, systemStyle);
  ASSERT_NE(window_, nullptr) << world_.log.Text();
  EXPECT_EQ(window_->Width, 1280);
  EXPECT_EQ(window_->Height, 1024);
  EXPECT_EQ(world_.log.CountError("Window size 2147483647x2147483647 refused: 1280x1024 used"), 1)
      << world_.log.Text();

  SDL_Window* host = SDLWindowOf(window_);
  platform_->ShowWindow(window_);
  SDL_GLContext context = SDL_GL_CreateContext(host);
  ASSERT_NE(context, nullptr) << SDL_GetError();
  ASSERT_TRUE(LoadOpenGL("libGL.so.1"));
  struct TCase {
    std::int32_t width, height;
    int shownWidth, shownHeight;
  };
  const TCase cases[] = {{40000, 40000, 1280, 1024}, {320, 1 << 30, 320, 1024}, {INT_MAX, 200, 1280, 200},
                         {0, 0, 1280, 200}, {640, 480, 640, 480}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    platform_->ResizeWindow(window_, c.width, c.height);  // width 0: no change
    int w = 0, h = 0;
    SDL_GetWindowSize(host, &w, &h);
    EXPECT_EQ(w, c.shownWidth);
    EXPECT_EQ(h, c.shownHeight);
    EXPECT_EQ(window_->Width, c.shownWidth);
    EXPECT_EQ(window_->BufferHeight, c.shownHeight);
    ExpectFrameShown(host, w, h);
  }
  FreeOpenGL();
  SDL_GL_DeleteContext(context);
}

// A screen wider than OpenGL draws (16384 pixels on llvmpipe).
class XvfbWideScreenTest : public XvfbScreenTest {
 protected:
  static void SetUpTestSuite() { server_ = new TXvfbServer("20000x256x24"); }
};

// There the window's context bounds the window.
TEST_F(XvfbWideScreenTest, AWindowWiderThanOpenGLDrawsTakesTheWidestItDraws) {
  SDL_Window* host = SDLWindowOf(window_);
  platform_->ShowWindow(window_);
  const std::int32_t screenWidth = platform_->WindowLimit(window_).Width;
  SDL_GLContext context = SDL_GL_CreateContext(host);
  ASSERT_NE(context, nullptr) << SDL_GetError();
  ASSERT_TRUE(LoadOpenGL("libGL.so.1"));
  GLint most[2] = {0, 0};
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, most);
  if (screenWidth <= most[0]) GTEST_SKIP() << "the screen is no wider than OpenGL draws";
  world_.log.Clear();
  platform_->ResizeWindow(window_, 40000, 100);
  int w = 0, h = 0;
  SDL_GetWindowSize(host, &w, &h);
  EXPECT_LE(w, most[0]);
  EXPECT_GT(w, 1280);
  EXPECT_GT(screenWidth, w);
  EXPECT_EQ(h, 100);
  EXPECT_EQ(world_.log.CountError("Window size 40000x100 refused: " + std::to_string(w) + "x100 used"), 1)
      << world_.log.Text();
  ExpectFrameShown(host, w, h);
  FreeOpenGL();
  SDL_GL_DeleteContext(context);
}

}  // namespace
}  // namespace corvane::test
