// TFolderResourceMan: the resource manager of an applet that lives in a
// folder on disk (started from a ".object" or ".bin" file). Names are
// relative to the folder, with "/" or "\" separators and an optional
// leading "/"; a name that does not exist as spelled is found without
// regard to case. An empty folder means the current one. Names that lead
// outside the folder ("../x", "//etc/x", "..\x") are refused with a line
// (resources/contained_name.h).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "base/streams/resource_man.h"
#include "resources/contained_name.h"

namespace corvane {

class TFolderResourceMan : public TResourceMan {
  CORVANE_CLASS(TFolderResourceMan, TResourceMan)
  // The folder gets a trailing "/"; the manager is active when it exists.
  explicit TFolderResourceMan(const TCreateContext& context, std::string folder = {});
  void AfterConstruction() override;

  // Mode 0 reads, bit 0 writes (nothing for a read-only file), $FFFF
  // replaces the file atomically, making the missing folders.
  std::unique_ptr<TStream> CreateStream(const std::string& name, std::uint16_t mode) override;
  // A name in a missing folder logs "File <name> not exists" as an error.
  bool StreamExists(const std::string& name) override;
  std::string NoFileReason(const std::string& name) override;
  bool CreateFolder(const std::string& name) override;
  std::int32_t FileDate(const std::string& name) override;
  std::optional<TFileStamp> FileStamp(const std::string& name) override;

  // The name without one leading "/".
  static std::string CorrectFileName(const std::string& name);
  // The file of a name as spelled: the root + the name's parts below it;
  // nothing (reported) for a name that leads outside the folder.
  std::optional<std::string> PhysicalPath(const std::string& name);

 protected:
  // Dir is checked as names are.
  void IntFindFilesInDir(const std::string& dir, const std::string& masks) override;
  void IntFindDirInDir(const std::string& dir) override;

 private:
  // The file of a name as found (without case) when its folder exists,
  // below the root or as a path; "File <name> not exists" when the folder
  // does not.
  std::optional<std::string> FoundBelow(const std::string& name);
  std::optional<std::string> FoundPath(const std::string& name);

  TRefusedNames refused_{u"the applet's folder"};
};

}  // namespace corvane
