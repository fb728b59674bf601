#!/usr/bin/env bash
# Start to first frame of the Windows build (x86-64) under wine64, against the minimal
# Win32 window built in the same tree, on a private Xvfb; the figures of
# bench/whole_process.py with the programs run through tools/wine-run.sh. The Wine
# server is kept running for the runs (wineserver -p), as it is in a desktop session
# where Wine programs have run before; the prefix is build/wineprefix.
#
# Usage: bench/run-wine.sh [RUNS]   (default 20 runs of each program, interleaved)
#   BUILD  build directory of the windows64 preset (default: build/windows64)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD:-$root/build/windows64}
runs=${1:-20}
if [ ! -f "$build/CMakeCache.txt" ]; then
  (cd "$root" && cmake --preset windows64 >/dev/null)
fi
cmake --build "$build" -j2 --target morvane minimal_win32_window >/dev/null
out=$build/bench-results
mkdir -p "$out"

export MORVANE_WINEPREFIX=${MORVANE_WINEPREFIX:-$root/build/wineprefix}
wineserver() { WINEPREFIX="$MORVANE_WINEPREFIX" /usr/lib/wine/wineserver "$@"; }
timeout 300 env -u DISPLAY "$root/tools/wine-run.sh" wineboot -i >/dev/null 2>&1
# A server of its own, with no desktop yet: the first program run on the benchmark's
# display starts the desktop there.
wineserver -k >/dev/null 2>&1 || true
wineserver -w
wineserver -p
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

{
  echo "machine: $(nproc) processors, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), \
$(. /etc/os-release && echo "$PRETTY_NAME"), $(/usr/lib/wine/wine64 --version)"
  echo "commit: $(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)"
} | tee "$out/wine-machine.txt"
python3 "$root/bench/whole_process.py" "$build/app/windows/morvane.exe" "$build/bench/minimal_win32_window.exe" \
  --launcher "$root/tools/wine-run.sh" --runs "$runs" --idle-seconds 0.2 --drag-seconds 0.2 --session-bus none \
  --json "$out/wine-startup.json" | tee "$out/wine-startup.txt" | grep -E 'start to first frame|settled|FAILED|load average'
