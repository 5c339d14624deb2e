#include "scene/mirror.h"

#include "base/geometry/matrix.h"
#include "base/reflection/class_builder.h"
#include "engine/core/applet_services.h"
#include "platform/device.h"
#include "platform/window.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Mirror)

void Mirror::Describe(TClassBuilder<Mirror>& c) {
  c.Property("width", &Mirror::Width, &Mirror::SetWidth);
  c.Property("height", &Mirror::Height, &Mirror::SetHeight);
  c.Property("mirrorObject", &Mirror::MirrorObject, &Mirror::SetMirrorObject);
}

Mirror::Mirror(const TCreateContext& context) : PositionObject(context) { SetMirrored(false); }

void Mirror::Paint() {
  PositionObject* object = mirrorObject_.Get();
  TDevice* device = GetApplet() ? GetApplet()->Device() : nullptr;
  TWindow* window = device ? device->Window() : nullptr;
  // No reflection inside a reflection: a mirror that shows itself, or an
  // object holding it, would paint for ever.
  if (DesignTime() || !object || !window || MirrorPaint) return;
  const TSpaceMatrix reflection = MakeReflectionMatrix(GetAbsolutePosition(), GetAbsoluteUp());
  const TSpaceMatrix saved = window->ViewMatrix;
  window->ViewMatrix = SpaceMatrixMultiply(reflection, saved);
  // Out of the 3D scene and in again, so that the device takes the new view.
  device->SetRenderState(rs2DScene);
  device->SetRenderState(rs3DScene);
  device->SetRenderState(rsBackFace);
  MirrorPaint = true;
  // The object paints in its own matrix, not in the mirror's the paint
  // walk set.
  object->SetMatrix();
  object->Paint();
  if (mirrorObject_.Get() && object->Mirrored()) object->PaintChildren();
  MirrorPaint = false;
  window->ViewMatrix = saved;
  device->SetRenderState(rs2DScene);
  device->SetRenderState(rs3DScene);
  device->SetRenderState(rsFrontFace);
}

}  // namespace corvane
