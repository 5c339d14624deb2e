#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/device.h"
#include "platform/sys_font.h"
#include "tests/platform/recording_device_test.h"
#include "tests/support/kit/test_sys_font.h"

namespace corvane {
namespace {

using Lines = std::vector<std::string>;

class DeviceTextTest : public test::RecordingDeviceTest {
 protected:
  DeviceTextTest() {
    SysFontClass = test::TTestSysFont::StaticClass();
    font = device->CreateSysFont("fixed", 16, {});
    font->Handle->Pixmap = device->CreatePixmap(64, 64);
    Journal().clear();
  }
  ~DeviceTextTest() override {
    device->DestroyFont(font);
    SysFontClass = nullptr;
  }
  static Lines& Journal() { return test::TTestSysFont::Journal(); }

  TFont* font = nullptr;
};

TEST(DeviceTextWithoutFonts, NoSystemFontClassDrawsNothing) {
  test::TTestWorld world;
  test::TRecordingDevice* device = world.applet->UseRecordingDevice();
  test::TTestSysFont::Journal().clear();
  TFont* font = device->CreateSysFont("verdana", 10, {});
  EXPECT_EQ(font, nullptr);
  device->ClearRecords();
  device->DrawString(font, u"text", {0, 0, 100, 100}, {}, 0xFFFFFFFF);
  device->DrawStringClip(font, u"text", {0, 0, 100, 100}, {}, 0xFFFFFFFF);
  EXPECT_TRUE(device->Calls.empty());
  EXPECT_TRUE(test::TTestSysFont::Journal().empty());
}

TEST_F(DeviceTextTest, LinesLandOnWholePixels) {
  struct Case {
    std::u16string text;
    TRect rect;
    TTextFormats formats;
    Lines drawn;
  };
  const Case cases[] = {
      {u"ab\ncd", {10.6f, 20.7f, 200, 100}, {tfLeft, tfTop}, {"font DrawText 10 20 ab", "font DrawText 10 36 cd"}},
      {u"abc", {0, 0, 100, 50}, {tfCenter, tfVCenter}, {"font DrawText 38 17 abc"}},
      {u"ab\nabcd", {0, 0, 100, 50}, {tfRight, tfBottom}, {"font DrawText 84 18 ab", "font DrawText 68 34 abcd"}},
      {u"aaa bbb ccc", {0, 0, 64, 100}, {tfWordWrap}, {"font DrawText 0 0 aaa bbb ", "font DrawText 0 16 ccc"}},
  };
  for (const Case& c : cases) {
    Journal().clear();
    device->DrawString(font, c.text, c.rect, c.formats, 0x80FFFFFF);
    EXPECT_EQ(Journal(), c.drawn);
  }
  EXPECT_EQ(device->Stages[0], font->Handle->Pixmap);
  EXPECT_TRUE(device->StateActive(rsTexLinear));
  EXPECT_TRUE(device->StateActive(rsTexModulate));
}

TEST_F(DeviceTextTest, NothingForEmptyTextTransparentColourOrWireFrame) {
  device->DrawString(font, u"", {0, 0, 100, 100}, {}, 0xFFFFFFFF);
  device->DrawString(font, u"abc", {0, 0, 100, 100}, {}, 0x00FFFFFF);
  device->SetRenderState(rsFrame);
  device->DrawString(font, u"abc", {0, 0, 100, 100}, {}, 0xFFFFFFFF);
  EXPECT_TRUE(Journal().empty());
  TFont bare{TCreateContext()};
  device->SetRenderState(rsSolid);
  device->DrawString(&bare, u"abc", {0, 0, 100, 100}, {}, 0xFFFFFFFF);
  EXPECT_TRUE(Journal().empty());
}

TEST_F(DeviceTextTest, MeasureStringGivesTheBoxAndTheCount) {
  TRect rect{5, 5, 100, 100};
  std::int32_t count = -1;
  device->MeasureString(font, u"abcdef", rect, {}, count, 20);
  EXPECT_EQ(rect, (TRect{5, 5, 21, 21}));  // the font measures what fits
  EXPECT_EQ(count, 2);
  rect = {5, 5, 100, 100};
  device->MeasureString(font, u"abcdef", rect, {tfRight}, count, 65535);
  EXPECT_EQ(rect, (TRect{52, 5, 100, 21}));
  EXPECT_EQ(count, 6);

  rect = {5, 6, 100, 100};
  count = -1;
  device->MeasureString(font, u"", rect, {}, count, 20);
  EXPECT_EQ(rect, (TRect{5, 6, 5, 100}));
  EXPECT_EQ(count, -1);

  rect = {0, 0, 100, 100};
  device->MeasureString(nullptr, u"abc", rect, {}, count, 20);
  EXPECT_EQ(rect, (TRect{0, 0, 0, 0}));
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(Journal().empty());
}

TEST_F(DeviceTextTest, DrawStringClipCutsOneLineToTheWidth) {
  struct Case {
    std::u16string text;
    TTextFormats formats;
    Lines drawn;
  };
  const Case cases[] = {
      {u"abcdefgh", {}, {"font DrawText 0 0 abcd"}},
      {u"abc", {}, {"font DrawText 0 0 abc"}},
      // Without word wrap, whatever the formats say.
      {u"aaa bbb", {tfWordWrap}, {"font DrawText 0 0 aaa "}},
      // A text of several lines is not cut.
      {u"abcdef\r\ngh", {}, {"font DrawText 0 0 abcdef", "font DrawText 0 16 gh"}},
      {u"abcdef\ngh", {}, {"font DrawText 0 0 abcdef", "font DrawText 0 16 gh"}},
  };
  for (const Case& c : cases) {
    Journal().clear();
    device->DrawStringClip(font, c.text, {0, 0, 35, 100}, c.formats, 0xFFFFFFFF);
    EXPECT_EQ(Journal(), c.drawn);
  }
}

TEST_F(DeviceTextTest, ALineTooLongForTheScratchMeshIsLeftOut) {
  // 6000 scratch vertices hold 1500 characters.
  const std::u16string fits(1500, u'x'), tooLong(1501, u'y');
  device->DrawString(font, fits + u"\n" + tooLong + u"\nz", {0, 0, 100, 100}, {}, 0xFFFFFFFF);
  ASSERT_EQ(Journal().size(), 2u);
  EXPECT_EQ(Journal()[0].size(), std::string("font DrawText 0 0 ").size() + 1500);
  EXPECT_EQ(Journal()[1], "font DrawText 0 32 z");
  EXPECT_TRUE(device->GrowRequest);

  // Characters below 32 make no quads.
  device->GrowRequest = false;
  Journal().clear();
  device->DrawString(font, fits + std::u16string(10, u'\t'), {0, 0, 100, 100}, {}, 0xFFFFFFFF);
  EXPECT_EQ(Journal().size(), 1u);
  EXPECT_FALSE(device->GrowRequest);
}

}  // namespace
}  // namespace corvane
