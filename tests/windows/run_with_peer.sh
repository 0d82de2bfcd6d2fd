#!/usr/bin/env bash
# Starts the Linux peer server of the Windows HTTP tests, runs a command with the peer's ports in
# VOSTREL_PEER, then stops the peer: run_with_peer.sh PEER_PROGRAM COMMAND [ARGS...]
# The command's exit code is the script's (77 stays "skipped").
set -euo pipefail

peer=$1
shift

ports_file=$(mktemp)
peer_pid=""
stop_peer() {
  if [ -n "$peer_pid" ]; then
    kill "$peer_pid" 2>/dev/null || true
    wait "$peer_pid" 2>/dev/null || true
  fi
  rm -f "$ports_file"
}
trap stop_peer EXIT

"$peer" >"$ports_file" &
peer_pid=$!

# The peer prints its ports once its servers listen; it makes a certificate first.
for _ in $(seq 1 300); do
  if [ -s "$ports_file" ]; then break; fi
  if ! kill -0 "$peer_pid" 2>/dev/null; then echo "the peer server ended early" >&2; exit 1; fi
  sleep 0.1
done
[ -s "$ports_file" ] || { echo "the peer server printed no ports" >&2; exit 1; }

VOSTREL_PEER=$(head -n 1 "$ports_file")
export VOSTREL_PEER
echo "peer: $VOSTREL_PEER"
# The loopback servers must be reached directly.
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY

status=0
"$@" || status=$?
exit "$status"
