// A test applet drawing on the recording device. The scratch mesh's sizes,
// which a test may grow, are put back for the next test.
#pragma once

#include <gtest/gtest.h>

#include "platform/device.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_world.h"

namespace corvane::test {

class RecordingDeviceTest : public ::testing::Test {
 protected:
  ~RecordingDeviceTest() override {
    CurColorVertexCount = kStartColorVertexCount;
    CurIndexCount = kStartIndexCount;
  }

  TTestWorld world;
  TRecordingDevice* device = world.applet->UseRecordingDevice();
};

}  // namespace corvane::test
