#include "scene/skin.h"

#include "base/reflection/class_builder.h"
#include "engine/core/applet_services.h"
#include "engine/core/container.h"
#include "scene/pixmap_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Skin)
CORVANE_IMPLEMENT_CLASS(SkinElement)

void SkinElement::Describe(TClassBuilder<SkinElement>& c) {
  // Assigning the element's picture changes nothing: it is filled in place.
  c.Property("pixmap", &SkinElement::Pixmap, [](SkinElement&, TPixmapPersistent*) {});
}

SkinElement::SkinElement(const TCreateContext& context) : BaseObject(context) {
  SetObjectStyle(ObjectStyle() - BaseObjectStyles{osScriptable});
  pixmap_ = Create<TPixmapPersistent>(TCreateContext(AppletObjectOf(this)));
}

SkinElement::~SkinElement() { FreeAndNil(pixmap_); }

}  // namespace corvane
