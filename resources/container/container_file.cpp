#include "resources/container/container_file.h"

#include "base/reflection/class_builder.h"
#include "resources/container/container_dates.h"
#include "resources/container/container_dir.h"
#include "resources/container/container_file_system.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TFile)

TFile::TFile(TDir& dir, std::uint32_t index, std::uint16_t mode)
    : entry_(dir.Entry(index)), mode_(mode), dir_(&dir), index_(index), openedName_(entry_.Name) {}

std::unique_ptr<TFile> TFile::CreateEmpty(const std::string& name, TDir& dir, std::uint16_t mode) {
  TFileSystem& fs = dir.FileSystem();
  const std::uint32_t block = fs.TakeBlock();
  if (block == BadBlock) {
    VFSError("can't add new entry");
    return nullptr;
  }
  if (!dir.AddEntry(name, 0, block)) {
    VFSError("can't add new entry");
    fs.SaveFAT(block, EmptyBlock);
    return nullptr;
  }
  const std::uint32_t index = dir.Count() - 1;
  TFileEntry entry = dir.Entry(index);
  entry.Date = ContainerNow();
  // Same size as before: this save needs no new block.
  dir.SaveEntry(index, entry);
  auto file = std::make_unique<TFile>(dir, index, mode);
  file->entry_ = entry;
  return file;
}

std::unique_ptr<TFile> TFile::CreateOpen(const std::string& name, TDir& dir, std::uint16_t mode) {
  const int index = dir.FindEntry(name, false);
  if (index < 0) return nullptr;
  return std::make_unique<TFile>(dir, static_cast<std::uint32_t>(index), mode);
}

}  // namespace corvane
