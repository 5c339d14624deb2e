// The display modes of the main display as the device lists them ("WxHxB"
// names, the desktop's size and depth, the index of the current mode), and
// the switch of a window to full screen and back, through SDL.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace corvane {

class TWindow;

struct TDisplayModeInfo {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  // Bytes per pixel x 8: X servers call a 32-bit mode 24 bits deep.
  std::int32_t BitsPerPixel = 0;
  std::int32_t RefreshRate = 0;
  std::uint32_t Format = 0;  // SDL_PixelFormatEnum
};

struct TScreenModeList {
  // One name per mode, e.g. "1024x768x32", and the mode behind it.
  std::vector<std::u16string> Names;
  std::vector<TDisplayModeInfo> Modes;
  // The entry equal to the desktop's mode; -1 when none is.
  std::int32_t CurrentIndex = -1;
  TDisplayModeInfo Desktop;
};

// "WxHxB" of the mode.
std::u16string DisplayModeName(const TDisplayModeInfo& mode);

// Keeps the modes of 16 or 32 bits per pixel and at least 640 x 400, in
// their order, one entry per name: the first met, or the one equal to the
// desktop mode (same size, depth and refresh rate), which is then the
// current entry. Logs "Current mode is <name>", then "<i>:<name>" for each
// kept mode and "Current mode <i> <name>" for the current one (i counts
// the given modes).
TScreenModeList FilterScreenModes(std::span<const TDisplayModeInfo> modes, const TDisplayModeInfo& desktop);

// The main display's modes (SDL_GetDisplayMode) filtered as above, the
// desktop mode from SDL_GetDesktopDisplayMode. SDL's video must be
// running; an empty list otherwise.
TScreenModeList ReadScreenModes();

// Full screen in the display mode closest to width x height x bits (0 for
// any: the desktop's), or back to the window (on false). The window's
// OpenGL context survives the switch. False, with SDL's error logged, when
// SDL refuses.
bool SetWindowFullScreen(TWindow* window, bool on, std::int32_t width, std::int32_t height, std::int32_t bits);

}  // namespace corvane
