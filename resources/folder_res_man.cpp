#include "resources/folder_res_man.h"

#include "base/lists/string_list.h"
#include "base/reflection/class_builder.h"
#include "base/streams/file_stream.h"
#include "base/system/file_utils.h"
#include "base/system/folder_walk.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "resources/resource_paths.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TFolderResourceMan)

TFolderResourceMan::TFolderResourceMan(const TCreateContext& context, std::string folder)
    : TResourceMan(context, std::move(folder)) {
  LogLifeLines();
}

void TFolderResourceMan::AfterConstruction() {
  TResourceMan::AfterConstruction();
  SetResourceFile(CompletePath(ResourceFile()));
  // An applet path without a folder gives an empty root: the current folder.
  SetActive(FolderPartExists(CorrectPath(ExtractFilePath(ResourceFile()))));
}

std::string TFolderResourceMan::CorrectFileName(const std::string& name) {
  if (!name.empty() && name.front() == '/') return name.substr(1);
  return name;
}

std::optional<std::string> TFolderResourceMan::PhysicalPath(const std::string& name) {
  const std::optional<std::string> below = refused_.Check(name);
  if (!below) return std::nullopt;
  return CorrectPath(ResourceFile()) + *below;
}

std::optional<std::string> TFolderResourceMan::FoundBelow(const std::string& name) {
  const std::optional<std::string> below = refused_.Check(name);
  if (!below) return std::nullopt;
  const std::string root = CorrectPath(ResourceFile());
  if (FolderPartExists(ExtractFilePath(root + *below))) return ResolveBelow(root, *below);
  EngineError(u"File " + Utf8ToUtf16(name) + u" not exists");
  return std::nullopt;
}

std::optional<std::string> TFolderResourceMan::FoundPath(const std::string& name) {
  const std::optional<std::string> below = FoundBelow(name);
  if (!below) return std::nullopt;
  return CorrectPath(ResourceFile()) + *below;
}

bool TFolderResourceMan::StreamExists(const std::string& name) {
  const std::optional<std::string> path = FoundPath(name);
  return path && FileExists(*path);
}

std::string TFolderResourceMan::NoFileReason(const std::string& name) {
  // A refused name and a missing folder have had their lines.
  const std::optional<std::string> below = refused_.Check(name);
  const std::string root = CorrectPath(ResourceFile());
  if (!below) return {};
  const std::string dir = ExtractFilePath(root + *below);
  if (!dir.empty() && !BDirectoryExists(ResolvePath(dir))) return {};
  return NoFileAt(root + ResolveBelow(root, *below));
}

std::unique_ptr<TStream> TFolderResourceMan::CreateStream(const std::string& name, std::uint16_t mode) {
  // Existing folders (and the file) are matched without case; only the
  // missing levels of a new file's folder are made, as spelled. A folder of
  // the applet that links elsewhere is read through, never written into.
  const std::string root = CorrectPath(ResourceFile());
  std::optional<std::string> below;
  if (mode != fmCreate) {
    below = FoundBelow(name);
  } else if ((below = refused_.Check(name))) {
    below = ResolveBelow(root, *below);
  }
  if (!below) return nullptr;
  return OpenResourceFile(name, root, *below, mode, QuietWhenReadOnly());
}

bool TFolderResourceMan::CreateFolder(const std::string& name) {
  // As CreateStream makes the folders of a file it creates: never above
  // the applet's folder, nor through a link out of it.
  const std::optional<std::string> below = refused_.Check(name);
  if (!below) return false;
  const std::string root = CorrectPath(ResourceFile());
  return static_cast<bool>(OpenFolderBelow(root, ResolveBelow(root, *below), true, nullptr));
}

std::int32_t TFolderResourceMan::FileDate(const std::string& name) {
  const std::optional<std::string> path = FoundPath(name);
  return path && FileExists(*path) ? FileAge(*path) : kNoFileDate;
}

std::optional<TFileStamp> TFolderResourceMan::FileStamp(const std::string& name) {
  const std::optional<std::string> path = FoundPath(name);
  return path ? FileStampAt(*path) : std::nullopt;
}

void TFolderResourceMan::IntFindFilesInDir(const std::string& dir, const std::string& masks) {
  const std::optional<std::string> physical = PhysicalPath(dir);
  if (!physical || !FolderPartExists(*physical)) return;
  ListFilesBelow(ResolvePath(*physical), dir, masks, Results());
}

void TFolderResourceMan::IntFindDirInDir(const std::string& dir) {
  const std::optional<std::string> physical = PhysicalPath(dir);
  if (!physical || !FolderPartExists(*physical)) return;
  ListDirsBelow(ResolvePath(*physical), dir, Results());
}

}  // namespace corvane
