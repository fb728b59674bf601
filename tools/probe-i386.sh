#!/usr/bin/env bash
# Says whether this machine runs 32-bit x86 programs: assembles a static i386 program
# that only exits with 42 (binutils' as --32 and ld -m elf_i386, no i386 library needed)
# and runs it. Exit 0 when it ran; otherwise exit 1 with the reason on stdout.
# probe-i386.sh --wine also wants the 32-bit Wine loader, /usr/lib/wine/wine: a machine
# that runs 32-bit programs may still lack it where the i386 archive could not be had.
# MORVANE_I386_PROBE=fail makes the probe fail, to try the path of a machine without it.
set -uo pipefail
if [ "${MORVANE_I386_PROBE:-}" = fail ]; then
  echo "the probe was made to fail, by MORVANE_I386_PROBE=fail"
  exit 1
fi
for tool in as ld; do
  command -v "$tool" >/dev/null || { echo "no '$tool' to build the probe with (binutils)"; exit 1; }
done
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf '.globl _start\n_start:\n movl $1, %%eax\n movl $42, %%ebx\n int $0x80\n' >"$dir/probe.s"
if ! out=$(as --32 -o "$dir/probe.o" "$dir/probe.s" 2>&1 && ld -m elf_i386 -o "$dir/probe" "$dir/probe.o" 2>&1); then
  echo "the probe could not be built: ${out//$'\n'/ }"
  exit 1
fi
out=$("$dir/probe" 2>&1)
rc=$?
if [ "$rc" -ne 42 ]; then
  # 126 with "Exec format error": a kernel without IA-32 emulation.
  echo "the kernel does not run 32-bit programs (a static i386 program gave exit code $rc${out:+: ${out//$'\n'/ }})"
  exit 1
fi
if [ "${1:-}" = --wine ] && [ ! -x /usr/lib/wine/wine ]; then
  echo "32-bit Wine (/usr/lib/wine/wine, package wine32:i386) is not installed"
  exit 1
fi
exit 0
