// The engine's start-up: the banner and the command line in the log, the
// platform, the resource managers, the arguments, the launch of the applet
// and the running marker.
#include <cstdlib>
#include <ctime>

#include "base/lists/wide_string_list.h"
#include "base/reflection/class_info.h"
#include "base/streams/resource_man.h"
#include "base/system/file_utils.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/shell/engine.h"
#include "engine/shell/engine_log.h"
#include "platform/media_budget.h"
#include "platform/platform.h"
#include "resources/ext_res_man.h"
#include "resources/resource_paths.h"
#include "resources/vfs_res_man.h"

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
      else ReadBudgetSwitch(argument);
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

void SomeEngine::ReadBudgetSwitch(const std::string& argument) {
  // Megapixels a picture, MiB of an applet's live pictures, MiB of the
  // files an applet derives beside their sources.
  const struct {
    const char* name;
    std::int64_t unit;
    std::int64_t TMediaBudget::*limit;
  } kSwitches[] = {{"-picturepixels=", std::int64_t{1} << 20, &TMediaBudget::PicturePixels},
                   {"-picturememory=", std::int64_t{1} << 20, &TMediaBudget::PictureBytes},
                   {"-deriveddisk=", std::int64_t{1} << 20, &TMediaBudget::DerivedBytes}};
  for (const auto& s : kSwitches) {
    if (!argument.starts_with(s.name)) continue;
    if (!ParseBudgetSwitch(argument.substr(std::string_view(s.name).size()), s.unit, MediaBudget().*s.limit))
      Error(u"Bad budget " + Utf8ToUtf16(argument) + u": not a whole number from 1 up, the budget stays as it was");
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
  if (log_->LogList.SaveToFile(runName)) runFileName_ = runName;
}

}  // namespace corvane
