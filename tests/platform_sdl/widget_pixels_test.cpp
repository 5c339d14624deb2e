// Widgets on the real host: the SDL platform (offscreen driver) turns
// pushed SDL events into the applet's input, the OpenGL device draws the
// standard widgets with its vector operations, and the applet's makepng
// picture is read back pixel by pixel.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/shell/applet.h"
#include "gui/std_button.h"
#include "gui/std_check_box.h"
#include "gui/std_edit.h"
#include "platform/sdl/ogl_device.h"
#include "platform/sdl/platform_sdl.h"
#include "platform/sdl/sys_font_freetype.h"
#include "platform/sys_font.h"
#include "tests/engine/shell/applet_launch_kit.h"
#include "tests/platform_sdl/gl_harness.h"
#include "tests/platform_sdl/pinned_fonts.h"
#include "tests/platform_sdl/png_picture.h"
#include "tests/platform_sdl/sdl_platform_fixture.h"

namespace corvane {
namespace {

using test::ChannelDistance;
using test::ReadPng;
using test::TLaunchEnv;
using test::TPngPicture;

// A button, a checked box and an edit holding spaces, on a black applet.
const char kWidgets[] =
    "object widgets: Applet\n"
    "  width = 320\n"
    "  height = 240\n"
    "  bkColor = '#FF000000'\n"
    "  object button: TStdButton\n    x = 10\n    y = 10\n    width = 70\n    height = 30\n  end\n"
    "  object box: TStdCheckBox\n    x = 10\n    y = 60\n    width = 100\n    height = 30\n    checked = True\n  end\n"
    "  object edit: TStdEdit\n    x = 10\n    y = 120\n    width = 200\n    height = 24\n"
    "    text = '          '\n  end\n"
    "end\n";


class WidgetPixelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    test::PinDejaVuSans();
    static const std::int32_t glDevice = RegisterDevice(DeviceClassOf<TGenericGLDevice>());
    RegisterClasses({TPlatformSDL::StaticClass()});
    RegisterFreeTypeSysFont();
    PlatformClass = TPlatformSDL::StaticClass();
    DefaultDevice = glDevice;
  }
  void TearDown() override { SysFontClass = nullptr; }

  Applet* Launch() {
    env.Put("main.object", kWidgets);
    env.Start({env.PathOf("main.object")});
    Applet* applet = Running();
    if (!applet) return nullptr;
    test::PinLoadedLibraries();
    Frames(5);
    return Running();
  }
  Applet* Running() const {
    return env.engine && env.engine->count() == 1 ? dynamic_cast<Applet*>(env.engine->children(0)) : nullptr;
  }
  // Steps enough for every pushed event (one a step) and a frame after.
  void Frames(int n) {
    for (int i = 0; i < n && env.engine->count() > 0; ++i) env.engine->RunStep();
  }
  static void Push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }
  TPngPicture Picture(Applet* applet, const std::string& name) {
    applet->makepng(Utf8ToUtf16(env.PathOf(name)));
    return ReadPng(env.PathOf(name));
  }

  TLaunchEnv env;
};

TEST_F(WidgetPixelsTest, StandardWidgetsDrawTheirColoursAndTheEditTypesWhatTheHostSends) {
  Applet* applet = Launch();
  ASSERT_NE(applet, nullptr) << ::testing::PrintToString(env.Messages());
  auto* edit = dynamic_cast<TStdEdit*>(applet->findByName(u"edit"));
  ASSERT_NE(edit, nullptr);
  edit->focus();
  ASSERT_EQ(edit->SelEnd(), 10);
  Frames(2);

  TPngPicture picture = Picture(applet, "widgets.png");
  ASSERT_EQ(picture.Width, 320) << ::testing::PrintToString(env.Messages());
  EXPECT_LE(ChannelDistance(picture.Pixel(45, 25), 0x808080), 1) << std::hex << picture.Pixel(45, 25);
  // The checked box's inner square: 12 wide, centred in the 30-unit
  // square at the left, shrunk by 3.
  EXPECT_EQ(picture.Pixel(25, 75), 0xFFFFFFu) << std::hex << picture.Pixel(25, 75);
  // The selected spaces: the grey of the edit under the translucent blue.
  EXPECT_LE(ChannelDistance(picture.Pixel(25, 132), 0x7F7FE5), 2) << std::hex << picture.Pixel(25, 132);

  // The pointer over the button lights it.
  Push(test::MotionEvent(45, 25, 1, 1));
  Frames(3);
  picture = Picture(applet, "hovered.png");
  EXPECT_LE(ChannelDistance(picture.Pixel(45, 25), 0xC0C0C0), 1) << std::hex << picture.Pixel(45, 25);

  // A key with the text SDL sends behind it types its character once; text
  // alone types too.
  edit->SetText(u"");
  Push(test::KeyEvent(SDL_KEYDOWN, SDLK_a, 0));
  Push(test::TextEvent("a"));
  Push(test::KeyEvent(SDL_KEYUP, SDLK_a, 0));
  Frames(5);
  EXPECT_EQ(edit->Text(), u"a");
  Push(test::TextEvent("\xC3\xA9"));
  Frames(3);
  EXPECT_EQ(edit->Text(), u"a\u00E9");
  env.Finish();
}

}  // namespace
}  // namespace corvane
