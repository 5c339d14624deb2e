// Skinned widgets, the fade screen, a colour swatch, a background and the
// inspector form on the real host: the widgets and the inspector against
// expected pictures, the rest checked at the pixels that tell.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gui/color_dropdown.h"
#include "gui/inspector_form.h"
#include "gui/screen.h"
#include "gui/std_list.h"
#include "platform/filters/register.h"
#include "platform/sdl/sys_font_freetype.h"
#include "platform/sys_font.h"
#include "resources/embedded_defaults.h"
#include "resources/embedded_res_man.h"
#include "tests/platform_sdl/applet_picture_kit.h"
#include "tests/platform_sdl/pinned_fonts.h"
#include "tests/support/kit/filter_files.h"

namespace corvane {
namespace {

using test::ChannelDistance;
using test::TPngPicture;

// The default skin's sheet: "PIXMAPB", the sides, 512 bytes, ARGB words.
std::uint32_t SheetPixel(std::int32_t x, std::int32_t y) {
  std::ifstream in(CORVANE_DEFAULTS_DIR "/defaultskin.pixmap", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto word = [&](std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
    return v;
  };
  if (bytes.size() < 15) return 0;
  const std::uint32_t width = word(7);
  const std::size_t at = 7 + 8 + 512 + (static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)) * 4;
  return at + 4 <= bytes.size() ? word(at) : 0;
}

// The ARGB colour blended over black, as RGB.
std::uint32_t OverBlack(std::uint32_t argb) {
  const std::uint32_t a = argb >> 24;
  std::uint32_t rgb = 0;
  for (int shift : {16, 8, 0}) rgb |= (((argb >> shift) & 0xFF) * a + 127) / 255 << shift;
  return rgb;
}

class SkinnedPixels : public test::AppletPictureTest {
 protected:
  void SetUp() override {
    AppletPictureTest::SetUp();
    RegisterFilterClasses();
    // The default skin and its sheet are embedded files.
    ClearEmbeddedResources();
    RegisterEmbeddedDefaults();
  }
  void TearDown() override {
    env.Finish();
    SysFontClass = nullptr;  // a test that draws text registers the FreeType fonts
    ClearEmbeddedResources();
  }
};

// Every skinned widget without text, and an image form, in the default
// skin on black.
const char kAllSkinned[] =
    "object skinned: Applet\n"
    "  width = 320\n"
    "  height = 240\n"
    "  bkColor = '#FF000000'\n"
    "  object button: Button\n    x = 10\n    y = 10\n    width = 80\n    height = 30\n  end\n"
    "  object edit: Edit\n    x = 100\n    y = 10\n    width = 100\n    height = 24\n  end\n"
    "  object dropdown: Dropdown\n    x = 210\n    y = 10\n    width = 100\n    height = 24\n  end\n"
    "  object rows: List\n    x = 10\n    y = 50\n    width = 80\n    height = 60\n  end\n"
    "  object checked: Checkbox\n    x = 100\n    y = 50\n    width = 20\n    height = 20\n    checked = True\n"
    "  end\n"
    "  object unchecked: Checkbox\n    x = 130\n    y = 50\n    width = 20\n    height = 20\n  end\n"
    "  object track: TrackBar\n    x = 160\n    y = 50\n    width = 150\n    height = 20\n  end\n"
    "  object toggle: Toggle\n    x = 100\n    y = 80\n    width = 60\n    height = 30\n  end\n"
    "  object window: ImageForm\n    x = 10\n    y = 120\n    width = 200\n    height = 110\n  end\n"
    "end\n";

TEST_F(SkinnedPixels, EverySkinnedWidgetMatchesItsExpectedPicture) {
  Applet* applet = Launch(kAllSkinned);
  ASSERT_NE(applet, nullptr) << ::testing::PrintToString(env.Messages());
  ASSERT_NE(applet->DefaultSkin(), nullptr);
  const TPngPicture picture = Picture(applet, "skinned.png");
  ASSERT_EQ(picture.Width, 320) << ::testing::PrintToString(env.Messages());
  ExpectLikeExpected("skinned.png", "skinned_widgets");
  // The track bar draws the skin's groove and knob, not the whole sheet:
  // the groove stretched along (its middle from the sheet's (160, 100)),
  // the knob at its own size at value 0 (its middle from (245, 152)).
  EXPECT_LE(ChannelDistance(picture.Pixel(250, 60), OverBlack(SheetPixel(160, 100))), 2)
      << std::hex << picture.Pixel(250, 60);
  EXPECT_LE(ChannelDistance(picture.Pixel(175, 60), OverBlack(SheetPixel(245, 152))), 2)
      << std::hex << picture.Pixel(175, 60);
}

// A fixed object for the inspector: a static text with a few values set.
const char kInspected[] =
    "object inspected: Applet\n"
    "  width = 800\n"
    "  height = 600\n"
    "  bkColor = '#FF000000'\n"
    "  object label: StaticText\n    x = 10\n    y = 20\n    width = 120\n    text = 'Hello'\n"
    "    textAlign = taCenter\n  end\n"
    "end\n";

TEST_F(SkinnedPixels, TheInspectorFormMatchesItsExpectedPicture) {
  test::PinDejaVuSans();
  RegisterFreeTypeSysFont();
  Applet* applet = Launch(kInspected);
  ASSERT_NE(applet, nullptr) << ::testing::PrintToString(env.Messages());
  auto* form = dynamic_cast<InspectorForm*>(applet->Inspector());
  ASSERT_NE(form, nullptr);
  form->SetRoot(applet->findByName(u"label"));
  applet->ShowInspector();
  Frames();
  const TPngPicture picture = Picture(applet, "inspector.png");
  ASSERT_EQ(picture.Width, 800) << ::testing::PrintToString(env.Messages());
  ExpectLikeExpected("inspector.png", "inspector_form");
  // The first row's name, in the inspector at (605, 25), stands out from
  // the skin's dark rows.
  EXPECT_GE(test::BrightnessSpread(picture, 610, 29, 680, 39), 128);
}

// A button exactly the size of the skin's "button" element (64 x 32 from
// (96, 16) of the sheet) and a red screen, on a black applet.
const char kButtonAndFill[] =
    "object skinned: Applet\n"
    "  width = 320\n"
    "  height = 240\n"
    "  bkColor = '#FF000000'\n"
    "  object button: Button\n    x = 100\n    y = 10\n    width = 64\n    height = 32\n  end\n"
    "  object fill: Screen\n    x = 10\n    y = 100\n    width = 40\n    height = 40\n"
    "    Color = '#80FF0000'\n  end\n"
    "end\n";

TEST_F(SkinnedPixels, TheSkinsPixelsAndAHalfFadedScreen) {
  Applet* applet = Launch(kButtonAndFill);
  ASSERT_NE(applet, nullptr) << ::testing::PrintToString(env.Messages());
  ASSERT_NE(applet->DefaultSkin(), nullptr);
  auto* fill = dynamic_cast<Screen*>(applet->findByName(u"fill"));
  ASSERT_NE(fill, nullptr);
  fill->SetAlpha(0.5f);
  Frames();
  const TPngPicture picture = Picture(applet, "pixels.png");
  ASSERT_EQ(picture.Width, 320) << ::testing::PrintToString(env.Messages());
  // The element's centre: sheet pixel (128, 32).
  const std::uint32_t sheet = SheetPixel(128, 32);
  EXPECT_LE(ChannelDistance(picture.Pixel(132, 26), OverBlack(sheet)), 2)
      << std::hex << picture.Pixel(132, 26) << " sheet " << sheet;
  // Alpha 0.5 makes 128 (halves to even) over black.
  EXPECT_LE(ChannelDistance(picture.Pixel(30, 120), 0x800000), 2) << std::hex << picture.Pixel(30, 120);
}

// The colour drop-down's pop-up: item 8's swatch in its colour.
TEST_F(SkinnedPixels, AColourSwatchShowsItsColour) {
  Applet* applet = Launch(
      "object colours: Applet\n  width = 320\n  height = 240\n  bkColor = '#FF000000'\n"
      "  object picker: ColorDropdown\n    x = 10\n    y = 10\n    width = 60\n    height = 24\n  end\n"
      "end\n");
  ASSERT_NE(applet, nullptr) << ::testing::PrintToString(env.Messages());
  auto* picker = dynamic_cast<ColorDropdown*>(applet->findByName(u"picker"));
  ASSERT_NE(picker, nullptr);
  picker->DropedDown();
  Frames();
  const TStdList* popup = picker->Popup();
  ASSERT_TRUE(popup->Visible());
  const TRect item = popup->GetItemRect(8);
  const TPngPicture picture = Picture(applet, "swatch.png");
  ASSERT_EQ(picture.Width, 320) << ::testing::PrintToString(env.Messages());
  const auto x = static_cast<std::int32_t>(popup->X() + (item.left + item.right) / 2);
  const auto y = static_cast<std::int32_t>(popup->Y() + (item.top + item.bottom) / 2);
  EXPECT_LE(ChannelDistance(picture.Pixel(x, y), 0x2A0E0E), 2) << std::hex << picture.Pixel(x, y);
}

// An 800 x 600 picture whose pixels hold their row (green the high byte,
// blue the low one) in two textures that meet at row 500.
TEST_F(SkinnedPixels, ABackgroundShowsEachPictureRowAtItsWindowRow) {
  std::vector<std::uint32_t> pixels(800 * 600);
  for (std::uint32_t row = 0; row < 600; ++row)
    std::fill_n(pixels.begin() + static_cast<std::ptrdiff_t>(row * 800), 800, 0xFF000000u | row);
  env.Put("rows.pixmap", test::PixmapFileBytes(800, 600, pixels));
  Applet* applet = Launch(
      "object rows: Applet\n  width = 800\n  height = 600\n  bkColor = '#FF000000'\n"
      "  object back: Background\n    width = 800\n    height = 600\n    fileName = 'rows.pixmap'\n  end\n"
      "end\n");
  ASSERT_NE(applet, nullptr) << ::testing::PrintToString(env.Messages());
  const TPngPicture picture = Picture(applet, "rows.png");
  ASSERT_EQ(picture.Width, 800) << ::testing::PrintToString(env.Messages());
  for (const std::int32_t row : {0, 250, 499, 500, 599}) {
    const std::uint32_t pixel = picture.Pixel(400, row);
    EXPECT_NEAR(static_cast<int>(pixel & 0xFFFF), row, 1) << row << " " << std::hex << pixel;
  }
}

}  // namespace
}  // namespace corvane
