#!/usr/bin/env bash
# Builds the fuzz preset (clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer)
# and runs every fuzz target for SECONDS each (default 60), starting from its committed
# seeds in fuzz/corpus/. Fails on any crash, leak, timeout or broken invariant; the input
# that did it is written to build/fuzz/artifacts/.
# Usage: tools/check-fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || ((seconds < 1)); then
  echo "usage: $0 [SECONDS]" >&2
  exit 2
fi

bash tools/setup.sh fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

build=build/fuzz
mkdir -p "$build/artifacts"
# target and the largest input it is given
targets=(form_stream:4096 bitmap:4096 project_image:16384 input_sequence:2048)
failed=()
for entry in "${targets[@]}"; do
  target="${entry%%:*}"
  max_len="${entry##*:}"
  work="$build/corpus/$target"  # what the fuzzer finds; the committed seeds stay as they are
  mkdir -p "$work"
  log="$build/artifacts/$target.log"
  echo "== fuzz_$target: $seconds s"
  if "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    echo "   ok: $execs inputs, $rate per second"
  else
    echo "   FAILED (log: $log)"
    grep -E '^(==[0-9]+==ERROR|SUMMARY|after event|a stream|laying out|decoded|pixel)' "$log" | head -5 | sed 's/^/   /' || true
    failed+=("$target")
  fi
done
if ((${#failed[@]} > 0)); then
  echo "check-fuzz: failed: ${failed[*]}" >&2
  exit 1
fi
echo "check-fuzz: all targets ran $seconds s without a finding"
