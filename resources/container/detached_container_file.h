// TDetachedContainerFile: one file of a container read through a file
// handle of its own, so that another thread (the sound library's mixing
// thread, streaming music) may read it while the main thread goes on using
// the container. The file's blocks are looked up when it is opened; reads
// go straight to those places of the container's file, touch nothing of
// the container and log nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/streams/stream.h"

namespace corvane {

class TFileStream;
class TFileSystem;

class TDetachedContainerFile : public TStream {
  CORVANE_CLASS(TDetachedContainerFile, TStream)

  // The file `name` (a container path) of the container fileSystem, which
  // was read from the start of the file at containerPath. nullptr when
  // there is no such file, its chain of blocks is shorter than its size,
  // or the container's file does not open again.
  static std::unique_ptr<TDetachedContainerFile> Open(TFileSystem& fileSystem, const std::string& containerPath,
                                                      const std::string& name);
  ~TDetachedContainerFile() override;

  // Never past the file's size.
  std::int64_t Read(void* buffer, std::int64_t count) override;
  // Reading only: nothing is written, and the size stays.
  std::int64_t Write(const void*, std::int64_t) override { return 0; }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return size_; }
  bool SetSize(std::int64_t) override { return false; }

 private:
  TDetachedContainerFile() = default;

  std::unique_ptr<TFileStream> file_;
  std::uint64_t dataOffset_ = 0;  // of block 0, in the container's file
  std::vector<std::uint32_t> blocks_;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
};

}  // namespace corvane
