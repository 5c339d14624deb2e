// A recording device that looks straight down the z axis: the ray under
// the point (x, y) starts at (x, y, 1000) and runs along -z, so a point in
// applet units is the same point in the world's x-y plane. Design gizmos
// and 3D hit tests can then be driven with plain coordinates.
#pragma once

#include "tests/support/kit/recording_device.h"

namespace corvane::test {

class TTopViewDevice : public TRecordingDevice {
  CORVANE_CLASS(TTopViewDevice, TRecordingDevice)
  // Also places the window's camera above the origin, looking down.
  explicit TTopViewDevice(TWindow* window);
  void Pick(float x, float y, TSpaceVector& origin, TSpaceVector& direction) override;
};

}  // namespace corvane::test
