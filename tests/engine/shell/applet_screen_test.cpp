// The applet's window and screen modes: scale, size and place setters,
// windowed and full screen, letterboxed auto-scaling, and the refusals of
// values that cannot work.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/lists/wide_string_list.h"
#include "base/reflection/prop_access.h"
#include "base/reflection/variant.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/shell/applet.h"
#include "engine/shell/engine.h"
#include "platform/window.h"
#include "tests/support/kit/applet_world.h"
#include "tests/support/kit/null_platform.h"
#include "tests/support/kit/recording_device.h"

namespace corvane {
namespace {

using test::TAppletWorld;

class AppletScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    applet = world.Launch("object Game: Applet\nend\n");
    ASSERT_NE(applet, nullptr) << world.Text();
    window = applet->Window();
  }
  // A mode the device and the applet both list.
  void AddMode(const char16_t* mode) {
    world.Device()->ScreenModes.Add(mode);
    applet->ScreenModes()->Add(mode);
  }
  TAppletWorld world;
  Applet* applet = nullptr;
  TWindow* window = nullptr;
};

TEST_F(AppletScreen, ValuesThatCannotWorkAreRefused) {
  for (float bad : {0.0f, -2.0f, std::numeric_limits<float>::quiet_NaN()}) applet->SetScale(bad);
  EXPECT_EQ(applet->Scale(), 1.0f);
  EXPECT_EQ(world.CountError("Incorrect scale 0.000000000000000"), 1) << world.Text();
  applet->SetAutoScaleSizeX(0);
  applet->SetAutoScaleSizeY(-5);
  EXPECT_EQ(applet->AutoScaleSizeX(), 800);
  EXPECT_EQ(applet->AutoScaleSizeY(), 600);
  EXPECT_EQ(world.CountError("Incorrect autoScaleSizeX 0"), 1);
  for (std::int32_t index : {-1, 3, 1000}) applet->SetScreenModeIndex(index);
  EXPECT_EQ(applet->ScreenModeIndex(), 2);
  EXPECT_EQ(world.CountError("Screen mode index 3 out of range"), 1);
  // A scale that would make the window under a pixel or beyond any host's
  // reach, a size under a pixel: refused; the applet keeps its size.
  for (float bad : {1e12f, 1e-30f}) applet->SetScale(bad);
  applet->SetHeight(-5);
  applet->SetWidth(0);
  applet->UpdateApplet();
  EXPECT_EQ(applet->Scale(), 1.0f);
  EXPECT_EQ(applet->Width(), 801);
  EXPECT_EQ(applet->Height(), 601);
  EXPECT_EQ(world.CountError("Incorrect scale " + Utf16ToUtf8(FloatToStr(1e12f))), 1) << world.Text();
  EXPECT_EQ(world.CountError("Incorrect scale 0.000000000000000"), 2) << world.Text();  // 0 and 1e-30
  EXPECT_EQ(world.CountError("Incorrect height -5"), 1) << world.Text();
  EXPECT_EQ(world.CountError("Incorrect width 0"), 1) << world.Text();
  // A position beyond the host's reach is bounded, not wrapped by it.
  applet->SetLeft(-100000);
  applet->SetTop(1 << 20);
  EXPECT_EQ(world.Platform().WindowCalls.back(), "ReposWindow -32767 32767");
  EXPECT_EQ(world.CountError("Window position -100000 bounded to -32767"), 1) << world.Text();
  // A style beyond the known ones is the system style.
  applet->SetWindowStyle(static_cast<TWindowStyle>(5));
  EXPECT_EQ(applet->WindowStyle(), systemStyle);
  EXPECT_EQ(window->Style, systemStyle);
}

TEST_F(AppletScreen, ScaleAndSizeResizeTheWindow) {
  applet->SetScale(2);
  EXPECT_EQ(world.Platform().WindowCalls.back(), "ResizeWindow 1602 1202");
  applet->SetWidth(400);
  EXPECT_EQ(world.Platform().WindowCalls.back(), "ResizeWindow 800 1202");
  EXPECT_EQ(applet->RememberedWidth(), 400.0f);  // the layout went from 801 to 400
  applet->SetLeft(30);
  EXPECT_EQ(world.Platform().WindowCalls.back(), "ReposWindow 30 100");
  applet->SetTitle(u"Named");
  EXPECT_EQ(world.Platform().WindowCalls.back(), "UpdateWindowState Named");
  // The user moves and resizes the window.
  window->Left = 50;
  window->SetClientSize(300, 200);
  applet->UpdateApplet();
  EXPECT_EQ(applet->Left(), 50);
  EXPECT_EQ(applet->Width(), 150);
  EXPECT_EQ(applet->Height(), 100);
  EXPECT_EQ(world.CountInfo("50:100"), 1);
}

