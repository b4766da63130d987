#!/usr/bin/env bash
# The island with its media and notification watchers on a system that has
# neither runtime class (Wine): it starts, keeps running once the
# notification thread has given up, and shows no dialog.
# Run by CTest under the Wine prefix and Xvfb display that tools/test prepared.
set -u
exe="$1"
fail=0
check() { if eval "$2"; then echo "ok   $1"; else echo "FAIL $1"; fail=1; fi; }

data_unix="$(mktemp -d)"
export VEMO_ISLAND_DATA="$(winepath -w "$data_unix" 2>/dev/null)"
log="$data_unix/log.txt"

wine "$exe" >/dev/null 2>&1 &
disown $!  # ended by taskkill below; no job notice
for _ in $(seq 1 120); do
  grep -q 'monitor (' "$log" 2>/dev/null && break
  sleep 0.25
done
check "the island started" 'grep -q "monitor (" "$log"'
# The notification thread ends at once; the media watcher makes a pass every 2 s.
sleep 8
check "the island is still running" 'pgrep -x VemoIsland.exe >/dev/null'
crash="$(xdotool search --onlyvisible --name 'Program Error' 2>/dev/null | wc -l)"
check "no crash dialog (found $crash)" '[ "$crash" -eq 0 ]'
# The island window is the only window titled "Vemo Ada"; a message box of the
# program would carry the same title.
boxes="$(xdotool search --onlyvisible --name '^Vemo Ada$' 2>/dev/null | wc -l)"
check "no message box beside the island (windows titled Vemo Ada: $boxes)" '[ "$boxes" -le 1 ]'

wine taskkill /F /IM VemoIsland.exe >/dev/null 2>&1
wineserver -w
rm -rf "$data_unix"
[ $fail -eq 0 ] && echo "watchers: all checks passed"
exit $fail
