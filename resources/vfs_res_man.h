// TVirtualFileSystemResMan: the resource manager of an applet shipped as
// one container file (".applet") or handed over as a stream. Resource
// names are used inside the container with "/" turned into "\", relative to
// its root; a name whose ".." parts climb above the root is refused with a
// line (resources/contained_name.h). A container cannot be listed through the manager: FindFiles is
// empty and FindDirs holds only "/".
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/streams/resource_man.h"
#include "resources/contained_name.h"

namespace corvane {

class TFileStream;
class TFileSystem;

// Set by "-writemode" and by an applet made empty for authoring: container
// resource managers open their container for writing.
extern bool WriteMode;

class TVirtualFileSystemResMan : public TResourceMan {
  CORVANE_CLASS(TVirtualFileSystemResMan, TResourceMan)
  // Opens the container file: for reading and writing when the engine's
  // WriteMode is set, else for reading. Active when it has a root (its
  // signature was right).
  explicit TVirtualFileSystemResMan(const TCreateContext& context, std::string fileName = {});
  ~TVirtualFileSystemResMan() override;
  void AfterConstruction() override;
  // Frees the container, then its file, then logs the closing line.
  void BeforeDestruction() override;

  // Creates (replaces) the file with a new container stored read-only:
  // writable while this manager keeps it open, read-only whenever opened
  // later. Active when it was written; no start line, ResourceFile empty.
  static TVirtualFileSystemResMan* CreateEmpty(const std::string& fileName);
  // A container read from the caller's stream at its position; the stream
  // must outlive the manager. Never Active; no start line.
  static TVirtualFileSystemResMan* CreateFromStream(TStream& stream, std::uint16_t mode);
  // The same on a stream the manager takes over: it frees the stream after
  // its container (an applet carried inside the executable).
  static TVirtualFileSystemResMan* CreateFromStream(std::unique_ptr<TStream> stream, std::uint16_t mode);

  std::unique_ptr<TStream> CreateStream(const std::string& name, std::uint16_t mode) override;
  // The file for reading through a handle of its own, which another
  // thread may read while this manager serves the main thread (see
  // TDetachedContainerFile); nullptr when there is no such file or the
  // container was not opened from a file of its own.
  std::unique_ptr<TStream> CreateDetachedStream(const std::string& name);
  bool StreamExists(const std::string& name) override;
  std::int32_t FileDate(const std::string& name) override;
  // The entry's size and its date's exact bits.
  std::optional<TFileStamp> FileStamp(const std::string& name) override;

  // Every "/" turned into "\".
  static std::string ToVFSPath(const std::string& name);
  // Writes the tree below path (a container folder such as "" or "a\") into
  // the log, for diagnosis: each folder as path + name + "\", listed in turn
  // below name + "\" at the top and below path + "\" + name + "\" further
  // down; each file as path + name, a blank, its size and "B".
  void ListFiles(const std::string& path);

  TFileSystem* FileSystem() const { return fileSystem_.get(); }

 private:
  struct TQuiet {};
  explicit TVirtualFileSystemResMan(TQuiet);
  void ListDir(const std::string& path, std::vector<const void*>& visited);
  // The container's path of a name; nothing without a container, for a
  // name from "/" (quietly: it names no file) or one that leads outside.
  std::optional<std::string> ContainerPath(const std::string& name);

  bool openOnStart_ = true;
  std::string containerPath_;  // of file_, when opened from a path
  std::unique_ptr<TFileStream> file_;
  std::unique_ptr<TStream> ownedStream_;
  std::unique_ptr<TFileSystem> fileSystem_;
  TRefusedNames refused_{u"the applet's container"};
};

}  // namespace corvane
