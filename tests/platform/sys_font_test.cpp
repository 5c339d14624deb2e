// The system font's cache file and atlas on a real folder, measuring,
// drawing and growing, with a stand-in rasteriser of fixed measures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/reflection/class_builder.h"
#include "base/streams/memory_stream.h"
#include "base/streams/stream_helpers.h"
#include "platform/device.h"
#include "platform/filters/png_filter.h"
#include "platform/font_cache_file.h"
#include "platform/sys_font.h"
#include "resources/empty_res_man.h"
#include "resources/folder_res_man.h"
#include "tests/base/temp_dir.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_filter.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

// Glyphs 7 pixels wide (the space 4), 12 high; the atlas pixels of a glyph
// hold its code.
class TStandInRaster : public T3DSysFont {
  CORVANE_CLASS(TStandInRaster, T3DSysFont)
  using T3DSysFont::T3DSysFont;
  static int& Rebuilds() {
    static int count = 0;
    return count;
  }
  void RebuildTexture() override {
    ++Rebuilds();
    std::vector<TGlyphMetrics> metrics;
    std::vector<std::int32_t> codes;
    for (std::size_t i = 0; i < Chars.size(); ++i) {
      if (!Chars[i].Used) continue;
      metrics.push_back({i == 0 ? 4.0f : 7.0f, 12.0f});
      codes.push_back(static_cast<std::int32_t>(i) + kFirstGlyphCode);
    }
    TGlyphPacking packing;
    if (!PackGlyphs(metrics, MaxPixmapSize, packing)) return;
    UseAtlas(packing, [&](std::uint32_t* pixels, std::size_t stride) {
      for (std::size_t g = 0; g < codes.size(); ++g) {
        const TGlyphCell& cell = packing.Cells[g];
        for (std::int32_t y = cell.Y; y < cell.Y + packing.LineHeight; ++y)
          for (std::int32_t x = cell.X; x < cell.X + cell.Width; ++x)
            pixels[static_cast<std::size_t>(y) * stride + x] = 0xFF000000u | static_cast<std::uint32_t>(codes[g]);
      }
    });
  }
};
CORVANE_IMPLEMENT_CLASS(TStandInRaster)

class SysFontTest : public ::testing::Test {
 protected:
  SysFontTest() {
    SysFontClass = TStandInRaster::StaticClass();
    world.applet->SetResMan(folder.get());
    world.applet->Filters()->pictureFilter = FilterClassOf<TPixmapPngFilter>();
    TStandInRaster::Rebuilds() = 0;
  }
  ~SysFontTest() override { SysFontClass = nullptr; }

  TFont* NewFont() { return device->CreateSysFont("verdana", 10.0f, {fsBold}); }
  static T3DSysFont& Sys(TFont* font) { return *font->Handle; }
  std::string CachePath() const { return dir.File("cache/verdana10bold.fnbin"); }
  std::string Cache() const { return test::ReadFile(CachePath()); }
  // The atlas as the recording device holds it.
  std::vector<std::uint32_t> AtlasPixels(TFont* font) const { return *device->PixelsOf(Sys(font).Pixmap); }

  test::TTempDir dir;
  TOwned<TFolderResourceMan> folder{CreateResMan<TFolderResourceMan>(dir.Path() + "/")};
  test::TTestWorld world;
  test::TRecordingDevice* device = world.applet->UseRecordingDevice();
};

TEST_F(SysFontTest, FirstRunWritesTheCacheAndTheNextReadsItBack) {
  TFont* font = NewFont();
  ASSERT_EQ(TStandInRaster::Rebuilds(), 1);
  T3DSysFont& sys = Sys(font);
  EXPECT_TRUE(sys.StoreCache);
  // 95 glyphs of 7 pixels (the space 4) in rows of 12: 128 pixels square.
  EXPECT_EQ(sys.TextureWidth, 128);
  const std::string bytes = Cache();
  ASSERT_EQ(bytes.size(), 1923u);
  EXPECT_EQ(bytes.substr(0, 7), "FONTBIN");
  TMemoryStream stream(std::span<const char>(bytes.data(), bytes.size()));
  TFontCache cache;
  ASSERT_TRUE(ReadFontCache(stream, MaxPixmapSize, cache));
  EXPECT_EQ(cache.Side, 128);
  EXPECT_EQ(cache.Chars, sys.Chars);
  // The atlas beside it, through the filter.
  EXPECT_TRUE(std::filesystem::exists(dir.File("cache/verdana10bold.png")));
  EXPECT_EQ(world.applet->Filters()->pixmapSaves, (std::vector<std::u16string>{u"cache/verdana10bold.png"}));
  const std::vector<std::uint32_t> firstAtlas = AtlasPixels(font);
  const std::vector<TCharCoord> firstTable = sys.Chars;
  device->DestroyFont(font);

  TFont* again = NewFont();
  EXPECT_EQ(TStandInRaster::Rebuilds(), 1);
  EXPECT_TRUE(Sys(again).StoreCache);
  EXPECT_EQ(Sys(again).Chars, firstTable);
  EXPECT_EQ(AtlasPixels(again), firstAtlas);
  device->DestroyFont(again);
}

