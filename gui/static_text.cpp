#include "gui/static_text.h"

#include "base/reflection/class_builder.h"
#include "scene/font_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(StaticText)

void StaticText::Describe(TClassBuilder<StaticText>& c) {
  c.Property("font", &StaticText::Font);
  c.Property("text", &StaticText::Text, &StaticText::SetText);
  c.Property("textAlign", &StaticText::TextAlign, &StaticText::SetTextAlign).Default(taLeft);
  c.Property("wordWrap", &StaticText::WordWrap, &StaticText::SetWordWrap).Default(false);
}

void StaticText::Paint() {
  TTextFormats formats = TextAlignToFormat(textAlign_) + TTextFormats{tfVCenter};
  if (wordWrap_) formats = formats + TTextFormats{tfWordWrap};
  DrawText(Text(), GetClientRect(), formats, Font()->Color());
}

}  // namespace corvane
