// Fuzzes the reader of ".fnbin" font caches: any bytes are either refused
// or give a table that keeps every promise the font relies on (a
// power-of-two square atlas, coordinates inside it), and that writes back
// and reads again unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "base/streams/memory_stream.h"
#include "platform/font_cache_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane;
  TMemoryStream stream(std::span<const std::uint8_t>(data, size));
  TFontCache cache;
  if (!ReadFontCache(stream, 1024, cache)) return 0;
  if (cache.Side < kFirstAtlasSide || cache.Side > 1024 || (cache.Side & (cache.Side - 1)) != 0) std::abort();
  if (cache.Chars.empty() || cache.Chars.size() > static_cast<std::size_t>(kMaxGlyphEntries)) std::abort();
  for (const TCharCoord& c : cache.Chars)
    for (float v : {c.Left, c.Top, c.Right, c.Bottom})
      if (!(v >= 0.0f && v <= 1.0f)) std::abort();
  TMemoryStream written;
  WriteFontCache(written, cache);
  written.SetPosition(0);
  TFontCache again;
  if (!ReadFontCache(written, 1024, again) || again.Side != cache.Side || again.Chars != cache.Chars) std::abort();
  return 0;
}
