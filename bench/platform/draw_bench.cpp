// The device's 2D drawing on the hot path of every frame: 10,000 small
// quads (filled rectangles, pixmaps, nine-slices) and 10,000 characters of
// text per frame, through a device that only counts what it is given, and a
// font that writes its glyph quads into the scratch mesh as a real one
// does. Each benchmark reports the CPU time per quad or character and the
// heap allocations per frame, which must be none.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/reflection/class_builder.h"
#include "base/system/log_target.h"
#include "bench/support/heap_count.h"
#include "platform/device.h"
#include "platform/sys_font.h"
#include "platform/window.h"

namespace corvane {
namespace {

// A device whose stores are plain memory and whose drawing only counts.
class TCountingDevice : public TDevice {
  CORVANE_CLASS(TCountingDevice, TDevice)
  using TDevice::TDevice;
  static std::u16string ClassDeviceName() { return u"counting"; }
  void AfterConstruction() override {
    TDevice::AfterConstruction();
    PrepareObjects();
  }

  std::u16string DeviceName() const override { return ClassDeviceName(); }
  void CreateRenderStateList(TRenderState) override {}
  void ApplyRenderState(TRenderState) override {}
  bool IsHardwareSupport(TWindow*) override { return true; }
  void FullScreen(bool, std::int32_t) override {}
  void Pick(float, float, TSpaceVector&, TSpaceVector&) override {}
  TSpaceMatrix ModelViewProj() override { return IdentitySpaceMatrix; }
  void RenderWindow() override {}
  void FlipWindow() override {}
  void ResizeDevice() override {}
  void SetMaterial(const TMaterial& material) override { Material = material; }
  void SetPixmap(std::int32_t stage, TPixmap* pixmap) override { Stages[static_cast<std::size_t>(stage)] = pixmap; }
  void SetTextureMatrix(const TPlaneMatrix& matrix) override { TextureMatrix = matrix; }
  void DrawMesh(TMesh* mesh) override {
    ++draws;
    TriangleCount += mesh->LockedIndexCount / 3;
  }
  void DrawLine(const TSpaceVector*, std::int32_t, float) override {}

  std::int64_t draws = 0;

 protected:
  bool AllocateMesh(TMesh& mesh) override {
    mesh.VertexData.assign(static_cast<std::size_t>(mesh.VertexStoreSize()), 0);
    mesh.IndexData.assign(static_cast<std::size_t>(mesh.IndexCount), 0);
    return true;
  }
  void ReleaseMesh(TMesh& mesh) override {
    mesh.VertexData = {};
    mesh.IndexData = {};
  }
  void* MapMeshVertex(TMesh& mesh) override { return mesh.VertexData.data(); }
  void UnmapMeshVertex(TMesh&) override {}
  void* MapMeshIndex(TMesh& mesh) override { return mesh.IndexData.data(); }
  void UnmapMeshIndex(TMesh&) override {}
  bool AllocatePixmap(TPixmap&) override { return true; }
  void ReleasePixmap(TPixmap&) override {}
  void* MapPixmap(TPixmap&, std::int32_t, std::int32_t, std::int32_t, std::int32_t, bool) override { return nullptr; }
  void UnmapPixmap(TPixmap&) override {}
};
CORVANE_IMPLEMENT_CLASS(TCountingDevice)

// A fixed-pitch font, 8 x 16 pixels a character, whose text becomes one
// textured quad per visible character in the device's scratch mesh.
class TBenchFont : public T3DSysFont {
  CORVANE_CLASS(TBenchFont, T3DSysFont)
  using T3DSysFont::T3DSysFont;

  void InitFromFont(TResourceMan*, const std::string&, const std::string&, std::int32_t, TFontStyles, bool) override {}
  void InitFromFile(TResourceMan*, const std::string&, const std::string&, std::int32_t, TFontStyles, bool) override {}
  void RebuildTexture() override {}
  TPoint GetTextExtent(std::u16string_view text, float maxWidth, std::int32_t& count) override {
    count = static_cast<std::int32_t>(text.size());
    float x = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] < 32) continue;
      if (x + 8 > maxWidth) break;
      x += 8;
      count = static_cast<std::int32_t>(i + 1);
    }
    return {x, 16};
  }
  void DrawText(float x, float y, std::uint32_t color, std::u16string_view text) override {
    TMesh* mesh = device->DynamicMesh;
    const auto chars = static_cast<std::int32_t>(text.size());
    void* vertexData = nullptr;
    void* indexData = nullptr;
    if (!device->LockMeshVertex(mesh, 4 * chars, vertexData)) return;
    if (!device->LockMeshIndex(mesh, 6 * chars, indexData)) {
      device->UnlockMeshVertex(mesh);
      return;
    }
    auto* v = static_cast<TColorPixmapVertex*>(vertexData);
    auto* index = static_cast<std::uint16_t*>(indexData);
    std::int32_t quads = 0;
    for (const char16_t c : text) {
      if (c < 32) continue;
      if (c != u' ') {
        const float u = static_cast<float>(c % 16) / 16, w = static_cast<float>(c / 16 % 16) / 16;
        v[0] = ColorPixmapVertex(x, y, 0, color, u, w);
        v[1] = ColorPixmapVertex(x + 8, y, 0, color, u + 0.0625f, w);
        v[2] = ColorPixmapVertex(x + 8, y + 16, 0, color, u + 0.0625f, w + 0.0625f);
        v[3] = ColorPixmapVertex(x, y + 16, 0, color, u, w + 0.0625f);
        v += 4;
        const auto base = static_cast<std::uint16_t>(4 * quads);
        const std::uint16_t pattern[6] = {1, 0, 3, 3, 2, 1};
        for (const std::uint16_t p : pattern) *index++ = static_cast<std::uint16_t>(base + p);
        ++quads;
      }
      x += 8;
    }
    device->UnlockMeshIndex(mesh);
    device->UnlockMeshVertex(mesh);
    mesh->LockedVertexCount = 4 * quads;
    mesh->LockedIndexCount = 6 * quads;
    device->DrawMesh(mesh);
  }

  TDevice* device = nullptr;
};
CORVANE_IMPLEMENT_CLASS(TBenchFont)

