#include "gui/button.h"

#include "base/reflection/class_builder.h"
#include "gui/skin_pixmap.h"
#include "scene/font_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Button)

void Button::Describe(TClassBuilder<Button>& c) {
  c.Property("font", &Button::Font);
  c.Property("pixmap", &Button::Pixmap, &Button::SetPixmap);
}

Button::Button(const TCreateContext& context) : TStdButton(context), pixmap_(MakeSkinPixmap(this, "button")) {}

Button::~Button() = default;

void Button::SetPixmap(TSkinPixmapPersistent* value) { AssignSkinPixmap(pixmap_.get(), value); }

void Button::SetSkinElement(const std::string& name) { pixmap_->SetObjectName(name); }

void Button::Paint() {
  const TRect r = GetClientRect();
  pixmap_->Draw(r, 0xFFFFFFFF);
  DrawText(Text(), r, TextAlignToFormat(TextAlign()) + TTextFormats{tfVCenter}, Font()->Color());
}

}  // namespace corvane
