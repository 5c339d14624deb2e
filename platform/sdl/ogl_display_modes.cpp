// Display modes: the list the device offers (read through SDL at creation)
// and the switch to full screen and back. The window keeps its context
// through both.
#include "base/system/file_utils.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "platform/sdl/ogl_device.h"
#include "platform/sdl/platform_sdl_modes.h"
#include "platform/window.h"

namespace corvane {

namespace {

// The third number of a mode text ("1024x768x32"); 0 when there is none.
std::int32_t ModeDepth(std::u16string text) {
  std::u16string token;
  for (int i = 0; i < 3; ++i) token = GetToken(text, u" ,x");
  const auto value = TryStrToInt64(token);
  return value && *value > 0 && *value < 1024 ? static_cast<std::int32_t>(*value) : 0;
}

}  // namespace

void TOGLDevice::ListDisplayModes() {
  const TScreenModeList list = ReadScreenModes();
  ScreenModes.Clear();
  for (const std::u16string& name : list.Names) ScreenModes.Add(name);
  ScreenModeIndex = list.CurrentIndex;
  DesktopWidth = list.Desktop.Width;
  DesktopHeight = list.Desktop.Height;
  CurrentBitsPerPixel = list.Desktop.BitsPerPixel;
}

void TOGLDevice::FullScreen(bool on, std::int32_t modeIndex) {
  if (modeIndex >= ScreenModes.Count()) return;
  std::int32_t width = DesktopWidth, height = DesktopHeight, depth = CurrentBitsPerPixel;
  if (modeIndex >= 0) {
    width = GetScreenWidth(modeIndex);
    height = GetScreenHeight(modeIndex);
    depth = ModeDepth(ScreenModes.Get(modeIndex));
    if (width <= 0 || height <= 0 || depth <= 0) return;  // a text that names no mode
  }
  FullScreenWidth = width;
  FullScreenHeight = height;
  FullScreenBitsPerPixel = depth;
  FullScreenOn = on;
  Flush();
  if (!MakeCurrent()) return;
  TWindow* window = Window();
  if (on) {
    // The desktop's own mode for -1: no mode switch.
    if (modeIndex < 0 ? !SetWindowFullScreen(window, true, 0, 0, 0)
                      : !SetWindowFullScreen(window, true, width, height, depth)) {
      EngineError(u"Can't create fullScreen AGL context");
      return;
    }
    window->BufferWidth = width;
    window->BufferHeight = height;
    window->SetClientSize(width, height);
  } else {
    SetWindowFullScreen(window, false, 0, 0, 0);
  }
  RebuildStates();
  glViewport(0, 0, window->BufferWidth, window->BufferHeight);
}

}  // namespace corvane
