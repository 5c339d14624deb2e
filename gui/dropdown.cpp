#include "gui/dropdown.h"

#include <cmath>

#include "base/reflection/class_builder.h"
#include "gui/skin_pixmap.h"
#include "scene/font_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Dropdown)

void Dropdown::Describe(TClassBuilder<Dropdown>& c) {
  c.Property("font", &Dropdown::Font);
  c.Property("pixmap", &Dropdown::Pixmap, &Dropdown::SetPixmap);
  c.Property("pixmapGlyph", &Dropdown::PixmapGlyph, &Dropdown::SetPixmapGlyph);
}

Dropdown::Dropdown(const TCreateContext& context)
    : TStdDropdown(context), pixmap_(MakeSkinPixmap(this, "dropdown")), glyph_(MakeSkinPixmap(this, "dropdownglyph")) {}

Dropdown::~Dropdown() = default;

void Dropdown::SetPixmap(TSkinPixmapPersistent* value) { AssignSkinPixmap(pixmap_.get(), value); }

void Dropdown::SetPixmapGlyph(TSkinPixmapPersistent* value) { AssignSkinPixmap(glyph_.get(), value); }

void Dropdown::PaintFrame(TPoint glyphSize) {
  pixmap_->Draw(GetClientRect(), 0xFFFFFFFF);
  const float top = std::trunc((Height() - glyphSize.y) / 2);
  glyph_->Draw({Width() - glyphSize.x - 5, top, Width() - 5, top + glyphSize.y}, 0xFFFFFFFF);
}

void Dropdown::Paint() {
  PaintFrame(GlyphSize(*glyph_, false));
  DrawText(Text(), GetClientRect(), TextAlignToFormat(TextAlign()) + TTextFormats{tfVCenter}, Font()->Color());
}

}  // namespace corvane
