// The FreeType system font with fontconfig pinned to the DejaVu Sans faces:
// its cache file and atlas across runs, growth, packing at every size, and
// text drawn for real on the OpenGL device.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/reflection/class_builder.h"
#include "platform/device.h"
#include "platform/filters/png_filter.h"
#include "platform/sdl/sys_font_freetype.h"
#include "resources/folder_res_man.h"
#include "tests/base/temp_dir.h"
#include "tests/platform_sdl/gl_harness.h"
#include "tests/platform_sdl/pinned_fonts.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_filter.h"

namespace corvane {
namespace {

// Counts the rasterisations.
class TCountingFreeType : public T3DSysFontFreeType {
  CORVANE_CLASS(TCountingFreeType, T3DSysFontFreeType)
  using T3DSysFontFreeType::T3DSysFontFreeType;
  static int& Rebuilds() {
    static int count = 0;
    return count;
  }
  void RebuildTexture() override {
    ++Rebuilds();
    T3DSysFontFreeType::RebuildTexture();
  }
};
CORVANE_IMPLEMENT_CLASS(TCountingFreeType)

// The fonts' files in a fresh folder, pictures through the PNG filter.
struct TFontFiles {
  explicit TFontFiles(test::TTestApplet* applet) {
    test::PinDejaVuSans();
    SysFontClass = TCountingFreeType::StaticClass();
    TCountingFreeType::Rebuilds() = 0;
    applet->SetResMan(folder.get());
    applet->Filters()->pictureFilter = FilterClassOf<TPixmapPngFilter>();
  }
  ~TFontFiles() { SysFontClass = nullptr; }
  test::TTempDir dir;
  TOwned<TFolderResourceMan> folder{CreateResMan<TFolderResourceMan>(dir.Path() + "/")};
};

class FreeTypeFontTest : public ::testing::Test {
 protected:
  test::TTestWorld world;
  test::TRecordingDevice* device = world.applet->UseRecordingDevice();
  TFontFiles files{world.applet};
};

TEST_F(FreeTypeFontTest, VerdanaBoldIsCachedAndReadBackWithoutRasterising) {
  TFont* font = device->CreateSysFont("verdana", 10.0f, {fsBold});
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(TCountingFreeType::Rebuilds(), 1);
  EXPECT_EQ(test::ReadFile(files.dir.File("cache/verdana10bold.fnbin")).size(), 1923u);

  // DejaVu Sans Bold at 10 pixels: lines of ascender - descender.
  T3DSysFont& sys = *font->Handle;
  std::int32_t count = 0;
  const TPoint extent = sys.GetTextExtent(u"Hello", 1000, count);
  EXPECT_EQ(extent.y, 13);
  EXPECT_GT(extent.x, 25);
  EXPECT_LT(extent.x, 45);
  // Coverage is white with its alpha, and its alpha survives the cache.
  const std::vector<std::uint32_t> atlas = *device->PixelsOf(sys.Pixmap);
  EXPECT_TRUE(std::all_of(atlas.begin(), atlas.end(), [](std::uint32_t p) { return p == 0 || (p & 0xFFFFFF) == 0xFFFFFF; }));
  EXPECT_GT(std::count_if(atlas.begin(), atlas.end(), [](std::uint32_t p) { return p >> 24 == 0xFF; }), 100);
  const std::vector<TCharCoord> table = sys.Chars;
  device->DestroyFont(font);

  TFont* again = device->CreateSysFont("verdana", 10.0f, {fsBold});
  EXPECT_EQ(TCountingFreeType::Rebuilds(), 1);
  EXPECT_EQ(again->Handle->Chars, table);
  EXPECT_EQ(*device->PixelsOf(again->Handle->Pixmap), atlas);

  // A character beyond 126 grows the table and is rasterised.
  again->Handle->GetTextExtent(u"\u00C9t\u00E9 \u03A9", 1000, count);
  EXPECT_EQ(TCountingFreeType::Rebuilds(), 2);
  const TCharCoord omega = again->Handle->Chars.at(0x3A9 - 32);
  EXPECT_GT(omega.Right, omega.Left);
  device->DestroyFont(again);
}

// Every size a font may have packs its cells inside the atlas, none over
// another, each row ending inside.
TEST_F(FreeTypeFontTest, PackingKeepsEveryCellInsideAndApart) {
  world.applet->SetResMan(nullptr);
  for (int size = 6; size <= 64; ++size) {
    SCOPED_TRACE(size);
    TFont* font = device->CreateSysFont("DejaVu Sans", static_cast<float>(size), {fsBold});
    T3DSysFont& sys = *font->Handle;
    std::int32_t count = 0;
    sys.GetTextExtent(u"\u00E9\u00DF\u20AC", 1000, count);
    ASSERT_NE(sys.Pixmap, nullptr);
    const auto side = static_cast<float>(sys.TextureWidth);
    struct Cell {
      float l, t, r, b;
    };
    std::vector<Cell> cells;
    for (const TCharCoord& c : sys.Chars) {
      if (!c.Used) continue;
      for (float v : {c.Left, c.Top, c.Right, c.Bottom}) {
        ASSERT_GE(v, 0.0f);
        ASSERT_LE(v, 1.0f);
      }
      cells.push_back({c.Left * side, c.Top * side, c.Right * side, c.Bottom * side});
    }
    EXPECT_EQ(cells.size(), 98u);
    for (std::size_t i = 0; i < cells.size(); ++i)
      for (std::size_t j = i + 1; j < cells.size(); ++j) {
        const Cell& a = cells[i];
        const Cell& b = cells[j];
        const bool overlap = a.l < b.r && b.l < a.r && a.t < b.b && b.t < a.b;
        ASSERT_FALSE(overlap) << "cells " << i << " and " << j;
      }
    device->DestroyFont(font);
  }
}

// Text on the OpenGL device, white on black.
class FreeTypeTextPixels : public test::GLDeviceTest {
 protected:
  void SetUp() override {
    test::GLDeviceTest::SetUp();
    files = std::make_unique<TFontFiles>(gl->world.applet);
  }
  void TearDown() override {
    test::GLDeviceTest::TearDown();
    files.reset();
  }
  std::vector<std::uint32_t> Draw(TFont* font, const std::u16string& text, float x, float y) {
    gl->Begin2D();
    Device().SetRenderState(rsBlendNormal);
    Device().DrawString(font, text, {x, y, x + 400, y + 100}, {}, 0xFFFFFFFF);
    return gl->ReadAndFlip();
  }
  std::unique_ptr<TFontFiles> files;
};

TEST_F(FreeTypeTextPixels, AStringLightsPixelsOnlyInsideItsExtent) {
  TFont* font = Device().CreateSysFont("verdana", 16.0f, {});
  ASSERT_NE(font, nullptr);
  const std::u16string text = u"Hello, World! gjpqy";
  std::int32_t count = 0;
  const TPoint extent = font->Handle->GetTextExtent(text, 1000, count);
  const std::vector<std::uint32_t> pixels = Draw(font, text, 40, 30);
  int inside = 0, outside = 0;
  for (int y = 0; y < gl->Height(); ++y)
    for (int x = 0; x < gl->Width(); ++x) {
      if (gl->Rgb(pixels, x, y) == 0) continue;
      const bool in = x >= 40 && x < 40 + extent.x && y >= 30 && y < 30 + extent.y;
      (in ? inside : outside) += 1;
    }
  EXPECT_GT(inside, 200);
  EXPECT_EQ(outside, 0);
  Device().DestroyFont(font);

  // The next run reads the cache and draws the same pixels.
  TFont* cached = Device().CreateSysFont("verdana", 16.0f, {});
  EXPECT_EQ(TCountingFreeType::Rebuilds(), 1);
  EXPECT_EQ(Draw(cached, text, 40, 30), pixels);
  Device().DestroyFont(cached);
}

// A character new to the font rebuilds the atlas while the line is laid
// out: that first frame draws it from the new atlas, as every later one.
TEST_F(FreeTypeTextPixels, TheFirstFrameWithANewCharacterDrawsItTextured) {
  TFont* font = Device().CreateSysFont("verdana", 24.0f, {fsBold});
  ASSERT_NE(font, nullptr);
  const std::vector<std::uint32_t> first = Draw(font, u"\u00C9\u00E9\u03A9", 10, 10);
  EXPECT_EQ(TCountingFreeType::Rebuilds(), 2);
  const std::vector<std::uint32_t> second = Draw(font, u"\u00C9\u00E9\u03A9", 10, 10);
  EXPECT_EQ(TCountingFreeType::Rebuilds(), 2);
  EXPECT_GT(Lit(first), 100);
  EXPECT_EQ(first, second);
  Device().DestroyFont(font);
}

// The engine's own filter keeps a ".pixmap" converted from the atlas's
// ".png". File dates step by 2 seconds, and a source converts again only
// when strictly newer: an atlas rebuilt within the step of that conversion
// must still be what the next run draws.
TEST_F(FreeTypeTextPixels, ARebuildWithinTwoSecondsOfTheConversionStillDrawsTheNewAtlas) {
  gl->world.applet->UseEngineFilter();
  const std::u16string text = u"Ab \u00C9\u00E9\u03A9";
  TFont* first = Device().CreateSysFont("verdana", 24.0f, {fsBold});
  ASSERT_NE(first, nullptr);
  Device().DestroyFont(first);
  ASSERT_EQ(TCountingFreeType::Rebuilds(), 1);
  const std::string png = files->dir.File("cache/verdana24bold.png");
  const std::string pixmap = files->dir.File("cache/verdana24bold.pixmap");
  // The next run's atlas comes through the filter: the ".png" converted.
  std::filesystem::remove(pixmap);
  TFont* second = Device().CreateSysFont("verdana", 24.0f, {fsBold});
  ASSERT_TRUE(std::filesystem::exists(pixmap)) << gl->world.log.Text();
  EXPECT_EQ(TCountingFreeType::Rebuilds(), 1);
  // New characters rebuild the atlas and rewrite the cache.
  const std::vector<std::uint32_t> drawn = Draw(second, text, 10, 10);
  EXPECT_EQ(TCountingFreeType::Rebuilds(), 2);
  EXPECT_GT(Lit(drawn), 300);
  Device().DestroyFont(second);
  // All within one 2-second step: the picture is not newer than the copy.
  const auto date = std::filesystem::last_write_time(png);
  for (const char* name : {"cache/verdana24bold.fnbin", "cache/verdana24bold.pixmap"})
    std::filesystem::last_write_time(files->dir.File(name), date);

  TFont* third = Device().CreateSysFont("verdana", 24.0f, {fsBold});
  EXPECT_EQ(Draw(third, text, 10, 10), drawn);
  EXPECT_EQ(TCountingFreeType::Rebuilds(), 2) << "read from the cache";
  Device().DestroyFont(third);
}

}  // namespace
}  // namespace corvane
