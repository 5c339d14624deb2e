// Background pictures in power-of-two textures, read through the real
// filter from ".pixmap" files whose pixels code their row; the splash.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gui/background.h"
#include "gui/splash.h"
#include "platform/media.h"
#include "tests/support/kit/filter_files.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/widget_world.h"

namespace corvane {
namespace {

using test::TRecordingDevice;
using test::TWidgetWorld;

// Every pixel holds its row, opaque.
std::string RowCoded(std::uint32_t width, std::uint32_t height) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  for (std::uint32_t row = 0; row < height; ++row)
    std::fill_n(pixels.begin() + static_cast<std::ptrdiff_t>(row * width), width, 0xFF000000u | row);
  return test::PixmapFileBytes(width, height, pixels);
}

struct TDrawnTile {
  TRect rect;
  TPixmap* texture;
};

std::vector<TDrawnTile> PaintTiles(TWidgetWorld& w) {
  TRecordingDevice* device = w.world.Device();
  device->Draws.clear();
  w.Paint();
  std::vector<TDrawnTile> tiles;
  for (const test::TRecordedDraw& d : device->Draws)
    for (const test::TRecordedQuad& q : test::QuadsOf(d)) tiles.push_back({q.Rect, d.Stage0});
  return tiles;
}

TEST(BackgroundWidget, An800By600PictureSplitsAtRow500AndStretches) {
  TWidgetWorld w(true);
  w.world.Put("big.pixmap", RowCoded(800, 600));
  w.world.Put("square.pixmap", RowCoded(256, 256));
  w.world.Put("odd.pixmap", RowCoded(640, 480));
  ASSERT_TRUE(w.Launch("  object back: Background\n    width = 800\n    height = 600\n    fileName = 'big.pixmap'\n"
                       "  end\n"))
      << w.world.Text();
  auto* back = w.Find<Background>(u"back");
  TRecordingDevice* device = w.world.Device();
  ASSERT_EQ(back->Textures().size(), 2u) << w.world.Text();
  TPixmap* top = back->Textures()[0];
  TPixmap* bottom = back->Textures()[1];
  EXPECT_EQ(top->Width, 1024);
  EXPECT_EQ(top->Height, 512);
  EXPECT_EQ(bottom->Width, 1024);
  EXPECT_EQ(bottom->Height, 128);
  const std::vector<std::uint32_t>* low = device->PixelsOf(bottom);
  ASSERT_NE(low, nullptr);
  EXPECT_EQ((*low)[0], 0xFF000000u | 472);  // the last 128 rows
  EXPECT_EQ((*low)[28 * 1024 + 799], 0xFF000000u | 500);
  const std::vector<std::uint32_t>* high = device->PixelsOf(top);
  ASSERT_NE(high, nullptr);
  EXPECT_EQ((*high)[499 * 1024 + 5], 0xFF000000u | 499);

  std::vector<TDrawnTile> tiles = PaintTiles(w);
  ASSERT_EQ(tiles.size(), 2u);
  EXPECT_EQ(tiles[0].rect, (TRect{0, 0, 800, 500}));
  EXPECT_EQ(tiles[0].texture, top);
  EXPECT_EQ(tiles[1].rect, (TRect{0, 500, 800, 600}));
  EXPECT_EQ(tiles[1].texture, bottom);
  back->SetWidth(400);
  back->SetHeight(300);
  tiles = PaintTiles(w);
  ASSERT_EQ(tiles.size(), 2u);
  EXPECT_EQ(tiles[0].rect.bottom, 250);
  EXPECT_EQ(tiles[1].rect.bottom, 300);

  // A new picture gives the old textures back: counted, since the new
  // one may take a freed one's address.
  const int released = device->CountCalls("ReleasePixmap");
  const std::size_t stores = device->LivePixmapStores();
  back->SetFileName("square.pixmap");
  ASSERT_EQ(back->Textures().size(), 1u);
  EXPECT_EQ(device->CountCalls("ReleasePixmap") - released, 2);
  EXPECT_EQ(device->LivePixmapStores(), stores - 1);
  EXPECT_EQ(back->Textures()[0]->Width, 256);
  EXPECT_EQ(PaintTiles(w).size(), 1u);
  // A size without tiles loads and draws nothing; a missing file clears
  // the name only.
  back->SetFileName("odd.pixmap");
  EXPECT_EQ(back->FileName(), "odd.pixmap");
  EXPECT_TRUE(back->Textures().empty());
  EXPECT_TRUE(PaintTiles(w).empty());
  back->SetFileName("square.pixmap");
  TPixmap* kept = back->Textures()[0];
  back->SetFileName("missing.pixmap");
  EXPECT_EQ(back->FileName(), "");
  ASSERT_EQ(back->Textures().size(), 1u);
  EXPECT_EQ(back->Textures()[0], kept);
}

TEST(SplashWidget, ThreeLogosInARowNearTheBottom) {
  TWidgetWorld w(true);
  ASSERT_TRUE(w.Launch("  width = 640\n  height = 480\n  object splash: Splash\n    width = 640\n    height = 480\n"
                       "  end\n"))
      << w.world.Text();
  auto* splash = w.Find<Splash>(u"splash");
  for (std::size_t i = 0; i < 3; ++i) ASSERT_NE(splash->Logo(i), nullptr) << i << w.world.Text();
  ASSERT_EQ(splash->Logo(0)->Width, 128);
  const std::vector<TDrawnTile> tiles = PaintTiles(w);
  ASSERT_EQ(tiles.size(), 3u);
  const float xs[] = {98, 246, 394};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(tiles[i].rect, (TRect{xs[i], 302, xs[i] + 128, 430})) << i;
    EXPECT_EQ(tiles[i].texture, splash->Logo(i));
  }
}

}  // namespace
}  // namespace corvane
