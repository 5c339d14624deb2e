// The engine's start-up: the banner and the command line in the log, the
// platform, the resource managers, the arguments, the launch of the applet
// and the running marker.
#include <cstdlib>
#include <ctime>
#include <functional>
#include <limits>
#include <optional>
#include <string_view>

#include "base/lists/wide_string_file.h"
#include "base/lists/wide_string_list.h"
#include "base/reflection/class_info.h"
#include "base/streams/file_stream.h"
#include "base/streams/resource_man.h"
#include "base/system/file_utils.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/shell/engine.h"
#include "engine/core/object_budget.h"
#include "engine/core/particle_budget.h"
#include "engine/shell/engine_log.h"
#include "engine/shell/score_table.h"
#include "gui/effect_text.h"
#include "platform/media_budget.h"
#include "platform/platform.h"
#include "platform/sound_limits.h"
#include "resources/ext_res_man.h"
#include "resources/resource_paths.h"
#include "resources/vfs_res_man.h"
#include "script/script_engine.h"

namespace corvane {

namespace {

// The applet shipped beside the program: <bin>/../Resources/main.object,
// else <bin>/../Resources/<program>.applet; "" when neither is there. The
// folder is the executable's own, whatever argument 0 says.
std::string BundledAppletPath() {
  const std::string resources = ExePath() + "../Resources/";
  const std::string folderApplet = resources + "main.object";
  if (FileExists(folderApplet)) return folderApplet;
  const std::string container = resources + FileNameWithoutExt(ExeFileName()) + ".applet";
  if (FileExists(container)) return container;
  return {};
}

// A budget switch "-name=N": true when the argument is that switch. Its
// value is N when N is a whole number from least to most; the switch is
// reported and has none otherwise.
bool ReadBudgetSwitch(SomeEngine& engine, const std::string& argument, std::string_view name, std::int64_t least,
                      std::int64_t most, std::optional<std::int64_t>& value) {
  if (!argument.starts_with(name)) return false;
  value = TryStrToInt64(std::string_view(argument).substr(name.size()));
  if (value && *value >= least && *value <= most) return true;
  value.reset();
  engine.Error(u"Switch " + Utf8ToUtf16(argument) + u" ignored: it takes a whole number from " + IntToStr(least) +
               u" to " + IntToStr(most));
  return true;
}

}  // namespace

void SomeEngine::StartUp() {
  // Number text never follows the C locale (base/text/number_text.h), so there
  // is no decimal separator to fix here.
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  log_->LogFileName.clear();
  log_->ClearLog();
  Log(u"=== " + EngineName() + u" " + EngineVer() + u" started ===");
  LogCommandLine();

  if (PlatformClass) platform_.reset(static_cast<TPlatform*>(PlatformClass->CreateInstance(TCreateContext{})));
  if (!platform_) {
    // Nothing can run without a host: the program ends with this error.
    Error(u"No platform registered");
    return;
  }
  CreateResourceManagers();
  if (embedded_ || DisableParams) return;
  ReadCommandLine();
  WriteRunningMarker();
}

void SomeEngine::LogCommandLine() {
  Log(u"executable name " + Utf8ToUtf16(ParamStr(0)));
  for (int i = 0; i <= ParamCount(); ++i) Log(u"param " + IntToStr(i) + u" " + Utf8ToUtf16(ParamStr(i)));
}

void SomeEngine::CreateResourceManagers() {
  if (EmbeddedResManClass) {
    TCreateContext context;
    // The root is only kept: the executable's folder.
    context.Read = [](TObject& object) { static_cast<TResourceMan&>(object).SetResourceFile(ExePath()); };
    SetEmbeddedResMan(static_cast<TResourceMan*>(EmbeddedResManClass->CreateInstance(context)));
  }
  auto* external = CreateResMan<TExtResourceMan>(Utf16ToUtf8(platform_->GetAppDataFolder()));
  if (external)
    external->SetFileChooser([this](const std::u16string& filter) {
      return platform_ ? platform_->SelectExternalFile(filter) : std::u16string();
    });
  SetExternalResMan(external);
}

void SomeEngine::ReadCommandLine() {
  std::string path;
  for (int i = 1; i <= ParamCount(); ++i) {
    const std::string argument = ParamStr(i);
    if (!argument.empty() && argument.front() == '+') {
      params_->Add(Utf8ToUtf16(argument.substr(1)));
      Log(u"Param " + IntToStr(params_->Count()) + u" = " + Utf8ToUtf16(argument.substr(1)));
    } else if (!argument.empty() && argument.front() == '-') {
      if (argument == "-writemode") WriteMode = true;
      else if (argument == "-ogl") UseOGL = true;
      else if (argument == "-storelog") StoreLog = true;
      else if (argument == "-nostorelog") StoreLog = false;
      else if (argument == "-fixedstep") SetFixedStep(true);
      else ReadBudgetSwitches(argument);
    } else {
      // The last path wins; an empty argument clears one given before it.
      path = argument;
    }
  }
  if (!path.empty()) {
    Log(u"Launch Applet by param");
    launchedApplet_ = RunApplet(path) != nullptr;
    return;
  }
  Log(u"Launch folder Applet");
  const std::string bundled = BundledAppletPath();
  if (!bundled.empty()) launchedApplet_ = RunApplet(bundled) != nullptr;
}

void SomeEngine::ReadBudgetSwitches(const std::string& argument) {
  constexpr std::int64_t kMiB = std::int64_t{1} << 20;
  constexpr std::int64_t kMost32 = std::numeric_limits<std::int32_t>::max();
  // Sizes past these would overflow in bytes; no machine has them anyway.
  constexpr std::int64_t kMostMiB = std::int64_t{1} << 24;
  const struct {
    std::string_view name;
    std::int64_t least, most;
    std::function<void(std::int64_t)> set;
  } kSwitches[] = {
      {"-maxparticles=", 0, kMost32, [](std::int64_t n) { ParticleBudget = static_cast<std::int32_t>(n); }},
      {"-maxobjects=", 0, kMost32, [](std::int64_t n) { ObjectBudget = static_cast<std::int32_t>(n); }},
      // A table of more lines could not be read back from its file.
      {"-maxscores=", 1, kMaxWideTextLines, [](std::int64_t n) { MaxScores = static_cast<std::int32_t>(n); }},
      {"-maxeffecttext=", 0, kMost32, [](std::int64_t n) { MaxEffectTextCharacters = static_cast<std::int32_t>(n); }},
      {"-maxlogsize=", 1, kMiB, [](std::int64_t n) { MaxLogFileBytes = n * kMiB; }},
      {"-maxscripttext=", 1, kMost32, [](std::int64_t n) { SetScriptTextLimit(n); }},
      {"-scriptheap=", static_cast<std::int64_t>(kMinScriptHeapBytes / kMiB),
       static_cast<std::int64_t>(kMaxScriptHeapBytes / kMiB),
       [](std::int64_t n) { SetScriptHeapLimit(static_cast<std::uint64_t>(n) * kMiB); }},
      {"-soundmb=", 0, 4095, [](std::int64_t n) { SoundFileLimits.SoundBytes = n * kMiB; }},
      {"-soundmemory=", 1, 4095, [](std::int64_t n) { SoundFileLimits.DecodedSoundBytes = n * kMiB; }},
      {"-musicmb=", 0, 4095, [](std::int64_t n) { SoundFileLimits.MusicBytes = n * kMiB; }},
      {"-picturepixels=", 1, kMostMiB, [](std::int64_t n) { MediaBudget().PicturePixels = n * kMiB; }},
      {"-picturememory=", 1, kMostMiB, [](std::int64_t n) { MediaBudget().PictureBytes = n * kMiB; }},
      {"-deriveddisk=", 1, kMostMiB, [](std::int64_t n) { MediaBudget().DerivedBytes = n * kMiB; }},
  };
  std::optional<std::int64_t> value;
  for (const auto& budget : kSwitches) {
    if (!ReadBudgetSwitch(*this, argument, budget.name, budget.least, budget.most, value)) continue;
    if (value) budget.set(*value);
    return;
  }
}

void SomeEngine::WriteRunningMarker() {
  // Only while an applet runs; the name is kept only once the marker is
  // written, so that shutdown never deletes anything else (the log of a
  // failed launch has the ".log" name).
  const std::string& logName = log_->LogFileName;
  if (logName.size() <= 3 || count() == 0) return;
  const std::string runName = logName.substr(0, logName.size() - 3) + "run";
  const std::string text = log_->LogList.Text();
  const bool saved = SaveFileAtomicallyOrReport(runName, [&text](TStream& file) {
    return file.Write(text.data(), static_cast<std::int64_t>(text.size())) == static_cast<std::int64_t>(text.size());
  });
  if (saved) runFileName_ = runName;
}

}  // namespace corvane