TEST_F(AppletScreen, AModeIndexChangesTheDisplayOnlyInFullScreen) {
  applet->SetScreenModeIndex(0);
  EXPECT_EQ(applet->ScreenMode(), u"640x480x32");
  EXPECT_EQ(world.Device()->CountCalls("FullScreen"), 1);  // the construction's
  applet->SetFullScreen(true);
  EXPECT_EQ(world.Device()->CountCalls("FullScreen 1 0"), 1);
  EXPECT_EQ(applet->Width(), 640);
  EXPECT_EQ(window->Width, 640);
  applet->SetScreenModeIndex(1);
  EXPECT_EQ(world.Device()->CountCalls("FullScreen 1 1"), 1);
  EXPECT_EQ(applet->Width(), 800);
  // Leaving full screen brings the window back as it was.
  applet->SetFullScreen(false);
  EXPECT_EQ(applet->Width(), 801);
  EXPECT_EQ(window->Width, 801);
  EXPECT_EQ(world.Platform().WindowCalls.back(), "ResizeWindow 801 601");
  applet->SetScreenMode(u"1024x768x32");
  EXPECT_EQ(applet->ScreenModeIndex(), 2);
  EXPECT_EQ(world.CountInfo("set screnMode 1024x768x32"), 1);
}

TEST_F(AppletScreen, AutoScalingLetterboxesAndSkipsAModeWithoutASize) {
  AddMode(u"1280x720x32");
  AddMode(u"bogus");
  applet->SetAutoScale(true);
  applet->SetScreenModeIndex(3);
  applet->SetFullScreen(true);
  // The game area of 800 x 600 at the largest scale that fits, centred.
  EXPECT_FLOAT_EQ(applet->Scale(), 1.2f);
  EXPECT_EQ(window->Width, 1281);
  EXPECT_EQ(window->Height, 721);
  EXPECT_EQ(window->DrawOffsetX, 160);
  EXPECT_EQ(window->DrawOffsetY, 0);
  applet->SetScreenModeIndex(4);
  EXPECT_FLOAT_EQ(applet->Scale(), 1.2f);
  EXPECT_EQ(window->Width, 1281);
  // Windowed again: the saved scale and no letterbox.
  applet->SetFullScreen(false);
  EXPECT_FLOAT_EQ(applet->Scale(), 1.0f);
  EXPECT_EQ(window->DrawOffsetX, 0);
  EXPECT_EQ(window->Width, 801);
}

TEST(AppletScreenStream, StreamedSettingsApplyOnceTheAppletStands) {
  TAppletWorld world;
  Applet* applet = world.Launch(
      "object Game: Applet\n  screenMode = '640x480x32'\n  deviceName = 'nosuchdevice'\n  style = layerStyle\n"
      "  scale = 2\nend\n");
  ASSERT_NE(applet, nullptr) << world.Text();
  // The mode is chosen, but a windowed applet keeps its window.
  EXPECT_EQ(applet->ScreenModeIndex(), 0);
  EXPECT_EQ(applet->ScreenMode(), u"640x480x32");
  EXPECT_EQ(applet->Width(), 801);
  EXPECT_EQ(applet->Window()->Width, 1602);
  // An unknown device name leaves the device in place.
  EXPECT_EQ(applet->DeviceName(), u"nosuchdevice");
  EXPECT_EQ(applet->DeviceIndex(), test::RecordingDeviceIndex());
  EXPECT_EQ(applet->WindowStyle(), layerStyle);
  EXPECT_EQ(applet->devices(applet->DeviceIndex()), u"recording");
  // A layered window is drawn only after a repaint was asked for (the
  // first frame draws what the construction asked for).
  world.Steps(1);
  const int before = world.Platform().CountWindowCalls("UpdateWindow ");
  world.Steps(2);
  EXPECT_EQ(world.Platform().CountWindowCalls("UpdateWindow "), before);
  applet->NeedUpdate();
  world.Steps(1);
  EXPECT_EQ(world.Platform().CountWindowCalls("UpdateWindow "), before + 1);
  // Through the published property, too.
  SetPropValue(*applet, "style", Variant(std::int32_t{1}));
  EXPECT_EQ(applet->WindowStyle(), maskStyle);
}

// A host whose display is smaller than what the applet asks for: the size
// times the scale stays a number the host can take (no overflow), the host
// refuses what it cannot show, and the applet goes on in the largest window
// there is.
TEST(AppletScreenStream, SizesBeyondTheHostGoOnInTheLargestWindow) {
  struct TCase {
    const char* properties;
    std::string created;
    std::string refused;
  };
  const TCase cases[] = {
      {"  width = 40000\n  height = 40000\n", "CreateWindow AppletWnd 100 100 801 601 0",
       "Window size 40000x40000 refused: 1024x768 used"},
      // The scale is refused: read back, the window would overwrite the size.
      {"  width = 320\n  scale = 1000000000000\n", "CreateWindow AppletWnd 100 100 801 601 0",
       "Incorrect scale 999999995904.000000000000000"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.properties);
    TAppletWorld world;
    world.Platform().WindowLimit = {1024, 768};
    Applet* applet = world.Launch(std::string("object Game: Applet\n") + c.properties + "end\n");
    ASSERT_NE(applet, nullptr) << world.Text();
    EXPECT_EQ(world.Platform().WindowCalls.front(), c.created);
    EXPECT_EQ(world.CountError(c.refused), 1) << world.Text();
    world.Steps(3);
    EXPECT_LE(applet->Window()->Width, 1024);
    EXPECT_LE(applet->Window()->Height, 768);
    EXPECT_GT(applet->Width(), 0);
    EXPECT_GT(applet->Height(), 0);
  }
}

}  // namespace
}  // namespace corvane
