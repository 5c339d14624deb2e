// TPlatformSDL: the Linux host, through SDL2. It opens the applet's window
// with an OpenGL-capable surface (the rendering device makes its context
// on it), takes SDL's events one at a time and turns them into the
// engine's key, mouse, wheel and window-action events, keeps the mouse
// acquired through SDL's relative mode, and serves the clock, the console
// and a picture of the window as a PNG file.
//
// Every host event applies to the window made last (CurrentWindow), as
// the applet has one window. SDL's own start is in two steps: its events
// with the platform (so that Ctrl+C and SIGTERM become a quit request from
// the first moment), its video with the first window.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"

union SDL_Event;
struct SDL_KeyboardEvent;
struct SDL_MouseMotionEvent;
struct SDL_Window;

namespace corvane {

class TLowEvent;

class TPlatformSDL : public TPlatform {
  CORVANE_CLASS(TPlatformSDL, TPlatform)
  explicit TPlatformSDL(const TCreateContext& context);
  // Starts SDL's events; logs "Platrorm started TPlatformSDL".
  void AfterConstruction() override;
  // Logs "Platrorm finished TPlatformSDL" and shuts SDL down.
  void BeforeDestruction() override;

  bool CreateConsole() override { return true; }
  bool DestroyConsole() override { return true; }
  // The text and a line end on standard output, in UTF-8.
  void WriteLn(const std::u16string& text) override;
  // Takes at most one SDL event without waiting (a key with the text that
  // follows it, or a run of mouse motions, count as one) and queues what
  // it means for the applet of CurrentWindow.
  void PeekHandler() override;
  TWindow* PendingCloseWindow() override;
  bool PollCloseRequest() override;
  void WaitHandler() override {}
  // Seconds since the platform was made, from a monotonic clock.
  double GetCurrentTime() override;
  void Sleep(std::int32_t milliseconds) override;
  void LogLastOSError() override {}

  // Starts SDL's video when it has not yet (its error logged and nullptr
  // returned when it cannot), then opens a hidden window of the client
  // size, bounded by WindowLimit, for OpenGL (double buffer, RGBA 8 bits,
  // depth 24 or else 16, a compatibility context). The new TWindow (owner and root: root) becomes
  // CurrentWindow, to be given back to DestroyWindow; the caption is not
  // shown.
  TWindow* CreateWindow(TWindowHost* root, const std::string& className, std::int32_t left, std::int32_t top,
                        std::int32_t width, std::int32_t height, TWindowStyle style) override;
  // Closes the host window, logging "Window destroyed", and frees the
  // TWindow made by CreateWindow. CurrentWindow is cleared only when it is
  // this one.
  void DestroyWindow(TWindow* window) override;
  // maskStyle: borderless; systemStyle: bordered. A layered window would
  // show nothing on this host: it becomes a borderless maskStyle window,
  // the applet's style follows, and a line is logged.
  void ApplyWindowStyle(TWindow* window) override;
  void ShowWindow(TWindow* window) override;
  // Width > 0 sets the client size, bounded by WindowLimit; then the
  // buffer size follows the client size, the applet updates (UpdateApplet)
  // and the device follows (ResizeDevice).
  void ResizeWindow(TWindow* window, std::int32_t width, std::int32_t height) override;
  void ReposWindow(TWindow* window, std::int32_t left, std::int32_t top) override;
  void SetIcon(TWindow* window, const std::string& fileName) override {}
  // Shows the window's caption as the host window's title.
  void UpdateWindowState(TWindow* window) override;
  // The device draws a frame (RenderWindow); FlipWindow shows it later.
  void UpdateWindow(TWindow* window, float x, float y) override;
  // Draws the frame when none is pending, reads the back buffer (before
  // the device's FlipWindow shows it) and writes it as an RGB PNG file,
  // beside the target first and then renamed. Errors are logged.
  void MakePng(TWindow* window, TResourceMan& folder, const std::string& fileName) override;
  void CaptureMouse(TWindow* window) override {}
  void ReleaseMouse() override {}
  // The first acquisition warps the cursor to the window's centre and
  // turns SDL's relative mode on; mouse moves then report raw deltas.
  void AcquireMouse(TWindow* window) override;
  // One acquisition less (never below 0); the last one turns relative
  // mode off.
  void AcquireDisable(TWindow* window) override;
  std::u16string SelectExternalFile(const std::u16string& filter) override { return {}; }
  // The engine's per-user data folder (base/system/user_data.h).
  std::u16string GetAppDataFolder() override;

