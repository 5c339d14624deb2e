// T3DSysFont: the system font object behind a device font. It holds the
// glyph atlas, measures text and writes text quads into the device's
// scratch mesh; a host unit supplies the class that rasterises glyphs and
// sets SysFontClass to it when the program starts. Without one the device
// makes no fonts and draws no text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/geometry/geometry.h"
#include "base/reflection/persistent.h"
#include "platform/media.h"

namespace corvane {

class TResourceMan;

class T3DSysFont : public TSomePersistent {
  CORVANE_CLASS(T3DSysFont, TSomePersistent)
  // The owner is the applet, whose device makes the atlas.
  using TSomePersistent::TSomePersistent;

  // The glyph atlas, made through the applet's device; the device binds it
  // before drawing text.
  TPixmap* Pixmap = nullptr;

  // Rasterises the glyphs of the face; with storeCache the atlas and its
  // table are written to cacheFile through resMan.
  virtual void InitFromFont(TResourceMan* resMan, const std::string& cacheFile, const std::string& fontName,
                            std::int32_t size, TFontStyles styles, bool storeCache) = 0;
  // Reads the atlas and its table from cacheFile.
  virtual void InitFromFile(TResourceMan* resMan, const std::string& cacheFile, const std::string& fontName,
                            std::int32_t size, TFontStyles styles, bool storeCache) = 0;
  // Width and height of the text in pixels; count receives how many
  // characters fit into maxWidth.
  virtual TPoint GetTextExtent(std::u16string_view text, float maxWidth, std::int32_t& count) = 0;
  // One line of text at (x, y) in the colour (vertex byte order), through
  // the device's scratch mesh with the states the caller set.
  virtual void DrawText(float x, float y, std::uint32_t color, std::u16string_view text) = 0;
};

// The system font class the device instantiates; nullptr while no font unit
// has registered one.
extern TClass SysFontClass;

}  // namespace corvane
