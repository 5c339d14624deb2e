// TResourceMan: where an applet's bytes come from. Every loader asks a
// resource manager for a stream by a resource name ("main.object",
// "ui/button.png"); the kinds (a folder, a container file, the embedded
// defaults, nothing at all) decide where the bytes live.
//
// The listing operations share one result list owned by the manager: each
// call clears it, refills it and returns it, so its contents change at the
// next listing call and the caller never frees it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "base/reflection/persistent.h"
#include "base/streams/stream.h"
#include "base/system/file_date.h"

namespace corvane {

template <class C>
class TClassBuilder;
class TStringList;
class TStrings;

class TResourceMan : public TPersistent {
  CORVANE_CLASS(TResourceMan, TPersistent)
  static void Describe(TClassBuilder<TResourceMan>& c);

  // `name` is the root the manager serves, kept as given; the kinds complete it.
  explicit TResourceMan(const TCreateContext& context, std::string name = {});
  ~TResourceMan() override;
  // The engine's kinds log "Resource manager <class> starded" here ...
  void AfterConstruction() override;
  // ... and "Resource manager <class> closed" here (see LogLifeLines).
  void BeforeDestruction() override;

  // The stream of a resource, owned by the caller; nullptr when it cannot be
  // opened. Mode 0 reads an existing resource, a mode with bit 0 set writes
  // one, $FFFF creates (or replaces) it, making the missing folders.
  virtual std::unique_ptr<TStream> CreateStream(const std::string& name, std::uint16_t mode) = 0;
  virtual bool StreamExists(const std::string& name) = 0;
  // Makes the folder and the missing ones above it where the kind keeps
  // folders; false when it did not (the base kind has none).
  virtual bool CreateFolder(const std::string& name) { return false; }
  // The packed date-time of the resource (see base/system/file_date.h), kNoFileDate
  // when it does not exist. Compare two dates with IsFileDateLater.
  virtual std::int32_t FileDate(const std::string& name) = 0;
  // The exact stamp of the resource; nothing when it does not exist or the
  // kind keeps no exact time (the base kind).
  virtual std::optional<TFileStamp> FileStamp(const std::string& name) { return std::nullopt; }

  // Whether files made from the resource (a picture's ".pixmap", a model's
  // ".mesh") may be stored beside it. The external kind says no for a
  // source outside the applet's folder: it is converted in memory only.
  virtual bool KeepsDerivedFiles(const std::string& name) { return true; }

  // Why a resource StreamExists said no to gives no file to read, for its
  // caller's line: "there is no such file", "is a directory", "not a
  // regular file"; "" when the manager has said why already (a refused
  // name, the folder kind's missing folder) or the file is there.
  virtual std::string NoFileReason(const std::string& name);

  // Listings. Dir ends with "/"; masks are separated by ";" ("*" any run,
  // "?" one character, letters without case), and a file is listed once
  // for every mask it matches.
  virtual TStrings* FindFiles(const std::string& mask);
  virtual std::string FindFilesComma(const std::string& mask);
  virtual TStrings* FindFilesInDir(const std::string& dir, const std::string& mask);
  // Adds the "/" that dir lacks ("" searches "/").
  virtual std::string FindFilesInDirComma(const std::string& dir, const std::string& mask);
  // Always starts with the item "/".
  TStrings* FindDirs();
  std::string FindDirsComma();

  // A non-empty path without a trailing "/" gets one.
  static std::string CompletePath(const std::string& path);
  // Splits the first mask off a ";"-separated list: returns it trimmed and
  // leaves the rest, trimmed, in masks.
  static std::string GetMask(std::string& masks);

  // The root: a folder path, the executable's folder or a container file (UTF-8).
  const std::string& ResourceFile() const { return resourceFile_; }
  void SetResourceFile(std::string value) { resourceFile_ = std::move(value); }
  // True once the manager found its root.
  bool Active() const { return active_; }
  void SetActive(bool value) { active_ = value; }

  // For scripts: the stream, which the caller then owns; nullptr when none.
  TStream* ScriptCreateStream(const std::string& name, std::int32_t mode);
  std::string ScriptCompletePath(const std::string& path) { return CompletePath(path); }

  // Whether a write refused for a read-only file, folder or container
  // stays quiet: only while the engine stores what it derives (see
  // TDerivedStores). Every other refusal of a write has its line.
  bool QuietWhenReadOnly() const { return derivedStores_ > 0; }

 protected:
  // Add the files below dir matching the masks, and the folders below dir,
  // to the result list. The base kind holds nothing.
  virtual void IntFindFilesInDir(const std::string& dir, const std::string& masks) {}
  virtual void IntFindDirInDir(const std::string& dir) {}
  TStringList& Results() { return *results_; }
  // Called by the constructors of the engine's kinds: their managers log
  // their start (unless start is false: a new container, a stream) and
  // their end. Stand-ins made by tests stay quiet.
  void LogLifeLines(bool start = true) {
    logStart_ = start;
    logClose_ = true;
  }

 private:
  friend class TDerivedStores;

  std::string resourceFile_;
  bool active_ = false;
  int derivedStores_ = 0;
  bool logStart_ = false;
  bool logClose_ = false;
  std::unique_ptr<TStringList> results_;
};

// Whether the resource is there to read; when not, the one error line
// "Can't <what> <name>: <reason>" (NoFileReason), unless the manager said
// why already.
bool ResourceThere(TResourceMan& resMan, const std::string& name, std::u16string_view what);

// Replaces the resource with size bytes through the manager's create
// stream, whole or not at all where the manager can (a folder writes
// beside and renames, and a failure leaves the old file and nothing
// beside it); whether it was replaced. Every failure has one error line:
// the manager's when it gives no stream ("Can't create <name>: <reason>"),
// else "Can't write <name>: <reason>" for a write, flush or rename that
// failed.
bool StoreResource(TResourceMan& resMan, const std::string& name, const void* bytes, std::int64_t size);
// The same for a file made of parts, written one after the other.
bool StoreResource(TResourceMan& resMan, const std::string& name, std::span<const std::span<const char>> parts);

// While one lives, the manager's refusals to write into a read-only file,
// folder or container say nothing: the files the engine derives from an
// applet's own (converted pictures and models, font caches, compiled
// objects and scripts) are stored where they can be, and an applet
// installed read-only makes them in memory on each run. Any other
// failure to store one still has its line, and a store never reports
// success it did not have.
class TDerivedStores {
 public:
  explicit TDerivedStores(TResourceMan& resMan) : resMan_(resMan) { ++resMan_.derivedStores_; }
  ~TDerivedStores() { --resMan_.derivedStores_; }
  TDerivedStores(const TDerivedStores&) = delete;
  TDerivedStores& operator=(const TDerivedStores&) = delete;

 private:
  TResourceMan& resMan_;
};

// The class of the engine's embedded manager; nullptr until the resources
// subsystem registers its services.
extern TClass EmbeddedResManClass;

// Makes a manager of kind T over root: construction, then AfterConstruction
// (where the kinds log their start and look for their root).
template <class T>
T* CreateResMan(std::string root) {
  T* man = new T(TCreateContext{}, std::move(root));
  try {
    man->AfterConstruction();
  } catch (...) {
    man->Free();
    throw;
  }
  return man;
}

}  // namespace corvane
