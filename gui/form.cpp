#include "gui/form.h"

#include "base/reflection/class_builder.h"
#include "scene/font_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Form)

void Form::Describe(TClassBuilder<Form>& c) {
  c.Property("font", &Form::Font);
  c.Property("text", &Form::Text, &Form::SetText);
  c.Property("style", &Form::FormStyle, &Form::SetFormStyle).Default(TFormStyles{});
}

// The hit test counts a widget's own hit only while it tracks hovering: a
// form that did not would never get the press that starts a drag.
Form::Form(const TCreateContext& context) : GuiObject(context) {}

void Form::Close() {
  if (HaveEffect(u"close")) RunEffect(u"close");
  else hide();
}

void Form::PaintCaption() { DrawText(Text(), {0, 0, Width(), 20}, {tfCenter, tfVCenter}, Font()->Color()); }

void Form::Paint() { PaintCaption(); }

void Form::SetFocus() {
  TWeak<Form> self(this);
  GuiObject::SetFocus();
  if (self.Get()) BringToFront();
}

void Form::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
  TWeak<Form> self(this);
  GuiObject::MouseDown(button, shift, x, y);
  if (!self.Get() || !style_.Contains(fsMoveable) || button != mbLeft || DesignTime()) return;
  dragging_ = true;
  capture();
}

void Form::MouseMove(TShiftState shift, float x, float y, float dx, float dy) {
  TWeak<Form> self(this);
  GuiObject::MouseMove(shift, x, y, dx, dy);
  // A step that leaves the form moves nothing; the drag goes on when the
  // pointer comes back.
  if (!self.Get() || !dragging_ || x < 0 || x >= Width() || y < 0 || y >= Height()) return;
  SetX(X() + dx);
  if (self.Get()) SetY(Y() + dy);
}

void Form::MouseUp(TMouseButton button, TShiftState shift, float x, float y) {
  TWeak<Form> self(this);
  PositionObject::MouseUp(button, shift, x, y);
  if (!self.Get() || !dragging_) return;
  dragging_ = false;
  releaseCapture();
}

}  // namespace corvane
