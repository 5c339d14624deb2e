// Image: a picture stretched over the widget. The picture names no skin
// element to begin with, so it draws what its own properties name.
#pragma once

#include "gui/gui_object.h"

namespace corvane {

class TSkinPixmapPersistent;

class Image : public GuiObject {
  CORVANE_CLASS(Image, GuiObject)
  static void Describe(TClassBuilder<Image>& c);
  explicit Image(const TCreateContext& context);
  ~Image() override;

  TSkinPixmapPersistent* Pixmap() const { return pixmap_.get(); }
  // Copies the given picture's values.
  void SetPixmap(TSkinPixmapPersistent* value);

  void Paint() override;

 private:
  TOwned<TSkinPixmapPersistent> pixmap_;
};

}  // namespace corvane
