// A platform with no host: a clock the test sets, host events the test
// injects (one handled per PeekHandler, as a real host delivers them),
// sleeps that advance the clock instead of waiting, and windows that exist
// only in memory: every window operation is kept as a line of text
// ("ResizeWindow 801 601") and applied to the window's fields.
//
// Host frames are bounded: a wait, modal loop or main loop that never ends
// fails its test with a message at the bound instead of hanging it.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace corvane::test {

class TNullPlatform : public TPlatform {
  CORVANE_CLASS(TNullPlatform, TPlatform)
  using TPlatform::TPlatform;

  // The clock; every GetCurrentTime may advance it by a fixed step.
  void SetTime(double seconds) { now_ = seconds; }
  void SetStep(double seconds) { step_ = seconds; }
  // Queues a host event: run by the PeekHandler that takes it.
  void Inject(std::function<void()> hostEvent) { pending_.push_back(std::move(hostEvent)); }
  std::size_t Pending() const { return pending_.size(); }
  const std::vector<std::int32_t>& Sleeps() const { return sleeps_; }
  int PeekCount() const { return peeks_; }
  // Far more host frames than any test runs (the longest runs a few
  // hundred); past it, the test fails and the process ends.
  static constexpr int kFrameLimit = 10000;

  bool CreateConsole() override { return false; }
  bool DestroyConsole() override { return false; }
  void WriteLn(const std::u16string&) override {}
  void PeekHandler() override;
  void WaitHandler() override { PeekHandler(); }
  // What a test set: the user's close request as long work between frames
  // sees it.
  bool PollCloseRequest() override { return closeRequested; }
  bool closeRequested = false;
  double GetCurrentTime() override;
  void Sleep(std::int32_t milliseconds) override;
  void LogLastOSError() override {}
  // A window of that client size (nullptr while FailWindows is set),
  // bounded by WindowLimit; the applet owns it until DestroyWindow frees it.
  TWindow* CreateWindow(TWindowHost* root, const std::string& className, std::int32_t left, std::int32_t top,
                        std::int32_t width, std::int32_t height, TWindowStyle style) override;
  void DestroyWindow(TWindow* window) override;
  void ApplyWindowStyle(TWindow* window) override;
  void ShowWindow(TWindow* window) override;
  // (-1, -1) applies the window's own size again; a width above 0 is
  // bounded by WindowLimit.
  void ResizeWindow(TWindow* window, std::int32_t width, std::int32_t height) override;
  void ReposWindow(TWindow* window, std::int32_t left, std::int32_t top) override;
  void SetIcon(TWindow* window, const std::string& fileName) override;
  void UpdateWindowState(TWindow* window) override;
  void UpdateWindow(TWindow* window, float width, float height) override;
  void MakePng(TWindow* window, TResourceMan& folder, const std::string& fileName) override;
  void CaptureMouse(TWindow*) override {}
  void ReleaseMouse() override {}
  void AcquireMouse(TWindow*) override { ++acquired_; }
  void AcquireDisable(TWindow*) override { --acquired_; }
  std::u16string SelectExternalFile(const std::u16string&) override { return {}; }
  std::u16string GetAppDataFolder() override { return u"/tmp/"; }
  int Acquired() const { return acquired_; }

  // Window operations as they came, and how many of them begin with the
  // prefix.
  std::vector<std::string> WindowCalls;
  int CountWindowCalls(std::string_view prefix) const;
  bool FailWindows = false;
  // The largest window this host gives (none: any size).
  TWindowLimit WindowLimit;

 private:
  double now_ = 0;
  double step_ = 0;
  std::deque<std::function<void()>> pending_;
  std::vector<std::int32_t> sleeps_;
  int peeks_ = 0;
  int acquired_ = 0;
};

}  // namespace corvane::test
