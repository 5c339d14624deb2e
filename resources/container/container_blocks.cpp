// TFileSystem: the header, the block table and the data of block chains.
#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "base/reflection/class_builder.h"
#include "base/streams/stream_helpers.h"
#include "base/text/number_text.h"
#include "resources/container/container_file_system.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TFileSystem)

namespace {

// Header fields after the signature, as offsets from the container's start.
constexpr std::uint32_t kBlockCountAt = 7;
constexpr std::uint32_t kFatOffsetAt = 11;
constexpr std::uint32_t kRootDirBlockAt = 15;
constexpr std::uint32_t kReadOnlyAt = 19;
constexpr std::uint32_t kFlag2At = 23;
constexpr std::uint32_t kReservedAt = 27;

void PutU32(char* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<char>(value >> (8 * i));
}

std::uint32_t GetU32(const char* at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(at[i]);
  return value;
}

std::string Num(std::uint64_t value) { return IntToStr8(static_cast<std::int64_t>(value)); }

}  // namespace

// Notices when a chain comes round to a block it passed (Brent's cycle
// detection): constant memory, and a walk round a loop ends within a few
// laps, so no walk is longer than about three times the block count.
class TLoopGuard {
 public:
  explicit TLoopGuard(std::uint32_t first) : tortoise_(first) {}
  // False when the chain's next block closes a loop.
  bool Pass(std::uint32_t block) {
    if (block == tortoise_) return false;
    if (++lap_ == power_) {
      tortoise_ = block;
      power_ *= 2;
      lap_ = 0;
    }
    return true;
  }

 private:
  std::uint32_t tortoise_;
  std::uint64_t power_ = 1;
  std::uint64_t lap_ = 0;
};

TFileSystem::TFileSystem(TStream& stream) : stream_(&stream), base_(stream.Position()) {}

std::unique_ptr<TFileSystem> TFileSystem::CreateEmpty(TStream& stream, bool readOnly, bool flag2) {
  std::unique_ptr<TFileSystem> fs(new TFileSystem(stream));
  fs->blockCount_ = kVFSNewBlockCount;
  fs->readOnly_ = readOnly ? 1 : 0;
  fs->flag2_ = flag2 ? 1 : 0;
  fs->fat_.assign(kVFSNewBlockCount, EmptyBlock);
  fs->fat_[0] = EndBlock;
  fs->freeBlocks_ = kVFSNewBlockCount - 1;
  fs->mode_ = vfsCreate;

  // Header and table in one write.
  std::string bytes(fs->DataOffset(), '\0');
  std::memcpy(bytes.data(), VFSSignature.data(), VFSSignature.size());
  PutU32(&bytes[kBlockCountAt], fs->blockCount_);
  PutU32(&bytes[kFatOffsetAt], kVFSFatOffset);
  PutU32(&bytes[kRootDirBlockAt], fs->rootDirBlock_);
  PutU32(&bytes[kReadOnlyAt], fs->readOnly_);
  PutU32(&bytes[kFlag2At], fs->flag2_);
  for (std::uint32_t i = 0; i < fs->blockCount_; ++i) PutU32(&bytes[kVFSFatOffset + 4 * i], fs->fat_[i]);
  const auto size = static_cast<std::int64_t>(bytes.size());
  if (!fs->SeekTo(0) || stream.Write(bytes.data(), size) != size) {
    VFSError("Write error");
    fs->mode_ = vfsRead;
    return fs;
  }
  fs->root_ = TDir::CreateEmpty(*fs, 0, 0);
  if (fs->root_) fs->rootDirBlock_ = fs->root_->Block();
  else fs->mode_ = vfsRead;
  return fs;
}

std::unique_ptr<TFileSystem> TFileSystem::CreateOpen(TStream& stream, std::uint16_t mode) {
  std::unique_ptr<TFileSystem> fs(new TFileSystem(stream));
  if (!fs->Open(mode)) {
    fs->root_.reset();
    fs->mode_ = vfsRead;
  }
  return fs;
}

