// TFileSystemStream: a TStream over one file of a container. It opens the
// file when made (check File(): it may be nothing) and closes it when
// freed. Free it before the container; should the container go first, the
// stream reads and writes nothing.
#pragma once

#include <cstdint>
#include <string>

#include "base/streams/stream.h"
#include "resources/container/container_file_system.h"

namespace corvane {

class TFileSystemStream : public TStream {
  CORVANE_CLASS(TFileSystemStream, TStream)

  // Mode vfsCreate creates (replaces) the file, a mode with bit 0 set opens
  // it for writing, any other for reading.
  TFileSystemStream(TFileSystem& fileSystem, const std::string& name, std::uint16_t mode);
  ~TFileSystemStream() override;

  TFile* File() const { return file_.Get(); }

  // Never past the file's size.
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  // Positions before 0 clamp to 0; from the end counts from the file's size.
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override;
  // A container file cannot be cut: false, nothing changes.
  bool SetSize(std::int64_t size) override;

 private:
  TWeak<TFileSystem> fileSystem_;
  TWeak<TFile> file_;
};

}  // namespace corvane
