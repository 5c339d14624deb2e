#include "gui/skin_pixmap.h"

#include "base/geometry/point_rect_persistent.h"
#include "base/geometry/rect_math.h"
#include "engine/core/applet_services.h"
#include "engine/core/base_object.h"
#include "engine/core/container.h"
#include "scene/skin.h"

namespace corvane {

TOwned<TSkinPixmapPersistent> MakeSkinPixmap(const BaseObject* widget, const char* element) {
  TOwned<TSkinPixmapPersistent> pixmap(Create<TSkinPixmapPersistent>(TCreateContext(AppletObjectOf(widget))));
  if (element && *element) pixmap->SetObjectName(element);
  return pixmap;
}

void AssignSkinPixmap(TSkinPixmapPersistent* owned, const TSkinPixmapPersistent* value) {
  if (owned && value && owned != value) owned->Assign(value);
}

TPoint GlyphSize(const TSkinPixmapPersistent& pixmap, bool pictureSize) {
  const TRect own = pixmap.Rect()->GetRect();
  if (const SkinElement* element = pixmap.SkinObject();
      element && IsRectEmpty(own) && pixmap.FileName().empty()) {
    const TRect r = element->Pixmap()->Rect()->GetRect();
    return {RectWidth(r), RectHeight(r)};
  }
  if (pictureSize) return {static_cast<float>(pixmap.width()), static_cast<float>(pixmap.height())};
  return {RectWidth(own), RectHeight(own)};
}

}  // namespace corvane
