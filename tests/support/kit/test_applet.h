// An applet for tests of the object tree: an event queue, a cache, a test
// filter and (optionally) the test script engine, ready at once, without
// the applet's own construction. It has no window and no device until a
// test asks for a recording device (or hands it one); whatever it was given
// goes with it, except a resource manager the test lends.
#pragma once

#include <cstdint>

#include "engine/shell/applet.h"

namespace corvane {
class TDevice;
}

namespace corvane::test {

class TRecordingDevice;
class TTestFilter;
class TTestScriptEngine;

class TTestApplet : public Applet {
  CORVANE_CLASS(TTestApplet, Applet)
  explicit TTestApplet(const TCreateContext& context, bool withScripts = true);
  // After the applet's own teardown (its cache included): the sound
  // engine, the filter, the device and the window.
  void BeforeDestruction() override;

  TTestScriptEngine* Scripts() const;
  // The test filter; null once the engine's own is in use.
  TTestFilter* Filters() const;
  // Replaces the test filter with the engine's TFilter, which reads real
  // files through the registered filters.
  TFilter* UseEngineFilter();
  void SetScale(float value) { scale_ = value; }
  void SetDebugFormVisible(bool value) { debugFormVisible_ = value; }
  bool DebugFormVisible() const override { return debugFormVisible_; }
  // Lends the applet a manager the test keeps (the one handed in through
  // the creation context is the applet's own, and stays so).
  void SetResMan(TResourceMan* resMan) {
    if (resMan != resMan_) resManLent_ = true;
    resMan_ = resMan;
  }

  // A window of that size (made on first use) with a recording device on
  // it, replacing any device the applet had.
  TRecordingDevice* UseRecordingDevice(std::int32_t width = 640, std::int32_t height = 480);
  // The applet's default picture: a known pixmap of the test filter, loaded
  // through the cache as the applet loads its own (and bound to the device
  // when there is one); null when the size has a side of 0 or no device
  // can make it.
  TPixmap* UseDefaultPixmap(std::int32_t width, std::int32_t height);
  void SetDefaultSkin(BaseObject* skin) { defaultSkin_ = skin; }
  // Takes the device over (e.g. the result of TDevice::CloneDevice, which
  // has already freed the previous one).
  void AdoptDevice(TDevice* device) { device_ = device; }

 private:
  bool debugFormVisible_ = false;
  bool resManLent_ = false;
};

}  // namespace corvane::test
