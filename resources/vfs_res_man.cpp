#include "resources/vfs_res_man.h"

#include <algorithm>
#include <bit>
#include <vector>

#include "base/reflection/class_builder.h"
#include "base/streams/file_stream.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "resources/container/container_dates.h"
#include "resources/container/container_file_stream.h"
#include "resources/container/container_file_system.h"
#include "resources/container/detached_container_file.h"
#include "resources/resource_paths.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TVirtualFileSystemResMan)

bool WriteMode = false;

TVirtualFileSystemResMan::TVirtualFileSystemResMan(const TCreateContext& context, std::string fileName)
    : TResourceMan(context, std::move(fileName)) {
  LogLifeLines();
}

TVirtualFileSystemResMan::TVirtualFileSystemResMan(TQuiet) : TResourceMan(TCreateContext{}) {
  LogLifeLines(false);
  openOnStart_ = false;
}

TVirtualFileSystemResMan::~TVirtualFileSystemResMan() = default;

void TVirtualFileSystemResMan::AfterConstruction() {
  TResourceMan::AfterConstruction();
  if (!openOnStart_) return;
  const std::string path = ResolvePath(CorrectPath(ResourceFile()));
  const std::uint16_t fileMode = WriteMode ? fmOpenReadWrite | fmShareDenyWrite : fmOpenRead | fmShareDenyWrite;
  std::string reason;
  file_ = TFileStream::Open(path, fileMode, &reason);
  if (!file_) {
    EngineError(u"Can't open " + Utf8ToUtf16(path) + u": " + Utf8ToUtf16(reason));
    return;
  }
  containerPath_ = path;
  fileSystem_ = TFileSystem::CreateOpen(*file_, WriteMode ? vfsCreate : vfsRead);
  SetActive(fileSystem_ && fileSystem_->Root());
}

void TVirtualFileSystemResMan::BeforeDestruction() {
  fileSystem_.reset();
  file_.reset();
  ownedStream_.reset();
  TResourceMan::BeforeDestruction();
}

TVirtualFileSystemResMan* TVirtualFileSystemResMan::CreateEmpty(const std::string& fileName) {
  auto* man = new TVirtualFileSystemResMan(TQuiet{});
  man->AfterConstruction();
  const std::string path = ResolvePath(CorrectPath(fileName));
  std::string reason;
  man->file_ = TFileStream::Open(path, fmCreate, &reason);
  if (!man->file_) {
    EngineError(u"Can't create " + Utf8ToUtf16(path) + u": " + Utf8ToUtf16(reason));
    return man;
  }
  man->containerPath_ = path;
  man->fileSystem_ = TFileSystem::CreateEmpty(*man->file_, true, true);
  man->SetActive(man->fileSystem_ && man->fileSystem_->Root());
  return man;
}

TVirtualFileSystemResMan* TVirtualFileSystemResMan::CreateFromStream(TStream& stream, std::uint16_t mode) {
  auto* man = new TVirtualFileSystemResMan(TQuiet{});
  man->AfterConstruction();
  man->fileSystem_ = TFileSystem::CreateOpen(stream, mode);
  return man;
}

TVirtualFileSystemResMan* TVirtualFileSystemResMan::CreateFromStream(std::unique_ptr<TStream> stream,
                                                                     std::uint16_t mode) {
  if (!stream) return nullptr;
  TVirtualFileSystemResMan* man = CreateFromStream(*stream, mode);
  man->ownedStream_ = std::move(stream);
  return man;
}

