#include "gui/screen_objects.h"

#include "engine/core/position_object.h"

namespace corvane {

void MakeScreenObjects(BaseObject* root) {
  if (!root) return;
  root->ForEach([](BaseObject* object) {
    if (PositionObject* positioned = object->AsPositionObject()) positioned->SetKind(okScreen);
  });
}

void PaintSpinning(PositionObject* object, const TRect& r) {
  object->SetX((r.left + r.right) / 2);
  object->SetY((r.top + r.bottom) / 2);
  object->SetZAngle(object->ZAngle() + 0.1f);
  object->PaintObject();
}

}  // namespace corvane