constexpr int kPerFrame = 10000;

struct TScene {
  TScene() {
    SetLogTarget(&quiet);
    window = Create<TWindow>(TCreateContext());
    window->SetClientSize(1024, 768);
    device = static_cast<TCountingDevice*>(CreateDevice(DeviceClassOf<TCountingDevice>(), window));
    pixmap = device->CreatePixmap(32, 32);
    font = Create<TFont>(TCreateContext());
    auto* sysFont = Create<TBenchFont>(TCreateContext());
    sysFont->device = device;
    sysFont->Pixmap = pixmap;
    font->Handle = sysFont;
    device->SetColor(0xFFFFFFFF);
  }
  ~TScene() {
    font->Free();
    device->Free();
    window->Free();
    SetLogTarget(nullptr);
  }

  TSilentLog quiet;
  TWindow* window = nullptr;
  TCountingDevice* device = nullptr;
  TPixmap* pixmap = nullptr;
  TFont* font = nullptr;
};

// Seconds per item (shown in ns) and heap allocations per frame.
void Report(benchmark::State& state, std::size_t allocationsBefore, double itemsPerFrame) {
  const auto frames = static_cast<double>(state.iterations());
  const auto allocated = static_cast<double>(bench::HeapAllocations() - allocationsBefore);  // before the counters allocate
  state.counters["per item"] =
      benchmark::Counter(frames * itemsPerFrame, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["allocs/frame"] = allocated / frames;
}

TRect Cell(int i) {
  const auto x = static_cast<float>(i % 100 * 10), y = static_cast<float>(i / 100 % 76 * 10);
  return {x, y, x + 8, y + 8};
}

void FillRects(benchmark::State& state) {
  TScene scene;
  scene.device->FillRect(Cell(0), 0);  // warm up
  const std::size_t before = bench::HeapAllocations();
  for (auto _ : state)
    for (int i = 0; i < kPerFrame; ++i) scene.device->FillRect(Cell(i), 0);
  Report(state, before, kPerFrame);
  benchmark::DoNotOptimize(scene.device->draws);
}
BENCHMARK(FillRects)->Unit(benchmark::kMillisecond);

void DrawPixmaps(benchmark::State& state) {
  TScene scene;
  scene.device->DrawPixmap(scene.pixmap, Cell(0));
  const std::size_t before = bench::HeapAllocations();
  for (auto _ : state)
    for (int i = 0; i < kPerFrame; ++i) scene.device->DrawPixmap(scene.pixmap, Cell(i));
  Report(state, before, kPerFrame);
}
BENCHMARK(DrawPixmaps)->Unit(benchmark::kMillisecond);

// Nine quads a call: 1,112 calls make 10,008 quads.
void DrawNineSlices(benchmark::State& state) {
  TScene scene;
  const TRect margins{4, 4, 4, 4};
  constexpr int kCalls = kPerFrame / 9 + 1;
  scene.device->DrawPixmapMargins(scene.pixmap, Cell(0), margins);
  const std::size_t before = bench::HeapAllocations();
  for (auto _ : state)
    for (int i = 0; i < kCalls; ++i) {
      TRect r = Cell(i);
      r.right += 40;
      r.bottom += 20;
      scene.device->DrawPixmapMargins(scene.pixmap, r, margins);
    }
  Report(state, before, 9.0 * kCalls);
}
BENCHMARK(DrawNineSlices)->Unit(benchmark::kMillisecond);

// 250 labels of 40 characters: 10,000 characters.
void DrawLabels(benchmark::State& state) {
  TScene scene;
  std::vector<std::u16string> labels;
  for (int i = 0; i < 250; ++i) {
    std::u16string label;
    for (int c = 0; c < 40; ++c) label += static_cast<char16_t>(u'A' + (i + c) % 58);
    labels.push_back(label);
  }
  scene.device->DrawString(scene.font, labels[0], {0, 0, 400, 20}, {tfLeft, tfTop}, 0xFFFFFFFF);
  const std::size_t before = bench::HeapAllocations();
  for (auto _ : state)
    for (int i = 0; i < 250; ++i) {
      const auto y = static_cast<float>(i % 40 * 18);
      scene.device->DrawString(scene.font, labels[static_cast<std::size_t>(i)], {0, y, 400, y + 18},
                               {tfCenter, tfVCenter}, 0xFFFFFFFF);
    }
  Report(state, before, 250.0 * 40);
}
BENCHMARK(DrawLabels)->Unit(benchmark::kMillisecond);

// Ten paragraphs of 1,000 characters, word-wrapped to 400 pixels.
void DrawWrappedText(benchmark::State& state) {
  TScene scene;
  std::u16string paragraph;
  while (paragraph.size() < 1000) paragraph += u"lorem ipsum, dolor sit amet. ";
  paragraph.resize(1000);
  const TTextFormats wrap{tfLeft, tfTop, tfWordWrap};
  scene.device->DrawString(scene.font, paragraph, {0, 0, 400, 768}, wrap, 0xFFFFFFFF);
  const std::size_t before = bench::HeapAllocations();
  for (auto _ : state)
    for (int i = 0; i < 10; ++i) scene.device->DrawString(scene.font, paragraph, {0, 0, 400, 768}, wrap, 0xFFFFFFFF);
  Report(state, before, 10.0 * 1000);
}
BENCHMARK(DrawWrappedText)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane
