// Opens a container from arbitrary bytes and reads every file in it, also
// through a handle of its own (as streamed music is read), then writes
// into a copy opened for writing. Whatever the bytes, this must end
// without a crash, a hang or memory beyond a small multiple of the input;
// a file the container reads whole reads the same through its own handle.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>

#include "base/streams/memory_stream.h"
#include "base/system/log_target.h"
#include "resources/container/container_file_stream.h"
#include "resources/container/container_file_system.h"
#include "resources/container/detached_container_file.h"

namespace {

// The bytes read from the stream's position to its end, or up to limit;
// each chunk is handed to `use` and dropped, so a file that claims
// gigabytes costs no memory.
template <class F>
std::uint64_t ReadChunks(corvane::TStream& stream, std::uint64_t limit, F&& use) {
  char buffer[16384];
  std::uint64_t total = 0;
  for (std::int64_t n; total < limit && (n = stream.Read(buffer, sizeof buffer)) > 0;) {
    use(buffer, static_cast<std::size_t>(n));
    total += static_cast<std::uint64_t>(n);
  }
  return total;
}

// containerPath names the bytes the container was read from, or is empty.
void ReadEverything(corvane::TFileSystem& fs, const std::string& containerPath = {}) {
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
    const std::uint64_t whole = ReadChunks(stream, UINT64_MAX, [](const char*, std::size_t) {});
    if (containerPath.empty()) return;
    std::unique_ptr<TDetachedContainerFile> detached = TDetachedContainerFile::Open(fs, containerPath, path + entry.Name);
    if (!detached) {
      if (whole == entry.Size && whole > 0) std::abort();  // the container read it whole
      return;
    }
    if (whole != entry.Size) {
      // A chain the container could not follow (a loop, say): read a little.
      ReadChunks(*detached, 65536, [](const char*, std::size_t) {});
      return;
    }
    stream.SetPosition(0);
    char expected[16384];
    ReadChunks(*detached, UINT64_MAX, [&](const char* bytes, std::size_t n) {
      if (stream.Read(expected, static_cast<std::int64_t>(n)) != static_cast<std::int64_t>(n) ||
          std::memcmp(bytes, expected, n) != 0)
        std::abort();
    });
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
    // The same bytes as a file, for the handles of their own.
    static const int file = memfd_create("container", 0);
    const bool written = file >= 0 && ftruncate(file, 0) == 0 &&
                         pwrite(file, data, size, 0) == static_cast<ssize_t>(size);
    ReadEverything(*fs, written ? "/proc/self/fd/" + std::to_string(file) : std::string());
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
