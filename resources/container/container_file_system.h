// TFileSystem: a container of files and directories in 4096-byte blocks
// inside one stream (".applet" files, see container_format.h). It works on
// any stream it is given, from the stream's position when created or opened,
// and never owns it; free the container before the stream.
//
// Nothing is buffered but the block table and the directories: every change
// reaches the stream at once, the table entry by entry. A container that is
// full, damaged or opened for reading refuses what it cannot do and says so
// on the engine log; it never writes half a change.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/reflection/object.h"
#include "base/streams/stream.h"
#include "resources/container/container_dir.h"
#include "resources/container/container_file.h"
#include "resources/container/container_format.h"

namespace corvane {

// Where a listing stands between FindFirst and FindClose.
struct TVFSSearchHandle {
  TDir* Dir = nullptr;
  std::vector<std::uint32_t> Pending;  // indices of the matches not yet returned
  std::size_t Next = 0;
};

// One listed entry.
struct TVFSSearchRec {
  std::int32_t Time = 0;  // packed file date, 0 for a date that packs into none
  std::uint32_t Size = 0;
  std::uint32_t Attr = 0;
  std::string Name;
  std::unique_ptr<TVFSSearchHandle> Handle;
};

class TLoopGuard;

class TFileSystem : public TObject {
  CORVANE_CLASS(TFileSystem, TObject)

  // Writes a new empty container at the stream's position: 16384 blocks,
  // the root directory in block 0. Writable while it is open (mode
  // vfsCreate); readOnly is stored and makes every later opening a reading
  // one. Without a root when the stream took fewer bytes than written.
  static std::unique_ptr<TFileSystem> CreateEmpty(TStream& stream, bool readOnly, bool flag2);
  // Reads a container from the stream's position. The mode is vfsCreate or
  // vfsWrite to write into it, vfsRead to read; a container stored
  // read-only is always opened for reading. A container that is not one or
  // whose header or table is damaged is reported and has no root: then
  // every operation gives nothing.
  static std::unique_ptr<TFileSystem> CreateOpen(TStream& stream, std::uint16_t mode);

  // Closes the files still open (see CloseFile).
  ~TFileSystem() override;

  // The header.
  std::uint32_t BlockCount() const { return blockCount_; }
  std::uint32_t FatOffset() const { return kVFSFatOffset; }
  // Of the first data block, from the container's start.
  std::uint64_t DataOffset() const { return kVFSFatOffset + 4ULL * blockCount_; }
  std::uint32_t RootDirBlock() const { return rootDirBlock_; }
  bool ReadOnly() const { return readOnly_ != 0; }
  bool Flag2() const { return flag2_ != 0; }
  // vfsCreate when made here, else the mode asked at opening (vfsRead for a
  // container stored read-only).
  std::uint16_t Mode() const { return mode_; }
  // Whether anything can be made or written.
  bool Writable() const { return mode_ != vfsRead && root_ != nullptr; }
  // Where the container starts in its stream.
  std::int64_t BaseOffset() const { return base_; }
  TStream& Stream() const { return *stream_; }
  // Nothing when the container could not be read.
  TDir* Root() const { return root_.get(); }

  // The block table. Fat() of an index out of range is EmptyBlock.
  std::uint32_t Fat(std::uint32_t index) const { return index < blockCount_ ? fat_[index] : EmptyBlock; }
  std::uint32_t FreeBlockCount() const { return freeBlocks_; }
  // Sets a table entry and writes it through at once. False for an index
  // out of range (nothing changes) or when the stream refused the write.
  bool SaveFAT(std::uint32_t index, std::uint32_t value);
  // Next fit: the first free block from start to the last block, then from
  // 0 up to start; from 0 when start is EmptyBlock; BadBlock when none is
  // free.
  std::uint32_t FindNextLink(std::uint32_t start) const;

  // Writes count bytes at offset of the chain starting at block, growing
  // the chain (block EmptyBlock starts a new one). Returns the chain's first
  // block, or BadBlock, with nothing written, when the container has not the
  // free blocks the write needs, is not writable, or the chain is damaged.
  std::uint32_t SaveData(std::uint32_t block, const void* buffer, std::uint64_t offset, std::uint64_t count);
  // Reads up to count bytes at offset of the chain starting at block, in
  // runs of consecutive blocks; the number of bytes read.
  std::uint64_t LoadData(std::uint32_t block, void* buffer, std::uint64_t offset, std::uint64_t count);
  // The blocks SaveData would add to the chain for such a write.
  std::uint64_t BlocksToGrow(std::uint32_t block, std::uint64_t offset, std::uint64_t count);

  // The directory of a path ("a\b\", "/a/b", "" for the root); nothing when
  // some level is missing.
  TDir* GetDir(std::string_view path);
  // The directory of that first block, read on first use.
  TDir* DirOfBlock(std::uint32_t block);
  // Makes the directory when its parent exists; whether it exists after.
  bool CreateDir(std::string_view path);
  // Makes every missing level of the path.
  bool ForceDir(std::string_view path);

  // The file objects stay the container's until CloseFile.
  // A new file, replacing (and marking deleted) a file of that name. Nothing
  // for a container not writable, a name naming a directory or a file open
  // for writing, or when there is no room.
  TFile* CreateFile(const std::string& name);
  TFile* OpenFileRead(const std::string& name);
  // Nothing, with "Can't create opened file", when the container was not
  // opened for writing or the file is open for writing already.
  TFile* OpenFileWrite(const std::string& name);
  // Frees the file. Its entry goes back into its directory only when the
  // container is writable, the file was created, opened for writing or
  // erased, and the directory still holds its entry.
  void CloseFile(TFile* file);
  // Marks the file's entry deleted ("*" for its first character) and closes
  // it. Its blocks stay taken.
  void EraseFile(TFile* file);
  bool FileExists(const std::string& name);
  // Bytes at the file's position; the number read.
  std::uint32_t Read(TFile* file, void* buffer, std::uint32_t count);
  // Bytes at the file's position, growing the file; count, or 0 with
  // nothing written when the container is full or not writable or the file
  // was opened for reading.
  std::uint32_t Write(TFile* file, const void* buffer, std::uint32_t count);

  // Listing. FindFirst lists the entries of ExtractVFSPath(path) whose names
  // match the mask ExtractVFSName(path), deleted and "." / ".." ones too, in
  // directory order: 1 when the directory does not exist, else 0 (also when
  // nothing matched; then the record stays empty and FindNext ends at once).
  // FindNext: 0 and the next match, or 1 at the end. The attributes are not
  // used.
  int FindFirst(std::string_view path, std::uint32_t attributes, TVFSSearchRec& search);
  int FindNext(TVFSSearchRec& search);
  void FindClose(TVFSSearchRec& search);

  // Every live entry of the tree (not ".", "..", nor deleted ones), a
  // directory before what it holds, with the path of its directory ("" for
  // the root, else "a\b\"). A directory reached twice (one that points at
  // an ancestor or at another directory) is reported and not entered again.
  void WalkTree(const std::function<void(const std::string& dirPath, const TFileEntry& entry)>& visit);

  // A block taken for a new chain (marked EndBlock); BadBlock, with
  // "Container is full", when none is free.
  std::uint32_t TakeBlock();

  // Chain damage is reported once per container.
  void ReportBadBlock(std::uint32_t block);
  void ReportLoop(std::uint32_t block);
  // Directory bytes still allowed to be read: directories of a container
  // never hold more than its data area, so hostile directories sharing a
  // chain cannot make it read the same bytes over and over.
  std::uint64_t DirBudget() const { return dirBudget_; }
  void SpendDirBudget(std::uint64_t bytes) { dirBudget_ -= bytes < dirBudget_ ? bytes : dirBudget_; }

 private:
  explicit TFileSystem(TStream& stream);

  bool Open(std::uint16_t mode);
  bool SeekTo(std::uint64_t offset);
  // The block after block in its chain; EndBlock at the end, also when the
  // table points outside it.
  std::uint32_t NextBlock(std::uint32_t block);
  // The next block through a guard against loops: BadBlock (reported) when
  // the chain loops.
  std::uint32_t Follow(std::uint32_t block, TLoopGuard& guard);
  // Blocks of the chain from block, counting up to limit.
  std::uint64_t ChainLength(std::uint32_t block, std::uint64_t limit);
  bool OpenForWriting(const TDir* dir, std::string_view name) const;
  TFile* Keep(std::unique_ptr<TFile> file, const std::string& pathName);
  void Fill(TVFSSearchRec& search, const TFileEntry& entry);

  TStream* stream_;
  std::int64_t base_ = 0;
  std::uint32_t blockCount_ = 0;
  std::uint32_t fatOffset_ = kVFSFatOffset;
  std::uint32_t rootDirBlock_ = 0;
  std::uint32_t readOnly_ = 0;
  std::uint32_t flag2_ = 0;
  std::array<std::uint8_t, kVFSReservedSize> reserved_{};
  std::vector<std::uint32_t> fat_;
  std::uint32_t freeBlocks_ = 0;
  std::uint16_t mode_ = vfsRead;
  std::unique_ptr<TDir> root_;
  std::unordered_map<std::uint32_t, std::unique_ptr<TDir>> dirs_;
  std::vector<std::unique_ptr<TDir>> retired_;
  std::vector<std::unique_ptr<TFile>> openFiles_;
  std::uint64_t dirBudget_ = 0;
  bool reportedBadBlock_ = false;
  bool reportedLoop_ = false;
};

}  // namespace corvane
