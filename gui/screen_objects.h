// Objects that widgets draw themselves inside the 2D interface (the
// object list's items, the preview's object): loaded as hidden children of
// the widget and made 2D so that the scene walk leaves them to it.
#pragma once

namespace corvane {

class BaseObject;

// Every PositionObject of the subtree gets kind okScreen.
void MakeScreenObjects(BaseObject* root);

}  // namespace corvane
