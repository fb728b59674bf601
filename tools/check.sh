#!/usr/bin/env bash
# Sets up, builds and runs every test:
#   1. the release build's suite (unit tests, the real window under Xvfb, the tools),
#      and its .deb checked (tools/check-deb.sh, with lintian);
#   2. the whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the fuzz targets, each for a bounded time (FUZZ_SECONDS, default 60);
#   4. the browser build: its unit tests under node, the page in headless Chromium;
#   5. the Windows builds: the modules' structure and the zip, and each build's unit
#      tests and window under Wine (the 32-bit build under 32-bit Wine, skipped with the
#      reason where this machine cannot run 32-bit programs, the 64-bit one under wine64).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh web fuzz hygiene package windows pictures
for preset in release asan; do
  echo "== $preset: build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  echo "== $preset: test"
  ctest --preset "$preset"
done
echo "== release: package"
(cd build/release && rm -f morvane_*.deb && cpack >/dev/null)
bash tools/check-deb.sh build/release/morvane_*.deb
echo "== fuzz"
bash tools/check-fuzz.sh "${FUZZ_SECONDS:-60}"
echo "== web"
bash tools/check-web.sh
echo "== windows"
bash tools/check-windows.sh
