// An applet for tests: an event queue, a cache and (optionally) the test
// script engine, ready at once, with no window and no device.
#pragma once

#include "engine/applet.h"

namespace corvane::test {

class TTestScriptEngine;

class TTestApplet : public Applet {
  CORVANE_CLASS(TTestApplet, Applet)
  explicit TTestApplet(const TCreateContext& context, bool withScripts = true);

  TTestScriptEngine* Scripts() const;
  void SetFrameRate(std::int32_t fps) { frameRate_ = fps; }
  void SetEffectInScript(bool value) { effectInScript_ = value; }
  void SetScale(float value) { scale_ = value; }
  void SetDebugFormVisible(bool value) { debugFormVisible_ = value; }
  bool DebugFormVisible() const override { return debugFormVisible_; }
  void SetResMan(TResourceMan* resMan) { resMan_ = resMan; }

 private:
  bool debugFormVisible_ = false;
};

}  // namespace corvane::test
