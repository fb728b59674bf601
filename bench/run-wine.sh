#!/usr/bin/env bash
# Start to first frame of a Windows build under Wine, against the minimal Win32 window
# built in the same tree, on a private Xvfb; the figures of bench/whole_process.py with
# the programs run through tools/wine-run.sh: the 32-bit build (preset windows) under
# the 32-bit loader in a win32 prefix (build/wineprefix32), the 64-bit build (preset
# windows64) under wine64 (build/wineprefix). The Wine server is kept running for the
# runs (wineserver -p), as it is in a desktop session where Wine programs have run before.
#
# Usage: bench/run-wine.sh [RUNS] [PRESET]   (default 20 runs of each program,
#        interleaved; PRESET windows64 (default) or windows)
#   BUILD  build directory of the preset (default: build/PRESET)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${1:-20}
preset=${2:-windows64}
build=${BUILD:-$root/build/$preset}
case "$preset" in
  windows)
    arch=win32 loader=/usr/lib/wine/wine
    export MORVANE_WINEPREFIX32=${MORVANE_WINEPREFIX32:-$root/build/wineprefix32}
    prefix=$MORVANE_WINEPREFIX32
    if ! reason=$(bash "$root/tools/probe-i386.sh" --wine); then
      echo "run-wine.sh: this machine cannot run 32-bit programs ($reason)" >&2
      exit 1
    fi
    ;;
  windows64)
    arch=win64 loader=/usr/lib/wine/wine64
    export MORVANE_WINEPREFIX=${MORVANE_WINEPREFIX:-$root/build/wineprefix}
    prefix=$MORVANE_WINEPREFIX
    ;;
  *) echo "run-wine.sh: PRESET is windows or windows64, not '$preset'" >&2; exit 2 ;;
esac
if [ ! -f "$build/CMakeCache.txt" ]; then
  (cd "$root" && cmake --preset "$preset" >/dev/null)
fi
cmake --build "$build" -j2 --target morvane minimal_win32_window >/dev/null
out=$build/bench-results
mkdir -p "$out"

wineserver() { WINEPREFIX="$prefix" /usr/lib/wine/wineserver "$@"; }
MORVANE_WINEARCH=$arch timeout 300 env -u DISPLAY "$root/tools/wine-run.sh" wineboot -i >/dev/null 2>&1
# A server of its own, with no desktop yet: the first program run on the benchmark's
# display starts the desktop there.
wineserver -k >/dev/null 2>&1 || true
wineserver -w
wineserver -p
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

{
  echo "machine: $(nproc) processors, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), \
$(. /etc/os-release && echo "$PRETTY_NAME"), $("$loader" --version) ($loader)"
  echo "commit: $(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)"
} | tee "$out/wine-machine.txt"
python3 "$root/bench/whole_process.py" "$build/app/windows/morvane.exe" "$build/bench/minimal_win32_window.exe" \
  --launcher "$root/tools/wine-run.sh" --runs "$runs" --idle-seconds 0.2 --drag-seconds 0.2 --session-bus none \
  --json "$out/wine-startup.json" | tee "$out/wine-startup.txt" | grep -E 'start to first frame|settled|FAILED|load average'
