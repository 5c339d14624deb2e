// The abstract host layer: windows, the event pump, the clock, mouse capture
// and acquisition, a console, file selection and the per-user data folder.
// The engine makes one platform object at start-up from PlatformClass.
#pragma once

#include <cstdint>
#include <string>

#include "base/reflection/persistent.h"
#include "platform/window.h"

namespace corvane {

class TResourceMan;

class TWindowHost;

class TPlatform : public TPersistent {
  CORVANE_CLASS(TPlatform, TPersistent)
  TPlatform() = default;
  explicit TPlatform(const TCreateContext&) {}

  virtual bool CreateConsole() = 0;
  virtual bool DestroyConsole() = 0;
  virtual void WriteLn(const std::u16string& text) = 0;
  // Handles at most one pending host event and returns without waiting.
  virtual void PeekHandler() = 0;
  // Looks through the host's pending events, handling none, for a request
  // to close (the window closed, a quit signal, F2): the window it is for,
  // or nullptr. For a script that runs long without a frame.
  virtual TWindow* PendingCloseWindow() { return nullptr; }
  virtual void WaitHandler() = 0;
  // Whether the user has asked the program to close (its window closed,
  // Ctrl+C, SIGTERM, F2 released), looked up without taking any event: the
  // request still reaches the applet through the event loop. Long work
  // between frames (a load, a build) asks it between any two steps to stop
  // early: a host whose look-up is costly looks only now and then.
  virtual bool PollCloseRequest() { return false; }
  // Seconds from a monotonic clock.
  virtual double GetCurrentTime() = 0;
  // Waits about that long (the frame-rate cap); tests advance a clock.
  virtual void Sleep(std::int32_t milliseconds) = 0;
  virtual void LogLastOSError() = 0;
  virtual TWindow* CreateWindow(TWindowHost* root, const std::string& className, std::int32_t left, std::int32_t top,
                                std::int32_t width, std::int32_t height, TWindowStyle style) = 0;
  virtual void DestroyWindow(TWindow* window) = 0;
  virtual void ApplyWindowStyle(TWindow* window) = 0;
  virtual void ShowWindow(TWindow* window) = 0;
  virtual void ResizeWindow(TWindow* window, std::int32_t width, std::int32_t height) = 0;
  virtual void ReposWindow(TWindow* window, std::int32_t left, std::int32_t top) = 0;
  virtual void SetIcon(TWindow* window, const std::string& fileName) = 0;
  virtual void UpdateWindowState(TWindow* window) = 0;
  virtual void UpdateWindow(TWindow* window, float x, float y) = 0;
  // Writes the window's picture as a PNG file, stored through the manager
  // under fileName (replaced whole, or left as it was with a line).
  virtual void MakePng(TWindow* window, TResourceMan& folder, const std::string& fileName) = 0;
  virtual void CaptureMouse(TWindow* window) = 0;
  virtual void ReleaseMouse() = 0;
  virtual void AcquireMouse(TWindow* window) = 0;
  virtual void AcquireDisable(TWindow* window) = 0;
  virtual std::u16string SelectExternalFile(const std::u16string& filter) = 0;
  virtual std::u16string GetAppDataFolder() = 0;
};

// The platform class the engine instantiates; nullptr when none.
extern TClass PlatformClass;

}  // namespace corvane
