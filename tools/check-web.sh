#!/usr/bin/env bash
# The browser version's checks: installs what they need, builds the web preset,
# runs the unit tests under node, then drives the demonstration in headless
# Chromium with mouse, touch and keyboard (web/tests/*.test.mjs).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh web
(cd web && npm ci --no-audit --no-fund)
echo "== web: build"
cmake --preset web >/dev/null
cmake --build --preset web
echo "== web: unit tests under node"
ctest --preset web
echo "== web: the demonstration in Chromium"
(cd web && node --test tests/)
