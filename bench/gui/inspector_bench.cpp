// The object inspector's rows and editor: RebuildList over an object whose
// published properties (about 200) sit in nested sub-objects, read as the
// cost per row; and wheeling a 500-row inspector one notch a frame, each
// notch building the current row's editor again, read as the cost per
// notch. The inspector runs in the test kit's applet without a device.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "base/lists/wide_string_list.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/persistent.h"
#include "engine/core/base_object.h"
#include "gui/inspector.h"
#include "gui/register.h"
#include "tests/support/kit/test_applet.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

// How many levels of sub-objects the next root shows.
int gLevels = 1;

#define CORVANE_BENCH_FIELDS(X) \
  X(f0) X(f1) X(f2) X(f3) X(f4) X(f5) X(f6) X(f7) X(f8) X(f9) X(f10) X(f11) X(f12) X(f13) X(f14) X(f15) \
  X(f16) X(f17) X(f18) X(f19) X(f20) X(f21) X(f22) X(f23) X(f24) X(f25) X(f26) X(f27) X(f28) X(f29)

// Thirty numbers and the next level, made when first read.
class TLevel : public TPersistent {
  CORVANE_CLASS(TLevel, TPersistent)
  static void Describe(TClassBuilder<TLevel>& c) {
#define CORVANE_BENCH_PROPERTY(name) c.Property(#name, &TLevel::name);
    CORVANE_BENCH_FIELDS(CORVANE_BENCH_PROPERTY)
#undef CORVANE_BENCH_PROPERTY
    c.Property("next", &TLevel::Next);
  }
  explicit TLevel(const TCreateContext& context, int depth = 1) : TPersistent(context), depth_(depth) {}
  TLevel* Next() const {
    if (!next_ && depth_ < gLevels) next_.reset(new TLevel(TCreateContext(), depth_ + 1));
    return next_.get();
  }
#define CORVANE_BENCH_FIELD(name) float name = 1.5f;
  CORVANE_BENCH_FIELDS(CORVANE_BENCH_FIELD)
#undef CORVANE_BENCH_FIELD

 private:
  int depth_;
  mutable TOwned<TLevel> next_;
};
CORVANE_IMPLEMENT_CLASS(TLevel)

class TDeepObject : public BaseObject {
  CORVANE_CLASS(TDeepObject, BaseObject)
  static void Describe(TClassBuilder<TDeepObject>& c) { c.Property("levels", &TDeepObject::Levels); }
  explicit TDeepObject(const TCreateContext& context) : BaseObject(context), levels_(Create<TLevel>()) {}
  TLevel* Levels() const { return levels_.get(); }

 private:
  TOwned<TLevel> levels_;
};
CORVANE_IMPLEMENT_CLASS(TDeepObject)

struct TBench {
  explicit TBench(int levels) {
    RegisterGuiClasses();
    gLevels = levels;
    root = Create<TDeepObject>(TCreateContext(world.applet));
    inspector = Create<Inspector>(TCreateContext(world.applet));
    inspector->SetHeight(570);
    inspector->SetRowCount(40);
    inspector->SetRoot(root);
  }
  test::TTestWorld world;
  TDeepObject* root = nullptr;
  Inspector* inspector = nullptr;
};

void BM_RebuildList(benchmark::State& state) {
  // Seven levels of 31 rows: about 220 rows, most of them numbers.
  TBench b(7);
  const std::int64_t rows = b.inspector->Items()->GetCount();
  for (auto _ : state) b.inspector->RebuildList();
  state.SetItemsProcessed(state.iterations() * rows);
  state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_RebuildList)->Unit(benchmark::kMicrosecond);

void BM_WheelNotch(benchmark::State& state) {
  // As deep as the inspector walks (16 levels): about 475 rows; a number
  // row is current.
  TBench b(16);
  b.inspector->SetItemIndex(1);
  const std::int64_t rows = b.inspector->Items()->GetCount();
  float direction = -1;
  for (auto _ : state) {
    b.inspector->MouseWheel({}, direction);
    const std::int32_t top = b.inspector->TopIndex();
    if (top == 0 || top + b.inspector->RowCount() >= rows) direction = -direction;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_WheelNotch)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvane
