// What the test kit registers for the applet's own collaborators: every
// class the applet makes for itself now exists, so RegisterAppletStandIns
// registers the real Materials, Material, skins, cursor sprite, animation
// effect and particle classes by name.
#pragma once

namespace corvane::test {

// The real Materials, Material, Sprite and animation classes, by name; the
// real skin classes only with withSkin (the applet then loads its default
// skin).
void RegisterAppletStandIns(bool withSkin = false);

}  // namespace corvane::test
