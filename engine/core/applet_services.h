// TAppletServices: what the objects of an applet's tree reach of the applet
// they live in (BaseObject::GetApplet): its services, the switches and
// counters of painting, its placement and state, and the few applet
// operations objects and the event queue call. The applet implements it;
// the object model and the subsystems above it see the applet only through
// this. Each service is null while absent.
#pragma once

#include <cstdint>
#include <string>

#include "base/geometry/geometry.h"

namespace corvane {

class BaseObject;
class Container;
class Event;
class Materials;
class PositionObject;
class TCache;
class TDevice;
class TDynamicEngine;
class TFilter;
struct TLifeToken;
class TObjectCache;
class TPixmap;
class TResourceMan;
class TScriptEngine;
class TSoundEngine;
class TWindow;

class TAppletServices {
 public:
  // The applet as an object of the tree: what scripts and streams see as
  // "applet", the owner of what objects make for it.
  virtual Container* AppletObject() = 0;
  // The applet object's life, so that the services can be held through a
  // weak handle (TWeak<TAppletServices>) across nested frames.
  virtual TLifeToken* LifeToken() const = 0;

  // ---- services
  virtual Event* GetEvent() const = 0;
  virtual TScriptEngine* ScriptEngine() const = 0;
  // The cache as the object model uses it (companion scripts, the streams
  // objects were read from), and whole for the subsystems above it.
  virtual TObjectCache* ObjectCache() const = 0;
  virtual TCache* Cache() const = 0;
  virtual TResourceMan* ResMan() const = 0;
  virtual TDevice* Device() const = 0;
  virtual TWindow* Window() const = 0;
  virtual TFilter* Filter() const = 0;
  // Made on demand, then owned by the applet.
  virtual TSoundEngine* SoundEngine() const = 0;
  virtual void SetSoundEngine(TSoundEngine* engine) = 0;
  virtual TDynamicEngine* DynamicEngine() const = 0;
  virtual void SetDynamicEngine(TDynamicEngine* engine) = 0;
  virtual Materials* GetMaterials() const = 0;
  // Makes the material of that name current on the device, its colours'
  // alpha scaled as Material::Apply does; nothing when there is none.
  virtual void ApplyMaterial(const std::u16string& name, float alpha) = 0;
  // What picture references fall back on: the applet's small default
  // picture and its default skin (each null until loaded).
  virtual TPixmap* DefaultPixmap() const = 0;
  virtual BaseObject* DefaultSkin() const = 0;
  // The applet's own objects, which scripts may not dispose.
  virtual bool IsServiceObject(const BaseObject* object) const = 0;
  // Its particle renderers: 0 additive, 1 blended, 2 additive with the
  // depth test; null outside 0 .. 2 or when not made.
  virtual BaseObject* Renderer(std::int32_t index) const = 0;

  // ---- painting
  virtual bool BoundsCulling() const = 0;
  virtual const TFrustum& ScreenFrustum() const = 0;
  virtual const TFrustum& SpaceFrustum() const = 0;
  virtual void CountPainted(bool drawn) = 0;
  // The factor every model converted from a file is scaled by
  // ("modelScale").
  virtual float ModelScale() const = 0;
  virtual bool DebugWireFrame() const = 0;
  virtual bool DebugDynamics() const = 0;
  // While the debug form is shown, handlers measure their script time.
  virtual bool DebugFormVisible() const = 0;
  virtual void AddScriptTime(float seconds) = 0;

  // ---- placement
  virtual bool HasWindow() const = 0;
  // Applet units to window pixels, and the applet area inside the window.
  virtual float Scale() const = 0;
  virtual std::int32_t DrawOffsetX() const = 0;
  virtual std::int32_t DrawOffsetY() const = 0;
  // The whole window in applet units, and the extents its GUI children
  // were last laid out for.
  virtual TRect GuiClientRect() const = 0;
  virtual float& RememberedWidth() = 0;
  virtual float& RememberedHeight() = 0;
  virtual PositionObject* Cursor() const = 0;

  // ---- life
  virtual bool Terminated() const = 0;
  // When (SteadySeconds) this applet, or one it lies in, began to end;
  // negative while none has. The scripts that run after it (onFree,
  // onDestroy) share a short grace from then on.
  virtual double EndingSince() const = 0;
  virtual void terminate() = 0;
  virtual bool Paused() const = 0;
  virtual bool EffectInScript() const = 0;
  // An object of the applet taken out of the tree: the applet frees it at
  // its end unless it is placed in a tree again, or freed, before.
  virtual void KeepDetached(BaseObject* object) = 0;

  // ---- what the event queue hands over: window actions, the console key
  // and the applet's own input handlers
  virtual void CloseRequested() = 0;
  virtual void Activate() = 0;
  virtual void Deactivate() = 0;
  virtual void ToggleConsole() = 0;
  // The console is on the screen (fading in, open, or fading out): the
  // keys typed are its own.
  virtual bool ConsoleShown() const = 0;
  virtual const std::u16string& OnMouseMove() const = 0;
  virtual const std::u16string& OnMouseUp() const = 0;
  virtual const std::u16string& OnMouseWheel() const = 0;
  virtual const std::u16string& OnKeyPress() const = 0;

  // ---- what objects ask of it
  virtual void storeObject(BaseObject* object, const std::u16string& fileName) = 0;
  virtual void ShowInspector() = 0;
  // An object read from its file as a child of parent and published to
  // scripts (the applet's "newFromFile"); none when it could not be read.
  virtual BaseObject* NewFromFile(const std::u16string& fileName, BaseObject* parent) = 0;

 protected:
  ~TAppletServices() = default;
};

// The applet the object lives in, as an object of the tree; nullptr
// outside one.
Container* AppletObjectOf(const BaseObject* object);

}  // namespace corvane
