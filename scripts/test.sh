#!/usr/bin/env bash
# Builds the engine with AddressSanitizer and UBSan and runs the whole test
# suite, then builds the fuzz targets with clang and runs each briefly, and
# the drawing tests again in that clang build of the sanitizers. The paths
# that must stay linear are checked on the Release build that setup makes
# (build/, with its benchmarks): their instruction counts at two sizes ten
# times apart, under callgrind.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh >/dev/null
bench/instructions_bench.py --build build --jobs "$(nproc)"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON -DCORVANE_BENCHMARKS=OFF
cmake --build build-asan
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j"$(nproc)"

if [ -d fuzz ]; then
  CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_FUZZ=ON \
    -DCORVANE_TESTS=ON -DCORVANE_BENCHMARKS=OFF
  cmake --build build-fuzz --target fuzz_targets platform_sdl_tests
  # GCC's pointer check does not see an offset added to a null pointer,
  # which clang's reports: the drawing tests run again in this clang build
  # of the same sanitizers, so that such an offset in the OpenGL code stops
  # them.
  ctest --test-dir build-fuzz -R '^platform_sdl_tests$' --output-on-failure
  # Each target fuzzes for 30 s; half the cores run targets side by side,
  # each with its own scratch corpus and log, shown when it fails.
  fuzz_one() {
    local target=$1 corpus scratch
    corpus="fuzz/corpus/$(basename "$target" | sed 's/^fuzz_//')"
    scratch=$(mktemp -d /tmp/corvane-fuzz-XXXXXX)
    [ -d "$corpus" ] || corpus=
    if "$target" -max_total_time=30 -rss_limit_mb=2048 "$scratch" ${corpus:+"$corpus"} >"$scratch.log" 2>&1; then
      rm -rf "$scratch" "$scratch.log"
    else
      echo "$(basename "$target") failed:"; cat "$scratch.log"; rm -rf "$scratch" "$scratch.log"
      touch "$failures/$(basename "$target")"
    fi
  }
  failures=$(mktemp -d /tmp/corvane-fuzz-failures-XXXXXX)
  slots=$(( $(nproc) / 2 > 0 ? $(nproc) / 2 : 1 ))
  for target in build-fuzz/bin/fuzz_*; do
    [ -x "$target" ] || continue
    while [ "$(jobs -rp | wc -l)" -ge "$slots" ]; do wait -n || true; done
    fuzz_one "$target" &
  done
  wait
  failed=$(ls "$failures")
  rm -rf "$failures"
  [ -z "$failed" ]
fi
