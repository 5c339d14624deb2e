#include "gui/preview.h"

#include "base/reflection/class_builder.h"
#include "engine/core/applet_services.h"
#include "engine/core/position_object.h"
#include "gui/screen_objects.h"
#include "platform/device.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Preview)

void Preview::Describe(TClassBuilder<Preview>& c) {
  c.Property("objectFile", &Preview::ObjectFile, &Preview::SetObjectFile);
  c.Property("objectScale", &Preview::ObjectScale, &Preview::SetObjectScale);
}

Preview::Preview(const TCreateContext& context) : GuiObject(context) {}

void Preview::SetObjectFile(const std::u16string& name) {
  if (name == objectFile_) return;
  objectFile_ = name;
  TAppletServices* applet = GetApplet();
  if (!applet) return;
  TWeak<Preview> self(this);
  BaseObject* object = applet->NewFromFile(name, this);
  if (!self.Get()) return;
  object_ = object;
  PositionObject* positioned = object ? object->AsPositionObject() : nullptr;
  if (!positioned) return;
  positioned->SetVisible(false);
  positioned->SetXAngle(135);
  positioned->Velocity()->SetValues(0, 0, 0);
  MakeScreenObjects(positioned);
}

void Preview::Paint() {
  GuiObject::Paint();
  TDevice* device = Device();
  if (!device) return;
  device->saveRenderState();
  BaseObject* object = object_.Get();
  if (PositionObject* positioned = object ? object->AsPositionObject() : nullptr) {
    positioned->Scale()->SetValues(objectScale_, objectScale_, objectScale_);
    PaintSpinning(positioned, GetClientRect());
  }
  device->restoreRenderState();
}

}  // namespace corvane
