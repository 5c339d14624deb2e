// Painter: a widget a script draws, running its onPaint text on every
// paint (the script reaches the device as a global).
#pragma once

#include <string>

#include "gui/gui_object.h"

namespace corvane {

class Painter : public GuiObject {
  CORVANE_CLASS(Painter, GuiObject)
  static void Describe(TClassBuilder<Painter>& c);
  using GuiObject::GuiObject;

  const std::u16string& OnPaintScript() const { return onPaint_; }
  void Paint() override { CallScript(onPaint_); }

 private:
  std::u16string onPaint_;
};

}  // namespace corvane
