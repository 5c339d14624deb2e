// Opens a container from arbitrary bytes and reads every file in it, then
// writes into a copy opened for writing. Whatever the bytes, this must end
// without a crash, a hang or memory beyond a small multiple of the input.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "base/streams/memory_stream.h"
#include "base/system/log_target.h"
#include "resources/container/container_file_stream.h"
#include "resources/container/container_file_system.h"

namespace {

void ReadEverything(corvane::TFileSystem& fs) {
  using namespace corvane;
  fs.WalkTree([&](const std::string& path, const TFileEntry& entry) {
    TVFSSearchRec search;
    if (fs.FindFirst(path + "*", 0, search) == 0) {
      while (fs.FindNext(search) == 0) {
      }
    }
    fs.FindClose(search);
    if (entry.IsDir()) return;
    (void)fs.FileExists(path + entry.Name);
    TFileSystemStream stream(fs, path + entry.Name, vfsRead);
    char buffer[16384];
    while (stream.Read(buffer, sizeof buffer) > 0) {
    }
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane;
  static TSilentLog quiet;
  SetLogTarget(&quiet);
  const std::span<const std::uint8_t> bytes(data, size);
  {
    TMemoryStream stream(bytes);
    auto fs = TFileSystem::CreateOpen(stream, vfsRead);
    ReadEverything(*fs);
  }
  {
    TMemoryStream stream(bytes);
    auto fs = TFileSystem::CreateOpen(stream, vfsCreate);
    const std::string text(5000, 'x');
    if (TFile* file = fs->CreateFile("fuzz\\new.txt")) {
      fs->Write(file, text.data(), static_cast<std::uint32_t>(text.size()));
      fs->CloseFile(file);
    }
    if (TFile* file = fs->OpenFileWrite("main.object")) {
      file->SetPosition(file->Size());
      fs->Write(file, text.data(), 100);
      fs->CloseFile(file);
    }
    ReadEverything(*fs);
  }
  return 0;
}
