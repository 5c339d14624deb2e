// The glyph table of a system font and how its glyphs are packed into the
// square atlas texture. Entry i is the character of code 32 + i; its cell
// is given as fractions of the atlas side.
#pragma once

#include <cstdint>
#include <vector>

namespace corvane {

struct TCharCoord {
  std::uint32_t Used = 0;  // non-zero when the character is wanted in the atlas
  float Left = 0;
  float Top = 0;
  float Right = 0;
  float Bottom = 0;
  bool operator==(const TCharCoord&) const = default;
};

// The code of entry 0 and the number of entries a fresh table holds
// (codes 32 to 126); a table never holds more than kMaxGlyphEntries (up to
// code 65535).
inline constexpr std::int32_t kFirstGlyphCode = 32;
inline constexpr std::int32_t kDefaultGlyphEntries = 95;
inline constexpr std::int32_t kMaxGlyphEntries = 65536 - kFirstGlyphCode;
// The side a new atlas starts at.
inline constexpr std::int32_t kFirstAtlasSide = 64;

// What the rasteriser measured of one glyph, in pixels: its advance and the
// height of its face's line (ascender - descender).
struct TGlyphMetrics {
  float Width = 0;
  float Height = 0;
};

// A glyph's place in the atlas, in whole pixels; every cell is LineHeight
// high.
struct TGlyphCell {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::int32_t Width = 0;
};

struct TGlyphPacking {
  std::int32_t Side = 0;
  std::int32_t LineHeight = 0;
  std::vector<TGlyphCell> Cells;  // one per measured glyph, in order
};

// Packs the glyphs row by row, each row LineHeight (the largest rounded
// height) high, into the smallest power-of-two square from kFirstAtlasSide
// on in which every row ends inside the atlas. False when even maxSide is
// too small.
bool PackGlyphs(const std::vector<TGlyphMetrics>& glyphs, std::int32_t maxSide, TGlyphPacking& packing);

// The cell as the table's fractions of the atlas side.
void SetCharCoord(TCharCoord& entry, const TGlyphCell& cell, std::int32_t lineHeight, std::int32_t side);

}  // namespace corvane
