#!/usr/bin/env bash
# Builds the release configuration, runs the micro-benchmarks (with repetitions, in random
# interleaving) and the whole-process comparison with the minimal SDL2 window, and prints
# every figure against its target. Results go to $BUILD/bench-results/.
#
# Usage: bench/run.sh [--quick]
#   BUILD      build directory (default: build/perf in the source tree)
#   MAX_LOAD   wait before each measurement until the one-minute load average is below
#              this (default 1.5; the figures are noisy on a busy machine)
#   BEFORE     another morvane executable (an earlier build) measured in the same runs
#   --quick    fewer repetitions and runs, shorter idle and drag phases (a smoke test)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD:-$root/build/perf}
max_load=${MAX_LOAD:-1.5}
repetitions=20
runs=10
startup_runs=60
idle=10
drag=2
if [[ "${1:-}" == "--quick" ]]; then
  repetitions=3
  runs=2
  startup_runs=4
  idle=1
  drag=1
fi

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target micro_benchmarks morvane minimal_sdl_window >/dev/null
out=$build/bench-results
mkdir -p "$out"

wait_for_quiet() {
  local waited=0
  while awk -v limit="$max_load" '{ exit !($1 >= limit) }' /proc/loadavg && ((waited < 600)); do
    ((waited == 0)) && echo "waiting for the load average to fall below $max_load ($(cut -d' ' -f1 /proc/loadavg))"
    sleep 10
    waited=$((waited + 10))
  done
}

{
  echo "machine: $(nproc) processors, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), \
$(awk '/MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo) memory, \
$(. /etc/os-release && echo "$PRETTY_NAME"), kernel $(uname -r)"
  echo "commit: $(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)"
} | tee "$out/machine.txt"

wait_for_quiet
echo "micro-benchmarks: $repetitions repetitions, random interleaving"
"$build/bench/micro_benchmarks" --benchmark_repetitions="$repetitions" --benchmark_enable_random_interleaving=true \
  --benchmark_min_time=0.2 --benchmark_out="$out/micro.json" --benchmark_out_format=json \
  --benchmark_display_aggregates_only=true >"$out/micro.txt" 2>&1
grep -E '_median' "$out/micro.txt" || true

also=()
[[ -n "${BEFORE:-}" ]] && also=(--also "before=$BEFORE")

# Start-up varies by several milliseconds from run to run: a pass of its own, with many
# short runs, gives the first-frame and memory figures; a second pass does the same
# with one process spinning on one of the two processors (a loaded machine).
wait_for_quiet
echo "start-up: $startup_runs short runs of each program, interleaved"
python3 "$root/bench/whole_process.py" "$build/app/morvane" "$build/bench/minimal_sdl_window" "${also[@]}" \
  --runs "$startup_runs" --idle-seconds 0.2 --drag-seconds 0.2 --max-load "$max_load" --json "$out/startup.json" \
  >"$out/startup.txt"
grep -E 'start to|resident memory at the end|load average' "$out/startup.txt"

wait_for_quiet
echo "start-up, loaded: the same with one spinning process"
python3 "$root/bench/whole_process.py" "$build/app/morvane" "$build/bench/minimal_sdl_window" "${also[@]}" \
  --runs "$startup_runs" --idle-seconds 0.2 --drag-seconds 0.2 --spin 1 --json "$out/startup-loaded.json" \
  >"$out/startup-loaded.txt"
grep -E 'start to|load average' "$out/startup-loaded.txt"

wait_for_quiet
echo "whole process: $runs runs of each program, interleaved"
python3 "$root/bench/whole_process.py" "$build/app/morvane" "$build/bench/minimal_sdl_window" "${also[@]}" \
  --runs "$runs" --idle-seconds "$idle" --drag-seconds "$drag" --max-load "$max_load" --json "$out/whole.json" \
  | tee "$out/whole.txt"

echo
python3 "$root/bench/ratios.py" "$out/micro.json" "$out/whole.json" "$out/startup.json" | tee "$out/ratios.txt"
echo
echo "loaded start-up pass:"
python3 "$root/bench/ratios.py" "$out/micro.json" "$out/whole.json" "$out/startup-loaded.json" \
  | grep -E 'start to|same runs|first frame' | tee "$out/ratios-loaded.txt"
