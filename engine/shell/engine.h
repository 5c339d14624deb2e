// SomeEngine: the one engine object (the global `Engine`). It owns the log
// and debug board, the platform object, the engine-wide resource managers
// and the applet parameters; it reads the command line, launches the applet,
// runs the main loop and is the parent of every running applet. The objects
// of the tree see it as TEngineServices (RunningEngine()).
//
// Waits, modal loops and other blocking operations run whole frames from
// inside a tick by calling RunStep; the engine counts how deeply such frames
// are nested, and only the outermost frame frees terminated applets.
//
// The object and its published members live in engine.cpp, the start-up
// and the command line in engine_startup.cpp, the launch of an applet in
// applet_launcher.cpp and the main loop in main_loop.cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/base_object.h"
#include "engine/core/engine_services.h"

namespace corvane {

class Applet;
class TEngineLog;
class TPlatform;
class TResourceMan;
class TWideStringList;

inline constexpr std::int32_t kMaxNestedFrames = 32;
// How long a paused frame waits, in milliseconds.
inline constexpr std::int32_t kPausedFrameSleep = 10;

class SomeEngine : public BaseObject, public TEngineServices {
  CORVANE_CLASS(SomeEngine, BaseObject)
  static void Describe(TClassBuilder<SomeEngine>& c);

  // Becomes the global Engine and starts the log (installed as the log
  // target); AfterConstruction runs the start-up: the banner, the platform,
  // the resource managers, the command line and the launch.
  explicit SomeEngine(const TCreateContext& context);
  ~SomeEngine() override;
  void AfterConstruction() override;
  // The shutdown: pause, free the applets, the services and the running
  // marker, then the last log line.
  void BeforeDestruction() override;

  static std::u16string EngineName() { return u"Corvane engine"; }
  static std::u16string EngineVer() { return u"2.0"; }

  // The log and the debug board.
  TEngineLog& LogBook() const { return *log_; }
  void Log(const std::u16string& text);
  void Error(const std::u16string& text);
  void ShowInfo(const std::u16string& name, const std::u16string& value);
  const std::string& LogFileName() const;
  // The running marker's path while it exists; "" otherwise.
  const std::string& RunFileName() const { return runFileName_; }
  // Whether the start-up launched an applet (the program's exit status
  // tells it: 0 when one ran, 1 when none could be launched).
  bool LaunchedApplet() const { return launchedApplet_; }

  // Frame timing. The clock is kept in double precision, so that frame
  // times stay exact after hours of play; the times handed out are single.
  float DeltaTime() const override { return deltaTime_; }
  void SetDeltaTime(float value) { deltaTime_ = value; }
  float Time() const override { return static_cast<float>(time_); }
  void SetTime(float value) override { time_ = value; }
  double CurTime() const { return curTime_; }
  std::uint64_t FrameCount() const override { return frameCount_; }
  double LastTime() const { return lastTime_; }
  bool Pause() const { return pause_; }
  // Resuming restarts the frame clock, so the paused time is not counted.
  void SetPause(bool value);
  // Set by "-fixedstep": every frame advances the clock by exactly one
  // frame period (the applet's, or a sixtieth of a second when it runs
  // free) whatever the machine's speed, and the engine's random numbers
  // start from a fixed seed, so a recorded input plays back to the same
  // frames every time (scripts' own Math.random and Date aside). Frames still wait for their period on the real clock, catching
  // up when late, so sound stays in step.
  bool FixedStep() const { return fixedStep_; }
  void SetFixedStep(bool value);

  // The main loop: RunStep until no applet is alive.
  void Run();
  // One frame for every applet. While paused, a frame only takes one host
  // event, dispatches the window actions (close, activate, deactivate) of
  // the applets, nested ones included, and sleeps kPausedFrameSleep ms: no clock, no tick. False
  // when no frame could run: frames are already nested kMaxNestedFrames
  // deep (a wait inside a tick inside a wait ...), or the engine is being
  // destroyed; callers that loop on RunStep then stop waiting.
  bool RunStep() override;
  void runStep() { RunStep(); }
  // The timer entry of a host that drives an embedded engine: one frame.
  void DoEmbeddedTimer() { RunStep(); }
  void HearCloseRequest() override;
  double ClosingSince() const override { return closingSince_; }
  void NoteCloseRequest() override;
  [[noreturn]] void EndAtOnce(const std::u16string& reason) override;
  // How many RunStep passes are running now (0 outside the loop).
  std::int32_t NestingDepth() const { return nestingDepth_; }

