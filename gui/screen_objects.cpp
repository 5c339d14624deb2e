#include "gui/screen_objects.h"

#include "engine/core/position_object.h"

namespace corvane {

void MakeScreenObjects(BaseObject* root) {
  if (!root) return;
  root->ForEach([](BaseObject* object) {
    if (PositionObject* positioned = object->AsPositionObject()) positioned->SetKind(okScreen);
  });
}

}  // namespace corvane
