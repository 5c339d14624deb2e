#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "base/streams/resource_man.h"
#include "platform/device.h"
#include "platform/sys_font.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_sys_font.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

TEST(FontStyleTest, StyleTextAndSizeKey) {
  struct Case {
    TFontStyles styles;
    std::string text;
  };
  const Case cases[] = {{{}, ""}, {{fsBold}, "bold"}, {{fsItalic}, "italic"}, {{fsItalic, fsBold}, "bolditalic"}};
  for (const Case& c : cases) EXPECT_EQ(FontStyleToStr(c.styles), c.text);

  struct Size {
    float size;
    std::int32_t whole;
  };
  const Size sizes[] = {{12.7f, 12},
                        {12.2f, 12},
                        {-3.5f, -3},
                        {0, 0},
                        {std::numeric_limits<float>::quiet_NaN(), 0},
                        {std::numeric_limits<float>::infinity(), 0},
                        {1e20f, 0}};
  for (const Size& s : sizes) EXPECT_EQ(TruncFontSize(s.size), s.whole) << s.size;
}

// Reports one file present.
class TOneFileResMan final : public TResourceMan {
 public:
  explicit TOneFileResMan(std::string file) : TResourceMan(TCreateContext()), file_(std::move(file)) {}
  std::unique_ptr<TStream> CreateStream(const std::string&, std::uint16_t) override { return nullptr; }
  bool StreamExists(const std::string& name) override { return name == file_; }
  std::int32_t FileDate(const std::string&) override { return kNoFileDate; }

 private:
  std::string file_;
};

class MediaTest : public ::testing::Test {
 protected:
  MediaTest() { test::TTestSysFont::Journal().clear(); }
  ~MediaTest() override { SysFontClass = nullptr; }
  test::TTestWorld world;
  test::TRecordingDevice* device = world.applet->UseRecordingDevice();
};

TEST_F(MediaTest, ClearFillsThePixmapThroughTheDevice) {
  TPixmap* pixmap = device->CreatePixmap(3, 2);
  pixmap->Clear(0x80FF0000);
  EXPECT_EQ(*device->PixelsOf(pixmap), std::vector<std::uint32_t>(6, 0x80FF0000));
  EXPECT_FALSE(pixmap->Locked());

  device->FailLocks = true;
  pixmap->Clear(0xFF00FF00);
  EXPECT_EQ(*device->PixelsOf(pixmap), std::vector<std::uint32_t>(6, 0x80FF0000));

  // A pixmap whose owner has no device changes nothing and does not crash.
  TPixmap loose{TCreateContext()};
  loose.Width = loose.Height = 2;
  loose.Clear(0xFFFFFFFF);
}

TEST_F(MediaTest, CreateSysFontRasterisesOrReadsTheCacheFile) {
  SysFontClass = test::TTestSysFont::StaticClass();
  TFont* font = device->CreateSysFont("verdana", 10.0f, {fsBold});
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->RefCount, 0);
  ASSERT_NE(dynamic_cast<test::TTestSysFont*>(font->Handle), nullptr);

  TOneFileResMan resMan("cache/arial12italic.fnbin");
  world.applet->SetResMan(&resMan);
  TFont* cached = device->CreateSysFont("arial", 12.7f, {fsItalic});
  world.applet->SetResMan(nullptr);

  // A font frees its system font with itself.
  device->DestroyFont(font);
  EXPECT_EQ(font, nullptr);
  device->DestroyFont(cached);
  EXPECT_EQ(test::TTestSysFont::Journal(),
            (std::vector<std::string>{"font InitFromFont cache/verdana10bold.fnbin",
                                      "font InitFromFile cache/arial12italic.fnbin", "font destroyed",
                                      "font destroyed"}));
}

}  // namespace
}  // namespace corvane
