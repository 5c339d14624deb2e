#!/usr/bin/env bash
# Builds the engine with AddressSanitizer and UBSan and runs the whole test
# suite, runs the drawing tests again in a clang build of the same
# sanitizers, then builds the fuzz targets with clang and runs each briefly.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh >/dev/null

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON -DCORVANE_BENCHMARKS=OFF
cmake --build build-asan
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j"$(nproc)"

# GCC's pointer check does not see an offset added to a null pointer, which
# clang's reports: the drawing tests run again in a clang build with the
# same sanitizers, so that such an offset in the OpenGL code stops them.
CC=clang CXX=clang++ cmake -S . -B build-clang -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON \
  -DCORVANE_BENCHMARKS=OFF
cmake --build build-clang --target platform_sdl_tests
ctest --test-dir build-clang -R '^platform_sdl_tests$' --output-on-failure

if [ -d fuzz ]; then
  CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_FUZZ=ON \
    -DCORVANE_TESTS=OFF -DCORVANE_BENCHMARKS=OFF
  cmake --build build-fuzz
  for target in build-fuzz/bin/fuzz_*; do
    [ -x "$target" ] || continue
    corpus="fuzz/corpus/$(basename "$target" | sed 's/^fuzz_//')"
    mkdir -p /tmp/corvane-fuzz-$$
    "$target" -max_total_time=30 -rss_limit_mb=2048 /tmp/corvane-fuzz-$$ ${corpus:+$( [ -d "$corpus" ] && echo "$corpus")}
    rm -rf /tmp/corvane-fuzz-$$
  done
fi
