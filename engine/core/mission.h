// Mission: a level. A subtree loaded from its own object file that can be
// started, paused and resumed, and that ends in success or failure or
// restarts itself, each step announced to scripts through handlers. While
// it runs it may hold the applet's mouse acquired. Finishing and restarting
// go through the applet's scheduler, never in the middle of a frame.
#pragma once

#include <cstdint>
#include <string>

#include "engine/core/position_object.h"
#include "engine/core/schedule_event.h"

namespace corvane {

class Mission : public PositionObject {
  CORVANE_CLASS(Mission, PositionObject)
  static void Describe(TClassBuilder<Mission>& c);
  // Registers the mission as a key listener of the applet's event object
  // and logs "Mission was created".
  explicit Mission(const TCreateContext& context);
  // Logs "Mission was destroyed" and leaves the listeners.
  void BeforeDestruction() override;

  bool Pause() const { return pause_; }
  // Pausing releases the mouse (when acquired) and runs onPause; resuming
  // runs onResume and acquires the mouse again.
  void SetPause(bool value);
  // The same change of the flag and the mouse, without handlers.
  void SetPauseNoEvent(bool value);
  bool MouseAcquire() const { return mouseAcquire_; }
  void SetMouseAcquire(bool value) { mouseAcquire_ = value; }
  bool IsSuccess() const { return isSuccess_; }

  virtual void Start();
  virtual void Success();
  virtual void Fail();
  virtual void Restart();
  void start() { Start(); }
  void success() { Success(); }
  void fail() { Fail(); }
  void restart() { Restart(); }
  BaseObject* getDesignSelected();

  // The scheduled finish: handlers, log line, then the mission is freed.
  void RealFinish();
  // The scheduled restart: the mission's file is read into it again.
  void RealRestart();

  // Finishes the mission as failed instead of disposing it at once.
  void Dispose() override;
  void PrepareForDispose() override;
  // The loading percentage in event.paramInt, then onLoading.
  void LoadProgress(std::int32_t position, std::int32_t total) override;
  // A paused mission's subtree stands still.
  void ProcessTick(float dt, float time) override;
  // Escape pauses a running mission.
  void KeyDown(std::uint16_t& key, char16_t& ch, TShiftState shift) override;

  bool IsMission() const override { return true; }
  bool MissionPaused() const override { return pause_; }
  bool IsGroupingObject() const override { return true; }
  void ScheduledMissionFinish() override { RealFinish(); }
  void ScheduledMissionRestart() override { RealRestart(); }

 private:
  void SetPauseFlag(bool value, bool runHandlers);
  void AcquireMouse(bool acquire);
  void ScheduleFinish(TScheduleAction action);

  bool pause_ = false;
  bool mouseAcquire_ = true;
  bool isSuccess_ = false;
  std::u16string onLoading_;
  std::u16string onStart_;
  std::u16string onSuccess_;
  std::u16string onFail_;
  std::u16string onPause_;
  std::u16string onResume_;
};

}  // namespace corvane
