// The SDL platform's windows, mouse acquisition, clock and pictures, under
// SDL's offscreen driver.
#include "platform/sdl/platform_sdl.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/reflection/class_registry.h"
#include "resources/folder_res_man.h"
#include "tests/base/temp_dir.h"
#include "tests/support/capture_log.h"
#include "engine/core/dummy.h"
#include "engine/shell/applet.h"
#include "platform/sdl/platform_sdl_png.h"
#include "tests/platform_sdl/png_picture.h"
#include "tests/platform_sdl/sdl_platform_fixture.h"

namespace corvane::test {
namespace {

using SDLWindowTest = SDLPlatformTest;

TEST_F(SDLWindowTest, CreateWindowSetsSizesAndOpensAHiddenOpenGLWindow) {
  EXPECT_EQ(platform->CurrentWindow(), window);
  EXPECT_EQ(window->Root, world.applet);
  EXPECT_EQ(window->Owner(), world.applet);
  EXPECT_EQ(window->Width, kWidth);
  EXPECT_EQ(window->Height, kHeight);
  EXPECT_EQ(window->BufferWidth, kWidth);
  EXPECT_EQ(window->BufferHeight, kHeight);
  EXPECT_EQ(window->ClientRect, Rect(0, 0, kWidth, kHeight));
  TWindow* placed = platform->CreateWindow(world.applet, "TTestAppletWnd", 100, 120, 64, 48, systemStyle);
  ASSERT_NE(placed, nullptr);
  EXPECT_EQ(placed->Left, 100);
  EXPECT_EQ(placed->Top, 120);
  platform->DestroyWindow(placed);
  SDL_Window* host = SDLWindowOf(window);
  ASSERT_NE(host, nullptr);
  const Uint32 flags = SDL_GetWindowFlags(host);
  EXPECT_NE(flags & SDL_WINDOW_OPENGL, 0u);
  EXPECT_NE(flags & SDL_WINDOW_HIDDEN, 0u);
  EXPECT_EQ(flags & SDL_WINDOW_BORDERLESS, 0u);
  int value = 0;
  SDL_GL_GetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, &value);
  EXPECT_EQ(value, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  platform->ShowWindow(window);
  EXPECT_EQ(SDL_GetWindowFlags(host) & SDL_WINDOW_HIDDEN, 0u);
}

TEST_F(SDLWindowTest, ResizeReposAndTitle) {
  platform->ResizeWindow(window, 200, 100);
  EXPECT_EQ(window->Width, 200);
  EXPECT_EQ(window->Height, 100);
  EXPECT_EQ(window->BufferWidth, 200);
  EXPECT_EQ(window->BufferHeight, 100);
  int w = 0, h = 0;
  SDL_GetWindowSize(SDLWindowOf(window), &w, &h);
  EXPECT_EQ(w, 200);
  EXPECT_EQ(h, 100);
  // (-1, -1) keeps the size and brings the buffer size back to it.
  window->BufferWidth = 5;
  platform->ResizeWindow(window, -1, -1);
  EXPECT_EQ(window->Width, 200);
  EXPECT_EQ(window->BufferWidth, 200);
  platform->ReposWindow(window, 40, 50);
  EXPECT_EQ(window->Left, 40);
  EXPECT_EQ(window->Top, 50);
  window->Caption = u"Caf\u00E9";
  platform->UpdateWindowState(window);
  EXPECT_STREQ(SDL_GetWindowTitle(SDLWindowOf(window)), "Caf\xC3\xA9");
}

TEST_F(SDLWindowTest, LayeredWindowsBecomeBorderlessMaskStyleWindows) {
  // (The offscreen driver cannot change borders afterwards: the X server
  // tests check ApplyWindowStyle's borders.)
  window->Style = layerStyle;
  platform->ApplyWindowStyle(window);
  EXPECT_EQ(window->Style, maskStyle);
  EXPECT_EQ(world.log.CountInfo("layerStyle is not supported: the window is shown in maskStyle"), 1);

  struct TCase {
    TWindowStyle style;
    TWindowStyle becomes;
    bool borderless;
  };
  const TCase cases[] = {{systemStyle, systemStyle, false}, {maskStyle, maskStyle, true}, {layerStyle, maskStyle, true}};
  for (const TCase& c : cases) {
    TWindow* made = platform->CreateWindow(world.applet, "TTestAppletWnd", 0, 0, 64, 48, c.style);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Style, c.becomes);
    EXPECT_EQ((SDL_GetWindowFlags(SDLWindowOf(made)) & SDL_WINDOW_BORDERLESS) != 0, c.borderless);
    platform->DestroyWindow(made);
  }
  EXPECT_NE(world.applet->WindowStyle(), layerStyle);
}

TEST_F(SDLWindowTest, DestroyWindowClearsOnlyTheWindowItDestroys) {
  TWindow* second = platform->CreateWindow(world.applet, "TTestAppletWnd", 0, 0, 64, 48, maskStyle);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(platform->CurrentWindow(), second);
  const TWeak<TWindow> first = window;
  platform->DestroyWindow(window);
  window = nullptr;
  EXPECT_TRUE(first.Expired()) << "the platform frees the windows it makes";
  EXPECT_EQ(platform->CurrentWindow(), second);
  EXPECT_NE(second->Handle, nullptr);
  EXPECT_EQ(world.log.CountInfo("Window destroyed"), 1);
  Push(KeyEvent(SDL_KEYDOWN, SDLK_ESCAPE, 0));
  Drain();
  const std::vector<TSeenEvent> seen = Taken();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].Window, second);
  platform->DestroyWindow(nullptr);
  window = second;  // the fixture destroys it
}

