// Objects that widgets draw themselves inside the 2D interface (the
// object list's items, the preview's object): loaded as hidden children of
// the widget and made 2D so that the scene walk leaves them to it.
#pragma once

#include "base/geometry/geometry.h"

namespace corvane {

class BaseObject;
class PositionObject;

// Every PositionObject of the subtree gets kind okScreen.
void MakeScreenObjects(BaseObject* root);
// The object drawn at the rectangle's centre, turned 0.1 degree further
// about z than last time (the spin counts paints, not time).
void PaintSpinning(PositionObject* object, const TRect& r);

}  // namespace corvane
