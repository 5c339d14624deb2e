#include "resources/container/detached_container_file.h"

#include <algorithm>
#include <limits>

#include "base/reflection/class_builder.h"
#include "base/streams/file_stream.h"
#include "resources/container/container_file_system.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TDetachedContainerFile)

std::unique_ptr<TDetachedContainerFile> TDetachedContainerFile::Open(TFileSystem& fileSystem,
                                                                     const std::string& containerPath,
                                                                     const std::string& name) {
  TFile* opened = fileSystem.OpenFileRead(name);
  if (!opened) return nullptr;
  const std::uint32_t first = opened->Entry().Block;
  const std::int64_t size = opened->Size();
  fileSystem.CloseFile(opened);

  std::unique_ptr<TDetachedContainerFile> file(new TDetachedContainerFile());
  file->size_ = size;
  file->dataOffset_ = static_cast<std::uint64_t>(fileSystem.BaseOffset()) + fileSystem.DataOffset();
  // Only as many blocks as the size needs are followed, so a chain that
  // loops costs no more than a sound one.
  const std::uint64_t needed = (static_cast<std::uint64_t>(size) + kVFSBlockSize - 1) / kVFSBlockSize;
  file->blocks_.reserve(needed);
  std::uint32_t block = first;
  for (std::uint64_t i = 0; i < needed; ++i) {
    if (block >= fileSystem.BlockCount()) return nullptr;  // the chain ends (or breaks) early
    file->blocks_.push_back(block);
    block = fileSystem.Fat(block);
  }
  file->file_ = TFileStream::Open(containerPath, fmOpenRead | fmShareDenyNone);
  if (!file->file_) return nullptr;
  return file;
}

TDetachedContainerFile::~TDetachedContainerFile() = default;

std::int64_t TDetachedContainerFile::Read(void* buffer, std::int64_t count) {
  if (!buffer || count <= 0 || position_ >= size_) return 0;
  count = std::min(count, size_ - position_);
  auto* bytes = static_cast<char*>(buffer);
  std::int64_t done = 0;
  while (done < count) {
    const auto at = static_cast<std::uint64_t>(position_);
    const std::uint64_t within = at % kVFSBlockSize;
    // A run of blocks that follow each other in the file is read at once.
    std::size_t index = at / kVFSBlockSize;
    std::uint64_t run = kVFSBlockSize - within;
    while (done + static_cast<std::int64_t>(run) < count && index + 1 < blocks_.size() &&
           blocks_[index + 1] == blocks_[index] + 1) {
      ++index;
      run += kVFSBlockSize;
    }
    const std::int64_t want = std::min<std::int64_t>(static_cast<std::int64_t>(run), count - done);
    const std::uint64_t offset = dataOffset_ + std::uint64_t{kVFSBlockSize} * blocks_[at / kVFSBlockSize] + within;
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) break;
    if (file_->Seek(static_cast<std::int64_t>(offset), soBeginning) != static_cast<std::int64_t>(offset)) break;
    const std::int64_t got = file_->Read(bytes + done, want);
    if (got <= 0) break;
    done += got;
    position_ += got;
    if (got < want) break;  // the container's file is shorter than its table says
  }
  return done;
}

std::int64_t TDetachedContainerFile::Seek(std::int64_t offset, TSeekOrigin origin) {
  position_ = SeekTarget(position_, size_, offset, origin);
  return position_;
}

}  // namespace corvane