TEST_F(SysFontTest, MeasuresAndDrawsFromTheTable) {
  TFont* font = NewFont();
  T3DSysFont& sys = Sys(font);
  std::int32_t count = 0;
  EXPECT_EQ(sys.GetTextExtent(u"ab c", 1000, count), (TPoint{25, 12}));
  EXPECT_EQ(count, 4);
  // The scan stops at the first character that does not fit.
  EXPECT_EQ(sys.GetTextExtent(u"abc", 15, count), (TPoint{14, 12}));
  EXPECT_EQ(count, 2);
  EXPECT_EQ(sys.GetTextExtent(u"abc", 3, count), (TPoint{0, 12}));
  EXPECT_EQ(count, 3);

  device->ClearRecords();
  sys.DrawText(10, 20, 0xFF00FF00, u"a b");
  ASSERT_EQ(device->Draws.size(), 1u);
  const std::vector<test::TRecordedQuad> quads = test::QuadsOf(device->Draws[0]);
  ASSERT_EQ(quads.size(), 2u);  // the space advances only
  const TCharCoord& a = sys.Chars['a' - 32];
  const TCharCoord& b = sys.Chars['b' - 32];
  EXPECT_EQ(quads[0], (test::TRecordedQuad{{10, 20, 17, 32}, {a.Left, a.Top, a.Right, a.Bottom}, 0, 0xFF00FF00}));
  EXPECT_EQ(quads[1], (test::TRecordedQuad{{21, 20, 28, 32}, {b.Left, b.Top, b.Right, b.Bottom}, 0, 0xFF00FF00}));
  device->DestroyFont(font);
}

TEST_F(SysFontTest, ACharacterBeyondTheTableGrowsItAndRebuilds) {
  TFont* font = NewFont();
  T3DSysFont& sys = Sys(font);
  std::int32_t count = 0;
  sys.GetTextExtent(u"x\u00E9", 1000, count);
  EXPECT_EQ(TStandInRaster::Rebuilds(), 2);
  ASSERT_EQ(sys.Chars.size(), 0xE9u - 31);
  EXPECT_EQ(sys.Chars[0xE9 - 32].Used, 1u);
  EXPECT_EQ(sys.Chars[0xE8 - 32].Used, 0u);
  // The new glyph's cell holds its pixels, and the cache was rewritten.
  const TCharCoord& e = sys.Chars[0xE9 - 32];
  const std::vector<std::uint32_t> atlas = AtlasPixels(font);
  const auto x = static_cast<std::size_t>(e.Left * static_cast<float>(sys.TextureWidth));
  const auto y = static_cast<std::size_t>(e.Top * static_cast<float>(sys.TextureHeight));
  EXPECT_EQ(atlas[y * static_cast<std::size_t>(sys.TextureWidth) + x], 0xFF0000E9u);
  EXPECT_EQ(Cache().size(), 19u + 20u * (0xE9 - 31) + 4u);
  // Characters already in the atlas change nothing.
  sys.GetTextExtent(u"\u00E9x", 1000, count);
  EXPECT_EQ(TStandInRaster::Rebuilds(), 2);
  device->DestroyFont(font);

  TFont* again = NewFont();
  EXPECT_EQ(TStandInRaster::Rebuilds(), 2);
  EXPECT_EQ(Sys(again).Chars.size(), 0xE9u - 31);
  device->DestroyFont(again);
}

// Every damage of the cache file, or of the atlas beside it, rasterises
// anew and writes a sound cache, with at most one error line.
TEST_F(SysFontTest, ADamagedCacheIsRasterisedAnew) {
  TFont* first = NewFont();
  device->DestroyFont(first);
  const std::string good = Cache();
  const std::string goodPng = test::ReadFile(dir.File("cache/verdana10bold.png"));
  auto withLongword = [&](std::size_t offset, std::uint32_t value) {
    std::string bytes = good;
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(value >> (8 * i));
    return bytes;
  };
  auto withSide = [&](std::uint32_t side) {
    std::string bytes = withLongword(7, side);
    for (int i = 0; i < 4; ++i) bytes[11 + i] = static_cast<char>(side >> (8 * i));
    return bytes;
  };
  auto withSingle = [&](std::size_t offset, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return withLongword(offset, bits);
  };
  struct Case {
    const char* what;
    std::string fnbin;
    std::string png;
  };
  const std::vector<Case> cases = {
      {"signature", "FONTBIX" + good.substr(7), goodPng},
      {"width not the height", withLongword(7, 256), goodPng},
      {"not a power of two", withSide(96), goodPng},
      {"side below 64", withSide(32), goodPng},
      {"side above 1024", withSide(2048), goodPng},
      {"no entries", withLongword(15, 0), goodPng},
      {"entries beyond the file", withLongword(15, 96), goodPng},
      {"entries above the most", withLongword(15, 65505), goodPng},
      {"trailing size", withLongword(19 + 20 * 95, 4), goodPng},
      {"trailing size cut", good.substr(0, good.size() - 2), goodPng},
      {"coordinate above 1", withSingle(19 + 20 * 33 + 12, 1.5f), goodPng},
      {"coordinate below 0", withSingle(19 + 20 * 33 + 4, -0.25f), goodPng},
      {"coordinate not a number", withSingle(19 + 20 * 33 + 8, std::nanf("")), goodPng},
      {"atlas missing", good, ""},
      {"atlas damaged", good, goodPng.substr(0, goodPng.size() / 2)},
      {"atlas of another size", withSide(256), goodPng},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::WriteFile(CachePath(), c.fnbin);
    if (c.png.empty())
      std::filesystem::remove(dir.File("cache/verdana10bold.png"));
    else
      test::WriteFile(dir.File("cache/verdana10bold.png"), c.png);
    TStandInRaster::Rebuilds() = 0;
    world.log.Clear();
    TFont* font = NewFont();
    EXPECT_EQ(TStandInRaster::Rebuilds(), 1);
    EXPECT_LE(world.log.ErrorCount(), 1) << world.log.Text();
    EXPECT_EQ(Sys(font).Chars.size(), 95u);
    EXPECT_EQ(Cache(), good);
    device->DestroyFont(font);
  }
}

