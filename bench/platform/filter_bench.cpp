// Loading through the engine's filter against reading the same bytes: 200
// ".pixmap" files (64 x 64) and 50 ".mesh" files (600 vfPixmapVertexNormal
// vertices, 1800 indices) in a folder, each loaded by TFilter into the
// recording device (header checks, device stores, copies) and freed, or
// opened through the same resource manager and read whole into a buffer.
// The "per_file" counters are the time per file.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "base/streams/stream.h"
#include "base/text/text_convert.h"
#include "platform/device.h"
#include "tests/support/kit/filter_files.h"
#include "tests/support/kit/filter_world.h"
#include "tests/support/kit/recording_device.h"

namespace corvane {
namespace {

constexpr int kPixmaps = 200;
constexpr int kMeshes = 50;

std::string PixmapName(int i) { return "p" + std::to_string(i) + ".pixmap"; }
std::string MeshName(int i) { return "m" + std::to_string(i) + ".mesh"; }

test::TFilterWorld& World() {
  static test::TFilterWorld* world = [] {
    auto* w = new test::TFilterWorld;
    std::vector<std::uint32_t> pixels(64 * 64);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 2654435761u);
    for (int i = 0; i < kPixmaps; ++i) w->Put(PixmapName(i), test::PixmapFileBytes(64, 64, pixels));
    test::TMeshFile mesh = test::CountingMesh(vfPixmapVertexNormal, 600, true);
    for (int i = 0; i < 1800; ++i) mesh.Indices.push_back(static_cast<std::uint16_t>((i * 7) % 600));
    mesh.Indices.resize(1800);
    for (int i = 0; i < kMeshes; ++i) w->Put(MeshName(i), test::MeshFileBytes(mesh));
    return w;
  }();
  return *world;
}

void PerFile(benchmark::State& state, int files) {
  state.counters["per_file"] =
      benchmark::Counter(files, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

std::int64_t ReadWhole(TResourceMan& resMan, const std::string& name, std::vector<char>& buffer) {
  std::unique_ptr<TStream> stream = resMan.CreateStream(name, 0);
  if (!stream) return 0;
  buffer.resize(static_cast<std::size_t>(stream->Size()));
  return stream->Read(buffer.data(), static_cast<std::int64_t>(buffer.size()));
}

void BM_PixmapsThroughTheFilter(benchmark::State& state) {
  test::TFilterWorld& w = World();
  w.world.log.Clear();
  for (auto _ : state)
    for (int i = 0; i < kPixmaps; ++i) {
      TPixmap* pixmap = w.filter->LoadPixmap(w.resMan, Utf8ToUtf16(PixmapName(i)));
      if (!pixmap) state.SkipWithError("a pixmap did not load");
      w.device->DestroyPixmap(pixmap);
    }
  PerFile(state, kPixmaps);
}
BENCHMARK(BM_PixmapsThroughTheFilter)->Unit(benchmark::kMillisecond);

void BM_PixmapBytes(benchmark::State& state) {
  test::TFilterWorld& w = World();
  std::vector<char> buffer;
  for (auto _ : state)
    for (int i = 0; i < kPixmaps; ++i) benchmark::DoNotOptimize(ReadWhole(*w.resMan, PixmapName(i), buffer));
  PerFile(state, kPixmaps);
}
BENCHMARK(BM_PixmapBytes)->Unit(benchmark::kMillisecond);

void BM_MeshesThroughTheFilter(benchmark::State& state) {
  test::TFilterWorld& w = World();
  for (auto _ : state) {
    for (int i = 0; i < kMeshes; ++i) {
      TMesh* mesh = w.filter->LoadMesh(w.resMan, Utf8ToUtf16(MeshName(i)));
      if (!mesh) state.SkipWithError("a mesh did not load");
      w.device->DestroyMesh(mesh);
    }
    w.world.log.Clear();  // one "file was loaded" line per mesh
  }
  PerFile(state, kMeshes);
}
BENCHMARK(BM_MeshesThroughTheFilter)->Unit(benchmark::kMillisecond);

void BM_MeshBytes(benchmark::State& state) {
  test::TFilterWorld& w = World();
  std::vector<char> buffer;
  for (auto _ : state)
    for (int i = 0; i < kMeshes; ++i) benchmark::DoNotOptimize(ReadWhole(*w.resMan, MeshName(i), buffer));
  PerFile(state, kMeshes);
}
BENCHMARK(BM_MeshBytes)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane
