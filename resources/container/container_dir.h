// TDir: one directory of a container, read whole into memory and rewritten
// whole. The container keeps every directory it reached, one object per
// first block, until it is freed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/reflection/object.h"
#include "resources/container/container_format.h"

namespace corvane {

class TFileSystem;

class TDir : public TObject {
  CORVANE_CLASS(TDir, TObject)

  // "." (own block) and ".." (parent block), dated now, saved into the own
  // block's chain. Nothing when it could not be saved (the container is
  // full or not writable).
  static std::unique_ptr<TDir> CreateEmpty(TFileSystem& fileSystem, std::uint32_t parentBlock,
                                           std::uint32_t ownBlock);
  // Reads the directory stored in the chain of block. Damaged data is
  // reported once and the entries read before the damage are kept.
  static std::unique_ptr<TDir> CreateOpen(TFileSystem& fileSystem, std::uint32_t block);

  TFileSystem& FileSystem() const { return *fileSystem_; }
  // The first block of the directory's chain: where it was read from or
  // made in (entry "." says the same in an undamaged container).
  std::uint32_t Block() const { return block_; }
  std::uint32_t Count() const { return static_cast<std::uint32_t>(entries_.size()); }
  const std::vector<TFileEntry>& Entries() const { return entries_; }
  const TFileEntry& Entry(std::uint32_t index) const { return entries_[index]; }
  // An estimate of the directory's size in memory.
  std::uint32_t GetSize() const { return Count() * 44 + 4; }

  // The first entry of that name (without regard to ASCII case) that is a
  // directory or, when directory is false, a file; -1 when none is.
  int FindEntry(std::string_view name, bool directory) const;
  // The first entry of that name of either kind; -1 when none is.
  int FindAnyEntry(std::string_view name) const;

  // Blob size and blob, as SaveDir writes them.
  std::string Serialize() const;
  // The bytes SaveDir writes, with one more entry of that name.
  std::uint64_t StoredSizeWith(std::string_view name) const;
  // Writes the directory whole into its chain; false (and nothing written)
  // when the container has no room for it or is not writable.
  bool SaveDir();
  // Replaces an entry and saves the directory.
  bool SaveEntry(std::uint32_t index, const TFileEntry& entry);
  // Appends an entry (size 0, date 0) and saves; false, with "Entry X alredy
  // exists", when an entry of that name exists, and false when the
  // directory could not be saved (the entry is then not added).
  bool AddEntry(const std::string& name, std::uint32_t attr, std::uint32_t block);

  // A new directory in a newly taken block; nothing (and no block taken)
  // when the container has no room.
  std::unique_ptr<TDir> CreateDirEntry(std::uint32_t parentBlock);
  // The container's directory of that first block.
  TDir* OpenDirEntry(std::uint32_t block);

  TDir(TFileSystem& fileSystem, std::uint32_t block) : fileSystem_(&fileSystem), block_(block) {}

 private:
  void Parse(std::string_view blob);

  TFileSystem* fileSystem_;
  std::uint32_t block_;
  std::vector<TFileEntry> entries_;
};

}  // namespace corvane
