// Launching an applet: the resource manager chosen by where the applet
// lives, "main.object" loaded through it as the engine's child, and the log
// named after it. A launch that fails frees everything it made: the
// manager, and the loaded root when it is not a runnable applet.
#include <algorithm>

#include "base/streams/file_stream.h"
#include "base/streams/resource_man.h"
#include "base/system/failure_text.h"
#include "base/system/file_utils.h"
#include "base/text/text_convert.h"
#include "engine/core/object_loader.h"
#include "engine/shell/applet.h"
#include "engine/shell/engine.h"
#include "engine/shell/engine_log.h"
#include "resources/folder_res_man.h"
#include "resources/resource_paths.h"
#include "resources/vfs_res_man.h"

namespace corvane {

namespace {

// The extension in lower case, with its ".", when it belongs to the file
// name; "" otherwise.
std::string LowerExtension(const std::string& path) {
  const std::string base = FileNameWithoutExt(path);
  std::string extension = path.substr(base.size());
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return extension;
}

bool HasRoot(TResourceMan& resMan) {
  return resMan.StreamExists("main.object") || resMan.StreamExists("main.bin") || resMan.StreamExists("main.bin2");
}

void FreeIfAlive(TWeak<TResourceMan>& resMan) {
  if (TResourceMan* man = resMan.Get()) man->Free();
}

// After a launch that raised: the manager goes unless an applet of the
// engine took it.
void FreeUnlessTaken(const BaseObject& engine, TWeak<TResourceMan>& resMan) {
  TResourceMan* man = resMan.Get();
  if (!man) return;
  const auto& children = engine.ChildList();
  const bool taken = std::any_of(children.begin(), children.end(), [man](BaseObject* child) {
    auto* applet = dynamic_cast<Applet*>(child);
    return applet && applet->ResMan() == man;
  });
  if (!taken) man->Free();
}

// Runs a launch that notes its manager in the weak handle it is given:
// whatever the launch raises is reported once, and then the manager goes
// unless an applet of the engine took it.
template <typename Launch>
Applet* GuardedLaunch(SomeEngine& engine, Launch launch) {
  TWeak<TResourceMan> resMan;
  try {
    return launch(resMan);
  } catch (const std::exception& error) {
    engine.Error(u"Can't run applet: " + FailureText(error));
  } catch (...) {
    engine.Error(u"Can't run applet");
  }
  FreeUnlessTaken(engine, resMan);
  return nullptr;
}

}  // namespace

TResourceMan* SomeEngine::CreateAppletResMan(const std::string& path) {
  if (path.empty()) return nullptr;
  const std::string extension = LowerExtension(path);
  TResourceMan* resMan = nullptr;
  if (extension == ".object" || extension == ".bin") {
    Log(u"Try to create Folder ResMan");
    resMan = CreateResMan<TFolderResourceMan>(ExtractFilePath(path));
  } else if (extension == ".applet") {
    Log(u"Try to create VFSResMan");
    if (FileExists(ResolvePath(CorrectPath(path)))) resMan = CreateResMan<TVirtualFileSystemResMan>(path);
  } else if (!embedded_) {
    Error(u"Unsupported Applet type :" + Utf8ToUtf16(path));
    return nullptr;
  } else {
    resMan = CreateResMan<TVirtualFileSystemResMan>(path);
    if (!resMan->Active()) {
      Error(u"Unsupported Applet type :" + Utf8ToUtf16(path));
      resMan->Free();
      return nullptr;
    }
  }
  if (resMan && !resMan->Active()) {
    resMan->Free();
    Error(u"Resource manager not actived");
    return nullptr;
  }
  return resMan;
}

TResourceMan* SomeEngine::CreateEmbeddedAppletResMan(const std::string& path) {
  if (!embeddedResMan_) return nullptr;
  std::unique_ptr<TStream> stream = embeddedResMan_->CreateStream(path, fmOpenRead);
  if (!stream) return nullptr;
  // The manager keeps the copy of the container and frees it after its
  // file system.
  return TVirtualFileSystemResMan::CreateFromStream(std::move(stream), fmOpenRead);
}

Applet* SomeEngine::RunApplet(const std::string& path) {
  return GuardedLaunch(*this, [&](TWeak<TResourceMan>& resMan) -> Applet* {
    Log(u"Trying to load " + Utf8ToUtf16(path));
    // A name holding "_applet" is first looked for among the embedded
    // containers; one that is none there (a folder "my_applets/...") is a
    // path like any other.
    if (path.find("_applet") != std::string::npos) resMan = CreateEmbeddedAppletResMan(path);
    if (!resMan) {
      resMan = CreateAppletResMan(path);
      if (!resMan) {
        Error(u"Resource manager not created for Applet");
        return nullptr;
      }
      Log(u"Resource manager created for Applet " + WidenLatin1(resMan->ClassName()));
      MoveExternalFolder(path);
    }
    if (!HasRoot(*resMan.Get())) {
      Error(u"Application's resource manager not exists");
      FreeIfAlive(resMan);
      return nullptr;
    }
    // Until the launch is done, the lines go on at the end of the log file
    // that an earlier run of this applet left.
    log_->LogFileName = FileNameWithoutExt(path) + ".log";
    MoveExternalFolder(path);
    Log(u"Set external resource path to " + Utf8ToUtf16(ExtractFilePath(path)));
    // The manager is asked for again after the load: an applet that took it
    // and then failed to load has freed it.
    BaseObject* loaded = LoadObject(resMan.Get(), u"main.object", this);
    return AcceptLoaded(loaded, resMan.Get(), path);
  });
}

Applet* SomeEngine::RunEmpty(const std::string& path) {
  return GuardedLaunch(*this, [&](TWeak<TResourceMan>& resMan) {
    WriteMode = true;
    resMan = CreateResMan<TFolderResourceMan>(path);
    TCreateContext context(this);
    context.ResMan = resMan.Get();
    Applet* made = Create<Applet>(context);
    return AcceptLoaded(made, resMan.Get(), path);
  });
}

namespace {

void SetEmbeddedStart(std::uintptr_t handle, std::int32_t width, std::int32_t height, const std::u16string& color,
                      bool autoSize) {
  InitEmbeddedHandle = handle;
  InitEmbeddedWidth = width;
  InitEmbeddedHeight = height;
  InitEmbeddedColor = color;
  InitEmbeddedAutoSize = autoSize;
}

}  // namespace

Applet* SomeEngine::RunAppletEmbedded(const std::string& path, std::uintptr_t handle, std::int32_t width,
                                      std::int32_t height, const std::u16string& color, bool autoSize) {
  SetEmbeddedStart(handle, width, height, color, autoSize);
  return RunApplet(path);
}

Applet* SomeEngine::RunEmptyEmbedded(const std::string& path, std::uintptr_t handle, std::int32_t width,
                                     std::int32_t height, const std::u16string& color, bool autoSize) {
  SetEmbeddedStart(handle, width, height, color, autoSize);
  return RunEmpty(path);
}

Applet* SomeEngine::AcceptLoaded(BaseObject* loaded, TResourceMan* resMan, const std::string& path) {
  TWeak<TResourceMan> manager(resMan);
  TWeak<BaseObject> root(loaded);
  auto* applet = dynamic_cast<Applet*>(root.Get());
  if (!applet || !applet->Device()) {
    // A root that is missing, is no applet or got no device is not run.
    if (BaseObject* object = root.Get()) Remove(object);
    Error(u"Applet " + Utf8ToUtf16(path) + u" can't loaded.");
    if (BaseObject* object = root.Get()) object->Free();
    FreeIfAlive(manager);
    return nullptr;
  }
  // The applet owns the manager it took; one it did not take is of no use.
  if (applet->ResMan() != manager.Get()) FreeIfAlive(manager);
  NameLogAfter(path);
  return applet;
}

void SomeEngine::NameLogAfter(const std::string& path) {
  if (!StoreLog) return;
  if (path == "default_applet") {
    log_->LogFileName = ExeNameWithoutExt() + (UseOGL ? ".log" : "dx.log");
    log_->ReplayToFile();
  } else {
    log_->SetLogFileName(FileNameWithoutExt(path) + ".log");
  }
}

void SomeEngine::MoveExternalFolder(const std::string& path) {
  if (externalResMan_) externalResMan_->SetResourceFile(ExtractFilePath(path));
}

}  // namespace corvane
