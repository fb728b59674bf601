#!/usr/bin/env bash
# Runs a Windows program under Debian's 64-bit Wine in a private prefix, quietly and
# without the .NET and HTML installers: wine-run.sh PROGRAM.exe [ARGS...]
# The prefix is $MORVANE_WINEPREFIX (default: build/wineprefix in the source tree);
# it is made on first use.
set -euo pipefail
export WINEPREFIX="${MORVANE_WINEPREFIX:-$(cd "$(dirname "$0")/.." && pwd)/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
exec /usr/lib/wine/wine64 "$@"
