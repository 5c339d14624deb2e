// Form: a window inside the applet's screen with a caption in a title band
// 20 units high. A left press anywhere on it that no child takes starts a
// drag; the form follows every move while the pointer stays inside it.
// Closing hides it (or runs its "close" effect), never frees it. It
// tracks hovering, as the hit test needs to find it.
#pragma once

#include <string>

#include "base/reflection/set.h"
#include "base/reflection/type_info.h"
#include "gui/applet_roles.h"
#include "gui/gui_object.h"

namespace corvane {

// fsSizeble streams but nothing reads it.
CORVANE_ENUM(TFormStyle, fsMoveable, fsSizeble);
using TFormStyles = TSet<TFormStyle>;

class Form : public GuiObject, public TMovableForm {
  CORVANE_CLASS(Form, GuiObject)
  static void Describe(TClassBuilder<Form>& c);
  explicit Form(const TCreateContext& context);

  TFormStyles FormStyle() const { return style_; }
  void SetFormStyle(TFormStyles value) { style_ = value; }
  void SetMovable(bool value) override { style_.Set(fsMoveable, value); }
  bool Dragging() const { return dragging_; }

  // Runs the "close" effect when the form has one (which then hides it),
  // else hides it.
  void Close();

  void Paint() override;
  // Taking the focus brings the form in front of its siblings.
  void SetFocus() override;
  void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
  void MouseMove(TShiftState shift, float x, float y, float dx, float dy) override;
  void MouseUp(TMouseButton button, TShiftState shift, float x, float y) override;

 protected:
  // The caption in the title band.
  void PaintCaption();

 private:
  bool dragging_ = false;
  TFormStyles style_{fsMoveable};
};

}  // namespace corvane
