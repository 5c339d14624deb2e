// Widgets on the real host: pushed SDL events reach the applet's input, the
// OpenGL device draws the standard widgets, and the picture is read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "gui/std_button.h"
#include "gui/std_check_box.h"
#include "gui/std_edit.h"
#include "platform/sdl/sys_font_freetype.h"
#include "platform/sys_font.h"
#include "scene/font_persistent.h"
#include "tests/platform_sdl/applet_picture_kit.h"
#include "tests/platform_sdl/pinned_fonts.h"
#include "tests/platform_sdl/sdl_platform_fixture.h"

namespace corvane {
namespace {

using test::ChannelDistance;
using test::TPngPicture;

// A button, a checked box, an edit holding spaces and one holding words,
// on a black applet.
const char kWidgets[] =
    "object widgets: Applet\n"
    "  width = 320\n"
    "  height = 240\n"
    "  bkColor = '#FF000000'\n"
    "  object button: TStdButton\n    x = 10\n    y = 10\n    width = 70\n    height = 30\n  end\n"
    "  object box: TStdCheckBox\n    x = 10\n    y = 60\n    width = 100\n    height = 30\n    checked = True\n  end\n"
    "  object edit: TStdEdit\n    x = 10\n    y = 120\n    width = 200\n    height = 24\n"
    "    text = '          '\n  end\n"
    "  object words: TStdEdit\n    x = 10\n    y = 170\n    width = 200\n    height = 24\n"
    "    text = 'Wide words'\n  end\n"
    "end\n";

class WidgetPixelsTest : public test::AppletPictureTest {
 protected:
  void SetUp() override {
    AppletPictureTest::SetUp();
    test::PinDejaVuSans();
    RegisterFreeTypeSysFont();
  }
  void TearDown() override { SysFontClass = nullptr; }
  static void Push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }
};

TEST_F(WidgetPixelsTest, StandardWidgetsDrawTheirColoursAndTheEditTypesWhatTheHostSends) {
  Applet* applet = Launch(kWidgets);
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
  EXPECT_LE(ChannelDistance(picture.Pixel(25, 132), 0x1D1D83), 2) << std::hex << picture.Pixel(25, 132);
  // Words in the font's colour stand out from the field.
  EXPECT_GE(test::BrightnessSpread(picture, 14, 174, 90, 190), 128);

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

// An applet's first run with a font: its cache folder does not exist yet and
// is made without an error; a size written with a fraction is rounded.
TEST_F(WidgetPixelsTest, AFontsFirstRunWritesItsCacheAndAFractionalSizeIsRounded) {
  Applet* applet = Launch(
      "object fonts: Applet\n  width = 320\n  height = 240\n"
      "  object button: TStdButton\n    x = 10\n    y = 10\n    width = 120\n    height = 30\n"
      "    text = 'Go'\n    font.size = 12.7\n  end\nend\n");
  ASSERT_NE(applet, nullptr) << ::testing::PrintToString(env.Messages());
  Frames(2);
  auto* button = dynamic_cast<GuiObject*>(applet->findByName(u"button"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->Font()->Size(), 13);
  const std::vector<std::string> messages = env.Messages();
  EXPECT_EQ(std::ranges::count_if(messages, [](const std::string& m) { return m.starts_with("(e)"); }), 0)
      << ::testing::PrintToString(messages);
  EXPECT_TRUE(env.Exists("cache/verdana13.fnbin")) << ::testing::PrintToString(messages);
  env.Finish();
}

}  // namespace
}  // namespace corvane
