// Background: one picture file stretched over the widget. Textures need
// power-of-two sides: a picture with such sides goes into one texture, an
// 800 x 600 one into a 1024 x 512 and a 1024 x 128 texture whose tiles
// meet at row 500; any other size loads but draws nothing. Each tile says
// which part of its texture is drawn where in the picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gui/gui_object.h"

namespace corvane {

class TPixmap;

// One tile: its texture's source rectangle (texture pixels) and its
// destination in the picture (picture pixels).
struct TBackgroundRect {
  TRect Source;
  TRect Dest;
  std::int32_t Texture = 0;
};

class Background : public GuiObject {
  CORVANE_CLASS(Background, GuiObject)
  static void Describe(TClassBuilder<Background>& c);
  using GuiObject::GuiObject;
  // The textures go back to the device.
  void BeforeDestruction() override;

  const std::string& FileName() const { return fileName_; }
  // Loads the picture through the applet's filter into new textures, giving
  // the previous ones back; a picture that cannot be loaded clears the name
  // and keeps what was shown.
  void SetFileName(const std::string& name);
  const std::vector<TPixmap*>& Textures() const { return textures_; }
  const std::vector<TBackgroundRect>& Tiles() const { return tiles_; }

  // Each tile stretched as the picture is over the widget.
  void Paint() override;

 private:
  void ReleaseTextures();
  // A texture of that size holding the picture's rows from firstRow on (as
  // many as fit) and the tile that draws it; nothing when the device
  // cannot make it.
  void AddTile(std::int32_t width, std::int32_t height, const std::vector<std::uint32_t>& pixels,
               std::int32_t firstRow, const TRect& source, const TRect& dest);

  std::string fileName_;
  std::int32_t pictureWidth_ = 0;
  std::int32_t pictureHeight_ = 0;
  std::vector<TPixmap*> textures_;
  std::vector<TBackgroundRect> tiles_;
};

}  // namespace corvane
