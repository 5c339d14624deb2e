// Reading an applet's files from one 50 MB container file against reading
// the same files from a folder. Both read whole files through the engine's
// streams, one file after another, from a warm page cache.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/streams/file_stream.h"
#include "base/streams/memory_stream.h"
#include "resources/container/container_file_stream.h"
#include "resources/container/container_file_system.h"

namespace {

using namespace corvane;

// 500 files of 4 KB to 256 KB in ten folders: 50,000,000 bytes.
struct TSample {
  std::filesystem::path Folder;
  std::string ContainerPath;
  std::vector<std::string> Names;  // "dir3\\file42.bin"
  std::int64_t Bytes = 0;

  TSample() {
    Folder = std::filesystem::temp_directory_path() / ("corvane_container_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(Folder / "files");
    ContainerPath = (Folder / "sample.applet").string();
    const std::size_t sizes[] = {4000, 20000, 60000, 160000, 256000};
    TMemoryStream container;
    auto fs = TFileSystem::CreateEmpty(container, false, false);
    std::string data;
    for (int i = 0; i < 500; ++i) {
      data.assign(sizes[i % 5], static_cast<char>('a' + i % 26));
      const std::string dir = "dir" + std::to_string(i % 10);
      const std::string file = "file" + std::to_string(i) + ".bin";
      Names.push_back(dir + "\\" + file);
      Bytes += static_cast<std::int64_t>(data.size());
      TFile* f = fs->CreateFile(Names.back());
      fs->Write(f, data.data(), static_cast<std::uint32_t>(data.size()));
      fs->CloseFile(f);
      std::filesystem::create_directories(Folder / "files" / dir);
      TMemoryStream(std::span<const char>(data)).SaveToFile((Folder / "files" / dir / file).string());
    }
    fs.reset();
    container.SaveToFile(ContainerPath);
  }
  ~TSample() { std::filesystem::remove_all(Folder); }

  std::string FolderPath(const std::string& name) const {
    std::string path = name;
    path[path.find('\\')] = '/';
    return (Folder / "files" / path).string();
  }
};

TSample& Sample() {
  static TSample sample;
  return sample;
}

void BM_ReadFromContainer(benchmark::State& state) {
  TSample& sample = Sample();
  std::vector<char> buffer(256000);
  for (auto _ : state) {
    auto file = TFileStream::Open(sample.ContainerPath, fmOpenRead | fmShareDenyWrite);
    auto fs = TFileSystem::CreateOpen(*file, vfsRead);
    for (const std::string& name : sample.Names) {
      TFileSystemStream stream(*fs, name, vfsRead);
      benchmark::DoNotOptimize(stream.Read(buffer.data(), stream.Size()));
    }
  }
  state.SetBytesProcessed(state.iterations() * sample.Bytes);
}
BENCHMARK(BM_ReadFromContainer)->Unit(benchmark::kMillisecond);

void BM_ReadFromFolder(benchmark::State& state) {
  TSample& sample = Sample();
  std::vector<std::string> paths;
  for (const std::string& name : sample.Names) paths.push_back(sample.FolderPath(name));
  std::vector<char> buffer(256000);
  for (auto _ : state) {
    for (const std::string& path : paths) {
      auto file = TFileStream::Open(path, fmOpenRead | fmShareDenyWrite);
      benchmark::DoNotOptimize(file->Read(buffer.data(), file->Size()));
    }
  }
  state.SetBytesProcessed(state.iterations() * sample.Bytes);
}
BENCHMARK(BM_ReadFromFolder)->Unit(benchmark::kMillisecond);

}  // namespace