std::string TVirtualFileSystemResMan::ToVFSPath(const std::string& name) {
  std::string path = name;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

namespace {

// Names are relative to the container's root: one that starts at "/" names
// no file.
bool IsRelative(const std::string& name) { return name.empty() || (name.front() != '/' && name.front() != '\\'); }

}  // namespace

std::optional<std::string> TVirtualFileSystemResMan::ContainerPath(const std::string& name) {
  if (!fileSystem_) return std::nullopt;
  // A full path names nothing in the container; said, as a climb out is.
  if (!IsRelative(name)) return refused_.Refuse(name);
  const std::optional<std::string> below = refused_.Check(name);
  if (!below) return std::nullopt;
  return ToVFSPath(*below);
}

bool TVirtualFileSystemResMan::StreamExists(const std::string& name) {
  const std::optional<std::string> path = ContainerPath(name);
  return path && fileSystem_->FileExists(*path);
}

std::unique_ptr<TStream> TVirtualFileSystemResMan::CreateStream(const std::string& name, std::uint16_t mode) {
  const std::optional<std::string> path = ContainerPath(name);
  if (!path) return nullptr;
  std::uint16_t vfsMode = vfsRead;
  if (mode == fmCreate) vfsMode = vfsCreate;
  else if ((mode & 1) != 0) vfsMode = vfsWrite;
  // A write into a container opened for reading says so, unless the
  // engine only meant to keep a file it derives (TDerivedStores).
  if (vfsMode != vfsRead && !fileSystem_->Writable()) {
    if (!QuietWhenReadOnly())
      EngineError(Utf8ToUtf16((mode == fmCreate ? "Can't create " : "Can't open ") + name +
                              ": the applet's container is read-only"));
    return nullptr;
  }
  auto stream = std::make_unique<TFileSystemStream>(*fileSystem_, *path, vfsMode);
  if (!stream->File()) return nullptr;
  return stream;
}

std::unique_ptr<TStream> TVirtualFileSystemResMan::CreateDetachedStream(const std::string& name) {
  if (!fileSystem_ || containerPath_.empty() || !IsRelative(name)) return nullptr;
  return TDetachedContainerFile::Open(*fileSystem_, containerPath_, ToVFSPath(name));
}

std::int32_t TVirtualFileSystemResMan::FileDate(const std::string& name) {
  const std::optional<std::string> path = ContainerPath(name);
  TFile* file = path ? fileSystem_->OpenFileRead(*path) : nullptr;
  if (!file) return kNoFileDate;
  const std::int32_t date = DateTimeToFileDate(file->Date());
  fileSystem_->CloseFile(file);
  return date;
}

std::optional<TFileStamp> TVirtualFileSystemResMan::FileStamp(const std::string& name) {
  const std::optional<std::string> path = ContainerPath(name);
  TFile* file = path ? fileSystem_->OpenFileRead(*path) : nullptr;
  if (!file) return std::nullopt;
  const TFileStamp stamp{file->Size(), std::bit_cast<std::int64_t>(file->Date())};
  fileSystem_->CloseFile(file);
  return stamp;
}

void TVirtualFileSystemResMan::ListFiles(const std::string& path) {
  std::vector<const void*> visited;
  ListDir(path, visited);
}

void TVirtualFileSystemResMan::ListDir(const std::string& path, std::vector<const void*>& visited) {
  if (!fileSystem_) return;
  TVFSSearchRec search;
  if (fileSystem_->FindFirst(path + "*", 0, search) != 0) {
    EngineLog(u"path is not exists " + Utf8ToUtf16(path));
    return;
  }
  // A directory that points back at one being listed is listed once.
  const void* dir = search.Handle ? search.Handle->Dir : nullptr;
  if (std::find(visited.begin(), visited.end(), dir) != visited.end()) {
    fileSystem_->FindClose(search);
    return;
  }
  visited.push_back(dir);
  for (bool more = !search.Name.empty(); more; more = fileSystem_->FindNext(search) == 0) {
    if (search.Name == "." || search.Name == "..") continue;
    if ((search.Attr & faVFSDirectory) != 0) {
      EngineLog(Utf8ToUtf16(path + search.Name + "\\"));
      // Below a folder the path takes a separator of its own as well
      // ("ui\" lists "ui\\icons\"), which the container reads as one.
      ListDir(path.empty() ? search.Name + "\\" : path + "\\" + search.Name + "\\", visited);
    } else {
      EngineLog(Utf8ToUtf16(path + search.Name) + u" " + IntToStr(static_cast<std::int64_t>(search.Size)) + u"B");
    }
  }
  fileSystem_->FindClose(search);
}

}  // namespace corvane
