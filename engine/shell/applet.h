// Applet: the root object of one running game. It owns everything the game
// needs to run: the window, the rendering device, the script engine, the
// cache, the filter, the event queue, the materials, the preferences, the
// score table, the sound and physics engines, and a top layer of
// engine-made objects (the design manipulators, the inspector, the fade
// screen, the debug form, the particle renderers, the cursor). The objects
// of its tree see it as TAppletServices, its window's host layer and device
// as TWindowHost.
//
// Construction follows the two phases of every object: the C++ constructor
// makes the window, the device and the services and publishes the script
// globals; the applet's stream is then read into it; AfterConstruction
// shows the window, applies the preferences and the screen mode, sets up
// the materials and runs onLoad. The scene and GUI collaborators are made
// through the class registry by name; a class that is not registered is
// left out and the applet runs without it, as it does without any service
// whose class variable is unset.
//
// The applet's setters and services are spread over one file per concern:
// applet.cpp (life and tick), applet_layers.cpp (the top layer and the
// console), applet_screen.cpp (window, screen modes, devices),
// applet_scripting.cpp (the script globals and what scripts call).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/geometry/geometry.h"
#include "engine/core/container.h"
#include "engine/core/applet_services.h"
#include "engine/core/position_object.h"
#include "platform/media.h"
#include "platform/window_host.h"

namespace corvane {

class Dummy;
class Event;
class Gizmo;
class Materials;
class Preferences;
class ScoreTable;
class ScreenGizmo;
class TCache;
class TDevice;
class TDynamicEngine;
class TFilter;
class TPixmap;
class TRectPersistent;
class TResourceMan;
class TScriptEngine;
class TSoundEngine;
class TWideStringList;
class TWindow;

// Start-up values of the applet unit. InitNoVisible puts a new window off
// screen; the InitEmbedded values are what a host that embeds the engine
// hands over before it launches an applet.
extern bool InitNoVisible;
extern std::uintptr_t InitEmbeddedHandle;
extern std::u16string InitEmbeddedColor;
extern std::int32_t InitEmbeddedWidth;
extern std::int32_t InitEmbeddedHeight;
extern bool InitEmbeddedAutoSize;

class Applet : public Container, public TAppletServices, public TWindowHost {
  CORVANE_CLASS(Applet, Container)
  static void Describe(TClassBuilder<Applet>& c);
  // The whole construction up to the reading of the stream: the window,
  // the device, the services, the top layer and the script globals. The
  // resource manager comes from context.ResMan and is the applet's from
  // then on, unless the applet is loaded inside another.
  explicit Applet(const TCreateContext& context);
  ~Applet() override;
  // The rest of the construction, after the stream was read.
  void AfterConstruction() override;
  // An applet streamed inside another reads its preferences and scores
  // here, once its own properties (its name, which names its files, and
  // storePreferenses) are read.
  void Loaded() override;
  // Nothing is read into an applet that got no window or device.
  void ReadState(TGReader& reader) override;
  // Stores the preferences and the score table, logs the debug board, then
  // frees the game's objects before the services they use.
  void BeforeDestruction() override;

  // ---- services (each null while absent)
  Event* GetEvent() const override { return event_; }
  TScriptEngine* ScriptEngine() const override { return scriptEngine_; }
  TCache* Cache() const override { return cache_; }
  TResourceMan* ResMan() const override { return resMan_; }
  TDevice* Device() const override { return device_; }
  TWindow* Window() const override { return window_; }
  TFilter* Filter() const override { return filter_; }
  Preferences* GetPreferences() const { return preferences_; }
  ScoreTable* GetScoreTable() const { return scoreTable_; }
  // Made on demand (by the cache on the first sound or music, or by the
  // preferences' volumes); owned.
  TSoundEngine* SoundEngine() const override { return soundEngine_; }
  void SetSoundEngine(TSoundEngine* engine) override { soundEngine_ = engine; }
  // A new Materials object replaces (and frees) the one the applet had.
  Materials* GetMaterials() const override { return materials_; }
  void SetMaterials(Materials* materials);
  // The physics engine: made by the first object that needs a body; owned.
  TDynamicEngine* DynamicEngine() const override { return dynamicEngine_; }
  void SetDynamicEngine(TDynamicEngine* engine) override;
  // The applet's own objects, which scripts may not dispose.
  bool IsServiceObject(const BaseObject* object) const override;

