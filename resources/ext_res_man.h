// TExtResourceMan: the file system at large (the engine's external
// resource manager: preferences, scores, files the user picks). Names are
// relative to the root folder; a full path ("/..." or one holding ":") is
// used as it is. A name that does not exist as spelled is found without
// regard to case. Reads reach any file; writes only files below the root
// (an applet must not write outside its folder): others, and names with a
// ".." part, are refused with a line.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/streams/resource_man.h"

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
  TFileChooser chooser_;
};

}  // namespace corvane
