// The ".fnbin" cache of a system font, little-endian: "FONTBIN", the atlas
// width and height (u32 each), the number of glyph entries N (u32), N
// entries of Used (u32) and Left, Top, Right, Bottom (singles), then the
// size of the atlas image in bytes (u32, width * height * 4). The atlas
// itself is the picture beside it (".png" in place of ".fnbin").
#pragma once

#include <cstdint>
#include <vector>

#include "platform/glyph_table.h"

namespace corvane {

class TStream;

struct TFontCache {
  std::int32_t Side = 0;  // atlas width and height in pixels
  std::vector<TCharCoord> Chars;
};

// Reads a cache file from the stream's position. The file is untrusted:
// false, with cache untouched, for another signature, an atlas that is not
// a power-of-two square of kFirstAtlasSide to maxSide, a table of no
// entries, more than kMaxGlyphEntries or more than the stream holds, a
// coordinate outside [0, 1], or a trailing size other than the atlas's.
bool ReadFontCache(TStream& stream, std::int32_t maxSide, TFontCache& cache);
void WriteFontCache(TStream& stream, const TFontCache& cache);

}  // namespace corvane
