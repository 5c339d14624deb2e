#include "tests/support/kit/top_view_device.h"

#include "base/reflection/class_builder.h"
#include "platform/window.h"

namespace corvane::test {

CORVANE_IMPLEMENT_CLASS(TTopViewDevice)

TTopViewDevice::TTopViewDevice(TWindow* window) : TRecordingDevice(window) {
  if (!window) return;
  window->CameraPosition = {0, 0, 1000, 1};
  window->CameraDirection = {0, 0, -1, 0};
  window->CameraUp = {0, 1, 0, 0};
}

void TTopViewDevice::Pick(float x, float y, TSpaceVector& origin, TSpaceVector& direction) {
  origin = {x, y, 1000, 1};
  direction = {0, 0, -1, 0};
}

}  // namespace corvane::test
