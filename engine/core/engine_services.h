// TEngineServices: what the objects of the tree reach of the running
// engine: the platform, nested frames for waits and modal loops, the frame
// clock, the engine-wide resource managers and the design hooks. The
// engine object implements it and installs itself while it lives;
// RunningEngine() is null before and after.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace corvane {

class BaseObject;
class TPlatform;
class TResourceMan;

class TEngineServices {
 public:
  // The engine as an object (scripts see it as "engine").
  virtual BaseObject* EngineObject() = 0;
  virtual TPlatform* Platform() const = 0;
  // One frame for every applet; false when no frame could run (callers
  // that loop on it stop waiting).
  virtual bool RunStep() = 0;
  // The last frame's length and the engine's clock, in seconds.
  virtual float DeltaTime() const = 0;
  virtual float Time() const = 0;
  // Frames begun so far, nested and paused ones included: what tells a
  // watcher that the engine still runs frames while a call is in progress.
  virtual std::uint64_t FrameCount() const = 0;
  // Input playback sets the clock to the recorded times.
  virtual void SetTime(float value) = 0;
  // For a script that runs long without a frame: asks the host, handling
  // none of its events, whether a close was requested, and if so ends the
  // applet it is for as the request itself will.
  virtual void HearCloseRequest() = 0;
  // When (SteadySeconds) the host first asked the program to close;
  // negative before. NoteCloseRequest marks it, the first time counts.
  virtual double ClosingSince() const = 0;
  virtual void NoteCloseRequest() = 0;
  // Ends the program now, running no more script code: every applet
  // stores what it stores on its way out (preferences, scores) from the
  // engine's own state, the log says why, and the process exits. For the
  // script guard, whose thread calls it while it holds the main thread
  // inside a script's long library call after a close request.
  [[noreturn]] virtual void EndAtOnce(const std::u16string& reason) = 0;
  virtual TResourceMan* EmbeddedResMan() const = 0;
  virtual TResourceMan* ExternalResMan() const = 0;

  // Design-time editing: the selected object and the tree's notices.
  virtual BaseObject* DesignSelected() const = 0;
  virtual void DesignAddObject(BaseObject* object) = 0;
  virtual void DesignFreeObject(BaseObject* object) = 0;
  virtual void DesignSelectObject(BaseObject* object) = 0;
  // One listener hears of every design selection (the applet's inspector
  // follows it). The owner is held weakly: once it is gone the hook is not
  // called. Clearing names the owner, so that an older listener going does
  // not remove a newer one.
  virtual void SetDesignSelectHook(BaseObject* owner, std::function<void(BaseObject*)> hook) = 0;
  virtual void ClearDesignSelectHook(const BaseObject* owner) = 0;

 protected:
  ~TEngineServices() = default;
};

// The engine while it runs; nullptr before it is made and after it is gone.
TEngineServices* RunningEngine();
// Installs the running engine (nullptr when it goes).
void SetRunningEngine(TEngineServices* engine);

// Whether the object is the running engine itself.
bool IsEngineObject(const BaseObject* object);

}  // namespace corvane
