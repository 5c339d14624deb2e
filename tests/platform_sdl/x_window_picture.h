// A window's picture as the X server holds it, read back with Xlib's
// XGetImage (libX11 opened by name): what a person sees of a program that
// draws into a window of its own. Include it last, as Xlib's macros would
// reach the headers after it.
#pragma once

#include <X11/Xlib.h>
#include <dlfcn.h>

#include <cstdint>
#include <string>

#include "tests/platform_sdl/png_picture.h"

namespace corvane::test {

// The window's pixels on the server of that display (":n"); empty when the
// server or the window cannot be reached.
inline TPngPicture XWindowPicture(const std::string& displayName, unsigned long window) {
  TPngPicture picture;
  void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
  if (!x11) return picture;
  using TOpen = Display* (*)(const char*);
  using TClose = int (*)(Display*);
  using TAttributes = Status (*)(Display*, Window, XWindowAttributes*);
  using TGetImage = XImage* (*)(Display*, Drawable, int, int, unsigned, unsigned, unsigned long, int);
  const auto open = reinterpret_cast<TOpen>(dlsym(x11, "XOpenDisplay"));
  const auto close = reinterpret_cast<TClose>(dlsym(x11, "XCloseDisplay"));
  const auto attributes = reinterpret_cast<TAttributes>(dlsym(x11, "XGetWindowAttributes"));
  const auto getImage = reinterpret_cast<TGetImage>(dlsym(x11, "XGetImage"));
  Display* display = open && close && attributes && getImage ? open(displayName.c_str()) : nullptr;
  XWindowAttributes shape{};
  if (display && attributes(display, window, &shape) != 0) {
    if (XImage* image = getImage(display, window, 0, 0, static_cast<unsigned>(shape.width),
                                 static_cast<unsigned>(shape.height), ~0UL, ZPixmap)) {
      // A channel of a 24- or 32-bit pixel by its mask.
      const auto channel = [](unsigned long pixel, unsigned long mask) {
        int shift = 0;
        while (mask != 0 && (mask & 1) == 0) {
          mask >>= 1;
          ++shift;
        }
        return static_cast<std::uint8_t>((pixel >> shift) & 0xFF);
      };
      if (image->bits_per_pixel == 32) {
        picture.Width = image->width;
        picture.Height = image->height;
        picture.Rgb.reserve(static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height) * 3);
        for (int y = 0; y < image->height; ++y) {
          const auto* row = reinterpret_cast<const std::uint32_t*>(image->data + y * image->bytes_per_line);
          for (int x = 0; x < image->width; ++x) {
            picture.Rgb.push_back(channel(row[x], image->red_mask));
            picture.Rgb.push_back(channel(row[x], image->green_mask));
            picture.Rgb.push_back(channel(row[x], image->blue_mask));
          }
        }
      }
      image->f.destroy_image(image);
    }
  }
  if (display) close(display);
  // libX11 stays loaded: SDL's X11 driver may hold its own handle.
  return picture;
}

}  // namespace corvane::test