  // ---- the top layer (each null until made or when its class is missing)
  Dummy* MostTop() const { return mostTop_.Get(); }
  Gizmo* GetGizmo() const { return gizmo_.Get(); }
  ScreenGizmo* GetScreenGizmo() const { return screenGizmo_.Get(); }
  VisualObject* Inspector() const { return inspector_.Get(); }
  VisualObject* FadeScreen() const { return screen_.Get(); }
  VisualObject* DebugForm() const { return debugForm_.Get(); }
  VisualObject* Console() const { return console_.Get(); }
  PositionObject* Cursor() const override { return cursor_.Get(); }
  BaseObject* Renderer(std::int32_t index) const override;
  BaseObject* DefaultSkin() const override { return defaultSkin_.Get(); }
  TPixmap* DefaultPixmap() const override { return defaultPixmap_; }
  VisualObject* DefaultOptions() const { return nullptr; }
  // The top layer (a Dummy named "mostTopLayer", not saved) with, in
  // order: the two manipulators, the inspector, the fade screen with its
  // "show" and "hide" effects, the debug form, the particle renderers and
  // the cursor. Once.
  void CreateMostTop();
  void CreateDebugForm();
  void CreateRenders();
  // Replaces the cursor object: the file named by cursorFile, else a Dummy
  // holding the default cursor sprite.
  void CreateCursor();
  // Replaces the cursor reference; the previous object is not freed.
  void SetCursor(PositionObject* object) { cursor_ = object; }
  void ToggleConsole() override;
  bool ConsoleShown() const override;
  void toggleConsole() { ToggleConsole(); }
  // The console's rectangle: the upper half of the window in applet units.
  TRect GetConsoleRect() const;
  // A streamed Materials child takes the place of the applet's own;
  // otherwise the "default" and "gui" materials are made.
  void LoadMaterials();
  // Publishes the script globals, the key constants and the modal results,
  // and the engine's classes, then every registered object class; nothing
  // without an event object or a script engine.
  void SetScriptVars();

  // ---- painting
  bool BoundsCulling() const override { return boundsCulling_; }
  void SetBoundsCulling(bool value) { boundsCulling_ = value; }
  bool DebugWireFrame() const override { return debugWireFrame_; }
  bool DebugDynamics() const override { return debugDynamics_; }
  bool DebugInfo() const { return debugInfo_; }
  const TFrustum& ScreenFrustum() const override { return screenFrustum_; }
  const TFrustum& SpaceFrustum() const override { return spaceFrustum_; }
  void SetViewFrustums(const TFrustum& screen, const TFrustum& space);
  void CountPainted(bool drawn) override { ++(drawn ? visibleCount_ : invisibleCount_); }
  std::int32_t VisibleCount() const { return visibleCount_; }
  std::int32_t InvisibleCount() const { return invisibleCount_; }
  void ResetPaintCounts() { visibleCount_ = invisibleCount_ = 0; }
  std::uint32_t BkColor() const override { return bkColor_; }
  bool Lighting() const override { return lighting_; }
  float ModelScale() const override { return modelScale_; }

  // ---- size and window
  bool HasWindow() const override { return window_ != nullptr; }
  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  std::int32_t Left() const { return left_; }
  std::int32_t Top() const { return top_; }
  void SetLeft(std::int32_t value);
  void SetTop(std::int32_t value);
  void SetWidth(std::int32_t value);
  void SetHeight(std::int32_t value);
  std::int32_t DrawOffsetX() const override;
  std::int32_t DrawOffsetY() const override;
  // The whole window in applet units: (-mx / scale, -my / scale,
  // width + mx / scale, height + my / scale).
  TRect GuiClientRect() const override;
  float& RememberedWidth() override { return prevWidth_; }
  float& RememberedHeight() override { return prevHeight_; }
  const std::u16string& Title() const { return title_; }
  void SetTitle(const std::u16string& value);
  TWindowPlace Place() const { return place_; }
  void SetPlace(TWindowPlace value);
  TWindowStyle WindowStyle() const override { return style_; }
  // Values above layerStyle become systemStyle.
  void SetWindowStyle(TWindowStyle value) override;
  float Scale() const override { return scale_; }
  // Refused (with an error) unless above 0.
  void SetScale(float value);

