#!/usr/bin/env bash
# Sets up, builds and runs every test:
#   1. the release build's suite (unit tests, the real window under Xvfb, the tools);
#   2. the whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the fuzz targets, each for a bounded time (FUZZ_SECONDS, default 60);
#   4. the browser build: its unit tests under node, the page in headless Chromium.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh web fuzz hygiene
for preset in release asan; do
  echo "== $preset: build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  echo "== $preset: test"
  ctest --preset "$preset"
done
echo "== fuzz"
bash tools/check-fuzz.sh "${FUZZ_SECONDS:-60}"
echo "== web"
bash tools/check-web.sh
