#!/usr/bin/env bash
# "--shots": the island drives itself through every scene by clicks and writes
# one PNG a scene, the glyph sheet and report.txt. Fails on any failed check,
# any region a click could not find, a missing or wrongly sized picture, and
# on any scene or check missing from, added to or out of the order that
# shots_expected.txt (beside this script) lists.
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
expected="$(dirname "$0")/shots_expected.txt"
# The report's outline: "shot {id}", "check {text}" and "brief", in order.
outline="$(tr -d '\r' <"$report" 2>/dev/null | sed -n -e 's/^shot \([^:]*\): .*/shot \1/p' \
  -e 's/^  \[OK\] /check /p' -e 's/^  \[FAIL\] /check /p' -e 's/^ brief: .*/brief/p')"
want="$(grep -v -e '^#' -e '^$' "$expected")"
check "every scene and every check of shots_expected.txt, in order" '[ "$outline" = "$want" ]'
[ "$outline" = "$want" ] || diff <(printf '%s\n' "$want") <(printf '%s\n' "$outline") | sed 's/^/     /'
scenes="$(printf '%s\n' "$want" | sed -n 's/^shot //p')"
count="$(printf '%s\n' "$scenes" | grep -c .)"
check "the list holds the numbered scenes, the variants and the notice loop ($count)" '[ "$count" -eq 74 ]'
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
