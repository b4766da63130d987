#!/usr/bin/env bash
# The island on a desktop: start-up log, the pill on screen, the idle cost, the
# island opened by a click, single instance, command-line flags that are not
# flags, --make-icon, the tray icon and remote commands from a second start.
# Run by CTest under the Wine prefix and Xvfb display that tools/test prepared.
set -u
exe="$1"
version="${3:?usage: host_wintest.sh exe wintests version}"
fail=0
check() { if eval "$2"; then echo "ok   $1"; else echo "FAIL $1"; fail=1; fi; }

data_unix="$(mktemp -d)"
export VEMO_ISLAND_DATA="$(winepath -w "$data_unix" 2>/dev/null)"
log="$data_unix/log.txt"
screen="$(xdpyinfo 2>/dev/null | awk '/dimensions:/ {print $2}')"
W="${screen%x*}"; H="${screen#*x}"
[ -n "$W" ] || { W=1920; H=1080; }

wine "$exe" >/dev/null 2>&1 &
for _ in $(seq 1 120); do
  grep -q 'monitor (' "$log" 2>/dev/null && break
  sleep 0.25
done
sleep 2

first="$(head -n 1 "$log" 2>/dev/null)"
check "log starts with the start line" '[[ "$first" == *"Vemo Ada $version starting" ]]'
X=$(( (W - 900) / 2 ))
check "placement line for ${W}x${H}" 'grep -q "monitor (0, 0, $W, $H) scale 1 window 900x470 at $X,0; " "$log"'

shot="$(dirname "$exe")/host_island.png"
import -window root "$shot" 2>/dev/null
pill="$(convert "$shot" -format "%[fx:int(255*p{$((X + 450)),25}.r)],%[fx:int(255*p{$((X + 450)),25}.g)],%[fx:int(255*p{$((X + 450)),25}.b)]" info: 2>/dev/null)"
outside="$(convert "$shot" -format "%[fx:int(255*p{$((X + 450)),200}.r)]" info: 2>/dev/null)"
check "black pill centred at the top (got $pill)" '[ "$pill" = "0,0,0" ]'
check "nothing drawn below the pill (got $outside)" '[ "$outside" = "255" ]'

# Idle: no frame and almost no processor time while nothing changes.
pid="$(pgrep -x VemoIsland.exe | head -n 1)"
ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
before_lines="$(wc -l < "$log")"
t0="$(ticks "$pid")"; sleep 10; t1="$(ticks "$pid")"
hz="$(getconf CLK_TCK)"
cpu_ms=$(( (t1 - t0) * 1000 / hz ))
echo "idle: ${cpu_ms} ms of processor time in 10 s"
check "idle island uses under 300 ms of processor time in 10 s" '[ "$cpu_ms" -lt 300 ]'

# A click on the pill opens it on the home page (720 x 302 at the window's
# x 90): the header title and the dock strip under the page must show.
xdotool mousemove $((X + 450)) 25 click 1 2>/dev/null
sleep 2
open_shot="$(dirname "$exe")/host_island_open.png"
import -window root -crop "900x330+$X+0" +repage "$open_shot" 2>/dev/null
# Pixels of a box (in window units) brighter than the black pill.
lit() { convert "$open_shot" -crop "$1" +repage -colorspace Gray -threshold "$2" -format "%[fx:int(mean*w*h+0.5)]" info: 2>/dev/null; }
title_ink="$(lit 300x32+116+20 50%)"
dock_ink="$(lit 660x40+120+264 4%)"
check "the opened island shows its header title (lit $title_ink)" '[ "${title_ink:-0}" -gt 40 ]'
check "the opened island shows its dock (lit $dock_ink)" '[ "${dock_ink:-0}" -gt 2000 ]'

snapshot="$(cat "$log")"
for args in "" "--SHOTS" "-shots"; do
  wine "$exe" $args >/dev/null 2>&1
  rc=$?
  check "second start '$args' exits 0" '[ "$rc" -eq 0 ]'
done
check "second starts leave log.txt unchanged" '[ "$(cat "$log")" = "$snapshot" ]'

ico_unix="$data_unix/out.ico"
wine "$exe" --make-icon "$(winepath -w "$ico_unix")" >/dev/null 2>&1
rc=$?
check "--make-icon exits 0" '[ "$rc" -eq 0 ]'
header="$(head -c 6 "$ico_unix" 2>/dev/null | od -An -tx1 | tr -d ' \n')"
check "--make-icon writes a 9-image ICO (header $header)" '[ "$header" = "000001000900" ]'
check "--make-icon makes no window" '[ "$(cat "$log")" = "$snapshot" ]'

wine "$exe" --selftest >/dev/null 2>&1
rc=$?
check "a mode not in this build exits non-zero" '[ "$rc" -ne 0 ]'

# Wine's shell accepts the icon on the Xvfb desktop (its system tray window).
check "the shell took the tray icon" 'grep -q "; tray=true " "$log"'

# Remote commands against the running island.
remote() { wine "$exe" "$@" >/dev/null 2>&1; echo $?; }
rc="$(remote --notify Başlık Gövde)"
check "--notify exits 0 (got $rc)" '[ "$rc" -eq 0 ]'
check "--notify shows the notice" 'grep -q "bildirim: Başlık | Gövde" "$log"'
rc="$(remote --remind 10 dk sonra çay)"
check "--remind exits 0 (got $rc)" '[ "$rc" -eq 0 ]'
check "--remind logs the reminder" 'grep -q "hatirlatici: 10 dk sonra çay -> " "$log"'
rc="$(remote --remind anlamsız)"
check "--remind with no time exits 2 (got $rc)" '[ "$rc" -eq 2 ]'
rc="$(remote --check-update)"
check "--check-update with its empty payload exits 0 (got $rc)" '[ "$rc" -eq 0 ]'
check "--check-update is logged" 'grep -q "update check requested" "$log"'
rc="$(remote --sor-sesli)"
check "--sor-sesli while signed out exits 2 (got $rc)" '[ "$rc" -eq 2 ]'

# Nothing on the menu can be chosen from outside (it returns its command), so
# the island is ended by force.
wine taskkill /F /IM VemoIsland.exe >/dev/null 2>&1
wineserver -w

rc="$(remote --notify Başlık Gövde)"
check "a remote flag with no island exits 1 (got $rc)" '[ "$rc" -eq 1 ]'
wineserver -w
rm -rf "$data_unix"
[ $fail -eq 0 ] && echo "host: all checks passed"
exit $fail
