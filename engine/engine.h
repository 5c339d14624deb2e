// SomeEngine: the one engine object (the global `Engine`). It owns the log
// and debug board, the platform object and the engine-wide resource
// managers, runs the main loop and is the parent of every running applet.
//
// Waits, modal loops and other blocking operations run whole frames from
// inside a tick by calling RunStep; the engine counts how deeply such frames
// are nested, and only the outermost frame frees terminated applets.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/base_object.h"

namespace corvane {

class Applet;
class TEngineLog;
class TPlatform;
class TResourceMan;

inline constexpr std::int32_t kMaxNestedFrames = 32;

class SomeEngine : public BaseObject {
  CORVANE_CLASS(SomeEngine, BaseObject)
  static void Describe(TClassBuilder<SomeEngine>& c);

  // Becomes the global Engine, starts the log (installed as the log target)
  // and creates the platform object from PlatformClass.
  explicit SomeEngine(const TCreateContext& context);
  ~SomeEngine() override;
  void BeforeDestruction() override;

  static std::u16string EngineName() { return u"Corvane engine"; }
  static std::u16string EngineVer() { return u"2.0"; }

  // The log and the debug board.
  TEngineLog& LogBook() const { return *log_; }
  void Log(const std::u16string& text);
  void Error(const std::u16string& text);
  void ShowInfo(const std::u16string& name, const std::u16string& value);

  // Frame timing.
  float DeltaTime() const { return deltaTime_; }
  void SetDeltaTime(float value) { deltaTime_ = value; }
  float Time() const { return time_; }
  void SetTime(float value) { time_ = value; }
  float CurTime() const { return curTime_; }
  float LastTime() const { return lastTime_; }
  bool Pause() const { return pause_; }
  void SetPause(bool value);

  // The main loop: RunStep until no applet is alive.
  void Run();
  // One frame for every applet. False when it could not run because frames
  // are already nested kMaxNestedFrames deep (a wait inside a tick inside a
  // wait ...): callers that loop on RunStep then stop waiting.
  bool RunStep();
  void runStep() { RunStep(); }
  // How many RunStep passes are running now (0 outside the loop).
  std::int32_t NestingDepth() const { return nestingDepth_; }

  // Services.
  TPlatform* Platform() const { return platform_.get(); }
  TResourceMan* EmbeddedResMan() const { return embeddedResMan_; }
  TResourceMan* ExternalResMan() const { return externalResMan_; }
  void SetEmbeddedResMan(TResourceMan* resMan);
  void SetExternalResMan(TResourceMan* resMan);
  bool Embedded() const { return embedded_; }

  // Design hooks.
  std::function<void(BaseObject*)> OnDesignSelect;
  std::function<void(BaseObject*)> OnDesignFree;
  std::function<void(BaseObject*)> OnDesignAdd;
  BaseObject* DesignSelected() const { return designSelected_; }
  void DesignAddObject(BaseObject* object);
  void DesignFreeObject(BaseObject* object);
  void DesignSelectObject(BaseObject* object);

  void FreeNotify(BaseObject* object) override;
  void AfterConstruction() override;

 private:
  void TickApplet(Applet* applet);

  std::unique_ptr<TEngineLog> log_;
  TOwned<TPlatform> platform_;
  TResourceMan* embeddedResMan_ = nullptr;  // owned
  TResourceMan* externalResMan_ = nullptr;  // owned
  float lastTime_ = 0;
  float curTime_ = 0;
  float time_ = 0;
  float deltaTime_ = 0;
  bool pause_ = false;
  bool embedded_ = false;
  std::int32_t nestingDepth_ = 0;
  bool nestingReported_ = false;
  BaseObject* designSelected_ = nullptr;
};

// The one engine object; nullptr before it is made and after it is gone.
extern SomeEngine* Engine;
// Set by "-writemode": container resource managers open their container for writing.
extern bool WriteMode;

// Whether the object is the engine itself.
bool IsEngine(const BaseObject* object);

}  // namespace corvane
