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

std::string TFolderResourceMan::PhysicalPath(const std::string& name) const {
  return CorrectPath(ResourceFile() + CorrectFileName(name));
}

bool TFolderResourceMan::StreamExists(const std::string& name) {
  const std::string path = PhysicalPath(name);
  if (FolderPartExists(ExtractFilePath(path))) return FileExists(ResolvePath(path));
  EngineError(u"File " + Utf8ToUtf16(name) + u" not exists");
  return false;
}

std::unique_ptr<TStream> TFolderResourceMan::CreateStream(const std::string& name, std::uint16_t mode) {
  if (mode != fmCreate) {
    if (!StreamExists(name)) return nullptr;
    const std::string path = ResolvePath(PhysicalPath(name));
    if ((mode & 1) != 0 && IsFileReadOnly(path)) return nullptr;
    return TFileStream::Open(path, static_cast<std::uint16_t>(mode | fmShareDenyWrite));
  }
  // Existing folders (and the file) are matched without case; only the
  // missing levels are made, as spelled.
  const std::string path = ResolvePath(PhysicalPath(name));
  // A read-only file, or a folder this process may not write into.
  if (IsFileReadOnly(path)) return nullptr;
  const std::string dir = ExtractFilePath(path);
  if (!dir.empty() && !ForceDirectories(dir)) return nullptr;
  return TFileStream::Open(path, fmCreate);
}

bool TFolderResourceMan::CreateFolder(const std::string& name) {
  // As CreateStream makes the folders of a file it creates.
  const std::string path = ResolvePath(PhysicalPath(name));
  return !path.empty() && ForceDirectories(path);
}

std::int32_t TFolderResourceMan::FileDate(const std::string& name) {
  if (!StreamExists(name)) return kNoFileDate;
  return FileAge(ResolvePath(PhysicalPath(name)));
}

void TFolderResourceMan::IntFindFilesInDir(const std::string& dir, const std::string& masks) {
  const std::string physical = CorrectPath(ResourceFile() + CorrectFileName(dir));
  if (!FolderPartExists(physical)) return;
  ListFilesBelow(ResolvePath(physical), dir, masks, Results());
}

void TFolderResourceMan::IntFindDirInDir(const std::string& dir) {
  const std::string physical = CorrectPath(ResourceFile() + CorrectFileName(dir));
  if (!FolderPartExists(physical)) return;
  ListDirsBelow(ResolvePath(physical), dir, Results());
}

}  // namespace corvane