  // Launching. RunApplet finds the applet's resource manager by the path
  // (a ".object"/".bin" file in a folder, an ".applet" container, or a
  // container carried inside the executable when the path holds
  // "_applet" and one of that name is carried; otherwise the path is taken
  // as any other), loads "main.object" through it as the engine's child and
  // names the log after it. The applet, or nullptr (logged) when it cannot
  // run; whatever a failed launch made is freed.
  Applet* RunApplet(const std::string& path);
  // A manager by the path's extension: a folder for ".object" and ".bin",
  // a container for ".applet"; nullptr (logged) when none is active.
  TResourceMan* CreateAppletResMan(const std::string& path);
  // An empty applet over a folder, for authoring: WriteMode is set and no
  // "main.object" is read.
  Applet* RunEmpty(const std::string& path);
  // The same two for a host that embeds the engine: the host's window
  // handle, the size, the background colour and whether the applet follows
  // the host's size go to the applet's start-up values first.
  Applet* RunAppletEmbedded(const std::string& path, std::uintptr_t handle, std::int32_t width,
                            std::int32_t height, const std::u16string& color, bool autoSize);
  Applet* RunEmptyEmbedded(const std::string& path, std::uintptr_t handle, std::int32_t width,
                           std::int32_t height, const std::u16string& color, bool autoSize);

  // Services.
  TPlatform* Platform() const override { return platform_.get(); }
  TResourceMan* EmbeddedResMan() const override { return embeddedResMan_; }
  TResourceMan* ExternalResMan() const override { return externalResMan_; }
  void SetEmbeddedResMan(TResourceMan* resMan);
  void SetExternalResMan(TResourceMan* resMan);
  // Set by a host that drives the engine itself (its own window and
  // timer); nothing in this program sets it.
  bool Embedded() const { return embedded_; }
  void SetEmbedded(bool value) { embedded_ = value; }
  // The applet parameters: the "+" arguments without their "+".
  TWideStringList* Params() const { return params_.get(); }

  // Design hooks.
  std::function<void(BaseObject*)> OnDesignFree;
  std::function<void(BaseObject*)> OnDesignAdd;
  BaseObject* DesignSelected() const override { return designSelected_; }
  void DesignAddObject(BaseObject* object) override;
  void DesignFreeObject(BaseObject* object) override;
  void DesignSelectObject(BaseObject* object) override;
  void SetDesignSelectHook(BaseObject* owner, std::function<void(BaseObject*)> hook) override;
  void ClearDesignSelectHook(const BaseObject* owner) override;

  void FreeNotify(BaseObject* object) override;
  BaseObject* EngineObject() override { return this; }

 private:
  // Start-up pieces (engine_startup.cpp).
  void StartUp();
  void LogCommandLine();
  void CreateResourceManagers();
  void ReadCommandLine();
  void WriteRunningMarker();
  // Launch pieces (applet_launcher.cpp).
  TResourceMan* CreateEmbeddedAppletResMan(const std::string& path);
  Applet* LaunchFrom(TResourceMan* resMan, const std::string& path);
  Applet* AcceptLoaded(BaseObject* loaded, TResourceMan* resMan, const std::string& path);
  void NameLogAfter(const std::string& path);
  void MoveExternalFolder(const std::string& path);
  // Main-loop pieces (main_loop.cpp).
  void PausedStep();
  void FreeTerminatedApplets();
  void TickApplet(Applet* applet);
  // Ends the applet before its frame when the user asked to close.
  void HearCloseBeforeFrame(Applet* applet);
  // A budget switch "-name=N" (particles, scores, log, script heap, sounds,
  // pictures, derived files), a bad value reported; none other is touched.
  void ReadBudgetSwitches(const std::string& argument);
  // One applet's ProcessTick; what it throws ends its frame with a line.
  void GuardedTick(Applet* applet, float dt, float time);
  double FixedPeriod() const;
  void KeepRealTime(double step);

  std::unique_ptr<TEngineLog> log_;
  TOwned<TPlatform> platform_;
  TOwned<TWideStringList> params_;
  TResourceMan* embeddedResMan_ = nullptr;  // owned
  TResourceMan* externalResMan_ = nullptr;  // owned
  std::string runFileName_;
  bool launchedApplet_ = false;
  double lastTime_ = 0;
  double curTime_ = 0;
  double time_ = 0;
  float deltaTime_ = 0;
  bool pause_ = false;
  bool fixedStep_ = false;
  double realDue_ = 0;  // when, on the platform's clock, a fixed step's frame is due
  bool embedded_ = false;
  std::int32_t nestingDepth_ = 0;
  std::uint64_t frameCount_ = 0;
  double closingSince_ = -1;
  // The nesting limit was said to be met, and was met in the outermost
  // frame under way: said again only after an outermost frame without it.
  bool nestingReported_ = false;
  bool nestingMet_ = false;
  BaseObject* designSelected_ = nullptr;
  // The design-selection listener and its owner (compared by address when
  // cleared, held weakly when called).
  std::function<void(BaseObject*)> selectHook_;
  TWeak<BaseObject> selectHookOwner_;
  const BaseObject* selectHookOwnerAddress_ = nullptr;
};

// The one engine object; nullptr before it is made and after it is gone.
extern SomeEngine* Engine;
// When set, the engine's start-up neither reads the command line nor
// launches an applet (hosts and tests that launch their own).
extern bool DisableParams;
// Set by "-ogl": only chooses the log name of "default_applet".
extern bool UseOGL;

// Whether the object is the engine itself.
bool IsEngine(const BaseObject* object);

// Classes offered to a designer, in the order they were registered.
const std::vector<TClass>& DesignCompsList();
void RegisterComponent(std::initializer_list<TClass> classes);

}  // namespace corvane
