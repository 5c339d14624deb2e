#include "tests/support/kit/widget_world.h"

#include <cmath>
#include <memory>

#include "engine/core/event.h"
#include "platform/filters/filter.h"
#include "platform/sys_font.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_sys_font.h"

namespace corvane::test {

namespace {
TAppletWorld::TOptions WithSkin(bool skin) {
  TAppletWorld::TOptions options;
  options.skin = skin;
  // The skin's picture is a real ".pixmap" file of the embedded defaults.
  if (skin) options.filterClass = TFilter::StaticClass();
  return options;
}
}  // namespace

TWidgetWorld::TWidgetWorld(bool skin) : world(WithSkin(skin)) { SysFontClass = TTestSysFont::StaticClass(); }

TWidgetWorld::~TWidgetWorld() {
  world.FreeApplet();
  SysFontClass = nullptr;
}

bool TWidgetWorld::Launch(const std::string& objects) {
  applet = world.Launch("object Game: Applet\n" + objects + "end\n");
  if (!applet) return false;
  world.Steps(2);  // the clock moves off zero
  return true;
}

void TWidgetWorld::Mouse(TLowEventType type, float x, float y, TMouseButton button, TShiftState shift) {
  const auto px = static_cast<std::int32_t>(std::lround(x));
  const auto py = static_cast<std::int32_t>(std::lround(y));
  // A move carries the host's relative motion since the last pointer
  // position.
  const std::int32_t dx = type == evMouseMove ? px - lastX_ : 0;
  const std::int32_t dy = type == evMouseMove ? py - lastY_ : 0;
  lastX_ = px;
  lastY_ = py;
  applet->GetEvent()->AddEvent(std::make_unique<TMouseEvent>(type, applet->Window(), button, shift, px, py, dx, dy));
  Frames();
}

void TWidgetWorld::Press(float x, float y, TMouseButton button) {
  if (button == mbLeft) leftDown_ = true;
  Mouse(evMouseDown, x, y, button, button == mbLeft ? TShiftState{ssLeft} : TShiftState{});
}

void TWidgetWorld::Move(float x, float y) {
  Mouse(evMouseMove, x, y, mbLeft, leftDown_ ? TShiftState{ssLeft} : TShiftState{});
}

void TWidgetWorld::Release(float x, float y, TMouseButton button) {
  if (button == mbLeft) leftDown_ = false;
  Mouse(evMouseUp, x, y, button, {});
}

void TWidgetWorld::Paint() {
  // The applet's own cursor sprite (shown again every frame) would add its
  // picture to the draws the tests count.
  if (applet && applet->Cursor()) applet->Cursor()->hide();
  if (TRecordingDevice* device = world.Device()) device->RenderWindow();
}

void TWidgetWorld::Wheel(std::int32_t notches) {
  applet->GetEvent()->AddEvent(std::make_unique<TWheelEvent>(evMouseWheel, applet->Window(), notches, TShiftState{}));
  Frames();
}

void TWidgetWorld::Key(std::uint16_t key, TShiftState shift) {
  QueueKey(key, shift);
  Frames();
}

void TWidgetWorld::Type(const std::u16string& text) {
  for (const char16_t ch : text) {
    QueueType(std::u16string(1, ch));
    Frames();
  }
}

void TWidgetWorld::QueueKey(std::uint16_t key, TShiftState shift) {
  applet->GetEvent()->AddEvent(std::make_unique<TKeyEvent>(evKeyDown, applet->Window(), key, char16_t{0}, shift));
  applet->GetEvent()->AddEvent(std::make_unique<TKeyEvent>(evKeyUp, applet->Window(), key, char16_t{0}, shift));
}

void TWidgetWorld::QueueType(const std::u16string& text) {
  for (const char16_t ch : text)
    applet->GetEvent()->AddEvent(
        std::make_unique<TKeyEvent>(evKeyDown, applet->Window(), std::uint16_t{0}, ch, TShiftState{}));
}

}  // namespace corvane::test
