#!/usr/bin/env bash
# The 32-bit build's Wine tests on a machine that cannot run 32-bit programs, made by
# failing the probe (MORVANE_I386_PROBE=fail): ctest must report the window test, a unit
# test program and the headless demonstration skipped, each with the probe's reason.
# Usage: without_i386_test.sh BUILD_DIR
set -uo pipefail
build="${1:?usage: without_i386_test.sh BUILD_DIR}"
tests=(wine_window runtime_tests headless_demo_script)
pattern="^($(IFS='|'; echo "${tests[*]}"))\$"
out=$(MORVANE_I386_PROBE=fail ctest --test-dir "$build" -R "$pattern" -V 2>&1)
status=0
for test in "${tests[@]}"; do
  if ! grep -Eq "^ *[0-9]+/[0-9]+ Test +#[0-9]+: $test \.+\*+Skipped" <<<"$out"; then
    echo "FAILED: $test was not reported skipped"
    status=1
  fi
done
reason="skipped: this machine cannot run 32-bit programs: the probe was made to fail, by MORVANE_I386_PROBE=fail"
count=$(grep -c "$reason" <<<"$out")
if [ "$count" -ne "${#tests[@]}" ]; then
  echo "FAILED: the reason was given $count times, not once for each test"
  status=1
fi
if [ "$status" -ne 0 ]; then
  echo "$out"
  exit 1
fi
echo "without 32-bit support: the three tests reported skipped, with the reason"
