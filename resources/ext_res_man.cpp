#include "resources/ext_res_man.h"

#include <optional>

#include "base/lists/string_list.h"
#include "base/reflection/class_builder.h"
#include "base/streams/file_stream.h"
#include "base/system/file_utils.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "resources/contained_name.h"
#include "resources/resource_paths.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TExtResourceMan)

void TExtResourceMan::Describe(TClassBuilder<TExtResourceMan>& c) {
  c.Method("selectExternalFile", &TExtResourceMan::selectExternalFile);
}

TExtResourceMan::TExtResourceMan(const TCreateContext& context, std::string folder)
    : TResourceMan(context, std::move(folder)) {
  LogLifeLines();
}

void TExtResourceMan::AfterConstruction() {
  TResourceMan::AfterConstruction();
  SetResourceFile(CompletePath(ResourceFile()));
  EngineLog(u"External resource manager started " + WidenLatin1(ClassName()));
}

namespace {

// Full paths: the host's own ("/home/...") and those of the old drive
// notation ("c:/...").
bool IsFullName(const std::string& name) {
  return name.find(':') != std::string::npos || (!name.empty() && name.front() == '/');
}

}  // namespace

std::string TExtResourceMan::FullName(const std::string& name) const {
  return IsFullName(name) ? name : ResourceFile() + name;
}

std::optional<std::string> TExtResourceMan::ReadableName(const std::string& name) {
  // A host path reaches the applet's folder only: scripts and the names of
  // an applet's files must not read the user's other files.
  if (!name.empty() && name.front() == '/' && !PathInsideRoot(ResourceFile(), name)) return refused_.Refuse(name);
  return FullName(name);
}

bool TExtResourceMan::StreamExists(const std::string& name) {
  const std::optional<std::string> full = ReadableName(name);
  return full && FolderPartExists(ExtractFilePath(*full)) && FileExists(ResolvePath(*full));
}

std::string TExtResourceMan::NoFileReason(const std::string& name) {
  // A refused name has had its line.
  const std::optional<std::string> full = ReadableName(name);
  return full ? NoFileAt(ResolvePath(*full)) : std::string();
}

std::unique_ptr<TStream> TExtResourceMan::CreateStream(const std::string& name, std::uint16_t mode) {
  const std::string full = FullName(name);
  if (mode == fmCreate || (mode & 3) != 0) {
    // Reads reach the file system at large; writes (an applet's storeObject
    // of a name with ":", makepng, a script's CreateStream) only the root,
    // the applet's folder, and through no link below it.
    const std::optional<std::string> below =
        IsFullName(name) ? PathInsideRoot(ResourceFile(), name) : ContainedName(name);
    if (!below) {
      refused_.Refuse(name);
      return nullptr;
    }
    return OpenResourceFile(name, ResourceFile(), ResolveBelow(ResourceFile(), *below), mode, QuietWhenReadOnly());
  }
  const std::optional<std::string> readable = ReadableName(name);
  if (!readable || !FolderPartExists(ExtractFilePath(*readable))) return nullptr;
  return OpenResourceFile(name, std::string(), ResolvePath(*readable), mode, QuietWhenReadOnly());
}

bool TExtResourceMan::KeepsDerivedFiles(const std::string& name) {
  return !IsFullName(name) && ContainedName(name).has_value();
}

std::int32_t TExtResourceMan::FileDate(const std::string& name) {
  if (!StreamExists(name)) return kNoFileDate;
  return FileAge(ResolvePath(FullName(name)));
}

bool TExtResourceMan::ListableFolder(const std::string& dir) {
  // "/" is no folder here (FindFiles and FindDirs start there); another
  // host folder outside the applet's is not looked into.
  if (dir != "/" && !ReadableName(dir)) return false;
  return DirectoryExists(ResolvePath(dir));
}

std::optional<TFileStamp> TExtResourceMan::FileStamp(const std::string& name) {
  if (!StreamExists(name)) return std::nullopt;
  return FileStampAt(ResolvePath(FullName(name)));
}

void TExtResourceMan::IntFindFilesInDir(const std::string& dir, const std::string& masks) {
  if (ListableFolder(dir)) ListFilesBelow(ResolvePath(dir), dir, masks, Results());
}

void TExtResourceMan::IntFindDirInDir(const std::string& dir) {
  if (ListableFolder(dir)) ListDirsBelow(ResolvePath(dir), dir, Results());
}

std::u16string TExtResourceMan::selectExternalFile(const std::u16string& filter) {
  return chooser_ ? chooser_(filter) : std::u16string();
}

}  // namespace corvane
