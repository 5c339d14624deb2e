// A real OpenGL device without a display: SDL's "offscreen" driver makes
// contexts through EGL, Mesa's llvmpipe renders. A harness owns an engine
// world, an SDL window and the applet's TGenericGLDevice on it; pixels are
// read from the back buffer before FlipWindow.
#pragma once

#include <SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/reflection/class_builder.h"
#include "platform/sdl/ogl_device.h"
#include "platform/sdl/platform_sdl.h"
#include "platform/window.h"
#include "tests/support/kit/test_world.h"

namespace corvane::test {

// Starts SDL's video on the offscreen driver for the life of a test suite.
class TOffscreenVideo {
 public:
  TOffscreenVideo() {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    started_ = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (!started_) error_ = SDL_GetError();
  }
  ~TOffscreenVideo() {
    if (started_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  TOffscreenVideo(const TOffscreenVideo&) = delete;
  TOffscreenVideo& operator=(const TOffscreenVideo&) = delete;

  bool Started() const { return started_; }
  const std::string& Error() const { return error_; }

 private:
  bool started_ = false;
  std::string error_;
};

// Keeps every shared object loaded now mapped for the rest of the process.
// SDL unloads EGL and OpenGL with its last window and Mesa its driver with
// its display; what they keep for the life of the process would then be
// reported by the leak check without a module name to suppress it by.
inline void PinLoadedLibraries() {
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void*) {
        if (info->dlpi_name && info->dlpi_name[0] != '\0') dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD);
        return 0;
      },
      nullptr);
}

// An SDL window with the platform's attributes: double buffered RGBA 8,
// depth 24, a compatibility context.
inline SDL_Window* CreateGLWindow(int width, int height) {
  SetGLAttributes(24);
  return SDL_CreateWindow("corvane test", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
}

class TGLHarness {
 public:
  // withHostWindow false: an engine window without a host window, on
  // which no context can be made. device is null when CreateDevice made
  // none.
  explicit TGLHarness(int width = 640, int height = 480, bool withHostWindow = true)
      : width_(width), height_(height) {
    if (withHostWindow) sdlWindow_ = CreateGLWindow(width, height);
    window = Create<TWindow>(TCreateContext(world.applet));
    window->Root = world.applet;
    window->SetClientSize(width, height);
    window->BufferWidth = width;
    window->BufferHeight = height;
    window->Handle = sdlWindow_;
    if (withHostWindow) {
      device = static_cast<TGenericGLDevice*>(CreateDevice(DeviceClassOf<TGenericGLDevice>(), window));
    } else {
      // CreateDevice would free a device without a context: made by hand
      // to see what such a device does.
      device = new TGenericGLDevice(window);
      device->AfterConstruction();
    }
    world.applet->AdoptDevice(device);
  }
  ~TGLHarness() {
    world.applet->AdoptDevice(nullptr);
    if (device) device->Free();
    window->Free();
    if (sdlWindow_) SDL_DestroyWindow(sdlWindow_);
  }
  TGLHarness(const TGLHarness&) = delete;
  TGLHarness& operator=(const TGLHarness&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  SDL_Window* HostWindow() const { return sdlWindow_; }

  // The back buffer as ARGB pixels, row 0 at the top, with what the
  // device has gathered drawn.
  std::vector<std::uint32_t> ReadPixels() const {
    if (device) device->Flush();
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
    // OpenGL counts rows from the bottom.
    for (int y = 0; y < height_ / 2; ++y)
      std::swap_ranges(pixels.begin() + Index(0, y), pixels.begin() + Index(width_, y),
                       pixels.begin() + Index(0, height_ - 1 - y));
    return pixels;
  }
  // The back buffer read, then the frame shown.
  std::vector<std::uint32_t> ReadAndFlip() const {
    std::vector<std::uint32_t> pixels = ReadPixels();
    device->FlipWindow();
    return pixels;
  }
  // The red, green and blue of a pixel (alpha dropped).
  std::uint32_t Rgb(const std::vector<std::uint32_t>& pixels, int x, int y) const {
    return pixels[Index(x, y)] & 0x00FFFFFF;
  }

  // A frame begun: cleared, fixed state set; 2D drawing from here on.
  void Begin2D() {
    device->RenderWindow();
    device->SetRenderState(rs2DScene);
  }

  TTestWorld world;
  TWindow* window = nullptr;
  TGenericGLDevice* device = nullptr;

 private:
  std::ptrdiff_t Index(int x, int y) const { return static_cast<std::ptrdiff_t>(y) * width_ + x; }

  int width_;
  int height_;
  SDL_Window* sdlWindow_ = nullptr;
};

// A test with a 640 x 480 device, the offscreen video running for the
// whole suite.
class GLDeviceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { video_ = std::make_unique<TOffscreenVideo>(); }
  static void TearDownTestSuite() { video_.reset(); }
  void SetUp() override {
    ASSERT_TRUE(video_->Started()) << "SDL's offscreen video: " << video_->Error();
    gl = std::make_unique<TGLHarness>();
    ASSERT_TRUE(gl->HostWindow()) << SDL_GetError();
    ASSERT_NE(gl->device, nullptr) << gl->world.log.Text();
    ASSERT_TRUE(gl->device->HasContext());
    PinLoadedLibraries();
  }
  void TearDown() override { gl.reset(); }

  TGenericGLDevice& Device() const { return *gl->device; }
  // One frame of the applet's tree, read back.
  std::vector<std::uint32_t> Frame() {
    Device().RenderWindow();
    return gl->ReadAndFlip();
  }
  // 64 x 64 texels in 32 x 32 quadrants: red, green on top, blue, white below.
  static std::vector<std::uint32_t> QuadrantTexels() {
    std::vector<std::uint32_t> texels(64 * 64);
    for (std::size_t y = 0; y < 64; ++y)
      for (std::size_t x = 0; x < 64; ++x)
        texels[y * 64 + x] = y < 32 ? (x < 32 ? 0xFFFF0000u : 0xFF00FF00u) : (x < 32 ? 0xFF0000FFu : 0xFFFFFFFFu);
    return texels;
  }
  // Pixels whose colour is not black.
  static int Lit(const std::vector<std::uint32_t>& pixels) {
    int count = 0;
    for (std::uint32_t p : pixels) count += (p & 0x00FFFFFF) != 0 ? 1 : 0;
    return count;
  }

  std::unique_ptr<TGLHarness> gl;

 private:
  inline static std::unique_ptr<TOffscreenVideo> video_;
};

}  // namespace corvane::test
