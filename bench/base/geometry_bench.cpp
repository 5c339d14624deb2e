// The per-frame vector and matrix work: transforming a million points and
// multiplying a million matrices.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "base/geometry/matrix.h"
#include "base/geometry/vector_math.h"

namespace corvane {
namespace {

constexpr std::size_t kCount = 1'000'000;

float Uniform(std::mt19937& rng) { return static_cast<float>(rng() / 4294967295.0 * 2.0 - 1.0); }

TSpaceMatrix RandomMatrix(std::mt19937& rng) {
  TSpaceMatrix m;
  for (TSpaceVector& row : m) row = {Uniform(rng), Uniform(rng), Uniform(rng), Uniform(rng)};
  return m;
}

void TransformPoints(benchmark::State& state) {
  std::mt19937 rng(1);
  std::vector<TSpaceVector> points(kCount), out(kCount);
  for (TSpaceVector& p : points) p = {Uniform(rng), Uniform(rng), Uniform(rng), 1};
  const TSpaceMatrix m = RandomMatrix(rng);
  for (auto _ : state) {
    for (std::size_t i = 0; i < kCount; ++i) out[i] = SpaceVectorTransform(points[i], m);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kCount));
}
BENCHMARK(TransformPoints)->Unit(benchmark::kMillisecond);

void MultiplyMatrices(benchmark::State& state) {
  std::mt19937 rng(2);
  std::vector<TSpaceMatrix> a(kCount), out(kCount);
  for (TSpaceMatrix& m : a) m = RandomMatrix(rng);
  const TSpaceMatrix b = RandomMatrix(rng);
  for (auto _ : state) {
    for (std::size_t i = 0; i < kCount; ++i) out[i] = SpaceMatrixMultiply(a[i], b);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kCount));
}
BENCHMARK(MultiplyMatrices)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane
