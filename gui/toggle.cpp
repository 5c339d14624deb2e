#include "gui/toggle.h"

#include "base/lists/wide_string_list.h"
#include "base/reflection/class_builder.h"
#include "gui/skin_pixmap.h"
#include "scene/font_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Toggle)

void Toggle::Describe(TClassBuilder<Toggle>& c) {
  c.Property("font", &Toggle::Font);
  c.Property("pixmap", &Toggle::Pixmap, &Toggle::SetPixmap);
}

Toggle::Toggle(const TCreateContext& context) : TStdToggle(context), pixmap_(MakeSkinPixmap(this, "button")) {}

Toggle::~Toggle() = default;

void Toggle::SetPixmap(TSkinPixmapPersistent* value) { AssignSkinPixmap(pixmap_.get(), value); }

void Toggle::Paint() {
  const TRect r = GetClientRect();
  pixmap_->Draw(r, 0xFFFFFFFF);
  const std::int32_t index = ItemIndex();
  if (index < 0 || index >= Items()->GetCount()) return;
  DrawText(Items()->Get(index), r, TextAlignToFormat(TextAlign()) + TTextFormats{tfVCenter}, Font()->Color());
}

}  // namespace corvane
