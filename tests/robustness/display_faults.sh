#!/usr/bin/env bash
# The desktop program against faults of its surroundings, on X11:
#  - no display at all (DISPLAY unset or empty), and a DISPLAY that names no server (with
#    SDL told to use X11, and left to choose): it says so in one line on standard error,
#    naming the display that cannot be reached, and exits with a non-zero code at once;
#  - the display going away while the window is open (its Xvfb killed): it ends within
#    two seconds with its own message and exit code 1, neither hanging nor dying of a signal.
# Usage: display_faults.sh MORVANE_EXECUTABLE   (exit code 77: no Xvfb, skipped)
set -uo pipefail
exe="$1"
command -v Xvfb >/dev/null || { echo "Xvfb not installed: skipped"; exit 77; }
command -v xwininfo >/dev/null || { echo "xwininfo not installed: skipped"; exit 77; }

tmp=$(mktemp -d)
xvfb_pid=""
program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill -9 "$program_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill -9 "$xvfb_pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
status=0
fail() {
  echo "FAIL: $*"
  status=1
}
export SDL_VIDEODRIVER=x11
unset WAYLAND_DISPLAY

# Waits up to $2 tenths of a second for process $1 to end; sets `code` to its exit code.
wait_for_exit() {
  local pid=$1 tenths=$2
  for ((i = 0; i < tenths; i++)); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      code=$?
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Runs the program with the given environment changes and expects the refusal that
# begins with the given words.
expect_refusal() {
  local what="$1" words="$2"
  shift 2
  env "$@" "$exe" >"$tmp/out" 2>"$tmp/err" &
  program_pid=$!
  if ! wait_for_exit "$program_pid" 100; then
    fail "$what: still running after 10 s"
    kill -9 "$program_pid"
  elif ((code == 0 || code >= 128)); then
    fail "$what: exit code $code"
  elif [[ "$(head -1 "$tmp/err")" != "morvane: cannot start: $words"* ]]; then
    fail "$what: standard error was: $(cat "$tmp/err")"
  else
    echo "ok: $what: exit code $code, \"$(head -1 "$tmp/err")\""
  fi
  program_pid=""
}

no_display="no display to open the window on"
expect_refusal "DISPLAY unset" "$no_display" -u DISPLAY
expect_refusal "DISPLAY empty" "$no_display" DISPLAY=
# A display number with neither a socket nor a lock file.
n=150
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
unreachable="the display :$n named by DISPLAY cannot be reached"
expect_refusal "DISPLAY=:$n, where no server runs" "$unreachable" DISPLAY=":$n"
expect_refusal "DISPLAY=:$n, SDL choosing the driver" "$unreachable" -u SDL_VIDEODRIVER DISPLAY=":$n"

# A private X server; -displayfd says which display it took.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.err" &
xvfb_pid=$!
for ((i = 0; i < 100; i++)); do
  [ -s "$tmp/display" ] && break
  sleep 0.1
done
display=":$(head -1 "$tmp/display" 2>/dev/null)"
if [ "$display" = ":" ]; then
  echo "Xvfb did not start: $(cat "$tmp/xvfb.err")"
  exit 77
fi

DISPLAY="$display" "$exe" >"$tmp/out" 2>"$tmp/err" &
program_pid=$!
shown=0
for ((i = 0; i < 150; i++)); do
  if DISPLAY="$display" xwininfo -root -tree 2>/dev/null | grep -q '"What Do Enzymes Do?"'; then
    shown=1
    break
  fi
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.1
done
if ((shown == 0)); then
  fail "the window did not appear on $display; standard error: $(cat "$tmp/err")"
  exit "$status"
fi
sleep 0.5  # let it settle into waiting for events

kill -9 "$xvfb_pid"
wait "$xvfb_pid" 2>/dev/null
xvfb_pid=""
if ! wait_for_exit "$program_pid" 20; then
  fail "still running 2 s after its display went away"
elif ((code != 1)); then
  fail "display lost: exit code $code (standard error: $(cat "$tmp/err"))"
elif ! grep -q "^morvane: lost the connection to the display $display" "$tmp/err"; then
  fail "display lost: standard error was: $(cat "$tmp/err")"
else
  echo "ok: display lost: exit code 1, \"$(grep '^morvane: lost' "$tmp/err")\""
fi
program_pid=""
exit "$status"
