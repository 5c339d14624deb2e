#include "tests/support/kit/test_applet.h"

#include "base/reflection/class_builder.h"
#include "engine/core/event.h"
#include "platform/device.h"
#include "platform/sound_engine.h"
#include "platform/window.h"
#include "resources/cache/cache.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_filter.h"
#include "tests/support/kit/test_script_engine.h"

namespace corvane::test {

CORVANE_IMPLEMENT_CLASS(TTestApplet)

TTestApplet::TTestApplet(const TCreateContext& context, bool withScripts) : Applet(context, TTreeOnly{}) {
  if (withScripts) scriptEngine_ = Create<TTestScriptEngine>(TCreateContext(this));
  cache_ = Create<TCache>(TCreateContext(this));
  event_ = Create<Event>(TCreateContext(this));
  // A service outside the tree, as the real applet's filter.
  TCreateContext filterContext;
  filterContext.Applet = this;
  filter_ = Create<TTestFilter>(filterContext);
  ready_ = true;
}

void TTestApplet::BeforeDestruction() {
  if (resManLent_) resMan_ = nullptr;
  Applet::BeforeDestruction();
  if (TSoundEngine* sounds = soundEngine_) {
    soundEngine_ = nullptr;
    sounds->Free();
  }
  FreeAndNil(filter_);
  FreeAndNil(device_);
  FreeAndNil(window_);
}

TTestScriptEngine* TTestApplet::Scripts() const { return dynamic_cast<TTestScriptEngine*>(ScriptEngine()); }

TTestFilter* TTestApplet::Filters() const { return dynamic_cast<TTestFilter*>(Filter()); }

TFilter* TTestApplet::UseEngineFilter() {
  FreeAndNil(filter_);
  TCreateContext filterContext;
  filterContext.Applet = this;
  filter_ = Create<TFilter>(filterContext);
  return filter_;
}

TPixmap* TTestApplet::UseDefaultPixmap(std::int32_t width, std::int32_t height) {
  Filters()->pixmapFiles[u"defaultskin.pixmap"] = {width, height};
  if (defaultPixmap_) cache_->FreePixmap(defaultPixmap_);
  defaultPixmap_ = nullptr;
  if (width > 0 && height > 0) defaultPixmap_ = cache_->LoadPixmap(resMan_, u"defaultskin.pixmap");
  if (device_) device_->DefaultPixmap = defaultPixmap_;
  return defaultPixmap_;
}

TRecordingDevice* TTestApplet::UseRecordingDevice(std::int32_t width, std::int32_t height) {
  FreeAndNil(device_);
  if (!window_) {
    window_ = Create<TWindow>(TCreateContext(this));
    window_->Root = this;
  }
  window_->SetClientSize(width, height);
  window_->BufferWidth = width;
  window_->BufferHeight = height;
  auto* device = static_cast<TRecordingDevice*>(CreateDevice(DeviceClassOf<TRecordingDevice>(), window_));
  device_ = device;
  return device;
}

}  // namespace corvane::test
