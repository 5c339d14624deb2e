#include "platform/sdl/platform_sdl_modes.h"

#include <SDL.h>

#include <algorithm>

#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "platform/sdl/platform_sdl.h"
#include "platform/window.h"

namespace corvane {

namespace {

TDisplayModeInfo InfoOf(const SDL_DisplayMode& mode) {
  TDisplayModeInfo info;
  info.Width = mode.w;
  info.Height = mode.h;
  info.BitsPerPixel = static_cast<std::int32_t>(SDL_BYTESPERPIXEL(mode.format)) * 8;
  info.RefreshRate = mode.refresh_rate;
  info.Format = mode.format;
  return info;
}

bool Usable(const TDisplayModeInfo& mode) {
  return (mode.BitsPerPixel == 16 || mode.BitsPerPixel == 32) && mode.Width >= 640 && mode.Height >= 400;
}

void LogSDLError(std::u16string_view what) { EngineError(std::u16string(what) + Utf8ToUtf16(SDL_GetError())); }

}  // namespace

std::u16string DisplayModeName(const TDisplayModeInfo& mode) {
  return IntToStr(mode.Width) + u"x" + IntToStr(mode.Height) + u"x" + IntToStr(mode.BitsPerPixel);
}

TScreenModeList FilterScreenModes(std::span<const TDisplayModeInfo> modes, const TDisplayModeInfo& desktop) {
  TScreenModeList list;
  list.Desktop = desktop;
  const std::u16string desktopName = DisplayModeName(desktop);
  EngineLog(u"Current mode is " + desktopName);
  for (std::size_t i = 0; i < modes.size(); ++i) {
    const TDisplayModeInfo& mode = modes[i];
    if (!Usable(mode)) continue;
    const std::u16string name = DisplayModeName(mode);
    EngineLog(IntToStr(static_cast<std::int64_t>(i)) + u":" + name);
    std::int32_t index = -1;
    for (std::size_t n = 0; n < list.Names.size(); ++n) {
      if (list.Names[n] == name) index = static_cast<std::int32_t>(n);
    }
    const bool current = name == desktopName;
    // Of the entries one name covers (refresh rates), the desktop's own
    // one is kept.
    const bool desktopItself = current && mode.RefreshRate == desktop.RefreshRate;
    if (index < 0) {
      index = static_cast<std::int32_t>(list.Names.size());
      list.Names.push_back(name);
      list.Modes.push_back(mode);
    } else if (desktopItself) {
      list.Modes[static_cast<std::size_t>(index)] = mode;
    } else {
      continue;
    }
    if (current && (list.CurrentIndex < 0 || desktopItself)) {
      if (list.CurrentIndex < 0) EngineLog(u"Current mode " + IntToStr(static_cast<std::int64_t>(i)) + u" " + name);
      list.CurrentIndex = index;
    }
  }
  return list;
}

TScreenModeList ReadScreenModes() {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return {};
  SDL_DisplayMode desktop{};
  if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
    LogSDLError(u"No desktop display mode: ");
    return {};
  }
  std::vector<TDisplayModeInfo> modes;
  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode{};
    if (SDL_GetDisplayMode(0, i, &mode) == 0) modes.push_back(InfoOf(mode));
  }
  return FilterScreenModes(modes, InfoOf(desktop));
}

bool SetWindowFullScreen(TWindow* window, bool on, std::int32_t width, std::int32_t height, std::int32_t bits) {
  SDL_Window* host = SDLWindowOf(window);
  if (host == nullptr) return false;
  if (!on) {
    if (SDL_SetWindowFullscreen(host, 0) == 0) return true;
    LogSDLError(u"Can't leave full screen: ");
    return false;
  }
  const int display = std::max(SDL_GetWindowDisplayIndex(host), 0);
  SDL_DisplayMode chosen{};
  bool found = false;
  if (width <= 0 || height <= 0) {
    found = SDL_GetDesktopDisplayMode(display, &chosen) == 0;
  } else {
    const int count = SDL_GetNumDisplayModes(display);
    for (int i = 0; i < count && !found; ++i) {
      SDL_DisplayMode mode{};
      if (SDL_GetDisplayMode(display, i, &mode) != 0) continue;
      const TDisplayModeInfo info = InfoOf(mode);
      if (info.Width == width && info.Height == height && (bits <= 0 || info.BitsPerPixel == bits)) {
        chosen = mode;
        found = true;
      }
    }
    if (!found) {
      SDL_DisplayMode wanted{};
      wanted.w = width;
      wanted.h = height;
      found = SDL_GetClosestDisplayMode(display, &wanted, &chosen) != nullptr;
    }
  }
  if (!found || SDL_SetWindowDisplayMode(host, &chosen) != 0 ||
      SDL_SetWindowFullscreen(host, SDL_WINDOW_FULLSCREEN) != 0) {
    LogSDLError(u"Can't switch to full screen: ");
    return false;
  }
  return true;
}

}  // namespace corvane
