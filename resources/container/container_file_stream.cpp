#include "resources/container/container_file_stream.h"

#include <algorithm>
#include <limits>

#include "base/reflection/class_builder.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TFileSystemStream)

TFileSystemStream::TFileSystemStream(TFileSystem& fileSystem, const std::string& name, std::uint16_t mode)
    : fileSystem_(&fileSystem) {
  if (mode == vfsCreate) file_ = fileSystem.CreateFile(name);
  else if ((mode & 1) != 0) file_ = fileSystem.OpenFileWrite(name);
  else file_ = fileSystem.OpenFileRead(name);
}

TFileSystemStream::~TFileSystemStream() {
  if (TFileSystem* fs = fileSystem_.Get()) fs->CloseFile(file_.Get());
}

std::int64_t TFileSystemStream::Read(void* buffer, std::int64_t count) {
  TFileSystem* fs = fileSystem_.Get();
  TFile* file = file_.Get();
  if (!fs || !file || count <= 0) return 0;
  // Past the end, the container reports the read error.
  const std::int64_t left = std::max<std::int64_t>(0, file->Size() - file->Position());
  count = std::min(count, left);
  return fs->Read(file, buffer, static_cast<std::uint32_t>(count));
}

std::int64_t TFileSystemStream::Write(const void* buffer, std::int64_t count) {
  TFileSystem* fs = fileSystem_.Get();
  TFile* file = file_.Get();
  if (!fs || !file || count <= 0) return 0;
  if (count > std::numeric_limits<std::uint32_t>::max()) return 0;
  return fs->Write(file, buffer, static_cast<std::uint32_t>(count));
}

std::int64_t TFileSystemStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  TFile* file = file_.Get();
  if (!file) return 0;
  file->SetPosition(SeekTarget(file->Position(), file->Size(), offset, origin));
  return file->Position();
}

std::int64_t TFileSystemStream::Size() {
  const TFile* file = file_.Get();
  return file ? file->Size() : 0;
}

bool TFileSystemStream::SetSize(std::int64_t) { return false; }

}  // namespace corvane
