// An ObjectList of 100 spinning boxes and an ImageList of 100 pictures, in
// ten columns of ten cells, each painted every frame on the OpenGL device
// under llvmpipe (SDL's offscreen driver, no display) with the default
// skin's item and selection pictures. The items are file names of a
// realistic length, longer than a string's inline buffer. The figures to
// read are the cost per item and the heap allocations per frame after the
// first (the boxes load and the pictures are made on the first paint):
// both should be 0.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "base/text/text_convert.h"
#include "bench/support/paired_rounds.h"
#include "bench/support/skinned_gl_world.h"
#include "resources/folder_res_man.h"
#include "tests/support/file_bytes.h"
#include "tests/support/kit/test_filter.h"

namespace corvane {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kItems = 100;
constexpr int kRunFrames = 30;

std::string ObjectName(int i) { return "showroom_exhibit_" + std::to_string(i) + "_spinning_box.object"; }
std::string PictureName(int i) { return "gallery_picture_" + std::to_string(i) + "_thumbnail.png"; }

// Ten columns of ten 40-unit rows, the item names as an items list.
std::string ListText(const char* className, std::string (*name)(int)) {
  std::string text = std::string("object shelf: ") + className +
                     "\n  width = 600\n  height = 400\n  columnCount = 10\n  itemHeight = 40\n"
                     "  itemIndex = 7\n  items.strings = (";
  for (int i = 0; i < kItems; ++i) text += "\n    '" + name(i) + "'";
  return text + " )\nend\n";
}

struct TBench : bench::TSkinnedGLWorld {
  TBench() : TSkinnedGLWorld(kWidth, kHeight, 256) {
    if (!gl.device) return;
    test::TTestApplet& applet = *gl.world.applet;
    folder = test::MakeTempFolder("corvane-objectlistbench-");
    resMan.reset(CreateResMan<TFolderResourceMan>(folder));
    applet.SetResMan(resMan.get());
    const std::string box = "object cube: Box\n  width = 4\n  height = 4\n  depth = 4\nend\n";
    for (int i = 0; i < kItems; ++i) {
      test::WriteFileBytes(folder + ObjectName(i), box);
      applet.Filters()->pixmapFiles[Utf8ToUtf16(PictureName(i))] = {16, 16};
    }
  }
  ~TBench() {
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
  }
  TBench(const TBench&) = delete;
  TBench& operator=(const TBench&) = delete;

  std::string folder;
  std::unique_ptr<TResourceMan> resMan;
};

TBench& Bench() {
  static TBench bench;
  return bench;
}

// The list of className over name(i) painted each frame; the counters
// "us/widget" (here per item) and "allocs/frame".
void PaintedList(benchmark::State& state, const char* className, std::string (*name)(int), std::int32_t children) {
  TBench& b = Bench();
  if (!bench::BenchReady(state, b, "no OpenGL context or no skin")) return;
  BaseObject* list = b.gl.world.Load(ListText(className, name));
  if (!list || list->count() != children) {
    state.SkipWithError("the list did not load its items");
    if (list) list->Free();
    return;
  }
  bench::TimeFrames(state, kRunFrames, kItems, [&b] { b.Frame(); }, [&b] { b.ResetCounts(); });
  state.counters["allocs/frame"] = b.AllocationsPerFrame();
  list->Free();
}

void BM_ObjectList100(benchmark::State& state) { PaintedList(state, "ObjectList", ObjectName, kItems); }
void BM_ImageList100(benchmark::State& state) { PaintedList(state, "ImageList", PictureName, 0); }

BENCHMARK(BM_ObjectList100)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ImageList100)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace corvane
