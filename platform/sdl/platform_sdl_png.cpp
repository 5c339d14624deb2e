#include "platform/sdl/platform_sdl_png.h"

#include <SDL.h>
#include <png.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "base/streams/resource_man.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "platform/device.h"
#include "platform/sdl/gl_functions.h"
#include "platform/sdl/platform_sdl.h"
#include "platform/window.h"
#include "platform/window_host.h"

namespace corvane {

bool WriteRgbPng(TResourceMan& folder, const std::string& fileName, std::int32_t width, std::int32_t height,
                 std::span<const std::uint8_t> rgba, bool bottomUp, std::string* error) {
  const std::size_t rowPixels = static_cast<std::size_t>(std::max(width, 0));
  const std::size_t rows = static_cast<std::size_t>(std::max(height, 0));
  if (width <= 0 || height <= 0 || rgba.size() != rowPixels * rows * 4) {
    if (error) *error = "the picture's size does not match its pixels";
    return false;
  }
  std::vector<std::uint8_t> rgb(rowPixels * rows * 3);
  for (std::size_t row = 0; row < rows; ++row) {
    const std::size_t from = (bottomUp ? rows - 1 - row : row) * rowPixels * 4;
    std::uint8_t* to = rgb.data() + row * rowPixels * 3;
    for (std::size_t i = 0; i < rowPixels; ++i) {
      to[i * 3 + 0] = rgba[from + i * 4 + 0];
      to[i * 3 + 1] = rgba[from + i * 4 + 1];
      to[i * 3 + 2] = rgba[from + i * 4 + 2];
    }
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  // Made in memory and stored as every file of the engine is.
  png_alloc_size_t size = 0;
  bool made = png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr) != 0;
  std::vector<std::uint8_t> bytes(made ? size : 0);
  made = made && png_image_write_to_memory(&image, bytes.data(), &size, 0, rgb.data(), 0, nullptr) != 0;
  png_image_free(&image);
  if (!made) {
    if (error) *error = "the picture could not be encoded";
    return false;
  }
  return StoreResource(folder, fileName, bytes.data(), static_cast<std::int64_t>(size));
}

void TPlatformSDL::MakePng(TWindow* window, TResourceMan& folder, const std::string& fileName) {
  const std::u16string name = Utf8ToUtf16(fileName);
  SDL_Window* host = SDLWindowOf(window);
  // The device's context on the window, when it has made one.
  if (host != nullptr && window->GLContext != nullptr && SDL_GL_GetCurrentContext() != window->GLContext) {
    SDL_GL_MakeCurrent(host, static_cast<SDL_GLContext>(window->GLContext));
  }
  if (host == nullptr || glReadPixels == nullptr || SDL_GL_GetCurrentContext() == nullptr) {
    EngineError(u"Can't make png " + name + u": the window has no OpenGL picture");
    return;
  }
  // The picture is the frame drawn and not yet shown: draw one unless a
  // frame is pending, and read it before FlipWindow swaps it away.
  if (window->Root != nullptr) {
    if (TDevice* device = window->Root->Device()) device->RenderWindow();
  }
  int drawableWidth = 0, drawableHeight = 0;
  SDL_GL_GetDrawableSize(host, &drawableWidth, &drawableHeight);
  const std::int32_t width = std::min(window->BufferWidth, drawableWidth);
  const std::int32_t height = std::min(window->BufferHeight, drawableHeight);
  if (width <= 0 || height <= 0) {
    EngineError(u"Can't make png " + name + u": the window is empty");
    return;
  }
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  std::string error;
  if (!WriteRgbPng(folder, fileName, width, height, pixels, true, &error) && !error.empty())
    EngineError(u"Can't write png " + name + u": " + Utf8ToUtf16(error));
}

}  // namespace corvane
