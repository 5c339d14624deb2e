#include "gui/splash.h"

#include "base/reflection/class_builder.h"
#include "engine/core/applet_services.h"
#include "engine/core/engine_services.h"
#include "platform/device.h"
#include "platform/filters/filter.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Splash)

Splash::Splash(const TCreateContext& context) : Background(context) {
  SetMaterialName(u"gui");
  SetZTest(false);
  TAppletServices* applet = GetApplet();
  TFilter* filter = applet ? applet->Filter() : nullptr;
  TEngineServices* engine = RunningEngine();
  TResourceMan* embedded = engine ? engine->EmbeddedResMan() : nullptr;
  if (!filter || !embedded) return;
  const char16_t* names[] = {u"logo.png", u"logo_newton.png", u"logo_mozilla.png"};
  for (std::size_t i = 0; i < logos_.size(); ++i) logos_[i] = filter->LoadPixmap(embedded, names[i]);
}

void Splash::BeforeDestruction() {
  if (TDevice* device = Device())
    for (TPixmap*& logo : logos_)
      if (logo) device->DestroyPixmap(logo);
  Background::BeforeDestruction();
}

void Splash::Paint() {
  Background::Paint();
  TAppletServices* applet = GetApplet();
  TDevice* device = Device();
  const TPixmap* first = logos_[0];
  if (!first || !applet || !device) return;
  // The window reaches as far left and up of the applet's area as right
  // and down of it: the applet's own size is the sum of the opposite edges.
  const TRect window = applet->GuiClientRect();
  const float w = window.left + window.right;
  const float h = window.top + window.bottom;
  const auto lw = static_cast<float>(first->Width);
  const float band = (lw + 20) * 3;
  const float y = h - static_cast<float>(first->Height) - 50;
  const float x = (w - band) / 2;
  for (std::size_t i = 0; i < logos_.size(); ++i)
    if (logos_[i]) device->DrawPixmapXy(logos_[i], x + static_cast<float>(i) * (lw + 20), y);
}

}  // namespace corvane