bool TFileSystem::Open(std::uint16_t mode) {
  char header[kVFSFatOffset];
  if (stream_->Read(header, static_cast<std::int64_t>(VFSSignature.size())) !=
          static_cast<std::int64_t>(VFSSignature.size()) ||
      std::string_view(header, VFSSignature.size()) != VFSSignature) {
    VFSError("Unsupported file system ");
    return false;
  }
  const std::int64_t rest = kVFSFatOffset - static_cast<std::int64_t>(VFSSignature.size());
  if (stream_->Read(header + VFSSignature.size(), rest) != rest) {
    VFSError("Container header cut short");
    return false;
  }
  blockCount_ = GetU32(header + kBlockCountAt);
  fatOffset_ = GetU32(header + kFatOffsetAt);
  rootDirBlock_ = GetU32(header + kRootDirBlockAt);
  readOnly_ = GetU32(header + kReadOnlyAt) != 0 ? 1 : 0;
  flag2_ = GetU32(header + kFlag2At) != 0 ? 1 : 0;
  std::memcpy(reserved_.data(), header + kReservedAt, kVFSReservedSize);

  // The table is read whole: it must be there, so that a hostile block
  // count costs no more memory than the stream's own size.
  const std::int64_t available = stream_->Size() - base_;
  if (available < 0 || DataOffset() > static_cast<std::uint64_t>(available)) {
    VFSError("Container block table of " + Num(blockCount_) + " blocks beyond the end of the stream");
    blockCount_ = 0;
    return false;
  }
  fat_.resize(blockCount_);
  if (ReadLongwordBuf(*stream_, fat_.data(), blockCount_) != 4 * static_cast<std::int64_t>(blockCount_)) {
    VFSError("Read error");
    return false;
  }
  freeBlocks_ = static_cast<std::uint32_t>(std::count(fat_.begin(), fat_.end(), EmptyBlock));
  mode_ = readOnly_ != 0 ? vfsRead : mode;
  if (rootDirBlock_ >= blockCount_) {
    VFSError("Container root directory block " + Num(rootDirBlock_) + " out of range");
    return false;
  }
  dirBudget_ = static_cast<std::uint64_t>(available) - DataOffset();
  root_ = TDir::CreateOpen(*this, rootDirBlock_);
  return true;
}

bool TFileSystem::SeekTo(std::uint64_t offset) {
  const std::int64_t target = base_ + static_cast<std::int64_t>(offset);
  return stream_->Seek(target, soBeginning) == target;
}

void TFileSystem::ReportBadBlock(std::uint32_t block) {
  if (reportedBadBlock_) return;
  reportedBadBlock_ = true;
  VFSError("Container block " + Num(block) + " out of range of " + Num(blockCount_) + " blocks");
}

void TFileSystem::ReportLoop(std::uint32_t block) {
  if (reportedLoop_) return;
  reportedLoop_ = true;
  VFSError("Container chain loops at block " + Num(block));
}

bool TFileSystem::SaveFAT(std::uint32_t index, std::uint32_t value) {
  if (index >= blockCount_ || mode_ == vfsRead) return false;
  const std::uint32_t old = fat_[index];
  if (old == EmptyBlock && value != EmptyBlock) --freeBlocks_;
  if (old != EmptyBlock && value == EmptyBlock) ++freeBlocks_;
  fat_[index] = value;
  char bytes[4];
  PutU32(bytes, value);
  if (!SeekTo(kVFSFatOffset + 4ULL * index) || stream_->Write(bytes, 4) != 4) {
    VFSError("Write error");
    return false;
  }
  return true;
}

std::uint32_t TFileSystem::FindNextLink(std::uint32_t start) const {
  if (freeBlocks_ == 0) return BadBlock;
  const std::uint32_t from = start < blockCount_ ? start : 0;
  for (std::uint32_t b = from; b < blockCount_; ++b) {
    if (fat_[b] == EmptyBlock) return b;
  }
  for (std::uint32_t b = 0; b < from; ++b) {
    if (fat_[b] == EmptyBlock) return b;
  }
  return BadBlock;
}

std::uint32_t TFileSystem::TakeBlock() {
  const std::uint32_t block = FindNextLink(EmptyBlock);
  if (block == BadBlock) {
    VFSError("Container is full");
    return BadBlock;
  }
  return SaveFAT(block, EndBlock) ? block : BadBlock;
}

std::uint32_t TFileSystem::NextBlock(std::uint32_t block) {
  const std::uint32_t next = fat_[block];
  if (next < blockCount_) return next;
  if (next != EndBlock && next != EmptyBlock) ReportBadBlock(next);
  return EndBlock;
}

std::uint32_t TFileSystem::Follow(std::uint32_t block, TLoopGuard& guard) {
  const std::uint32_t next = NextBlock(block);
  if (next == EndBlock || guard.Pass(next)) return next;
  ReportLoop(next);
  return BadBlock;
}

std::uint64_t TFileSystem::ChainLength(std::uint32_t block, std::uint64_t limit) {
  TLoopGuard guard(block);
  std::uint64_t length = 1;
  while (length < limit) {
    block = Follow(block, guard);
    if (block == EndBlock || block == BadBlock) break;
    ++length;
  }
  return length;
}

std::uint64_t TFileSystem::BlocksToGrow(std::uint32_t block, std::uint64_t offset, std::uint64_t count) {
  if (count == 0) return 0;
  const std::uint64_t blocks = (offset + count - 1) / kVFSBlockSize + 1;
  if (blocks > blockCount_ || (block != EmptyBlock && block >= blockCount_)) {
    return std::numeric_limits<std::uint64_t>::max();
  }
  if (block == EmptyBlock) return blocks;
  return blocks - ChainLength(block, blocks);
}

