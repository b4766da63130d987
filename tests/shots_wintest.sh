#!/usr/bin/env bash
# "--shots": the island drives itself through every scene by clicks and writes
# one PNG a scene, the glyph sheet and report.txt. Fails on any failed check,
# any region a click could not find, a missing or wrongly sized picture.
# Run by CTest under the Wine prefix and Xvfb display that tools/test prepared.
set -u
exe="$1"
fail=0
check() { if eval "$2"; then echo "ok   $1"; else echo "FAIL $1"; fail=1; fi; }

out="$(dirname "$exe")/shots"
rm -rf "$out"
mkdir -p "$out"
data_unix="$(mktemp -d)"
export VEMO_ISLAND_DATA="$(winepath -w "$data_unix" 2>/dev/null)"
timeout 1750 wine "$exe" --shots "$(winepath -w "$out" 2>/dev/null)" >/dev/null 2>&1
rc=$?
check "--shots exits 0 (got $rc)" '[ "$rc" -eq 0 ]'

report="$out/report.txt"
check "report.txt is written" '[ -s "$report" ]'
last="$(tail -n 1 "$report" 2>/dev/null | tr -d '\r')"
check "the report ends with no failure (got '$last')" '[ "$last" = "RESULT: 0 failure(s)" ]'
check "no line of the report says FAILED" '! grep -q "FAILED" "$report"'
check "every click found its region (no !! line)" '! grep -q "!!" "$report"'
grep -E "FAIL|!!" "$report" 2>/dev/null | sed 's/^/     /'

size() { identify -format "%wx%h" "$1" 2>/dev/null; }
scenes="$(sed -n 's/^shot \([^:]*\): .*/\1/p' "$report" 2>/dev/null)"
count="$(printf '%s\n' "$scenes" | grep -c .)"
check "every scene 01-49 with its variants and the notice loop is shot ($count)" '[ "$count" -eq 51 ]'
for s in $scenes; do
  got="$(size "$out/$s.png")"
  [ "$got" = "800x370" ] || { echo "FAIL $s.png is $got, not 800x370"; fail=1; }
done
got="$(size "$out/99-glyphs.png")"
check "99-glyphs.png is 800x420 (got $got)" '[ "$got" = "800x420" ]'

wineserver -w
rm -rf "$data_unix"
[ $fail -eq 0 ] && echo "shots: all checks passed"
exit $fail
