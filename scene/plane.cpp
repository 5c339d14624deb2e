#include "scene/plane.h"

#include "base/reflection/class_builder.h"
#include "engine/core/applet_services.h"
#include "engine/core/container.h"
#include "scene/pixmap_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Plane)

void Plane::Describe(TClassBuilder<Plane>& c) {
  // Filled in place: assigning another picture changes nothing.
  c.Property("pixmap", &Plane::Pixmap, [](Plane&, TPixmapPersistent*) {});
  c.Property("width", &Plane::Width, &Plane::SetWidth);
  c.Property("height", &Plane::Height, &Plane::SetHeight);
}

Plane::Plane(const TCreateContext& context)
    : PositionObject(context), pixmap_(Create<TPixmapPersistent>(TCreateContext(AppletObjectOf(this)))) {
  SetMirrored(false);
  SetZTest(true);
}

Plane::~Plane() { FreeAndNil(pixmap_); }

void Plane::Paint() { pixmap_->Draw({-width_ / 2, -height_ / 2, width_ / 2, height_ / 2}); }

}  // namespace corvane
