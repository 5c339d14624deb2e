// Whole applets on the real host for picture tests: the program's start-up
// streams the applet from "main.object", the SDL platform (offscreen
// driver) opens its window, the OpenGL device draws, and the applet's own
// makepng writes the picture that is read back. Expected pictures live in
// tests/platform_sdl/expected; CORVANE_UPDATE_EXPECTED=1 writes them from
// the run instead of comparing.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/shell/applet.h"
#include "platform/sdl/ogl_device.h"
#include "platform/sdl/platform_sdl.h"
#include "tests/engine/shell/applet_launch_kit.h"
#include "tests/platform_sdl/gl_harness.h"
#include "tests/platform_sdl/png_picture.h"

namespace corvane::test {
// Internal to each test file, as the launch kit it holds.
namespace {

class AppletPictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    // The registry of device classes has no removal: one entry a process.
    static const std::int32_t glDevice = RegisterDevice(DeviceClassOf<TGenericGLDevice>());
    RegisterClasses({TPlatformSDL::StaticClass()});
    PlatformClass = TPlatformSDL::StaticClass();
    DefaultDevice = glDevice;
  }

  // Starts the applet and runs a few frames.
  Applet* Launch(const std::string& mainObject) {
    env.Put("main.object", mainObject);
    env.Start({env.PathOf("main.object")});
    if (!Running()) return nullptr;
    PinLoadedLibraries();
    Frames();
    return Running();
  }
  Applet* Running() const {
    return env.engine && env.engine->count() == 1 ? dynamic_cast<Applet*>(env.engine->children(0)) : nullptr;
  }
  // Steps enough for pushed events (one a step) and a frame after them.
  void Frames(int steps = 5) {
    for (int i = 0; i < steps && env.engine->count() > 0; ++i) env.engine->RunStep();
  }
  // The applet's picture, through its own makepng, read back.
  TPngPicture Picture(Applet* applet, const std::string& name) {
    applet->makepng(Utf8ToUtf16(env.PathOf(name)));
    return ReadPng(env.PathOf(name));
  }

  // The picture taken as `taken` against expected/<stem>.png.
  void ExpectLikeExpected(const std::string& taken, const std::string& stem) {
    const std::string expectedFile = CORVANE_TEST_DATA_DIR "/" + stem + ".png";
    const char* update = std::getenv("CORVANE_UPDATE_EXPECTED");
    if (update && std::string(update) == "1") {
      std::filesystem::create_directories(CORVANE_TEST_DATA_DIR);
      std::filesystem::copy_file(env.PathOf(taken), expectedFile, std::filesystem::copy_options::overwrite_existing);
      return;
    }
    const TPngPicture expected = ReadPng(expectedFile);
    ASSERT_GT(expected.Width, 0) << "no expected picture " << expectedFile << " (CORVANE_UPDATE_EXPECTED=1 writes it)";
    const double alike = ShareAlike(ReadPng(env.PathOf(taken)), expected, 8);
    if (alike < 0.995) {
      const std::string actualFile = ::testing::TempDir() + stem + ".actual.png";
      std::filesystem::copy_file(env.PathOf(taken), actualFile, std::filesystem::copy_options::overwrite_existing);
      ADD_FAILURE() << "the picture differs from " << expectedFile << ": " << alike * 100
                    << "% of the pixels alike; this run's picture is " << actualFile;
    }
  }

  TLaunchEnv env;
};

}  // namespace
}  // namespace corvane::test
