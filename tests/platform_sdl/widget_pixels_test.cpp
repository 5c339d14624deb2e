// Widgets on the real host: pushed SDL events reach the applet's input, the
// OpenGL device draws the standard widgets, and the picture is read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "gui/console.h"
#include "gui/std_button.h"
#include "gui/std_check_box.h"
#include "gui/std_dropdown.h"
#include "gui/std_edit.h"
#include "gui/std_list.h"
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

// Every standard widget's text, and the console's, stands out from the
// background it is drawn on by at least 4.5 : 1, over a black game and a
// white one alike (the console and the debug form let the game show
// through): the button's on both its greys, a list's and a drop-down's
// rows, the current one on its blue band, an edit's in a light font and in
// a dark one, the console's log lines and its input line, the debug
// board's lines.
TEST_F(WidgetPixelsTest, EveryWidgetsTextStandsOutFromItsOwnBackground) {
  for (const char* behind : {"#FF000000", "#FFFFFFFF"}) {
    SCOPED_TRACE(behind);
    Applet* applet = Launch(std::string("object widgets: Applet\n  width = 480\n  height = 320\n  bkColor = '") +
                            behind +
                            "'\n  debugInfo = True\n"
                            "  object button: TStdButton\n    x = 10\n    y = 130\n    width = 70\n    height = 24\n"
                            "    text = 'Go'\n  end\n"
                            "  object hot: TStdButton\n    x = 90\n    y = 130\n    width = 70\n    height = 24\n"
                            "    text = 'Go'\n  end\n"
                            "  object rows: TStdList\n    x = 200\n    y = 130\n    width = 110\n    height = 64\n"
                            "    itemHeight = 20\n    items.strings = ('one' 'two' 'three')\n    itemIndex = 1\n  end\n"
                            "  object light: TStdEdit\n    x = 10\n    y = 170\n    width = 80\n    height = 24\n"
                            "    text = 'Wide'\n  end\n"
                            "  object ink: TStdEdit\n    x = 100\n    y = 170\n    width = 90\n    height = 24\n"
                            "    text = 'Ink'\n    font.color = '#FF000000'\n  end\n"
                            "  object choice: TStdDropdown\n    x = 10\n    y = 210\n    width = 100\n    height = 24\n"
                            "    items.strings = ('one' 'two' 'three')\n    itemIndex = 1\n  end\n"
                            "end\n");
    ASSERT_NE(applet, nullptr) << ::testing::PrintToString(env.Messages());
    auto* console = Create<TConsole>(TCreateContext(applet));
    console->SetBoundsRect({0, 0, 150, 120});
    console->Edit()->SetText(u"points()");
    auto* board = dynamic_cast<GuiObject*>(applet->DebugForm());
    ASSERT_NE(board, nullptr);
    board->SetX(330);
    board->SetWidth(150);
    // No caret or selection in the way: the open pop-up has the focus.
    auto* choice = dynamic_cast<TStdDropdown*>(applet->findByName(u"choice"));
    ASSERT_NE(choice, nullptr);
    choice->DropedDown();
    auto* hot = dynamic_cast<GuiObject*>(applet->findByName(u"hot"));
    ASSERT_NE(hot, nullptr);
    applet->SetHotObject(hot);
    Frames(3);
    const TPngPicture picture = Picture(applet, "legible.png");
    ASSERT_EQ(picture.Width, 480) << ::testing::PrintToString(env.Messages());

    // Each region holds text and its background, inside any frame.
    const auto inside = [](const GuiObject* widget, TRect r) {
      return TRect{widget->X() + r.left + 2, widget->Y() + r.top + 2, widget->X() + r.right - 2,
                   widget->Y() + r.bottom - 2};
    };
    const auto whole = [&](const char16_t* name) {
      const auto* widget = dynamic_cast<const GuiObject*>(applet->findByName(name));
      return widget ? inside(widget, widget->GetClientRect()) : TRect{};
    };
    const auto* list = dynamic_cast<const TStdList*>(applet->findByName(u"rows"));
    const TStdList* popup = choice->Popup();
    ASSERT_TRUE(list && popup);
    const TConsoleEdit* line = console->Edit();
    const struct {
      const char* what;
      TRect region;
    } texts[] = {
        {"button", whole(u"button")},
        {"lit button", whole(u"hot")},
        {"list row", inside(list, list->GetItemRect(0))},
        {"current list row", inside(list, list->GetItemRect(1))},
        {"drop-down", whole(u"choice")},
        {"drop-down row", inside(popup, popup->GetItemRect(0))},
        {"current drop-down row", inside(popup, popup->GetItemRect(1))},
        {"edit", whole(u"light")},
        {"edit in a dark font", whole(u"ink")},
        {"console's lines", {2, 2, 148, line->Y() - 2}},
        {"console's input line", inside(line, line->GetClientRect())},
        {"debug board", inside(board, board->GetClientRect())},
    };
    for (const auto& text : texts) {
      const auto [x0, y0, x1, y1] = text.region;
      ASSERT_LT(x0 + 4, x1) << text.what;
      ASSERT_LT(y0 + 4, y1) << text.what;
      EXPECT_GE(test::TextContrast(picture, static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1),
                                   static_cast<int>(y1)),
                4.5)
          << text.what;
    }
    env.Finish();
  }
}

// A static text of more lines than its height holds draws the first ones,
// from its top, and nothing above or below itself.
TEST_F(WidgetPixelsTest, AStaticTextOfMoreLinesThanItsHeightStaysInside) {
  Applet* applet = Launch(
      "object texts: Applet\n  width = 320\n  height = 240\n  bkColor = '#FF000000'\n"
      "  object notes: StaticText\n    x = 20\n    y = 100\n    width = 200\n    height = 40\n  end\n"
      "  object wrapped: StaticText\n    x = 240\n    y = 100\n    width = 60\n    height = 40\n"
      "    wordWrap = True\n    text = 'one two three four five six seven eight'\n  end\nend\n");
  ASSERT_NE(applet, nullptr) << ::testing::PrintToString(env.Messages());
  auto* notes = dynamic_cast<GuiObject*>(applet->findByName(u"notes"));
  ASSERT_NE(notes, nullptr);
  notes->SetText(u"one\ntwo\nthree\nfour\nfive\nsix");
  Frames(3);
  const TPngPicture picture = Picture(applet, "texts.png");
  ASSERT_EQ(picture.Width, 320) << ::testing::PrintToString(env.Messages());
  // Rows of [y0, y1) with anything drawn on them.
  const auto inked = [&](int y0, int y1) {
    int rows = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = 0; x < picture.Width; ++x)
        if (picture.Pixel(x, y) != 0) {
          ++rows;
          break;
        }
    return rows;
  };
  EXPECT_EQ(inked(0, 100), 0);
  EXPECT_EQ(inked(140, 240), 0);
  EXPECT_GE(inked(100, 140), 20) << "two lines drawn";
  // The first line at the top.
  EXPECT_GT(test::BrightnessSpread(picture, 20, 100, 220, 108), 128);
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
