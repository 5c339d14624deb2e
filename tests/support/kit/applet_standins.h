// Stand-ins for the classes an applet makes for itself that do not exist
// yet (the inspector form). RegisterAppletStandIns registers them under
// the real names, with the real Materials, Material, skins, cursor sprite,
// animation effect and particle classes.
#pragma once

#include "gui/gui_object.h"

namespace corvane::test {

// Every stand-in class and the real Materials, Material, Sprite and
// animation classes, by name; the real skin classes only with withSkin
// (the applet then loads its default skin).
void RegisterAppletStandIns(bool withSkin = false);

class InspectorForm : public GuiObject {
  CORVANE_CLASS(InspectorForm, GuiObject)
  using GuiObject::GuiObject;
};

}  // namespace corvane::test
