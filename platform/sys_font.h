// T3DSysFont: the system font object behind a device font. It holds the
// glyph atlas (a square texture) and the table of each character's cell in
// it, keeps both in a ".fnbin" cache file with the atlas as a picture
// beside it, measures text and writes text quads into the device's scratch
// mesh. A host unit supplies the class that rasterises glyphs
// (RebuildTexture) and sets SysFontClass to it when the program starts.
// Without one the device makes no fonts and draws no text.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "base/geometry/geometry.h"
#include "base/reflection/persistent.h"
#include "platform/device.h"
#include "platform/glyph_table.h"
#include "platform/media.h"

namespace corvane {

class TDevice;
class TResourceMan;
struct TGlyphPacking;

// The most glyphs one line draws: what one draw of the scratch mesh can
// index (16384), below the cap of its vertex store.
inline constexpr std::int32_t kMaxTextQuads = std::min(MaxIndexedVertex / 4, (MaxColorVertex - 6) / 6);

class T3DSysFont : public TSomePersistent {
  CORVANE_CLASS(T3DSysFont, TSomePersistent)
  // The owner is the applet, whose device makes the atlas.
  using TSomePersistent::TSomePersistent;
  // Destroys the atlas through the device.
  void BeforeDestruction() override;

  // The glyph atlas, made through the applet's device; the device binds it
  // before drawing text.
  TPixmap* Pixmap = nullptr;
  std::int32_t TextureWidth = 0;
  std::int32_t TextureHeight = 0;
  std::vector<TCharCoord> Chars;  // entry i: the character of code 32 + i
  std::string FontName;
  std::int32_t FontSize = 0;
  TFontStyles FontStyles;
  // When set, characters added later rebuild the atlas and every rebuild
  // is written to the cache file.
  bool StoreCache = false;
  TResourceMan* ResMan = nullptr;
  std::string CacheFile;

  // Rasterises the characters 32 to 126.
  virtual void InitFromFont(TResourceMan* resMan, const std::string& cacheFile, const std::string& fontName,
                            std::int32_t size, TFontStyles styles, bool storeCache);
  // Reads the table from cacheFile and the atlas from the picture beside
  // it; a cache that does not hold up is rasterised anew.
  virtual void InitFromFile(TResourceMan* resMan, const std::string& cacheFile, const std::string& fontName,
                            std::int32_t size, TFontStyles styles, bool storeCache);
  // Writes the table to cacheFile and the atlas beside it. A manager that
  // gives no stream to write (a read-only container, the embedded files)
  // leaves both unwritten; the font keeps its atlas.
  virtual void SaveToFile(TResourceMan* resMan, const std::string& cacheFile);
  // Marks every character of the text from code 32 on as used, growing the
  // table as needed; with StoreCache a change rebuilds the atlas.
  virtual void CheckText(std::u16string_view text);
  // Width and height of the text in pixels; count receives how many
  // characters fit into maxWidth.
  virtual TPoint GetTextExtent(std::u16string_view text, float maxWidth, std::int32_t& count);
  // Appends, for k from 1 to the line's length, the width GetTextExtent
  // gives the line's first k characters: every prefix in one pass.
  virtual void AddPrefixWidths(std::u16string_view line, float maxWidth, std::vector<float>& widths);
  // One line of text at (x, y) in the colour (vertex byte order), through
  // the device's scratch mesh with the states the caller set. A line of
  // more than kMaxTextQuads glyphs is drawn up to there and reported as
  // too long, once for the font and that text (drawn every frame, it would
  // otherwise fill the log), with only its start in the line.
  virtual void DrawText(float x, float y, std::uint32_t color, std::u16string_view text);
  // The quads DrawText writes for the text: one a glyph (a character above
  // the space), at most kMaxTextQuads.
  static std::int32_t TextQuads(std::u16string_view text);
  // Rasterises the used characters into a new atlas, sets their cells and,
  // with StoreCache, writes the cache.
  virtual void RebuildTexture() = 0;

  // The picture beside a cache file: its name with ".png" for ".fnbin".
  static std::string AtlasFileName(const std::string& cacheFile);

 protected:
  // The device of the owner applet; null without one.
  TDevice* Device() const;
  // What a rasteriser calls once it has packed the used glyphs: draw gets
  // the new atlas locked and zeroed (ARGB pixels, rows from the top, each
  // row stride pixels after the last) and draws each glyph into its cell.
  // The atlas then replaces the old one, the cells become the table's, and
  // with StoreCache the cache is written. Nothing changes when the device
  // makes no atlas.
  using TDrawAtlas = std::function<void(std::uint32_t* pixels, std::size_t stride)>;
  void UseAtlas(const TGlyphPacking& packing, const TDrawAtlas& draw);

 private:
  void StoreArguments(TResourceMan* resMan, const std::string& cacheFile, const std::string& fontName,
                      std::int32_t size, TFontStyles styles, bool storeCache);
  void DestroyAtlas();
  // Writes the error line line() unless the font wrote it for the same key
  // already: the draws that fail do so every frame, so the line is made
  // only the first time.
  template <typename TLine>
  void ErrorOnce(std::size_t key, const TLine& line);

  // The keys of the lines written (a text's hash, say), at most a few
  // thousand: past them a failing draw stays silent.
  std::unordered_set<std::size_t> reported_;
};

// The system font class the device instantiates; nullptr while no font unit
// has registered one.
extern TClass SysFontClass;

}  // namespace corvane
