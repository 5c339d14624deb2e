// Applet: the root object of one running game, as the object tree sees it:
// the services every object reaches through its applet (event queue, script
// engine, cache, resource manager, device, window), the terminated flag and
// the bookkeeping the tree updates. The full applet (window, device, GUI
// layers, preferences, scores) builds on this.
#pragma once

#include <cstdint>

#include "base/geometry.h"
#include "engine/container.h"

namespace corvane {

class Dummy;
class Event;
class Gizmo;
class Materials;
class ScreenGizmo;
class TCache;
class TDevice;
class TDynamicEngine;
class TFilter;
class TResourceMan;
class TScriptEngine;
class TSoundEngine;
class TWindow;

class Applet : public Container {
  CORVANE_CLASS(Applet, Container)
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

  // The applet's materials (null until made). A new Materials object
  // replaces (and frees) the one the applet had.
  Materials* GetMaterials() const { return materials_; }
  void SetMaterials(Materials* materials);
  // The physics engine: null until the first object that needs a body makes
  // it; owned, freed with the applet.
  TDynamicEngine* DynamicEngine() const { return dynamicEngine_; }
  void SetDynamicEngine(TDynamicEngine* engine);

  // The applet's own objects that scripts may not dispose.
  virtual bool IsServiceObject(const BaseObject* object) const;

  // The top layer and the design manipulators in it (null until made).
  Dummy* MostTop() const { return mostTop_.Get(); }
  Gizmo* GetGizmo() const { return gizmo_.Get(); }
  ScreenGizmo* GetScreenGizmo() const { return screenGizmo_.Get(); }
  // Makes the top layer (a Dummy named "mostTopLayer", not saved) with the
  // 3D gizmo and the screen gizmo in it, both hidden; once.
  void CreateMostTop();

  // What painting reads: culling by bounds against the view frustum of each
  // kind of object, the debug views, and the per-frame draw counters.
  bool BoundsCulling() const { return boundsCulling_; }
  void SetBoundsCulling(bool value) { boundsCulling_ = value; }
  bool DebugWireFrame() const { return debugWireFrame_; }
  bool DebugDynamics() const { return debugDynamics_; }
  const TFrustum& ScreenFrustum() const { return screenFrustum_; }
  const TFrustum& SpaceFrustum() const { return spaceFrustum_; }
  void SetViewFrustums(const TFrustum& screen, const TFrustum& space);
  void CountPainted(bool drawn) { ++(drawn ? visibleCount_ : invisibleCount_); }
  std::int32_t VisibleCount() const { return visibleCount_; }
  std::int32_t InvisibleCount() const { return invisibleCount_; }
  void ResetPaintCounts() { visibleCount_ = invisibleCount_ = 0; }

  // What the GUI layout reads: the applet's size, the window's drawing
  // offsets (letterboxing) and the remembered extents that the applet and
  // every grouping object lay their widgets out from.
  virtual bool HasWindow() const { return window_ != nullptr; }
  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  virtual std::int32_t DrawOffsetX() const;
  virtual std::int32_t DrawOffsetY() const;
  // The whole window in applet units: (-mx / scale, -my / scale,
  // width + mx / scale, height + my / scale).
  TRect GuiClientRect() const;
  float& RememberedWidth() { return prevWidth_; }
  float& RememberedHeight() { return prevHeight_; }

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
  Materials* materials_ = nullptr;
  TDynamicEngine* dynamicEngine_ = nullptr;
  TWeak<Dummy> mostTop_;
  TWeak<Gizmo> gizmo_;
  TWeak<ScreenGizmo> screenGizmo_;
  bool boundsCulling_ = false;
  bool debugWireFrame_ = false;
  bool debugDynamics_ = false;
  TFrustum screenFrustum_{};
  TFrustum spaceFrustum_{};
  std::int32_t visibleCount_ = 0;
  std::int32_t invisibleCount_ = 0;
  std::int32_t width_ = 801;
  std::int32_t height_ = 601;
  float prevWidth_ = 801;
  float prevHeight_ = 601;
};

}  // namespace corvane