TEST_F(SDLWindowTest, PlatformGoingFirstClosesTheHostWindowOnly) {
  platform->Free();
  platform = nullptr;
  EXPECT_EQ(world.log.CountInfo("Platrorm finished TPlatformSDL"), 1);
  EXPECT_EQ(window->Handle, nullptr);
  window->Free();  // still its owner's
  window = nullptr;
}

TEST_F(SDLWindowTest, AcquireCountNeverGoesBelowZero) {
  struct TStep {
    bool acquire;
    std::int32_t count;
    bool relative;
  };
  // Relative mode needs a driver that has it; the count does not.
  const TStep steps[] = {{true, 1, true},   {true, 2, true},   {false, 1, true}, {false, 0, false},
                         {false, 0, false}, {false, 0, false}, {true, 1, true},  {false, 0, false}};
  for (const TStep& step : steps) {
    if (step.acquire) {
      platform->AcquireMouse(window);
    } else {
      platform->AcquireDisable(window);
    }
    EXPECT_EQ(window->AcquireCount, step.count);
    if (!step.relative) {
      EXPECT_FALSE(SDL_GetRelativeMouseMode());
    }
  }
  platform->AcquireMouse(nullptr);
  platform->AcquireDisable(nullptr);
}

TEST_F(SDLWindowTest, HostCursorIsHiddenWhileTheAppletsCursorDrawsOrTheMouseIsAcquired) {
  platform->PeekHandler();
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE) << "no cursor object";
  platform->AcquireMouse(window);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  platform->AcquireDisable(window);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);

  auto* cursor = Create<Dummy>(TCreateContext(world.applet));
  world.applet->SetCursor(cursor);
  platform->PeekHandler();
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE) << "the applet draws its own";
  cursor->hide();
  platform->PeekHandler();
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
  world.applet->SetCursor(nullptr);
  cursor->Free();
}

TEST_F(SDLWindowTest, ClockCountsSecondsSinceThePlatformWasMade) {
  const float first = platform->GetCurrentTime();
  EXPECT_GE(first, 0.0f);
  EXPECT_LT(first, 5.0f);
  platform->Sleep(30);
  const float second = platform->GetCurrentTime();
  EXPECT_GE(second - first, 0.025f);
  EXPECT_LT(second - first, 2.0f);
}

TEST_F(SDLWindowTest, MakePngWithoutAPictureLogsAnError) {
  TTempDir dir;
  TOwned<TResourceMan> folder(CreateResMan<TFolderResourceMan>(dir.Path()));
  platform->MakePng(window, *folder, "none.png");  // no OpenGL loaded, no context
  EXPECT_TRUE(world.log.Contains("Can't make png none.png")) << world.log.Text();
  EXPECT_FALSE(std::filesystem::exists(dir / "none.png"));
  platform->MakePng(nullptr, *folder, "none.png");
}

