// Applet: the root object of one running game, as the object tree sees it:
// the services every object reaches through its applet (event queue, script
// engine, cache, resource manager, device, window), the terminated flag and
// the bookkeeping the tree updates. The full applet (window, device, GUI
// layers, preferences, scores) builds on this.
#pragma once

#include <cstdint>

#include "engine/base_object.h"

namespace corvane {

class Event;
class TCache;
class TDevice;
class TFilter;
class TResourceMan;
class TScriptEngine;
class TSoundEngine;
class TWindow;

class Applet : public BaseObject {
  CORVANE_CLASS(Applet, BaseObject)
  static void Describe(TClassBuilder<Applet>& c);
  explicit Applet(const TCreateContext& context);
  ~Applet() override;
  void BeforeDestruction() override;

  // Services.
  Event* GetEvent() const { return event_; }
  TScriptEngine* ScriptEngine() const { return scriptEngine_; }
  TCache* Cache() const { return cache_; }
  TResourceMan* ResMan() const { return resMan_; }
  TDevice* Device() const { return device_; }
  TWindow* Window() const { return window_; }
  TFilter* Filter() const { return filter_; }
  // Null until made (by the cache on the first sound or music).
  TSoundEngine* SoundEngine() const { return soundEngine_; }
  void SetSoundEngine(TSoundEngine* engine) { soundEngine_ = engine; }

  // The applet's own objects that scripts may not dispose.
  virtual bool IsServiceObject(const BaseObject* object) const;

  // Life.
  // True once terminate was called or while the applet is being destroyed.
  bool Terminated() const { return terminated_ || HasState(csDestroying) || Freeing(); }
  void SetTerminated(bool value) { terminated_ = value; }
  void terminate();
  // Set once the window, the device and the services exist.
  bool Ready() const { return ready_; }
  std::int32_t FrameRate() const { return frameRate_; }
  bool Paused() const { return pause_; }
  virtual void SetPause(bool value) { pause_ = value; }

  // Settings the tree reads.
  bool EffectInScript() const { return effectInScript_; }
  float Scale() const { return scale_; }
  // While the debug form is shown, handlers measure their script time.
  virtual bool DebugFormVisible() const { return false; }
  void AddScriptTime(float seconds) { scriptTime_ += seconds; }
  float ScriptTime() const { return scriptTime_; }
  void ResetScriptTime() { scriptTime_ = 0; }

  // Window actions of the event queue.
  virtual void Activate() {}
  virtual void Deactivate() {}

  // Script services the tree asks for (the full applet implements them).
  virtual void storeObject(BaseObject* object, const std::u16string& fileName) {}
  virtual void ShowInspector() {}

  // The applet's tick (Engine core III adds rendering, physics and sound).
  void ProcessTick(float dt, float time) override;

  // A dispose of the applet terminates it instead.
  void Dispose() override;

 protected:
  Event* event_ = nullptr;
  TScriptEngine* scriptEngine_ = nullptr;
  TCache* cache_ = nullptr;
  TResourceMan* resMan_ = nullptr;
  TDevice* device_ = nullptr;
  TWindow* window_ = nullptr;
  TFilter* filter_ = nullptr;
  TSoundEngine* soundEngine_ = nullptr;
  bool terminated_ = false;
  bool ready_ = false;
  bool pause_ = false;
  bool effectInScript_ = false;
  float scale_ = 1.0f;
  std::int32_t frameRate_ = 0;
  float scriptTime_ = 0;
};

}  // namespace corvane
