#include "gui/checkbox.h"

#include "base/geometry/rect_math.h"
#include "base/reflection/class_builder.h"
#include "gui/skin_pixmap.h"
#include "scene/font_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Checkbox)

void Checkbox::Describe(TClassBuilder<Checkbox>& c) {
  c.Property("pixmapUnchecked", &Checkbox::PixmapUnchecked, &Checkbox::SetPixmapUnchecked);
  c.Property("pixmapChecked", &Checkbox::PixmapChecked, &Checkbox::SetPixmapChecked);
}

Checkbox::Checkbox(const TCreateContext& context)
    : TStdCheckBox(context), checked_(MakeSkinPixmap(this, "check")), unchecked_(MakeSkinPixmap(this, "uncheck")) {}

Checkbox::~Checkbox() = default;

void Checkbox::SetPixmapChecked(TSkinPixmapPersistent* value) { AssignSkinPixmap(checked_.get(), value); }

void Checkbox::SetPixmapUnchecked(TSkinPixmapPersistent* value) { AssignSkinPixmap(unchecked_.get(), value); }

void Checkbox::Paint() {
  const auto side = static_cast<float>(CheckSize());
  DrawText(Text(), {side + side / 2, 0, Width(), Height()}, {tfVCenter}, Font()->Color());
  TRect box{0, 0, side, side};
  RectCenter(box, {0, 0, Height(), Height()});
  (Checked() ? checked_ : unchecked_)->Draw(box, 0xFFFFFFFF);
}

}  // namespace corvane
