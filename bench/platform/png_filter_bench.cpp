// The PNG pixmap filter against plain libpng on the same files: 20 pictures
// of 256 x 256 (gradients with noise and alpha) in a folder. The filter
// reads each file through the applet's resource manager and loads it into
// a pixmap of the recording device; plain libpng decodes each file into a
// buffer with its simplified API. BM_FilterOverPlain reports the median
// ratio of alternating rounds (the aim is at most 1.2) and the time per file.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/support/paired_rounds.h"
#include "platform/device.h"
#include "platform/filters/png_filter.h"
#include "resources/folder_res_man.h"
#include "tests/base/temp_dir.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

constexpr int kFiles = 20;
constexpr int kSide = 256;

std::string FileName(int i) { return "p" + std::to_string(i) + ".png"; }

struct TBench {
  TBench() {
    world.applet->SetResMan(folder.get());
    std::mt19937 random(5);
    for (int i = 0; i < kFiles; ++i) {
      std::vector<std::uint32_t> pixels(kSide * kSide);
      for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
          pixels[y * kSide + x] = static_cast<std::uint32_t>((x + i) & 255) << 24 |
                                  static_cast<std::uint32_t>(y) << 16 |
                                  static_cast<std::uint32_t>((x * y) & 255) << 8 | (random() & 15);
      Filter()->SaveRGBAToFile(folder.get(), FileName(i), kSide, kSide, pixels);
    }
  }
  TOwned<TPixmapPngFilter> Filter() {
    return TOwned<TPixmapPngFilter>(Create<TPixmapPngFilter>(TCreateContext(world.applet)));
  }
  void FilterRound() {
    for (int i = 0; i < kFiles; ++i) {
      TPixmap* pixmap = Filter()->LoadFromFile(folder.get(), FileName(i));
      device->DestroyPixmap(pixmap);
    }
  }
  void PlainRound() {
    for (int i = 0; i < kFiles; ++i) {
      png_image image;
      std::memset(&image, 0, sizeof image);
      image.version = PNG_IMAGE_VERSION;
      if (!png_image_begin_read_from_file(&image, dir.File(FileName(i)).c_str())) continue;
      image.format = PNG_FORMAT_BGRA;
      std::vector<std::uint32_t> pixels(static_cast<std::size_t>(image.width) * image.height);
      png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
      benchmark::DoNotOptimize(pixels.data());
    }
  }

  test::TTempDir dir;
  TOwned<TFolderResourceMan> folder{CreateResMan<TFolderResourceMan>(dir.Path() + "/")};
  test::TTestWorld world;
  test::TRecordingDevice* device = world.applet->UseRecordingDevice();
};

TBench& Bench() {
  static TBench bench;
  return bench;
}

void BM_PngFilterLoads(benchmark::State& state) {
  TBench& b = Bench();
  for (auto _ : state) b.FilterRound();
  state.SetItemsProcessed(state.iterations() * kFiles);
}
void BM_PlainLibpngDecodes(benchmark::State& state) {
  TBench& b = Bench();
  for (auto _ : state) b.PlainRound();
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_PngFilterLoads)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLibpngDecodes)->Unit(benchmark::kMillisecond);

double ratio = 0;
void BM_FilterOverPlain(benchmark::State& state) {
  TBench& b = Bench();
  for (auto _ : state) ratio = bench::MedianRatio(15, [&] { b.FilterRound(); }, [&] { b.PlainRound(); });
  state.counters["ratio"] = ratio;
}
BENCHMARK(BM_FilterOverPlain)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace corvane

int main(int argc, char** argv) {
  return corvane::bench::RunWithRatio(argc, argv, "PNG filter / plain libpng", corvane::ratio);
}