  // Window operations.
  virtual void CreateWindow();
  virtual void DestroyWindow();
  virtual void UpdateWindowState();
  // Renders the window through the platform (layered windows: only while
  // something asked for a repaint).
  virtual void UpdateWindow();
  // After the user moved or resized the window.
  void UpdateApplet() override;
  void SaveWindow();
  void UpdateScreenMode();
  // Lays the GUI children out over the window.
  void ReAlign();
  void RecalcAbsolute() override;
  void AddUpdateRect(const TRect& r) override;
  void NeedUpdate() override;
  TRect GetUpdateRect() override;
  std::int32_t UpdateCount() const { return updateCount_; }

  // Screen modes and devices.
  bool FullScreen() const { return fullScreen_; }
  void SetFullScreen(bool value);
  const std::u16string& ScreenMode() const { return screenMode_; }
  void SetScreenMode(const std::u16string& name);
  std::int32_t ScreenModeIndex() const { return screenModeIndex_; }
  // Refused (with an error) outside the list of modes.
  void SetScreenModeIndex(std::int32_t index);
  TWideStringList* ScreenModes() const { return screenModes_; }
  bool AutoScale() const { return autoScale_; }
  void SetAutoScale(bool value) { autoScale_ = value; }
  std::int32_t AutoScaleSizeX() const { return autoScaleSizeX_; }
  std::int32_t AutoScaleSizeY() const { return autoScaleSizeY_; }
  // Refused (with an error) unless above 0.
  void SetAutoScaleSizeX(std::int32_t value);
  void SetAutoScaleSizeY(std::int32_t value);
  std::int32_t DeviceCount() const;
  std::int32_t DeviceIndex() const { return deviceIndex_; }
  void SetDeviceIndex(std::int32_t index);
  const std::u16string& DeviceName() const { return deviceName_; }
  void SetDeviceName(const std::u16string& name);

  // ---- life
  // True once terminate was called or while the applet is being destroyed.
  bool Terminated() const override { return terminated_ || HasState(csDestroying) || Freeing(); }
  double EndingSince() const override;
  void SetTerminated(bool value);
  // Ends the applet: its waits return, its running scripts stop at their
  // next step, and the main loop frees it once no call of its own is left.
  void terminate() override;
  // A close request of the host (its window closed, Ctrl+C, SIGTERM) ends
  // the program whatever the tree holds: this applet terminates, and so
  // does every applet it lies inside, up to the engine's child, which the
  // main loop frees with the applets nested in it.
  void CloseRequested() override;
  // Calls of the applet's own still on the stack: its construction (which
  // runs the handlers of what it reads, and onLoad), a tick, its window
  // actions. Frames nested in them may see the applet terminate; the main
  // loop frees it only once none is left.
  bool Busy() const { return busy_ > 0; }
  void EnterCall() { ++busy_; }
  void LeaveCall() { --busy_; }
  // Set once the window, the device and the services exist.
  bool Ready() const override { return ready_; }
  bool Active() const override { return active_; }
  std::int32_t FrameRate() const { return frameRate_; }
  bool Paused() const override { return pause_; }
  // Pauses or resumes the sound engine with the applet.
  virtual void SetPause(bool value);
  bool StorePreferenses() const { return storePreferenses_; }
  // What the applet stores on its way out, once: the score table and the
  // preferences with the window's and the sound's settings (nothing when
  // storePreferenses is off or the applet never stood).
  void StoreAtEnd();
  void SetStorePreferenses(bool value) { storePreferenses_ = value; }
  bool ConsoleEnabled() const { return consoleEnabled_; }

  bool EffectInScript() const override { return effectInScript_; }
  // While the debug form is shown, handlers measure their script time.
  bool DebugFormVisible() const override;
  void AddScriptTime(float seconds) override { scriptTime_ += seconds; }
  float ScriptTime() const { return scriptTime_; }
  void ResetScriptTime() { scriptTime_ = 0; }

  // Window actions of the event queue.
  void Activate() override;
  void Deactivate() override;

  // ---- handlers the event dispatch runs
  const std::u16string& OnLoad() const { return onLoad_; }
  const std::u16string& OnFree() const { return onFree_; }
  const std::u16string& OnMouseMove() const override { return onMouseMove_; }
  const std::u16string& OnMouseUp() const override { return onMouseUp_; }
  const std::u16string& OnMouseWheel() const override { return onMouseWheel_; }
  const std::u16string& OnKeyPress() const override { return onKeyPress_; }

