// Panel: an invisible widget that only groups and lays out its children.
#pragma once

#include "gui/gui_object.h"

namespace corvane {

class Panel : public GuiObject {
  CORVANE_CLASS(Panel, GuiObject)
  using GuiObject::GuiObject;
  void Paint() override {}
};

}  // namespace corvane
