#include "tests/support/kit/applet_world.h"

#include <algorithm>
#include <filesystem>

#include "base/lists/string_list.h"
#include "base/reflection/class_registry.h"
#include "base/system/log_target.h"
#include "engine/shell/applet.h"
#include "engine/shell/engine.h"
#include "engine/shell/engine_log.h"
#include "engine/shell/register.h"
#include "gui/register.h"
#include "platform/device.h"
#include "platform/filters/register.h"
#include "platform/register.h"
#include "platform/sound_engine.h"
#include "resources/cache/register.h"
#include "resources/embedded_defaults.h"
#include "resources/embedded_res_man.h"
#include "script/script_engine.h"
#include "tests/support/file_bytes.h"
#include "tests/support/kit/applet_standins.h"
#include "tests/support/kit/newton_physics.h"
#include "tests/support/kit/null_platform.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_filter.h"
#include "tests/support/kit/test_script_engine.h"

namespace corvane::test {

std::int32_t RecordingDeviceIndex() {
  static const std::int32_t index = RegisterDevice(DeviceClassOf<TRecordingDevice>());
  return index;
}

TAppletWorld::TAppletWorld(const TOptions& options)
    : previousPlatform_(PlatformClass),
      previousScripts_(ScriptEngineClass),
      previousFilter_(FilterClass),
      previousSounds_(SoundEngineClass),
      previousDevice_(DefaultDevice),
      previousStoreLog_(StoreLog) {
  FinalizeClassRegistry();
  RegisterEngineClasses();
  RegisterResourceServices();
  RegisterPlatformClasses();
  RegisterFilterClasses();
  if (options.standIns) {
    RegisterGuiClasses();
    RegisterAppletStandIns(options.skin);
  }
  if (options.physics) physics_ = std::make_unique<TUseNewtonPhysics>();
  ClearEmbeddedResources();
  RegisterEmbeddedDefaults();
  PlatformClass = TNullPlatform::StaticClass();
  ScriptEngineClass =
      !options.scripts ? nullptr : options.scriptClass ? options.scriptClass : TTestScriptEngine::StaticClass();
  FilterClass =
      !options.filter ? nullptr : options.filterClass ? options.filterClass : TTestFilter::StaticClass();
  SoundEngineClass = nullptr;
  DefaultDevice = options.devices ? RecordingDeviceIndex() : -1;
  StoreLog = false;
  folder = MakeTempFolder("corvane-applet-");
  const bool disableParams = DisableParams;
  DisableParams = true;
  engine = Create<SomeEngine>();
  DisableParams = disableParams;
}

TAppletWorld::~TAppletWorld() {
  if (engine) engine->Free();
  physics_.reset();
  PlatformClass = previousPlatform_;
  ScriptEngineClass = previousScripts_;
  FilterClass = previousFilter_;
  SoundEngineClass = previousSounds_;
  DefaultDevice = previousDevice_;
  StoreLog = previousStoreLog_;
  ClearEmbeddedResources();
  FinalizeClassRegistry();
  std::error_code ignored;
  if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
}

void TAppletWorld::Put(const std::string& name, const std::string& bytes) const { WriteFileBytes(PathOf(name), bytes); }

std::optional<std::string> TAppletWorld::Bytes(const std::string& name) const { return ReadFileBytes(PathOf(name)); }

bool TAppletWorld::Exists(const std::string& name) const { return std::filesystem::exists(PathOf(name)); }

Applet* TAppletWorld::Launch(const std::string& mainObject) {
  Put("main.object", mainObject);
  applet_ = engine->RunApplet(PathOf("main.object"));
  return applet_.Get();
}

void TAppletWorld::Steps(int n, float dt) {
  Platform().SetStep(0);
  for (int i = 0; i < n; ++i) {
    Platform().SetTime(Platform().GetCurrentTime() + dt);
    engine->RunStep();
  }
}

void TAppletWorld::FreeApplet() {
  if (Applet* applet = applet_.Get()) applet->Free();
}

std::vector<std::string> TAppletWorld::Messages() const {
  std::vector<std::string> lines;
  const TLogLines& list = engine->LogBook().LogList;
  for (int i = 0; i < list.Count(); ++i) {
    const std::string line = list.Get(i);
    lines.push_back(line.size() > 9 ? line.substr(9) : line);  // "HH:MM:SS " off
  }
  return lines;
}

std::vector<std::string> TAppletWorld::MessagesSince(std::size_t mark) const {
  std::vector<std::string> lines = Messages();
  lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(std::min(mark, lines.size())));
  return lines;
}

int TAppletWorld::CountInfo(const std::string& text) const {
  int n = 0;
  for (const std::string& line : Messages()) n += line == "(i) " + text;
  return n;
}

int TAppletWorld::CountError(const std::string& text) const {
  int n = 0;
  for (const std::string& line : Messages()) n += line == "(e) " + text;
  return n;
}

std::string TAppletWorld::Text() const {
  std::string text;
  for (const std::string& line : Messages()) text += line + "\n";
  return text;
}

TNullPlatform& TAppletWorld::Platform() const { return *static_cast<TNullPlatform*>(engine->Platform()); }

TTestScriptEngine* TAppletWorld::Scripts() const {
  return Live() ? dynamic_cast<TTestScriptEngine*>(Live()->ScriptEngine()) : nullptr;
}

TRecordingDevice* TAppletWorld::Device() const {
  return Live() ? dynamic_cast<TRecordingDevice*>(Live()->Device()) : nullptr;
}

}  // namespace corvane::test
