// A whole Applet on the test kit: the null platform (with windows), the
// recording device as the default device class, the test script engine,
// the test filter, the embedded defaults and the stand-in collaborators.
// The applet's files live in a fresh folder; Launch writes "main.object"
// there and starts it the way the program does (RunApplet). The log file
// is not written; the preferences and scores land beside the applet, and
// the test reads the engine's list of log lines.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/reflection/object.h"

namespace corvane {
class Applet;
class SomeEngine;
}

namespace corvane::test {

class TNullPlatform;
class TRecordingDevice;
class TTestScriptEngine;
class TUseNewtonPhysics;

class TAppletWorld {
 public:
  struct TOptions {
    bool devices = true;   // the recording device as the default class
    bool scripts = true;   // the test script engine
    TClass scriptClass = nullptr;  // another script-engine class in its place
    bool filter = true;    // the test filter
    TClass filterClass = nullptr;  // another filter class in its place (TFilter reads real files)
    // The applet's collaborators: the real widget classes, the remaining
    // stand-ins, Materials and Material.
    bool standIns = true;
    bool skin = false;     // "Skin" and "SkinElement" too (the default skin loads)
    bool physics = false;  // the Newton engine on libnewton.so as the physics-engine class
  };
  TAppletWorld() : TAppletWorld(TOptions{}) {}
  explicit TAppletWorld(const TOptions& options);
  ~TAppletWorld();
  TAppletWorld(const TAppletWorld&) = delete;
  TAppletWorld& operator=(const TAppletWorld&) = delete;

  // Writes a file into the applet's folder.
  void Put(const std::string& name, const std::string& bytes) const;
  std::optional<std::string> Bytes(const std::string& name) const;
  bool Exists(const std::string& name) const;
  std::string PathOf(const std::string& name) const { return folder + name; }

  // Writes main.object and runs it; the applet, or nullptr when it could
  // not run.
  Applet* Launch(const std::string& mainObject);
  // n engine steps of dt seconds each.
  void Steps(int n, float dt = 0.1f);
  // Frees the applet now (its whole teardown).
  void FreeApplet();

  TNullPlatform& Platform() const;
  TTestScriptEngine* Scripts() const;
  TRecordingDevice* Device() const;

  // The engine's log so far (what the applet and the engine both wrote),
  // each line "(i) text" / "(e) text" without its time; and from a mark on.
  std::vector<std::string> Messages() const;
  std::size_t Mark() const { return Messages().size(); }
  std::vector<std::string> MessagesSince(std::size_t mark) const;
  int CountInfo(const std::string& text) const;
  int CountError(const std::string& text) const;
  std::string Text() const;

  SomeEngine* engine = nullptr;
  // The launched applet while it lives (nullptr once freed).
  Applet* Live() const { return applet_.Get(); }
  std::string folder;

 private:
  TWeak<Applet> applet_;
  TClass previousPlatform_;
  TClass previousScripts_;
  TClass previousFilter_;
  TClass previousSounds_;
  std::unique_ptr<TUseNewtonPhysics> physics_;
  std::int32_t previousDevice_;
  bool previousStoreLog_;
};

// The recording device's index in the device list (registered once per
// process: the list has no removal).
std::int32_t RecordingDeviceIndex();

}  // namespace corvane::test
