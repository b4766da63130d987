#!/usr/bin/env bash
# "--selftest out": the system probe writes out/selftest.txt with every line in
# its order, shows what Wine lacks (media sessions, the notification listener,
# a battery, the brightness device) as absent values instead of crashing, and
# asks the weather service only on the scripted server on 127.0.0.1. Two runs
# differ only in the lines that carry times or machine figures.
# Run by CTest under the Wine prefix and Xvfb display that tools/test prepared.
set -u
exe="$1"
here="$(cd "$(dirname "$0")" && pwd)"
fail=0
check() { if eval "$2"; then echo "ok   $1"; else echo "FAIL $1"; fail=1; fi; }

work="$(mktemp -d)"
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

mkdir "$work/data" "$work/run"
export VEMO_ISLAND_DATA="$(winepath -w "$work/data" 2>/dev/null)"

# The weather watcher's two requests: the city and its forecast (code 2).
routes="$work/routes.json"
cat > "$routes" <<'EOF'
{"/v1/search": {"body": "{\"results\":[{\"latitude\":41.01384,\"longitude\":28.94966,\"name\":\"İstanbul\"}]}"},
 "/v1/forecast": {"body": "{\"current\":{\"temperature_2m\":14.5,\"apparent_temperature\":13,\"relative_humidity_2m\":70,\"weather_code\":2,\"is_day\":1,\"wind_speed_10m\":9},\"daily\":{\"time\":[\"2024-03-01\",\"2024-03-02\",\"2024-03-03\",\"2024-03-04\",\"2024-03-05\",\"2024-03-06\"],\"weather_code\":[2,3,61,63,0,1],\"temperature_2m_max\":[15,14,12,11,16,17],\"temperature_2m_min\":[8,7,6,5,9,10],\"precipitation_probability_max\":[10,20,80,90,0,5]}}"}}
EOF
record="$work/record.jsonl"
python3 "$here/fake_server.py" --routes "$routes" --record "$record" --port-file "$work/port.txt" --lifetime 240 &
server_pid=$!
for _ in $(seq 1 100); do [ -s "$work/port.txt" ] && break; sleep 0.1; done
export VEMO_TEST_WEATHER_BASE="http://127.0.0.1:$(cat "$work/port.txt")"

report="$work/run/out/selftest.txt"
probe() {  # run number
  rm -rf "$work/run/out"
  (cd "$work/run" && timeout 120 wine "$exe" --selftest out >/dev/null 2>&1)
  rc=$?
  check "run $1: --selftest exits 0 (got $rc)" '[ "$rc" -eq 0 ]'
  check "run $1: out/selftest.txt is written" '[ -s "$report" ]'
  tr -d '\r' < "$report" > "$work/run$1.txt" 2>/dev/null
}
probe 1
probe 2
first="$work/run1.txt"
sed 's/^/     | /' "$first"

# Every line's prefix in the report's order; the indented lists may be empty.
python3 - "$first" <<'EOF'
import re, sys
order = [
    ("volume: ", 1), ("brightness available=", 1), ("battery: ", 1), ("apps indexed: ", 1),
    ("  app: ", "*"), ("  query 'hesap': ", "*"), ("media: has=", 1), ("shell icon notepad: ", 1),
    ("autostart: ", 1), ("dark mode: ", 1), ("foreground exe: ", 1), ("mic in use: ", 1),
    ("microphone: ", 1), ("sysmon: cpu=", 1), ("weather: ok=", 1), ("steam: found=", 1), ("  game: ", "*"),
    ("notifications listener: ", 1), ("is_browser chrome/edge/discord: ", 1), ("google: client=", 1),
    ("microphones: ", 1),
]
lines = open(sys.argv[1], encoding="utf-8").read().split("\n")
if lines and lines[-1] == "":
    lines.pop()
i = 0
problems = []
for prefix, count in order:
    n = 0
    while i < len(lines) and lines[i].startswith(prefix):
        n += 1
        i += 1
    if count == 1 and n != 1:
        problems.append(f"expected one line '{prefix}' at line {i + 1}, found {n}")
    if prefix == "  app: " and n > 8:
        problems.append(f"{n} app lines, at most 8")
    if prefix == "  query 'hesap': " and n > 4:
        problems.append(f"{n} query lines, at most 4")
if i != len(lines):
    problems.append(f"unexpected line {i + 1}: {lines[i]!r}")
for p in problems:
    print("     " + p)
sys.exit(1 if problems else 0)
EOF
rc=$?
check "every line of the report in its order" '[ "$rc" -eq 0 ]'

line() { grep -m1 "^$1" "$first"; }
check "no media session under Wine: has=false, art -" '[[ "$(line "media: ")" == "media: has=false "*" art=-" ]]'
listener="$(line "notifications listener: ")"
check "the notification listener's own reason ($listener)" \
  '[ -n "${listener#notifications listener: }" ] && [[ "$listener" != *"başlatılıyor"* ]]'
check "the brightness device is absent" '[ "$(line "brightness ")" = "brightness available=false value=None" ]'
check "the weather came from the scripted server" \
  '[ "$(line "weather: ")" = "weather: ok=true city=İstanbul temp=14.5 code=2 (Parçalı bulutlu) days=6 err=" ]'
asked="$(python3 -c 'import json,sys; print(" ".join(json.loads(l)["target"].split("?")[0] for l in open(sys.argv[1])))' "$record" 2>/dev/null)"
check "each run asked the server for the city and its forecast ($asked)" \
  '[ "$asked" = "/v1/search /v1/forecast /v1/search /v1/forecast" ]'
check "the browser test: chrome and edge are browsers, discord is not" \
  '[ "$(line "is_browser")" = "is_browser chrome/edge/discord: true true false" ]'

# Lines that carry times or machine figures: the system monitor's rates and
# loads, the media position and the program in front.
steady() { grep -v -e '^sysmon: ' -e '^media: ' -e '^foreground exe: ' "$1"; }
diff <(steady "$work/run1.txt") <(steady "$work/run2.txt") | sed 's/^/     /'
check "two runs differ only in the lines with times or machine figures" \
  'diff -q <(steady "$work/run1.txt") <(steady "$work/run2.txt") >/dev/null'
check "both runs have the same line count" \
  '[ "$(wc -l < "$work/run1.txt")" -eq "$(wc -l < "$work/run2.txt")" ]'

wineserver -w
[ $fail -eq 0 ] && echo "selftest: all checks passed"
exit $fail