// A manager that gives no stream to write (the embedded files, a read-only
// container) keeps the font working without a cache.
TEST_F(SysFontTest, NoWritableStreamKeepsTheAtlasUnsaved) {
  TOwned<TEmptyResourceMan> empty{CreateResMan<TEmptyResourceMan>("")};
  world.applet->SetResMan(empty.get());
  TFont* font = NewFont();
  ASSERT_NE(Sys(font).Pixmap, nullptr);
  EXPECT_EQ(Sys(font).TextureWidth, 128);
  EXPECT_TRUE(world.applet->Filters()->pixmapSaves.empty());
  std::int32_t count = 0;
  EXPECT_EQ(Sys(font).GetTextExtent(u"ab", 1000, count), (TPoint{14, 12}));
  device->DestroyFont(font);
  world.applet->SetResMan(folder.get());
}

// Measuring a character new to the font rebuilds the atlas: the line is
// drawn with the new atlas bound, not the one it replaced.
// A line of more glyphs than one draw can index is drawn up to there and
// reported with its start, once however often it is drawn (every frame);
// a failed lock is reported as the store that failed, once too.
TEST_F(SysFontTest, ALineTooLongIsDrawnUpToTheLimitAndReported) {
  TFont* font = NewFont();
  CurColorVertexCount = MaxColorVertex;
  CurIndexCount = MaxIndex;
  device->DestroyMesh(device->DynamicMesh);
  device->PrepareObjects();
  const std::u16string longest(static_cast<std::size_t>(kMaxTextQuads), u'a');
  for (const std::u16string& line : {longest, longest + u"  b", longest + u"  b"}) {
    device->ClearRecords();
    device->DrawString(font, line, {0, 0, 1e6f, 50}, {}, 0xFFFFFFFF);
    ASSERT_EQ(device->Draws.size(), 1u);
    EXPECT_EQ(test::QuadsOf(device->Draws[0]).size(), static_cast<std::size_t>(kMaxTextQuads));
  }
  const std::string tooLong =
      "Text \"" + std::string(64, 'a') + "...\" (" + std::to_string(kMaxTextQuads + 3) + " characters) too long.";
  EXPECT_EQ(world.log.CountError(tooLong), 1) << "its start, once";
  EXPECT_EQ(world.log.ErrorCount(), 1);

  device->ClearRecords();
  device->FailIndexLocks = true;
  Sys(font).DrawText(0, 0, 0xFFFFFFFF, u"ab");
  device->FailIndexLocks = false;
  device->FailLocks = true;
  Sys(font).DrawText(0, 0, 0xFFFFFFFF, u"ab");
  Sys(font).DrawText(0, 0, 0xFFFFFFFF, u"ab");
  device->FailLocks = false;
  EXPECT_TRUE(device->Draws.empty());
  EXPECT_EQ(world.log.CountError("Can't lock index buffer"), 1);
  EXPECT_EQ(world.log.CountError("Can't lock vertex buffer"), 1);
  device->DestroyFont(font);
  CurColorVertexCount = kStartColorVertexCount;
  CurIndexCount = kStartIndexCount;
}

TEST_F(SysFontTest, DrawStringBindsTheAtlasMadeByItsLayout) {
  TFont* font = NewFont();
  TPixmap* before = Sys(font).Pixmap;
  device->ClearRecords();
  device->DrawString(font, u"caf\u00E9", {0, 0, 200, 50}, {}, 0xFFFFFFFF);
  ASSERT_EQ(device->Draws.size(), 1u);
  EXPECT_NE(Sys(font).Pixmap, before);
  EXPECT_EQ(device->Draws[0].Stage0, Sys(font).Pixmap);
  device->DestroyFont(font);
}

}  // namespace
}  // namespace corvane
