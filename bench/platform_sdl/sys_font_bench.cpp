// A full atlas of the FreeType system font against FreeType alone: the 95
// characters at 32 pixels (DejaVu Sans Bold, fontconfig pinned as in the
// tests) measured, packed, rasterised and made a pixmap of the recording
// device, without a cache file; against loading and rendering the same 95
// glyphs of the same open face with FreeType directly.
// BM_AtlasOverFreeType rebuilds the atlas of an open font and reports the
// median ratio of alternating rounds (the aim is at most 1.5); BM_FontAtlas
// makes a whole font each time, opening its face (whose set-up programs
// FreeType alone runs only once).
#include <benchmark/benchmark.h>
#include <ft2build.h>
#include FT_FREETYPE_H


#include "bench/support/paired_rounds.h"
#include "platform/device.h"
#include "platform/sdl/sys_font_freetype.h"
#include "tests/platform_sdl/pinned_fonts.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

constexpr int kSize = 32;

struct TBench {
  TBench() {
    test::PinDejaVuSans();
    SysFontClass = T3DSysFontFreeType::StaticClass();
    world.applet->SetResMan(nullptr);
    FT_Init_FreeType(&library);
    FT_New_Face(library, (std::string(test::kDejaVuFolder) + "DejaVuSans-Bold.ttf").c_str(), 0, &face);
    FT_Set_Pixel_Sizes(face, 0, kSize);
    font = device->CreateSysFont("DejaVu Sans", kSize, {fsBold});
  }
  ~TBench() {
    FT_Done_Face(face);
    FT_Done_FreeType(library);
  }
  void AtlasRound() {
    TFont* font = device->CreateSysFont("DejaVu Sans", kSize, {fsBold});
    device->DestroyFont(font);
  }
  void RebuildRound() { font->Handle->RebuildTexture(); }
  void FreeTypeRound() {
    for (FT_ULong code = 32; code < 127; ++code) {
      FT_Load_Char(face, code, FT_LOAD_RENDER);
      benchmark::DoNotOptimize(face->glyph->bitmap.buffer);
    }
  }

  test::TTestWorld world;
  test::TRecordingDevice* device = world.applet->UseRecordingDevice();
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  TFont* font = nullptr;
};

TBench& Bench() {
  static TBench bench;
  return bench;
}

void BM_FontAtlas(benchmark::State& state) {
  TBench& b = Bench();
  for (auto _ : state) b.AtlasRound();
}
void BM_FreeTypeGlyphs(benchmark::State& state) {
  TBench& b = Bench();
  for (auto _ : state) b.FreeTypeRound();
}
void BM_AtlasRebuild(benchmark::State& state) {
  TBench& b = Bench();
  for (auto _ : state) b.RebuildRound();
}
BENCHMARK(BM_FontAtlas)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AtlasRebuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreeTypeGlyphs)->Unit(benchmark::kMillisecond);

double ratio = 0;
void BM_AtlasOverFreeType(benchmark::State& state) {
  TBench& b = Bench();
  for (auto _ : state) ratio = bench::MedianRatio(21, [&] { b.RebuildRound(); }, [&] { b.FreeTypeRound(); });
  state.counters["ratio"] = ratio;
}
BENCHMARK(BM_AtlasOverFreeType)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace corvane

int main(int argc, char** argv) {
  return corvane::bench::RunWithRatio(argc, argv, "font atlas rebuilt / FreeType alone", corvane::ratio);
}
