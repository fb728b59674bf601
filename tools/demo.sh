#!/usr/bin/env bash
# Sets up, builds and opens the demonstration window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target morvane
exec ./build/release/app/morvane
