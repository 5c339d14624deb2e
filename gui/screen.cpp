#include "gui/screen.h"

#include <algorithm>
#include <cmath>

#include "base/geometry/color.h"
#include "base/reflection/class_builder.h"
#include "platform/device.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Screen)

void Screen::Describe(TClassBuilder<Screen>& c) { c.Property("Color", &Screen::GetColor, &Screen::SetColor); }

std::u16string Screen::GetColor() const { return ColorToStr(color_); }

void Screen::SetColor(const std::u16string& value) { color_ = StrToColor(value); }

void Screen::Paint() {
  TDevice* device = Device();
  if (!device) return;
  // Halves round to even, as the fades' alpha of 0.5 gives 128.
  const float alpha = Alpha() > 0 ? std::min(Alpha(), 1.0f) : 0.0f;
  const auto a = static_cast<std::uint32_t>(std::nearbyint(alpha * 255.0f));
  device->SetColor((color_ & 0x00FFFFFF) | (a << 24));
  device->FillRect(GetClientRect(), 0);
}

}  // namespace corvane
