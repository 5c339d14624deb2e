#include "gui/object_list.h"

#include "base/lists/wide_string_list.h"
#include "base/reflection/class_builder.h"
#include "engine/core/applet_services.h"
#include "engine/core/position_object.h"
#include "gui/screen_objects.h"
#include "gui/skin_pixmap.h"
#include "platform/device.h"
#include "scene/skin_pixmap_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(ObjectList)

void ObjectList::Loaded() {
  List::Loaded();
  TAppletServices* applet = GetApplet();
  if (!applet) return;
  TWeak<ObjectList> self(this);
  for (std::int32_t i = 0; self.Get() && i < Items()->GetCount(); ++i) {
    const std::u16string file = Items()->Get(i);
    BaseObject* object = applet->NewFromFile(file, this);
    PositionObject* positioned = object && self.Get() ? object->AsPositionObject() : nullptr;
    if (!positioned) continue;
    // An object of no size (an empty Dummy) would get an infinite scale.
    const float radius = positioned->GetBoundsRadius();
    positioned->SetVisible(false);
    if (radius > 0) {
      const float s = static_cast<float>(ItemHeight() - 10) / (radius * 2.5f);
      positioned->Scale()->SetValues(s, s, s);
    }
    positioned->SetXAngle(135);
    positioned->SetTagString(file);
    MakeScreenObjects(positioned);
  }
}

void ObjectList::PaintItem(std::int32_t index, const TRect& rect) {
  TDevice* device = Device();
  if (!device || index < 0 || index >= Items()->GetCount()) return;
  if (index == ItemIndex()) PixmapSelection()->Draw(rect, 0xFFFFFFFF);
  device->saveRenderState();
  BaseObject* found = findByTagString(Items()->GetRef(index));
  if (PositionObject* object = found ? found->AsPositionObject() : nullptr) PaintSpinning(object, rect);
  device->restoreRenderState();
}

}  // namespace corvane
