// TWindowHost: what the platform and the device need of the object that
// owns a window (the applet): the tree to paint and how, its device and
// resource manager, its window style, where input goes, and the clock.
// The host layer and the device reach the applet only through this.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/media.h"

namespace corvane {

class TDevice;
class TLowEvent;
class TObject;
class TResourceMan;

class TWindowHost {
 public:
  // The host as an object: the owner of its window and of the pixmaps,
  // meshes, fonts and carets its device makes.
  virtual TObject* HostObject() = 0;
  // Set once the window, the device and the services exist.
  virtual bool Ready() const = 0;
  virtual TDevice* Device() const = 0;
  // Where the device's font caches are read and written.
  virtual TResourceMan* ResMan() const = 0;
  // Pictures through the host's filter, which keeps converted copies
  // beside them: a device pixmap, or null; the save does nothing without
  // a filter that writes the name.
  virtual TPixmap* LoadPixmapFile(TResourceMan* resMan, const std::string& fileName) = 0;
  virtual void SavePixmapFile(TResourceMan* resMan, const std::string& fileName, TPixmap* pixmap) = 0;

  // Paints the host's tree through its device.
  virtual void PaintTree() = 0;
  // The background colour (ARGB), whether the scene is lit, and the scale
  // of applet units to window pixels.
  virtual std::uint32_t BkColor() const = 0;
  virtual bool Lighting() const = 0;
  virtual float Scale() const = 0;
  // While the debug form is shown, the device posts its figures on the
  // debug board.
  virtual bool DebugFormVisible() const = 0;
  // Whether the host draws a cursor of its own (the system's is hidden).
  virtual bool DrawsOwnCursor() const = 0;

  virtual TWindowStyle WindowStyle() const = 0;
  virtual void SetWindowStyle(TWindowStyle value) = 0;
  // After the user moved or resized the window.
  virtual void UpdateApplet() = 0;

  // Input and window actions for the host's event queue; nothing is queued
  // while it has none.
  virtual bool CanQueueEvents() const = 0;
  virtual void QueueEvent(std::unique_ptr<TLowEvent> event) = 0;

  // Seconds from the engine's clock (0 without one).
  virtual float CurrentTime() const = 0;
  // Whether the host is the application in front: the caret blinks only
  // then, and each blink asks for the window to be painted again.
  virtual bool Active() const = 0;
  virtual void NeedUpdate() = 0;

 protected:
  ~TWindowHost() = default;
};

}  // namespace corvane
