// TFile: a file of a container opened through TFileSystem (CreateFile,
// OpenFileRead, OpenFileWrite) and held there until CloseFile. It works on a
// copy of its directory entry; closing writes the copy back when it changed
// the file (see TFileSystem::CloseFile).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/reflection/object.h"
#include "resources/container/container_format.h"

namespace corvane {

class TDir;

class TFile : public TObject {
  CORVANE_CLASS(TFile, TObject)

  // A new entry of that name in dir, with a newly taken block, dated now.
  // Nothing, with "can't add new entry", when the entry cannot be added; no
  // block stays taken then.
  static std::unique_ptr<TFile> CreateEmpty(const std::string& name, TDir& dir, std::uint16_t mode);
  // The first file entry of that name (without regard to ASCII case);
  // nothing when dir holds none. Directory entries never match.
  static std::unique_ptr<TFile> CreateOpen(const std::string& name, TDir& dir, std::uint16_t mode);

  const TFileEntry& Entry() const { return entry_; }
  std::uint32_t Size() const { return entry_.Size; }
  double Date() const { return entry_.Date; }
  // The read and write position; never negative.
  std::int64_t Position() const { return position_; }
  void SetPosition(std::int64_t position) { position_ = position < 0 ? 0 : position; }
  // vfsCreate, vfsWrite or vfsRead.
  std::uint16_t Mode() const { return mode_; }
  bool ForWriting() const { return mode_ != vfsRead; }
  TDir* Dir() const { return dir_; }
  std::uint32_t Index() const { return index_; }
  // The entry's name in the directory when the file was opened.
  const std::string& OpenedName() const { return openedName_; }
  // The name the file was opened under, path included.
  const std::string& PathName() const { return pathName_; }
  bool Erased() const { return erased_; }

  TFile(TDir& dir, std::uint32_t index, std::uint16_t mode);

 private:
  friend class TFileSystem;

  TFileEntry entry_;
  std::int64_t position_ = 0;
  std::uint16_t mode_;
  TDir* dir_;
  std::uint32_t index_;
  std::string openedName_;
  std::string pathName_;
  bool erased_ = false;
};

}  // namespace corvane
