#include "gui/edit.h"

#include "base/geometry/point_rect_persistent.h"
#include "base/reflection/class_builder.h"
#include "gui/skin_pixmap.h"
#include "scene/font_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Edit)

void Edit::Describe(TClassBuilder<Edit>& c) {
  c.Property("font", &Edit::Font);
  c.Property("pixmap", &Edit::Pixmap, &Edit::SetPixmap);
}

Edit::Edit(const TCreateContext& context) : TStdEdit(context), pixmap_(MakeSkinPixmap(this, "edit")) {
  ContentsMargin()->SetRect({4, 4, 4, 4});
}

Edit::~Edit() = default;

void Edit::SetPixmap(TSkinPixmapPersistent* value) { AssignSkinPixmap(pixmap_.get(), value); }

void Edit::Paint() {
  pixmap_->Draw(GetClientRect(), 0xFFFFFFFF);
  PaintEdit();
}

}  // namespace corvane
