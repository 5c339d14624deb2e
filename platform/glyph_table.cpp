#include "platform/glyph_table.h"

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

// The whole pixels a measure covers; nothing for a negative or broken one.
std::int32_t WholePixels(float value) {
  if (!(value > 0)) return 0;
  return value >= 65536.0f ? 65536 : static_cast<std::int32_t>(value);
}

// Lays the glyphs out on an atlas of the side; false when a row would end
// below it or a glyph is wider than it.
bool LayOut(const std::vector<TGlyphMetrics>& glyphs, std::int32_t side, std::int32_t lineHeight,
            std::vector<TGlyphCell>& cells) {
  cells.clear();
  std::int64_t x = 0;
  std::int64_t y = 0;
  for (const TGlyphMetrics& glyph : glyphs) {
    const std::int32_t width = WholePixels(glyph.Width);
    if (width > side) return false;
    if (static_cast<float>(x) + glyph.Width > static_cast<float>(side)) {
      x = 0;
      y += lineHeight;
    }
    cells.push_back({static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), width});
    x += width;
  }
  // The last row's bottom, not only its top, lies inside.
  return y + lineHeight <= side;
}

}  // namespace

bool PackGlyphs(const std::vector<TGlyphMetrics>& glyphs, std::int32_t maxSide, TGlyphPacking& packing) {
  std::int32_t lineHeight = 0;
  for (const TGlyphMetrics& glyph : glyphs)
    lineHeight = std::max(lineHeight, WholePixels(std::round(glyph.Height)));
  std::vector<TGlyphCell> cells;
  for (std::int32_t side = kFirstAtlasSide; side <= maxSide; side *= 2) {
    if (!LayOut(glyphs, side, lineHeight, cells)) continue;
    packing.Side = side;
    packing.LineHeight = lineHeight;
    packing.Cells = std::move(cells);
    return true;
  }
  return false;
}

void SetCharCoord(TCharCoord& entry, const TGlyphCell& cell, std::int32_t lineHeight, std::int32_t side) {
  const auto s = static_cast<float>(side);
  entry.Left = static_cast<float>(cell.X) / s;
  entry.Top = static_cast<float>(cell.Y) / s;
  entry.Right = static_cast<float>(cell.X + cell.Width) / s;
  entry.Bottom = static_cast<float>(cell.Y + lineHeight) / s;
}

}  // namespace corvane
