#!/usr/bin/env bash
# Pictures the sample with the engine's own makepng and puts the picture in
# docs/screenshot.png, the README's screenshot: the end-to-end test plays
# the recorded game headless and, asked so, keeps its picture of frame 120.
# Usage: scripts/update_screenshot.sh [build folder, build-asan by default]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-asan}"
cmake --build "$build" --target sample_tests
CORVANE_UPDATE_EXPECTED=1 "$build/bin/sample_tests" --gtest_filter='SamplePlayTest.ARecordedGame*' --gtest_brief=1
echo "docs/screenshot.png updated"
