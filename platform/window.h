// TWindow: the applet's window as the device, the host layer and the applet
// share it: its sizes and place, the drawing area inside it, the caret, the
// camera last given to the device and the eight light records. The host
// layer creates and destroys it; the device only draws into it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/geometry/geometry.h"
#include "base/reflection/persistent.h"
#include "platform/media.h"

namespace corvane {

class TWindowHost;

inline constexpr std::int32_t kWindowLightCount = 8;

class TWindow : public TSomePersistent {
  CORVANE_CLASS(TWindow, TSomePersistent)
  // The owner is the applet.
  explicit TWindow(const TCreateContext& context);
  // Frees the caret the window still holds.
  void BeforeDestruction() override;

  // Client size in pixels; set at creation and by resizing.
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  // The drawing buffer (the size full-screen and layered rendering use).
  std::int32_t BufferWidth = 0;
  std::int32_t BufferHeight = 0;
  // (0, 0, Width, Height).
  TRect ClientRect;
  // Where the host window stands on the display.
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  // The applet area inside the window (letterboxing), added to 2D
  // coordinates and subtracted from mouse positions.
  std::int32_t DrawOffsetX = 0;
  std::int32_t DrawOffsetY = 0;
  TWindowStyle Style = systemStyle;
  TWindowPlace Place = normalPlace;
  std::u16string Caption;
  std::string IconFile;
  std::string MaskFile;
  TRect MaskMargin;

  // The host's window; null when there is none.
  void* Handle = nullptr;
  // The device's OpenGL context on that window (set and cleared by the
  // device); null when there is none.
  void* GLContext = nullptr;
  // The host whose tree the device paints: the applet.
  TWindowHost* Root = nullptr;

  // The one caret of the window (set by the device's CreateCaret, cleared
  // by its DestroyCaret); owned by the window while set.
  TCaret* Caret = nullptr;
  // True only while the caret blink asks the applet for a repaint.
  bool CaretUpdating = false;

  // The camera last set through the device's SetCameraPos, its view matrix
  // and the frustum taken after that change.
  TSpaceMatrix ViewMatrix = IdentitySpaceMatrix;
  TFrustum Frustum;
  TSpaceVector CameraPosition;
  TSpaceVector CameraDirection;
  TSpaceVector CameraUp;

  // The slots the device's AddLight has handed out and FreeLight not yet
  // taken back (1 to 7; record 0 is never handed out), and the records its
  // SetLight fills.
  std::array<bool, kWindowLightCount> LightTaken{};
  std::array<TLight, kWindowLightCount> Lights;

  // What the host layer keeps for itself: the picture a layered window
  // shows (BufferWidth x BufferHeight ARGB pixels), the last mouse position
  // and how often the mouse is acquired (0: not acquired).
  std::vector<std::uint32_t> LayerPixels;
  std::int32_t LastMouseX = 0;
  std::int32_t LastMouseY = 0;
  std::int32_t AcquireCount = 0;

  // Width and Height set together with the client rectangle.
  void SetClientSize(std::int32_t width, std::int32_t height);
};

// The largest client size, in pixels, a host can give a window and draw.
struct TWindowLimit {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
};

// The size a host gives a window asked for at width x height: each side at
// least 1 pixel and at most the limit's (a limit side of 0 or less bounds
// nothing). A size beyond the limit is refused with an error line naming
// both sizes ("Window size 40000x600 refused: 1280x600 used"), and the
// largest that works is used instead.
void BoundWindowSize(std::int32_t& width, std::int32_t& height, TWindowLimit limit);

}  // namespace corvane
