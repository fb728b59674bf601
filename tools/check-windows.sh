#!/usr/bin/env bash
# Builds the two Windows presets and runs their tests: the structure of the 32-bit and
# the 64-bit modules (read with pefile), then the 64-bit build's unit tests and its
# window under wine64, in a Wine prefix of its own (build/wineprefix).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh windows
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
fi
for preset in windows windows64; do
  echo "== $preset: build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
echo "== windows: test"
ctest --preset windows
echo "== windows: package"
(cd build/windows && rm -f morvane-windows.zip && cpack >/dev/null)
/usr/bin/python3 - build/windows/morvane-windows.zip <<'PY'
import sys, zipfile
names = sorted(zipfile.ZipFile(sys.argv[1]).namelist())
want = ["morvane-windows/morvane.exe", "morvane-windows/morvane_runtime.dll"]
sys.exit(0 if names == want else "check-windows.sh: the zip holds %s" % names)
PY

export MORVANE_WINEPREFIX="$PWD/build/wineprefix"
wineserver() { WINEPREFIX="$MORVANE_WINEPREFIX" /usr/lib/wine/wineserver "$@"; }
# The prefix is made once (about 15 s the first time); a server kept running for the
# tests saves about two seconds on every program start.
echo "== windows64: Wine prefix"
timeout 300 tools/wine-run.sh wineboot -i >/dev/null 2>&1 || { echo "check-windows.sh: no Wine prefix" >&2; exit 1; }
wineserver -p || true  # (already running for this prefix: fine)
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
echo "== windows64: test"
ctest --preset windows64
