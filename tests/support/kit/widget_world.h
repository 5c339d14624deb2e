// An applet of widgets driven as a user drives them: every press, move,
// release, wheel notch and key goes into the applet's event queue and is
// dispatched by the next frame. Text is measured with the kit's fixed-pitch
// system font (8 units a character); handlers run in the test script
// engine ("log clicked"), so the engine's log tells what ran; the recording
// device draws.
#pragma once

#include <cstdint>
#include <string>

#include "base/reflection/set.h"
#include "engine/shell/applet.h"
#include "platform/low_event.h"
#include "tests/support/kit/applet_world.h"

namespace corvane::test {

class TWidgetWorld {
 public:
  // With skin, the default skin and its picture load (the skinned widgets
  // draw from them), through the real filter.
  explicit TWidgetWorld(bool skin = false);
  ~TWidgetWorld();
  TWidgetWorld(const TWidgetWorld&) = delete;
  TWidgetWorld& operator=(const TWidgetWorld&) = delete;

  // Runs an applet holding these objects (".object" text, each "object"
  // block at the top level of the applet); false when it would not run.
  bool Launch(const std::string& objects);
  template <class T>
  T* Find(const char16_t* name) const {
    return dynamic_cast<T*>(applet->findByName(name));
  }

  // Input, each followed by one frame. A left press and the moves while it
  // is held carry ssLeft, as the host gives them.
  void Press(float x, float y, TMouseButton button = mbLeft);
  void Move(float x, float y);
  void Release(float x, float y, TMouseButton button = mbLeft);
  void Click(float x, float y) {
    Press(x, y);
    Release(x, y);
  }
  // Wheel notches: negative scrolls down.
  void Wheel(std::int32_t notches);
  // A key (virtual-key code, character 0) or a typed character (key 0).
  void Key(std::uint16_t key, TShiftState shift = {});
  void Type(const std::u16string& text);
  // The same, queued without running a frame: for host events injected
  // while a modal loop runs the frames.
  void QueueKey(std::uint16_t key, TShiftState shift = {});
  void QueueType(const std::u16string& text);
  void Frames(int n = 1) { world.Steps(n); }
  // Draws the applet's tree on the recording device, as a host's paint
  // does (the null host never paints by itself).
  void Paint();
  // How many times the handler logged the line.
  int Count(const std::string& line) const { return world.CountInfo(line); }

  TAppletWorld world;
  Applet* applet = nullptr;

 private:
  void Mouse(TLowEventType type, float x, float y, TMouseButton button, TShiftState shift);
  bool leftDown_ = false;
  std::int32_t lastX_ = 0;
  std::int32_t lastY_ = 0;
};

}  // namespace corvane::test
