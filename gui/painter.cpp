#include "gui/painter.h"

#include "base/reflection/class_builder.h"
#include "gui/panel.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Panel)
CORVANE_IMPLEMENT_CLASS(Painter)

void Painter::Describe(TClassBuilder<Painter>& c) { c.Property("onPaint", &Painter::onPaint_); }

}  // namespace corvane