  // ---- services for scripts
  void sleep(float seconds);
  BaseObject* New(const std::u16string& className, BaseObject* parent);
  BaseObject* newFromFile(const std::u16string& fileName, BaseObject* parent);
  BaseObject* NewFromFile(const std::u16string& fileName, BaseObject* parent) override {
    return newFromFile(fileName, parent);
  }
  BaseObject* newFromCache(const std::u16string& fileName, BaseObject* parent);
  BaseObject* startMission(const std::u16string& fileName, BaseObject* parent);
  BaseObject* editMission(const std::u16string& fileName, BaseObject* parent);
  void storeObject(BaseObject* object, const std::u16string& fileName) override;
  void createBin(const std::u16string& fileName);
  void showMessage(const std::u16string& text, const std::u16string& secondText);
  void fadeScreenToColor(const std::u16string& color, float seconds);
  void hideScreen(float seconds);
  void fadeScreenToColorWait(const std::u16string& color, float seconds);
  void hideScreenWait(float seconds);
  void killParticles();
  std::u16string devices(std::int32_t index) const;
  // A PNG picture of the window, written in the applet's folder: the name
  // is below it, or a full path that lies in it; any other is refused with
  // a line.
  void makepng(const std::u16string& fileName);
  void ShowInspector() override;
  // Registers the object with the script engine under its name.
  void RegisterObject(BaseObject* object);

  // One frame: render, tick the tree, onTick, the device, the events, the
  // physics, the debug board, garbage collection, present, top layer last.
  void ProcessTick(float dt, float time) override;

  // A dispose of the applet terminates it instead.
  void Dispose() override;

  // ---- the applet as the tree's objects and the window see it
  Container* AppletObject() override { return this; }
  TLifeToken* LifeToken() const override { return Container::LifeToken(); }
  TObjectCache* ObjectCache() const override;
  void ApplyMaterial(const std::u16string& name, float alpha) override;
  TObject* HostObject() override { return this; }
  void PaintTree() override { PaintObject(); }
  // While the cursor object is shown.
  bool DrawsOwnCursor() const override;
  bool CanQueueEvents() const override { return event_ != nullptr; }
  void QueueEvent(std::unique_ptr<TLowEvent> event) override;
  float CurrentTime() const override;
  TPixmap* LoadPixmapFile(TResourceMan* resMan, const std::string& fileName) override;
  void SavePixmapFile(TResourceMan* resMan, const std::string& fileName, TPixmap* pixmap) override;

  void BeforeSave() override;
  void AfterSave() override;

 protected:
  // For applets that tests assemble by hand: no window, no device and no
  // services are made, and none of the construction or the storing on
  // teardown runs; the caller hands the services in.
  struct TTreeOnly {};
  Applet(const TCreateContext& context, TTreeOnly);

  Event* event_ = nullptr;
  TScriptEngine* scriptEngine_ = nullptr;
  TCache* cache_ = nullptr;
  TResourceMan* resMan_ = nullptr;
  // Only an applet launched on its own owns its manager: one loaded from a
  // file inside another applet reads through that applet's (or the
  // engine's external) manager, which outlives it.
  bool ownsResMan_ = false;
  // Objects taken out of the tree (moveTo(null)); dead or re-placed
  // entries are dropped as the list grows.
  std::vector<TWeak<BaseObject>> detached_;
  std::size_t detachedKept_ = 0;
  TDevice* device_ = nullptr;
  TWindow* window_ = nullptr;
  TFilter* filter_ = nullptr;
  TSoundEngine* soundEngine_ = nullptr;
  Preferences* preferences_ = nullptr;
  ScoreTable* scoreTable_ = nullptr;
  bool terminated_ = false;
  bool storedAtEnd_ = false;
  double endingSince_ = -1;  // SteadySeconds when this applet began to end
  std::int32_t busy_ = 0;
  bool ready_ = false;
  bool pause_ = false;
  bool effectInScript_ = false;
  float scale_ = 1.0f;
  std::int32_t frameRate_ = 0;
  // The default skin (a child of the applet) and the default picture (held
  // in the cache).
  TWeak<BaseObject> defaultSkin_;
  TPixmap* defaultPixmap_ = nullptr;

 private:
  // Steps of the construction and the teardown.
  void Construct();
  void CreateServices();
  void LoadDefaults();
  void LoadPreferences();
  void StorePreferences();
  void LogDebugBoard();
  void FreeGameObjects();
  void KeepDetached(BaseObject* object) override;
  void FreeServices();
  void PostDebugInfo(double tickStart);
  // The services that are children: excluded from the first teardown pass.
  bool IsChildService(const BaseObject* object) const;
  // Top-layer pieces.
  void CreateFadeScreen();
  // Sets the screen up for a fade from alpha, with key 1 of the effect at
  // the seconds' frame; false when there is no screen or nothing to run.
  bool PrepareFade(const std::u16string& effect, float alpha, float seconds);
  // Screen-mode pieces.
  void ApplyWindowSize();
  void ApplyDevice(std::int32_t index);
  void RunHandler(const std::u16string& handler);
  void PublishScriptVars();
  void PublishScriptClasses();

