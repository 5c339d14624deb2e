#include "engine/core/dummy.h"

#include "base/reflection/class_builder.h"
#include "engine/core/applet_services.h"
#include "engine/core/gui_layout.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Dummy)

void Dummy::AddChild(BaseObject* child) {
  PositionObject::AddChild(child);
  if (child && child->PlacedByConstructor()) return;  // placed again once whole
  PositionObject* positioned = child ? child->AsPositionObject() : nullptr;
  if (!positioned || !positioned->AsGuiPlacement()) return;
  hasGuiChildren_ = true;
  if (TakesPartInLayout(child) && !RecalcAfterRead()) ReAlign();
}

void Dummy::RecalcAbsolute() {
  PositionObject::RecalcAbsolute();
  if (hasGuiChildren_) ReAlign();
}

void Dummy::ReAlign() {
  TAppletServices* applet = GetApplet();
  if (!hasGuiChildren_ || !applet || !applet->HasWindow()) return;
  const TRect r = applet->GuiClientRect();
  RealignGui(r.left, r.top, r.right, r.bottom, applet->RememberedWidth(), applet->RememberedHeight(), count(),
             [this](std::int32_t i) { return children(i); });
}

}  // namespace corvane
