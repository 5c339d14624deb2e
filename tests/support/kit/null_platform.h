// A platform with no host: a clock the test sets, host events the test
// injects (one handled per PeekHandler, as a real host delivers them), and
// sleeps that advance the clock instead of waiting.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "platform/platform.h"

namespace corvane::test {

class TNullPlatform : public TPlatform {
  CORVANE_CLASS(TNullPlatform, TPlatform)
  using TPlatform::TPlatform;

  // The clock; every GetCurrentTime may advance it by a fixed step.
  void SetTime(float seconds) { now_ = seconds; }
  void SetStep(float seconds) { step_ = seconds; }
  // Queues a host event: run by the PeekHandler that takes it.
  void Inject(std::function<void()> hostEvent) { pending_.push_back(std::move(hostEvent)); }
  std::size_t Pending() const { return pending_.size(); }
  const std::vector<std::int32_t>& Sleeps() const { return sleeps_; }
  int PeekCount() const { return peeks_; }

  bool CreateConsole() override { return false; }
  bool DestroyConsole() override { return false; }
  void WriteLn(const std::u16string&) override {}
  void PeekHandler() override;
  void WaitHandler() override { PeekHandler(); }
  float GetCurrentTime() override;
  void Sleep(std::int32_t milliseconds) override;
  void LogLastOSError() override {}
  TWindow* CreateWindow(Applet*, const std::string&, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                        TWindowStyle) override {
    return nullptr;
  }
  void DestroyWindow(TWindow*) override {}
  void ApplyWindowStyle(TWindow*) override {}
  void ShowWindow(TWindow*) override {}
  void ResizeWindow(TWindow*, std::int32_t, std::int32_t) override {}
  void ReposWindow(TWindow*, std::int32_t, std::int32_t) override {}
  void SetIcon(TWindow*, const std::string&) override {}
  void UpdateWindowState(TWindow*) override {}
  void UpdateWindow(TWindow*, float, float) override {}
  void MakePng(TWindow*, const std::string&) override {}
  void CaptureMouse(TWindow*) override {}
  void ReleaseMouse() override {}
  void AcquireMouse(TWindow*) override { ++acquired_; }
  void AcquireDisable(TWindow*) override { --acquired_; }
  std::u16string SelectExternalFile(const std::u16string&) override { return {}; }
  std::u16string GetAppDataFolder() override { return u"/tmp/"; }
  int Acquired() const { return acquired_; }

 private:
  float now_ = 0;
  float step_ = 0;
  std::deque<std::function<void()>> pending_;
  std::vector<std::int32_t> sleeps_;
  int peeks_ = 0;
  int acquired_ = 0;
};

}  // namespace corvane::test