std::uint32_t TFileSystem::SaveData(std::uint32_t block, const void* buffer, std::uint64_t offset,
                                    std::uint64_t count) {
  if (mode_ == vfsRead) return BadBlock;
  if (count == 0) return block;
  if (buffer == nullptr || offset > std::numeric_limits<std::uint64_t>::max() - count) return BadBlock;
  const std::uint64_t end = offset + count;
  const std::uint64_t blocks = (end - 1) / kVFSBlockSize + 1;
  if (blocks > blockCount_) {
    VFSError("Container is full");
    return BadBlock;
  }

  // The chain as far as the write reaches.
  std::vector<std::uint32_t> chain;
  if (block != EmptyBlock) {
    if (block >= blockCount_) {
      ReportBadBlock(block);
      return BadBlock;
    }
    chain.push_back(block);
    TLoopGuard guard(block);
    while (chain.size() < blocks) {
      const std::uint32_t next = Follow(chain.back(), guard);
      if (next == BadBlock) return BadBlock;  // a loop: where would the bytes go?
      if (next == EndBlock) break;
      chain.push_back(next);
    }
    // A chain ending in a block marked free (a damaged table) claims it
    // first, so that the search below cannot hand it out a second time.
    if (fat_[chain.back()] == EmptyBlock && !SaveFAT(chain.back(), EndBlock)) return BadBlock;
  }

  // Count before taking: a write that cannot be whole changes nothing.
  if (blocks - chain.size() > freeBlocks_) {
    VFSError("Container is full");
    return BadBlock;
  }
  if (chain.empty()) {
    const std::uint32_t first = FindNextLink(EmptyBlock);
    if (!SaveFAT(first, EndBlock)) return BadBlock;
    chain.push_back(first);
  }
  while (chain.size() < blocks) {
    const std::uint32_t current = chain.back();
    const std::uint32_t next = FindNextLink(current);
    if (!SaveFAT(current, next) || !SaveFAT(next, EndBlock)) return BadBlock;
    chain.push_back(next);
  }

  // The bytes, one write per run of consecutive blocks.
  const char* bytes = static_cast<const char*>(buffer);
  std::uint64_t done = 0;
  std::size_t i = offset / kVFSBlockSize;
  std::uint64_t within = offset % kVFSBlockSize;
  while (done < count) {
    const std::uint32_t runStart = chain[i];
    std::uint64_t run = std::min<std::uint64_t>(count - done, kVFSBlockSize - within);
    while (done + run < count && i + 1 < chain.size() && chain[i + 1] == chain[i] + 1) {
      ++i;
      run += std::min<std::uint64_t>(count - done - run, kVFSBlockSize);
    }
    if (!SeekTo(DataOffset() + std::uint64_t{kVFSBlockSize} * runStart + within) ||
        stream_->Write(bytes + done, static_cast<std::int64_t>(run)) != static_cast<std::int64_t>(run)) {
      VFSError("Write error");
      return BadBlock;
    }
    done += run;
    ++i;
    within = 0;
  }

  // A write that ended the stream fills its last block, so that the stream
  // always ends on a block boundary.
  const std::uint64_t tail = end % kVFSBlockSize;
  if (tail != 0 && stream_->Position() == stream_->Size()) {
    const std::string filler(kVFSBlockSize - tail, static_cast<char>(kVFSFiller));
    stream_->Write(filler.data(), static_cast<std::int64_t>(filler.size()));
  }
  return chain.front();
}

std::uint64_t TFileSystem::LoadData(std::uint32_t block, void* buffer, std::uint64_t offset, std::uint64_t count) {
  if (count == 0 || buffer == nullptr || block == EmptyBlock || blockCount_ == 0) return 0;
  if (block >= blockCount_) {
    ReportBadBlock(block);
    return 0;
  }
  // No chain is longer than the table.
  const std::uint64_t first = offset / kVFSBlockSize;
  if (first >= blockCount_) return 0;
  TLoopGuard guard(block);
  std::uint32_t current = block;
  for (std::uint64_t k = 0; k < first; ++k) {
    current = Follow(current, guard);
    if (current == EndBlock || current == BadBlock) return 0;
  }

  char* bytes = static_cast<char*>(buffer);
  std::uint64_t done = 0;
  std::uint64_t within = offset % kVFSBlockSize;
  while (done < count) {
    // A run of consecutive blocks read at once.
    const std::uint32_t runStart = current;
    std::uint64_t run = std::min<std::uint64_t>(count - done, kVFSBlockSize - within);
    std::uint32_t next = EndBlock;
    while (done + run < count) {
      next = Follow(current, guard);
      if (next == BadBlock) next = EndBlock;
      if (next == EndBlock) break;
      if (next != current + 1) break;
      current = next;
      next = EndBlock;
      run += std::min<std::uint64_t>(count - done - run, kVFSBlockSize);
    }
    const std::int64_t got = SeekTo(DataOffset() + std::uint64_t{kVFSBlockSize} * runStart + within)
                                 ? stream_->Read(bytes + done, static_cast<std::int64_t>(run))
                                 : 0;
    done += static_cast<std::uint64_t>(std::max<std::int64_t>(got, 0));
    if (got != static_cast<std::int64_t>(run)) {
      VFSError("Read error");
      break;
    }
    if (next == EndBlock) break;
    current = next;
    within = 0;
  }
  return done;
}

}  // namespace corvane
