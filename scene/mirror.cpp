#include "scene/mirror.h"

#include "base/geometry/matrix.h"
#include "base/reflection/class_builder.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
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

namespace {

// The reflections painting now, one inside the other.
int gReflections = 0;

// Each reflection turns the winding of what it paints over: an odd number
// of them shows the back faces' order.
TRenderState WindingAt(int reflections) { return reflections % 2 == 1 ? rsBackFace : rsFrontFace; }

}  // namespace

void Mirror::Paint() {
  PositionObject* object = mirrorObject_.Get();
  TDevice* device = GetApplet() ? GetApplet()->Device() : nullptr;
  TWindow* window = device ? device->Window() : nullptr;
  if (DesignTime() || !object || !window) return;
  // A mirror that shows itself, or an object holding it, or mirrors that
  // show one another, would paint for ever.
  if (painting_ || gReflections >= kMostNestedReflections) {
    if (!refusalReported_)
      EngineError(u"Mirror " + Name() +
                  (painting_ ? u" shows itself through its mirrored objects: not reflected inside itself"
                             : u" not reflected inside " + IntToStr(gReflections) + u" reflections"));
    refusalReported_ = true;
    return;
  }
  const TSpaceMatrix reflection = MakeReflectionMatrix(GetAbsolutePosition(), GetAbsoluteUp());
  // Everything set for the reflection is put back however its paint ends.
  struct TReflecting {
    Mirror& mirror;
    TDevice& device;
    TWindow& window;
    TSpaceMatrix saved = window.ViewMatrix;
    bool outer = MirrorPaint;
    TWeak<Mirror> alive{&mirror};
    void Apply() const {
      // Out of the 3D scene and in again, so that the device takes the view.
      device.SetRenderState(rs2DScene);
      device.SetRenderState(rs3DScene);
      device.SetRenderState(WindingAt(gReflections));
    }
    ~TReflecting() {
      --gReflections;
      if (alive.Get()) mirror.painting_ = false;
      MirrorPaint = outer;
      window.ViewMatrix = saved;
      Apply();
    }
  } reflecting{*this, *device, *window};
  window->ViewMatrix = SpaceMatrixMultiply(reflection, reflecting.saved);
  ++gReflections;
  reflecting.Apply();
  MirrorPaint = true;
  painting_ = true;
  // The object paints in its own matrix, not in the mirror's the paint
  // walk set.
  object->SetMatrix();
  object->Paint();
  if (mirrorObject_.Get() && object->Mirrored()) object->PaintChildren();
}

}  // namespace corvane
