// TExtResourceMan: the engine's external resource manager (preferences,
// scores, pictures of the window). Names are relative to the root folder,
// the applet's; a name holding ":" is used as it is, and a full path
// ("/...") only when it lies below the root. A name that does not exist
// as spelled is found without regard to case. A full path elsewhere is
// neither read nor listed, and writes reach only files below the root (an
// applet must not touch the user's other files): others, and names with a
// ".." part, are refused with "Refused <name>: it leads outside the
// applet's folder", once per name.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/streams/resource_man.h"
#include "resources/contained_name.h"

namespace corvane {

class TExtResourceMan : public TResourceMan {
  CORVANE_CLASS(TExtResourceMan, TResourceMan)
  static void Describe(TClassBuilder<TExtResourceMan>& c);
  explicit TExtResourceMan(const TCreateContext& context, std::string folder = {});
  void AfterConstruction() override;

  std::unique_ptr<TStream> CreateStream(const std::string& name, std::uint16_t mode) override;
  bool StreamExists(const std::string& name) override;
  std::string NoFileReason(const std::string& name) override;
  std::int32_t FileDate(const std::string& name) override;
  std::optional<TFileStamp> FileStamp(const std::string& name) override;
  // Only below the root (the applet's folder): never for a full path.
  bool KeepsDerivedFiles(const std::string& name) override;

  // The file of a name: the name itself when it is a full path, else root + name.
  std::string FullName(const std::string& name) const;
  // Lets the user pick a file through the chooser; its full path or "".
  std::u16string selectExternalFile(const std::u16string& filter);
  // What asks the user for a file: the host's file dialog, handed over by
  // the engine that makes the manager. Without one no file is picked.
  using TFileChooser = std::function<std::u16string(const std::u16string& filter)>;
  void SetFileChooser(TFileChooser chooser) { chooser_ = std::move(chooser); }

 protected:
  // Dir is a physical folder as given; "/" (the start of FindFiles and
  // FindDirs) counts as no folder and lists nothing.
  void IntFindFilesInDir(const std::string& dir, const std::string& masks) override;
  void IntFindDirInDir(const std::string& dir) override;

 private:
  // FullName(name) unless it is a full path outside the root, which is
  // refused with its line.
  std::optional<std::string> ReadableName(const std::string& name);
  // Whether dir may be listed and exists ("/" logs that it does not).
  bool ListableFolder(const std::string& dir);

  TFileChooser chooser_;
  TRefusedNames refused_{u"the applet's folder"};
};

}  // namespace corvane
