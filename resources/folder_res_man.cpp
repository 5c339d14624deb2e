#include "resources/folder_res_man.h"

#include "base/lists/string_list.h"
#include "base/reflection/class_builder.h"
#include "base/streams/file_stream.h"
#include "base/system/file_utils.h"
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

std::optional<std::string> TFolderResourceMan::FoundPath(const std::string& name) {
  const std::optional<std::string> path = PhysicalPath(name);
  if (!path) return std::nullopt;
  if (FolderPartExists(ExtractFilePath(*path))) return ResolvePath(*path);
  EngineError(u"File " + Utf8ToUtf16(name) + u" not exists");
  return std::nullopt;
}

bool TFolderResourceMan::StreamExists(const std::string& name) {
  const std::optional<std::string> path = FoundPath(name);
  return path && FileExists(*path);
}

std::unique_ptr<TStream> TFolderResourceMan::CreateStream(const std::string& name, std::uint16_t mode) {
  // Existing folders (and the file) are matched without case; only the
  // missing levels of a new file's folder are made, as spelled.
  std::optional<std::string> path = mode != fmCreate ? FoundPath(name) : PhysicalPath(name);
  if (path && mode == fmCreate) path = ResolvePath(*path);
  if (!path) return nullptr;
  // A folder of the applet that links elsewhere is read through, never
  // written into.
  if ((mode & 3) != 0 && !WritesInside(CorrectPath(ResourceFile()), *path)) {
    EngineError(u"Refused " + Utf8ToUtf16(name) + u": it leads outside the applet's folder through a link");
    return nullptr;
  }
  return OpenResourceFile(name, *path, mode);
}

bool TFolderResourceMan::CreateFolder(const std::string& name) {
  // As CreateStream makes the folders of a file it creates: never above
  // the applet's folder, nor through a link out of it.
  const std::optional<std::string> physical = PhysicalPath(name);
  if (!physical) return false;
  const std::string path = ResolvePath(*physical);
  return !path.empty() && WritesInside(CorrectPath(ResourceFile()), path) && ForceDirectories(path);
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