  // The largest window this host can show and draw now: the bounds of the
  // display it stands on (the host window's, or the one holding the point
  // left, top) and, while an OpenGL context is current, the largest
  // viewport and renderbuffer that context takes. A larger one ends the
  // program in the window system or in the buffer swap.
  TWindowLimit WindowLimit(const TWindow* window, std::int32_t left = 0, std::int32_t top = 0) const;

  // The window every host event applies to; nullptr when there is none.
  TWindow* CurrentWindow() const { return currentWindow_.Get(); }
  // How much wider and taller a systemStyle window's frame is than its
  // client area, as the window manager reported it at creation.
  std::int32_t FrameWidth = 0;
  std::int32_t FrameHeight = 0;

 private:
  static constexpr int kScancodeCount = 512;

  // Starts SDL's video; logs SDL's error when it cannot.
  bool StartVideo();
  // The host side of DestroyWindow; the TWindow object stays.
  void CloseHostWindow(TWindow* window);
  void ApplyStyle(TWindow* window, SDL_Window* host);
  // Queues an event for the applet of CurrentWindow; dropped while it has
  // no event queue.
  void Queue(std::unique_ptr<TLowEvent> event);
  // One deactivate + close-window pair per window, whatever asks for it.
  void RequestClose();
  // The host cursor is hidden over the window only while the applet's
  // cursor object draws or the mouse is acquired.
  void UpdateCursor();
  void Warp(TWindow* window, std::int32_t x, std::int32_t y);

  // Event translation (sdl_events.cpp).
  void Dispatch(const SDL_Event& event);
  void HandleWindowEvent(const SDL_Event& event);
  void HandleKeyDown(const SDL_KeyboardEvent& key);
  void HandleKeyUp(const SDL_KeyboardEvent& key);
  void HandleText(const char* text);
  void HandleButton(const SDL_Event& event);
  void HandleMotion(const SDL_MouseMotionEvent& first);
  void HandleWheel(const SDL_Event& event);

  bool HostHoldsCloseRequest();

  std::chrono::steady_clock::time_point start_;
  bool eventsStarted_ = false;
  bool videoStarted_ = false;
  TWeak<TWindow> currentWindow_;
  // A quit request that came while no window could take it.
  bool quitPending_ = false;
  // The current window's close pair is queued.
  bool closeQueued_ = false;
  // When PollCloseRequest last looked at the host's events (SDL ticks).
  static constexpr std::uint64_t kClosePollMs = 50;
  std::uint64_t lastClosePoll_ = 0;
  // The character each key went down with, for its key-up.
  std::array<char16_t, kScancodeCount> keyChars_{};
  // SDL button mask of the buttons held, as the events told it.
  std::uint32_t buttons_ = 0;
  // A warp of ours whose motion is still to come: it is no user move.
  bool warpPending_ = false;
  std::int32_t warpX_ = 0;
  std::int32_t warpY_ = 0;
  bool cursorHidden_ = false;
};

// Sets the attributes of the next SDL window's OpenGL context: double
// buffered RGBA 8, depthBits of depth, a compatibility context.
void SetGLAttributes(int depthBits);

// The SDL window behind an engine window; nullptr when it has none.
SDL_Window* SDLWindowOf(const TWindow* window);

// Makes TPlatformSDL the platform the engine creates (PlatformClass) and
// registers it by name. Once per program; repeating it is harmless.
void RegisterSDLPlatform();

}  // namespace corvane