  bool treeOnly_ = false;
  bool active_ = true;
  // Set once the window, the device and the services exist: the stream is
  // read and the rest of the construction runs.
  bool constructed_ = false;
  bool dataDeferred_ = false;  // a streamed nested applet: preferences read in Loaded
  Materials* materials_ = nullptr;
  TDynamicEngine* dynamicEngine_ = nullptr;
  TWeak<Dummy> mostTop_;
  TWeak<Gizmo> gizmo_;
  TWeak<ScreenGizmo> screenGizmo_;
  TWeak<VisualObject> inspector_;
  TWeak<VisualObject> screen_;
  TWeak<VisualObject> debugForm_;
  TWeak<VisualObject> console_;
  TWeak<PositionObject> cursor_;
  TWeak<BaseObject> renderers_[3];

  bool boundsCulling_ = false;
  bool debugInfo_ = false;
  bool debugWireFrame_ = false;
  bool debugDynamics_ = false;
  TFrustum screenFrustum_{};
  TFrustum spaceFrustum_{};
  std::int32_t visibleCount_ = 0;
  std::int32_t invisibleCount_ = 0;
  float scriptTime_ = 0;
  std::int32_t updateCount_ = 0;

  // Published settings.
  std::u16string deviceName_;
  std::int32_t deviceIndex_ = -1;
  float modelScale_ = 1.0f;
  bool consoleEnabled_ = true;
  std::uint32_t bkColor_ = 0xFF000000u;
  bool lighting_ = false;
  std::int32_t left_ = 100;
  std::int32_t top_ = 100;
  std::int32_t width_ = 801;
  std::int32_t height_ = 601;
  std::u16string title_;
  std::u16string appname_;
  TWindowPlace place_ = normalPlace;
  std::string cursorFile_;
  std::string iconFile_;
  TWindowStyle style_ = systemStyle;
  bool storePreferenses_ = true;
  std::u16string maskFile_;
  TRectPersistent* maskMargin_ = nullptr;
  bool autoScale_ = false;
  std::int32_t autoScaleSizeX_ = 800;
  std::int32_t autoScaleSizeY_ = 600;
  bool fullScreen_ = false;
  TWideStringList* screenModes_ = nullptr;
  std::int32_t screenModeIndex_ = -1;
  std::u16string screenMode_;
  std::u16string onLoad_;
  std::u16string onFree_;
  std::u16string onMouseMove_;
  std::u16string onMouseUp_;
  std::u16string onMouseWheel_;
  std::u16string onKeyPress_;
  std::u16string onActivate_;
  std::u16string onDeactivate_;

  // Bookkeeping.
  bool autoSize_ = false;
  std::uintptr_t embeddedHandle_ = 0;
  float prevWidth_ = 801;
  float prevHeight_ = 601;
  // The window's rectangle and the scale saved on entering full screen.
  float savedScale_ = 1.0f;
  std::int32_t savedLeft_ = 0;
  std::int32_t savedTop_ = 0;
  std::int32_t savedWidth_ = 0;
  std::int32_t savedHeight_ = 0;
  // Values streamed while loading, applied once the applet stands.
  bool hasPendingFullScreen_ = false;
  bool pendingFullScreen_ = false;
  bool hasPendingDeviceName_ = false;
  std::u16string pendingDeviceName_;
};

// Marks a call of the applet's own for as long as it lives; the applet may
// go meanwhile (freed by its owner, not by the main loop).
class TAppletCall {
 public:
  explicit TAppletCall(Applet* applet) : applet_(applet) {
    if (applet) applet->EnterCall();
  }
  ~TAppletCall() {
    if (Applet* applet = applet_.Get()) applet->LeaveCall();
  }
  TAppletCall(const TAppletCall&) = delete;
  TAppletCall& operator=(const TAppletCall&) = delete;

 private:
  TWeak<Applet> applet_;
};

// The applet an object lives in, as the shell's own class; nullptr outside
// one.
Applet* AppletOf(const BaseObject* object);

}  // namespace corvane
