#!/usr/bin/env bash
# The Windows program itself under Wine against the demo connection service, on a virtual display
# when there is no display:
#   run_vostrel_under_wine.sh DEMO_SERVICE VOSTREL.exe WINDOW_PROBE.exe PREFIX_DIR [SCREENSHOT.png]
# 1. Scenario "multi": the connection window opens with three tiles, loads their status images
#    and fits itself to them (484 x 192); it is photographed when a screenshot file is named and
#    ImageMagick's import is at hand; closing it ends the program with status 0.
# 2. Scenario "healthy": the direct launch downloads the RDP file and hands it to the shell's
#    "connect" verb (registered in the prefix to copy the file), and the program ends by itself.
# Exits 77 (skipped) when a program or Wine is missing, unless VOSTREL_REQUIRE_WINE=1.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine_gui_env.sh"

service=$1
vostrel=$2
probe=$3
prefix=$4
screenshot=${5:-}
for program in "$service" "$vostrel" "$probe"; do
  [ -f "$program" ] || skip "$program has not been built"
done
run_on_display "$0" "$@"

find_wine
use_prefix "$prefix"
work=$(mktemp -d)
service_pid=""
vostrel_pid=""
cleanup() {
  [ -z "$vostrel_pid" ] || kill "$vostrel_pid" 2>/dev/null || true
  if [ -n "$service_pid" ]; then
    kill "$service_pid" 2>/dev/null || true
    wait "$service_pid" 2>/dev/null || true
  fi
  stop_wine
  rm -rf "$work"
}
trap cleanup EXIT
# The loopback service must be reached directly.
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY

fail() {
  echo "FAILED: $*"
  echo "--- demo service log"
  cat "$work/service.log" 2>/dev/null || true
  exit 1
}

start_service() {
  rm -f "$work/port"
  "$service" --scenario "$1" --port-file "$work/port" >"$work/service.log" 2>&1 &
  service_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/port" ] && break
    kill -0 "$service_pid" 2>/dev/null || fail "the demo service did not start"
    sleep 0.1
  done
  [ -s "$work/port" ] || fail "the demo service did not report its port"
  url="http://127.0.0.1:$(cat "$work/port")/Connect/"
}

stop_service() {
  kill "$service_pid" 2>/dev/null || true
  wait "$service_pid" 2>/dev/null || true
  service_pid=""
}

# Waits up to $2 seconds for the process $1 to end; its status in $status.
wait_for_exit() {
  local pid=$1 seconds=$2
  for _ in $(seq $((seconds * 10))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      status=0
      wait "$pid" || status=$?
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# An RDP file opened with "connect" is copied where the test can read it.
launched_windows='C:\users\Public\launched.rdp'
launched="$WINEPREFIX/drive_c/users/Public/launched.rdp"
cat >"$work/rdp.reg" <<REG
REGEDIT4

[HKEY_CLASSES_ROOT\\.rdp]
@="VostrelTest.RdpFile"

[HKEY_CLASSES_ROOT\\VostrelTest.RdpFile\\shell\\connect\\command]
@="C:\\\\windows\\\\system32\\\\cmd.exe /c copy /y \\"%1\\" ${launched_windows//\\/\\\\}"
REG
"$wine" regedit /S "$("$wine" winepath -w "$work/rdp.reg" | tr -d '\r')" >/dev/null 2>&1 ||
  fail "the RDP file type could not be registered in the prefix"
rm -f "$launched"

echo "== the connection window (scenario multi)"
start_service multi
caption="Tarrowind Connect  [123]"
"$wine" "$vostrel" -n -a:123 "-c:$url" >"$work/vostrel.log" 2>&1 &
vostrel_pid=$!
geometry=$("$wine" "$probe" wait "$caption" 484 192 90 | tr -d '\r') ||
  fail "the window did not fit its three images: $geometry"
echo "$geometry"
grep -q '^buttons 3$' <<<"$geometry" || fail "the window does not show three tiles"
read -r _ left top width height < <(grep '^window ' <<<"$geometry")
if [ -n "$screenshot" ]; then
  if command -v import >/dev/null 2>&1; then
    import -window root -crop "${width}x${height}+${left}+${top}" +repage "$screenshot"
    echo "screenshot: $screenshot"
  else
    echo "no screenshot: ImageMagick's import is not installed"
  fi
fi
"$wine" "$probe" close "$caption" >/dev/null
wait_for_exit "$vostrel_pid" 30 || fail "vostrel.exe did not end after its window closed"
vostrel_pid=""
[ "$status" = 0 ] || fail "vostrel.exe ended with status $status"
for image in ok degraded down; do
  grep -q "^GET /status/$image.png .* 200\$" "$work/service.log" || fail "no request for $image.png"
done
stop_service

echo "== the direct launch (scenario healthy)"
start_service healthy
"$wine" "$vostrel" -n -a:123 "-c:$url" >"$work/vostrel.log" 2>&1 &
vostrel_pid=$!
wait_for_exit "$vostrel_pid" 90 || fail "vostrel.exe did not end by itself after the launch"
vostrel_pid=""
[ "$status" = 0 ] || fail "vostrel.exe ended with status $status"
grep -q '^HEAD /desks/0.rdp ' "$work/service.log" || fail "no HEAD probe of the RDP file"
grep -q '^GET /desks/0.rdp .* 200$' "$work/service.log" || fail "the RDP file was not downloaded"
[ -f "$launched" ] || fail "the shell's connect verb was not given the RDP file"
grep -q 'full address' "$launched" || fail "what the shell was given is not the RDP file"
stop_service
echo "vostrel.exe under Wine: window and direct launch passed"
