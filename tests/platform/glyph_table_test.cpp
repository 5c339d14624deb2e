#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/glyph_table.h"

namespace corvane {
namespace {

// A row whose top lies inside the atlas but whose bottom does not makes
// the atlas grow: every cell ends inside it.
TEST(GlyphPacking, TheLastRowEndsInsideTheAtlas) {
  TGlyphPacking packing;
  // Four rows of 20 on a side of 64 would start the last one at 60.
  ASSERT_TRUE(PackGlyphs(std::vector<TGlyphMetrics>(4, {64, 19.6f}), 1024, packing));
  EXPECT_EQ(packing.Side, 128);
  EXPECT_EQ(packing.LineHeight, 20);
  ASSERT_EQ(packing.Cells.size(), 4u);
  EXPECT_EQ(packing.Cells[1].X, 64);
  EXPECT_EQ(packing.Cells[2].Y, 20);
  // Three rows of 21 fit.
  ASSERT_TRUE(PackGlyphs(std::vector<TGlyphMetrics>(3, {64, 21.3f}), 1024, packing));
  EXPECT_EQ(packing.Side, 64);

  TCharCoord entry;
  SetCharCoord(entry, packing.Cells[2], packing.LineHeight, packing.Side);
  EXPECT_EQ(entry, (TCharCoord{0, 0, 42.0f / 64, 1, 63.0f / 64}));
}

TEST(GlyphPacking, RowsWrapAtTheWholeAdvanceAndTooMuchIsRefused) {
  TGlyphPacking packing;
  ASSERT_TRUE(PackGlyphs({{30.5f, 10}, {30.5f, 10}, {4.5f, 12}}, 1024, packing));
  EXPECT_EQ(packing.Side, 64);
  // Cells are whole advances wide; a glyph that would pass the edge wraps.
  EXPECT_EQ(packing.Cells[1].X, 30);
  EXPECT_EQ(packing.Cells[1].Width, 30);
  EXPECT_EQ(packing.Cells[2].X, 0);
  EXPECT_EQ(packing.Cells[2].Y, 12);

  EXPECT_FALSE(PackGlyphs({{1025, 10}}, 1024, packing));
  EXPECT_FALSE(PackGlyphs(std::vector<TGlyphMetrics>(2000, {30, 30}), 1024, packing));
  // Broken measures take no room.
  ASSERT_TRUE(PackGlyphs({{-5, -3}, {std::nanf(""), 8}}, 1024, packing));
  EXPECT_EQ(packing.Cells[0].Width, 0);
  EXPECT_EQ(packing.Cells[1].Width, 0);
}

}  // namespace
}  // namespace corvane
