#include "gui/debug_form.h"

#include <string>

#include "base/reflection/class_builder.h"
#include "base/system/log_target.h"
#include "platform/device.h"
#include "scene/font_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(DebugForm)

// An overlay over the applet: presses pass through it to what lies below.
DebugForm::DebugForm(const TCreateContext& context) : Form(context) {
  SetHotTrack(false);
  SetX(0);
  SetY(0);
}

void DebugForm::Paint() {
  TInfoBoard* board = InfoBoard();
  const std::int32_t count = board ? board->InfoCount() : 0;
  const auto size = static_cast<float>(Font()->Size());
  TWeak<DebugForm> self(this);
  if (const float height = size * static_cast<float>(count) + 2; Height() != height) SetHeight(height);
  TDevice* device = Device();
  if (!self.Get() || !device) return;
  const TRect r = GetClientRect();
  // Dark enough that the green lines stand out over a white scene too.
  device->SetColor(0xC8000000);
  device->FillRect(r, 0);
  device->SetColor(0xFF696969);
  device->DrawRect(r, 1, 0);
  std::u16string name;
  std::u16string value;
  for (std::int32_t i = 0; i < count; ++i) {
    board->InfoEntry(i, name, value);
    const float top = static_cast<float>(i) * size + 1;
    DrawText(name + u" " + value, {1, top, Width() - 1, top + size}, {tfCenter, tfVCenter}, 0xFF44EE88);
  }
}

}  // namespace corvane
