#!/usr/bin/env bash
# Checks that every executable given carries the native hardening, from its ELF headers:
# a position-independent executable (type DYN), full RELRO (a GNU_RELRO segment and
# BIND_NOW in DT_FLAGS), the stack protector (__stack_chk_fail imported) and fortified
# libc calls (some __*_chk imported). Prints what is missing and exits 1 if anything is.
# Usage: check_hardening.sh READELF EXECUTABLE...
set -uo pipefail
readelf="$1"
shift
status=0
for exe in "$@"; do
  if [ ! -f "$exe" ]; then
    echo "$exe: no such file"
    status=1
    continue
  fi
  missing=()
  "$readelf" -hW "$exe" | grep -Eq '^ *Type: +DYN' || missing+=("ELF type DYN (position-independent executable)")
  "$readelf" -lW "$exe" | grep -Eq '^ *GNU_RELRO ' || missing+=("a GNU_RELRO segment")
  "$readelf" -dW "$exe" | grep -E '\(FLAGS\)' | grep -q 'BIND_NOW' || missing+=("BIND_NOW in DT_FLAGS")
  imports=$("$readelf" --dyn-syms -W "$exe" | awk '$7 == "UND" { sub(/@.*/, "", $8); print $8 }')
  grep -qx '__stack_chk_fail' <<<"$imports" || missing+=("__stack_chk_fail imported")
  grep -Eqx '__[a-z0-9_]+_chk' <<<"$imports" || missing+=("a fortified __*_chk function imported")
  if ((${#missing[@]} > 0)); then
    status=1
    for m in "${missing[@]}"; do echo "$exe: lacks $m"; done
  else
    echo "$exe: hardened ($(grep -Ex '__[a-z0-9_]+_chk' <<<"$imports" | grep -v '^__stack_chk_fail$' | tr '\n' ' '))"
  fi
done
exit "$status"
