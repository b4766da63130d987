#!/usr/bin/env bash
# "--wake-test" under Wine, which has no speech synthesis: the report stops
# after training with the Turkish reason, and two runs write the same report.
# Run by CTest under the Wine prefix and Xvfb display that tools/test prepared.
set -u
exe="$(realpath "$1")"
fail=0
check() { if eval "$2"; then echo "ok   $1"; else echo "FAIL $1"; fail=1; fi; }

data_unix="$(mktemp -d)"
export VEMO_ISLAND_DATA="$(winepath -w "$data_unix" 2>/dev/null)"
expected="$(printf 'train lens: [0, 0, 0]\nbuild failed: kayıtlar çok kısa')"

for run in 1 2; do
  out="$data_unix/out$run"
  wine "$exe" --wake-test "$(winepath -w "$out")" >/dev/null 2>&1
  rc=$?
  check "run $run exits 0 (got $rc)" '[ "$rc" -eq 0 ]'
  check "run $run writes the report" '[ -f "$out" ]'
done
report="$(cat "$data_unix/out1" 2>/dev/null)"
echo "$report" | sed 's/^/    /'
check "the report is the failed training" '[ "$report" = "$expected" ]'
check "no RESULT line" '! grep -q "RESULT" "$data_unix/out1"'
check "two runs give identical reports" 'cmp -s "$data_unix/out1" "$data_unix/out2"'
check "no window, no log" '[ ! -e "$data_unix/log.txt" ]'

# Without a path the report goes to wake-test.txt in the working folder.
(cd "$data_unix" && wine "$exe" --wake-test >/dev/null 2>&1)
check "default report name wake-test.txt" 'cmp -s "$data_unix/wake-test.txt" "$data_unix/out1"'

wineserver -w
rm -rf "$data_unix"
[ $fail -eq 0 ] && echo "wake: all checks passed"
exit $fail
