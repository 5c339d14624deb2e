// Dropdown: the standard drop-down drawn with the skin's "dropdown"
// picture, a "dropdownglyph" at its right and its text. The pop-up list
// is the standard one.
#pragma once

#include "gui/std_dropdown.h"

namespace corvane {

class TSkinPixmapPersistent;

class Dropdown : public TStdDropdown {
  CORVANE_CLASS(Dropdown, TStdDropdown)
  static void Describe(TClassBuilder<Dropdown>& c);
  explicit Dropdown(const TCreateContext& context);
  ~Dropdown() override;

  TSkinPixmapPersistent* Pixmap() const { return pixmap_.get(); }
  void SetPixmap(TSkinPixmapPersistent* value);
  TSkinPixmapPersistent* PixmapGlyph() const { return glyph_.get(); }
  void SetPixmapGlyph(TSkinPixmapPersistent* value);

  void Paint() override;

 protected:
  // The background, then the glyph of that size, 5 units from the right
  // and centred in height.
  void PaintFrame(TPoint glyphSize);

 private:
  TOwned<TSkinPixmapPersistent> pixmap_;
  TOwned<TSkinPixmapPersistent> glyph_;
};

}  // namespace corvane
