#!/usr/bin/env bash
# The self-update against the scripted release channel, on a copy of the exe
# in a temporary folder: "--update-now" when up to date, after a verified
# install and with a wrong digest; the channel request's headers.
# Run by CTest under the Wine prefix and Xvfb display that tools/test prepared.
set -u
exe="$1"
version="${3:?usage: update_wintest.sh exe wintests version}"
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

mkdir "$work/app" "$work/data"
app="$work/app/VemoIsland.exe"
original="$work/original.exe"
cp "$exe" "$original"
# The newer build: the same program with bytes appended, so it still runs and differs.
newer="$work/newer.exe"
cp "$exe" "$newer"
printf 'newer build' >> "$newer"
digest="$(sha256sum "$newer" | cut -d' ' -f1)"

export VEMO_ISLAND_DATA="$(winepath -w "$work/data" 2>/dev/null)"
log="$work/data/log.txt"
unset VEMO_GITHUB_TOKEN VEMO_FAKE_VERSION

owner="$(sed -n 's/.*kUpdateRepoOwner = "\(.*\)";/\1/p' "$here/../src/update.h")"
contents="/repos/$owner/vemo-island/contents"
routes="$work/routes.json"
channel() {  # version, sha256
  cat > "$routes.tmp" <<EOF
{"$contents/latest.json": {"body": "{\"version\": \"$1\", \"sha256\": \"$2\", \"notes\": \"Yeni sürüm\"}"},
 "$contents/VemoIsland.exe": {"body_file": "$newer"}}
EOF
  mv "$routes.tmp" "$routes"
}
channel "$version" "$digest"

record="$work/record.jsonl"
python3 "$here/fake_server.py" --routes "$routes" --record "$record" --port-file "$work/port.txt" --lifetime 240 &
server_pid=$!
for _ in $(seq 1 100); do [ -s "$work/port.txt" ] && break; sleep 0.1; done
export VEMO_TEST_UPDATE_BASE="http://127.0.0.1:$(cat "$work/port.txt")"

# The headers of the n-th recorded request (1-based), one "name: value" a line.
headers_of() {
  python3 - "$record" "$1" <<'EOF'
import json, sys
lines = open(sys.argv[1], encoding="utf-8").read().splitlines()
n = int(sys.argv[2])
if len(lines) >= n:
    for name, value in json.loads(lines[n - 1])["headers"]:
        print(f"{name}: {value}")
EOF
}
target_of() { sed -n "${1}p" "$record" | python3 -c 'import json,sys; print(json.loads(sys.stdin.read())["target"])' 2>/dev/null; }
requests() { wc -l < "$record" 2>/dev/null || echo 0; }
update_now() { (cd "$work/app" && wine "$app" --update-now >/dev/null 2>&1); echo $?; }

# 1. The channel holds the running version.
cp "$original" "$app"
rc="$(update_now)"
check "--update-now at the same version exits 3 (got $rc)" '[ "$rc" -eq 3 ]'
check "it logs up to date" 'grep -q "update-now: up to date$" "$log"'
check "the exe is untouched" 'cmp -s "$app" "$original"'
check "only latest.json was read ($(requests) requests)" '[ "$(requests)" -eq 1 ] && [ "$(target_of 1)" = "$contents/latest.json?ref=updates" ]'
h="$(headers_of 1)"
order="$(printf '%s\n' "$h" | grep -n -e '^Accept: application/vnd.github.raw$' -e '^X-GitHub-Api-Version: 2022-11-28$' | cut -d: -f2 | tr '\n' ' ')"
check "Accept, then X-GitHub-Api-Version (got: $order)" '[ "$order" = "Accept X-GitHub-Api-Version " ]'
check "no token, no Authorization" '! printf "%s\n" "$h" | grep -qi "^Authorization:"'

# 2. A newer channel (the running version pretended to be 1.0), with a token.
rc="$(VEMO_FAKE_VERSION=1.0 VEMO_GITHUB_TOKEN=" gizli " update_now)"
check "--update-now with a newer valid exe exits 0 (got $rc)" '[ "$rc" -eq 0 ]'
check "it logs the installed version" 'grep -q "update-now: installed v$version$" "$log"'
check "the old bytes are in VemoIsland.old.exe" 'cmp -s "$work/app/VemoIsland.old.exe" "$original"'
check "the new bytes are under the running name" 'cmp -s "$app" "$newer"'
check "no VemoIsland.new.exe is left" '[ ! -e "$work/app/VemoIsland.new.exe" ]'
check "latest.json then the exe were read" '[ "$(target_of 3)" = "$contents/VemoIsland.exe?ref=updates" ]'
check "the token travels as a bearer token" 'headers_of 2 | grep -qx "Authorization: Bearer gizli"'

# 3. A wrong digest leaves the exe as it was.
cp "$original" "$app"
rm -f "$work/app/VemoIsland.old.exe"
channel "$version" "$(sha256sum "$original" | cut -d' ' -f1)"
rc="$(VEMO_FAKE_VERSION=1.0 update_now)"
check "--update-now with a wrong digest exits 1 (got $rc)" '[ "$rc" -eq 1 ]'
check "it logs the error" 'grep -q "update-now: error SHA-256 doğrulaması başarısız$" "$log"'
check "the exe is untouched" 'cmp -s "$app" "$original"'
check "nothing is left beside it" '[ ! -e "$work/app/VemoIsland.new.exe" ] && [ ! -e "$work/app/VemoIsland.old.exe" ]'

[ $fail -eq 0 ] && echo "update: all checks passed"
exit $fail
