#!/usr/bin/env bash
# Installs what is missing, builds, starts the demo connection service with a scenario and shows
# vostrel's connection window against it. The service stops when vostrel ends.
#
#   scripts/run-demo.sh [SCENARIO | FILE.json] [vostrel options...]
#
# SCENARIO is a built-in scenario (default: multi); FILE.json a scenario file
# (tools/demo-service/README.md). Further arguments go to vostrel.
set -euo pipefail
cd "$(dirname "$0")/.."

scenario="${1:-multi}"
if [ $# -gt 0 ]; then shift; fi

bash scripts/setup.sh
cmake --preset linux
cmake --build --preset linux

service=build/linux/tools/demo-service/vostrel-demo-service
program=build/linux/frontend/qt/vostrel

if [[ "$scenario" == *.json ]]; then
  scenario_args=(--scenario-file "$scenario")
else
  scenario_args=(--scenario "$scenario")
fi

port_file="$(mktemp)"
rm -f "$port_file"
"$service" "${scenario_args[@]}" --port-file "$port_file" &
service_pid=$!
stop_service() {
  kill "$service_pid" 2>/dev/null || true
  wait "$service_pid" 2>/dev/null || true
  rm -f "$port_file"
}
trap stop_service EXIT

for _ in $(seq 100); do
  [ -s "$port_file" ] && break
  if ! kill -0 "$service_pid" 2>/dev/null; then
    echo "run-demo: the demo service did not start" >&2
    exit 1
  fi
  sleep 0.1
done
if [ ! -s "$port_file" ]; then
  echo "run-demo: the demo service did not report its port" >&2
  exit 1
fi
port="$(cat "$port_file")"

# The window needs a display; without one it can still run on a virtual one, unseen.
run=()
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  if command -v xvfb-run >/dev/null 2>&1; then
    echo "run-demo: no display; running under xvfb-run, where the window cannot be seen" >&2
    run=(xvfb-run -a)
  else
    echo "run-demo: no display (DISPLAY is not set) and xvfb-run is not installed" >&2
    exit 1
  fi
fi

status=0
"${run[@]}" "$program" -n -a:123 -g "-c:http://127.0.0.1:$port/Connect/" "$@" || status=$?
exit "$status"
