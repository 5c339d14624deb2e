// Object streams on the start-up path: a generated ".object" of about 10 MB
// (thousands of objects with every value kind) compiled to binary, rendered
// back to text, and loaded into objects; and the same compilation file to
// file, as an applet's createBin does it, against memory to memory.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "base/lists/collection.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/reflection/component.h"
#include "base/reflection/variant.h"
#include "base/streams/memory_stream.h"
#include "base/streams/object_text.h"
#include "base/streams/reader.h"
#include "base/system/log_target.h"
#include "bench/support/frame_rounds.h"
#include "engine/core/base_object.h"
#include "resources/cache/object_storage.h"
#include "resources/folder_res_man.h"
#include "tests/base/temp_dir.h"

namespace corvane {

CORVANE_ENUM(TBenchShade, bsLight, bsMedium, bsDark);

class TBenchItem : public TCollectionItem {
  CORVANE_CLASS(TBenchItem, TCollectionItem)
  static void Describe(TClassBuilder<TBenchItem>& c) {
    c.Property("frame", &TBenchItem::frame);
    c.Property("value", &TBenchItem::value);
  }
  using TCollectionItem::TCollectionItem;
  std::int32_t frame = 0;
  float value = 0;
};

// Applet objects are BaseObjects: children live in their parent's list, not
// in the root's component list.
class TBenchObject : public BaseObject {
  CORVANE_CLASS(TBenchObject, BaseObject)
  static void Describe(TClassBuilder<TBenchObject>& c) {
    c.Property("count", &TBenchObject::count);
    c.Property("big", &TBenchObject::big);
    c.Property("ratio", &TBenchObject::ratio);
    c.Property("visible", &TBenchObject::visible);
    c.Property("shade", &TBenchObject::shade);
    c.Property("shades", &TBenchObject::shades);
    c.Property("caption", &TBenchObject::caption);
    c.Property("code", &TBenchObject::code);
    c.Property("money", &TBenchObject::money);
    c.Property("keys", &TBenchObject::GetKeys);
  }
  explicit TBenchObject(const TCreateContext& context)
      : BaseObject(context), keys(new TCollection(TBenchItem::StaticClass(), this)) {}
  ~TBenchObject() override { keys->Free(); }
  TCollection* GetKeys() const { return keys; }
  std::int32_t count = 0;
  std::int64_t big = 0;
  float ratio = 0;
  bool visible = false;
  TBenchShade shade = bsLight;
  TSet<TBenchShade> shades;
  std::u16string caption;
  std::string code;
  TCurrency money;
  TCollection* keys;
};

CORVANE_IMPLEMENT_CLASS(TBenchItem)
CORVANE_IMPLEMENT_CLASS(TBenchObject)

namespace {

// About 10 MB of text: a root with groups of objects using every kind.
const std::string& GeneratedText(int* objects) {
  static int count = 0;
  static const std::string text = [] {
    std::string t = "object Root: TBenchObject\n  count = 1\n";
    for (int g = 0; g < 200; ++g) {
      t += "  object G" + std::to_string(g) + ": TBenchObject\n";
      for (int i = 0; i < 100; ++i) {
        ++count;
        const std::string n = std::to_string(g * 1000 + i);
        t += "    object O" + n + ": TBenchObject\n";
        t += "      count = " + n + "\n      big = 12345678901234\n      ratio = 0.25\n";
        t += "      visible = True\n      shade = bsDark\n      shades = [bsLight, bsDark]\n";
        t += "      caption = 'Object number " + n + " with a caption of some length, and caf'#233\n";
        t += "      code = 'CODE-" + n + "'\n      money = 12345000c\n";
        t += "      keys = <\n        item\n          frame = 1\n          value = 0.5\n        end\n"
             "        item\n          frame = 30\n          value = 1.5\n        end>\n";
        t += "    end\n";
      }
      ++count;
      t += "  end\n";
    }
    t += "end\n";
    return t;
  }();
  if (objects) *objects = count;
  return text;
}

void Compile(TMemoryStream& out) {
  const std::string& text = GeneratedText(nullptr);
  TMemoryStream in(std::span<const char>(text.data(), text.size()));
  ObjectTextToBinary(in, out);
}

void TextToBinary(benchmark::State& state) {
  const std::string& text = GeneratedText(nullptr);
  TMemoryStream in(std::span<const char>(text.data(), text.size()));
  TMemoryStream out;
  for (auto _ : state) {
    in.SetPosition(0);
    out.SetPosition(0);  // the output keeps its memory between runs
    benchmark::DoNotOptimize(ObjectTextToBinary(in, out));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(TextToBinary)->Unit(benchmark::kMillisecond);

void BinaryToText(benchmark::State& state) {
  TMemoryStream binary;
  Compile(binary);
  TMemoryStream out;
  for (auto _ : state) {
    binary.SetPosition(0);
    out.SetPosition(0);
    benchmark::DoNotOptimize(ObjectBinaryToText(binary, out));
  }
  state.SetBytesProcessed(state.iterations() * binary.Size());
}
BENCHMARK(BinaryToText)->Unit(benchmark::kMillisecond);

void LoadObjects(benchmark::State& state) {
  static TSilentLog quiet;
  SetLogTarget(&quiet);
  RegisterClass(TBenchObject::StaticClass());
  TMemoryStream binary;
  Compile(binary);
  int objects = 0;
  GeneratedText(&objects);
  for (auto _ : state) {
    binary.SetPosition(0);
    TGReader reader(binary);
    TGComponent* root = reader.ReadRootComponent(nullptr);
    state.PauseTiming();
    if (root) root->Free();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * binary.Size());
  state.counters["objects/s"] = benchmark::Counter(static_cast<double>(objects) * static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
  SetLogTarget(nullptr);
}
BENCHMARK(LoadObjects)->Unit(benchmark::kMillisecond);

bench::TFrameTimes fileOverMemory;

// The text file read through an applet's folder manager, compiled, and its
// ".bin" stored beside it (written whole, synced and renamed in) against
// the text in memory compiled into a new memory stream: the same
// compilation on both sides, each output built from nothing.
struct TConversions {
  TConversions() : text(GeneratedText(nullptr)), in(std::span<const char>(text.data(), text.size())) {
    std::ofstream(dir / "big.object", std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
    man.reset(CreateResMan<TFolderResourceMan>(dir.Path()));
  }
  bool FileToFile() { return CreateBin(man.get(), "big.object"); }
  bool InMemory() {
    in.SetPosition(0);
    TMemoryStream out;
    return ObjectTextToBinary(in, out);
  }

  const std::string& text;
  test::TTempDir dir;
  TOwned<TFolderResourceMan> man;
  TMemoryStream in;
};

TConversions& Conversions() {
  static TConversions conversions;
  return conversions;
}

void FileToFile(benchmark::State& state) {
  for (auto _ : state)
    if (!Conversions().FileToFile()) state.SkipWithError("the .bin was not stored");
}
BENCHMARK(FileToFile)->Unit(benchmark::kMillisecond);

void InMemory(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Conversions().InMemory());
}
BENCHMARK(InMemory)->Unit(benchmark::kMillisecond);

// Rounds of one conversion each way, alternating which goes first: the
// medians of file / memory in wall time and in the thread's CPU time (what
// the file side adds beyond the CPU is waiting for the disk's flush).
void FileOverMemory(benchmark::State& state) {
  TConversions& c = Conversions();
  bench::FrameRounds(state, 1, [&c] { c.FileToFile(); }, [&c] { c.InMemory(); }, fileOverMemory);
}
BENCHMARK(FileOverMemory)->Unit(benchmark::kMillisecond)->Iterations(11);

}  // namespace
}  // namespace corvane

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  const corvane::bench::TFrameTimes& r = corvane::fileOverMemory;
  if (r.Wall > 0)
    std::printf("10 MB .object compiled file to file / in memory, medians of the rounds: wall %.2f, CPU %.2f\n", r.Wall,
                r.Cpu);
  return 0;
}
