#!/usr/bin/env bash
# Runs a Windows program under Debian's 64-bit Wine in a private prefix, quietly and
# without the .NET and HTML installers: wine-run.sh PROGRAM.exe [ARGS...]
# The prefix is $MORVANE_WINEPREFIX (default: a folder under the system's temporary
# folder); it is made on first use.
set -euo pipefail
export WINEPREFIX="${MORVANE_WINEPREFIX:-${TMPDIR:-/tmp}/morvane-wine-$(id -u)}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
exec /usr/lib/wine/wine64 "$@"
