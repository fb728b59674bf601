#!/usr/bin/env bash
# Runs a Windows program under Debian's Wine in a private prefix, quietly and without
# the .NET and HTML installers: wine-run.sh PROGRAM.exe [ARGS...]
# A 32-bit (i386) program runs under the 32-bit loader, /usr/lib/wine/wine, in a win32
# prefix, $MORVANE_WINEPREFIX32 (default build/wineprefix32 in the source tree); any
# other under /usr/lib/wine/wine64 in $MORVANE_WINEPREFIX (default build/wineprefix).
# Wine's own programs (wineboot, regedit) run 64-bit unless MORVANE_WINEARCH=win32.
# Where this machine cannot run 32-bit programs, a 32-bit run prints why and ends with
# exit code 77 (a skipped test for ctest).
set -euo pipefail
tree="$(cd "$(dirname "$0")/.." && pwd)"
program="${1:?usage: wine-run.sh PROGRAM.exe [ARGS...]}"

# The machine field of a PE file's header: 14c for i386, 8664 for x86-64.
pe_machine() {
  local at
  at=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 0
  [ -n "$at" ] && od -An -tx2 -j$((at + 4)) -N2 "$1" 2>/dev/null | tr -d ' '
}
arch="${MORVANE_WINEARCH:-}"
if [ -z "$arch" ]; then
  arch=win64
  if [ -f "$program" ] && [ "$(pe_machine "$program")" = 014c ]; then arch=win32; fi
fi

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ "$arch" = win32 ]; then
  if ! reason=$(bash "$tree/tools/probe-i386.sh" --wine); then
    echo "skipped: this machine cannot run 32-bit programs: $reason"
    exit 77
  fi
  export WINEARCH=win32
  export WINEPREFIX="${MORVANE_WINEPREFIX32:-$tree/build/wineprefix32}"
  exec /usr/lib/wine/wine "$@"
fi
export WINEPREFIX="${MORVANE_WINEPREFIX:-$tree/build/wineprefix}"
exec /usr/lib/wine/wine64 "$@"
