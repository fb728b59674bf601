#!/usr/bin/env bash
# Builds the two Windows presets and runs their tests: the structure of the 32-bit and
# the 64-bit modules (read with pefile), the zip, then each build's unit tests and its
# window under Wine, each in a Wine prefix of its own: the 32-bit build under the 32-bit
# loader in a win32 prefix (build/wineprefix32), the 64-bit one under wine64
# (build/wineprefix). Where this machine cannot run 32-bit programs, it says so and
# ctest reports the 32-bit build's Wine tests skipped, with the reason.
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
echo "== windows: package"
(cd build/windows && rm -f morvane-windows.zip && cpack >/dev/null)
/usr/bin/python3 - build/windows/morvane-windows.zip <<'PY'
import sys, zipfile
archive = zipfile.ZipFile(sys.argv[1])
names = sorted(archive.namelist())
want = ["morvane-windows/README.txt", "morvane-windows/morvane.exe", "morvane-windows/morvane_runtime.dll"]
if names != want:
    sys.exit("check-windows.sh: the zip holds %s" % names)
note = archive.read("morvane-windows/README.txt")
if b"\n" in note.replace(b"\r\n", b""):
    sys.exit("check-windows.sh: README.txt has lines that do not end in CR LF")
for words in (b"What Do Enzymes Do?", b"morvane.exe", b"morvane_runtime.dll", b"stay together", b"double-click"):
    if words not in note:
        sys.exit("check-windows.sh: README.txt does not say %r" % words.decode())
# The modules go into the zip as they were built, byte for byte.
for name in ("morvane.exe", "morvane_runtime.dll"):
    with open("build/windows/app/windows/" + name, "rb") as built:
        if archive.read("morvane-windows/" + name) != built.read():
            sys.exit("check-windows.sh: the zip's %s is not the one built" % name)
PY

export MORVANE_WINEPREFIX="$PWD/build/wineprefix" MORVANE_WINEPREFIX32="$PWD/build/wineprefix32"
servers=()
trap 'for p in "${servers[@]}"; do WINEPREFIX="$p" /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true; done' EXIT
# Each prefix is made once (about 15 s the first time); a server kept running for the
# tests saves about two seconds on every program start.
prepare_prefix() {
  local preset=$1 arch=$2 prefix=$3
  echo "== $preset: Wine prefix ($arch)"
  local out
  if ! out=$(MORVANE_WINEARCH=$arch timeout 300 tools/wine-run.sh wineboot -i 2>&1); then
    echo "check-windows.sh: no $arch Wine prefix; wineboot printed:" >&2
    tail -n 20 <<<"$out" >&2
    exit 1
  fi
  # The server kept running keeps Wine's system processes (services, device drivers)
  # alive as well, and each keeps the standard error it was started with. They are
  # started here, once the prefix's first server has ended, by a wineboot whose output
  # goes nowhere: started by a test, they would hold its output pipe open and ctest
  # would wait for its end until the test timed out.
  WINEPREFIX="$prefix" /usr/lib/wine/wineserver -w || true
  WINEPREFIX="$prefix" /usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1 || true
  servers+=("$prefix")
  MORVANE_WINEARCH=$arch timeout 300 tools/wine-run.sh wineboot </dev/null >/dev/null 2>&1 || true
}
if reason=$(bash tools/probe-i386.sh --wine); then
  prepare_prefix windows win32 "$MORVANE_WINEPREFIX32"
  echo "== windows: test (32-bit build under /usr/lib/wine/wine)"
else
  echo "== windows: test; this machine cannot run 32-bit programs ($reason): its Wine tests are skipped"
fi
ctest --preset windows
prepare_prefix windows64 win64 "$MORVANE_WINEPREFIX"
echo "== windows64: test (64-bit build under /usr/lib/wine/wine64)"
ctest --preset windows64
