#!/usr/bin/env bash
# Pictures the sample with the engine's own makepng and puts the pictures
# in docs/screenshots/, which the README shows and the end-to-end test
# compares every play against: the test plays the recorded game headless
# and, asked so, keeps what its makepng wrote.
# Usage: scripts/update_screenshots.sh [build folder, build-asan by default]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-asan}"
cmake --build "$build" --target sample_tests
CORVANE_UPDATE_EXPECTED=1 "$build/bin/sample_tests" --gtest_filter='SamplePlayTest.ARecordedGame*' --gtest_brief=1
echo "docs/screenshots/ updated"