TEST(WriteRgbPngTest, WritesRowsInOrderAndRefusesWhatDoesNotFit) {
  TTempDir dir;
  TCaptureLog log;
  TOwned<TResourceMan> folder(CreateResMan<TFolderResourceMan>(dir.Path()));
  const std::string fileName = dir / "x.png";
  // 2 x 2, rows from the bottom: bottom row red, green; top row blue, white.
  const std::vector<std::uint8_t> rgba = {255, 0, 0, 0, 0, 255, 0, 7, 0, 0, 255, 255, 255, 255, 255, 0};
  ASSERT_TRUE(WriteRgbPng(*folder, "x.png", 2, 2, rgba, true));
  TPngPicture picture = ReadPng(fileName);
  ASSERT_EQ(picture.Width, 2);
  EXPECT_EQ(picture.Pixel(0, 0), 0x0000FFu);
  EXPECT_EQ(picture.Pixel(1, 0), 0xFFFFFFu);
  EXPECT_EQ(picture.Pixel(0, 1), 0xFF0000u);
  EXPECT_EQ(picture.Pixel(1, 1), 0x00FF00u);
  ASSERT_TRUE(WriteRgbPng(*folder, "x.png", 2, 2, rgba, false));
  picture = ReadPng(fileName);
  EXPECT_EQ(picture.Pixel(0, 0), 0xFF0000u);

  struct TBad {
    const char* name;
    std::int32_t width, height;
    std::size_t bytes;
    std::string file;
  };
  const TBad bad[] = {{"TooFewBytes", 2, 2, 15, "x.png"},
                      {"TooManyBytes", 2, 2, 17, "x.png"},
                      {"ZeroWidth", 0, 2, 0, "x.png"},
                      {"NegativeHeight", 2, -2, 0, "x.png"},
                      {"AFolder", 2, 2, 16, "shots/"}};
  for (const TBad& b : bad) {
    SCOPED_TRACE(b.name);
    const std::vector<std::uint8_t> bytes(b.bytes, 0x80);
    std::string error;
    EXPECT_FALSE(WriteRgbPng(*folder, b.file, b.width, b.height, bytes, true, &error));
    // Said once: by the picture, or by the manager that gave no file.
    EXPECT_NE(!error.empty(), log.Contains("Can't create " + b.file)) << log.Text();
  }
  // The refused writes left the earlier picture alone, and nothing beside it.
  EXPECT_EQ(ReadPng(fileName).Pixel(0, 0), 0xFF0000u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(SDLPlatformStartTest, CreateWindowFailsCleanlyWhenSDLCannotStart) {
  TCaptureLog log;
  setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
  TPlatformSDL* platform = Create<TPlatformSDL>();
  EXPECT_EQ(log.CountInfo("Platrorm started TPlatformSDL"), 1);
  EXPECT_EQ(platform->CreateWindow(nullptr, "Wnd", 0, 0, 64, 48, systemStyle), nullptr);
  EXPECT_TRUE(log.Contains("(e) SDL could not start: ")) << log.Text();
  EXPECT_EQ(platform->CurrentWindow(), nullptr);
  platform->PeekHandler();
  platform->Free();
  EXPECT_EQ(log.CountInfo("Platrorm finished TPlatformSDL"), 1);
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
}

TEST(SDLPlatformStartTest, RegistrationMakesItTheEnginesPlatform) {
  TCaptureLog log;
  const TClass previous = PlatformClass;
  RegisterSDLPlatform();
  RegisterSDLPlatform();
  EXPECT_EQ(PlatformClass, TPlatformSDL::StaticClass());
  EXPECT_EQ(GetClass("TPlatformSDL"), TPlatformSDL::StaticClass());
  EXPECT_FALSE(log.Contains("Duplicate class")) << log.Text();
  PlatformClass = previous;
}

}  // namespace
}  // namespace corvane::test
